#pragma once
// Message boxes, confirmations and file/input dialogs, behind one interface: the GUI
// shows real dialogs, tests script the answers and see every text.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/ServiceScope.h"

namespace platform {

enum class TMsgDlgType { Warning, Error, Information, Confirmation, Custom };

// Buttons as a set of bits.
enum TMsgDlgBtn : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    mbAll = 1u << 7,
};

// Results as the windows give them.
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
};

class IPrompts {
public:
    virtual ~IPrompts() = default;
    // A message box; returns the button pressed.
    virtual int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons) = 0;
    // A plain message with an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // A message with a caption of its own and the given buttons; returns the button pressed.
    virtual int MessageBox(const std::string& text, const std::string& caption, unsigned buttons = mbOK) = 0;
    // File dialogs: the chosen path, or nothing when cancelled. The filter lists its
    // choices as "Name|pattern|Name|pattern"; filterIndex, when given, is the selected
    // choice (from 1) going in and the one the user left selected coming out.
    virtual std::optional<std::string> OpenFileName(const std::string& title, const std::string& filter,
                                                    const std::string& initial,
                                                    int* filterIndex = nullptr) = 0;
    virtual std::optional<std::string> SaveFileName(const std::string& title, const std::string& filter,
                                                    const std::string& initial,
                                                    int* filterIndex = nullptr) = 0;
    // The printer setup dialog; true when it was confirmed.
    virtual bool PrinterSetup() = 0;
    // An input box; the edited answer, or nothing when cancelled.
    virtual std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                                  const std::string& value) = 0;
};

// Process-wide; without one set, a silent implementation that answers OK/Yes-less:
// the first of mrOk, mrCancel, mrNo that the buttons allow, and cancels dialogs.
struct TSilentPrompts {
    static IPrompts& Get();
};
using TPromptsService = TProcessService<IPrompts, TSilentPrompts>;
using TPromptsScope = TPromptsService::TScope;
inline IPrompts& Prompts() {
    return TPromptsService::Current();
}

// Records every prompt; answers come from the queues, else the defaults.
class TRecordingPrompts : public IPrompts {
public:
    struct Shown {
        // "MessageDlg", "ShowMessage", "MessageBox", "OpenFileName", "SaveFileName",
        // "InputQuery", "PrinterSetup"
        std::string Kind;
        std::string Text;  // message text, or dialog title / input prompt
        TMsgDlgType Type = TMsgDlgType::Information;
        unsigned Buttons = 0;
        std::string Caption = {};  // of a MessageBox
        std::string Filter = {};   // of a file dialog
        int FilterIndex = 0;       // the file dialog's selected filter going in; 0 without one
        std::string Initial = {};  // the file dialog's initial name
    };
    int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons) override;
    void ShowMessage(const std::string& text) override;
    // A box with an OK button alone answers mrOk; any other takes the next answer.
    int MessageBox(const std::string& text, const std::string& caption, unsigned buttons = mbOK) override;
    std::optional<std::string> OpenFileName(const std::string& title, const std::string& filter,
                                            const std::string& initial, int* filterIndex = nullptr) override;
    std::optional<std::string> SaveFileName(const std::string& title, const std::string& filter,
                                            const std::string& initial, int* filterIndex = nullptr) override;
    bool PrinterSetup() override;
    std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& value) override;

    std::vector<Shown> Log;
    std::deque<int> Answers;                              // for MessageDlg and MessageBox
    std::deque<std::optional<std::string>> FileAnswers;   // for Open/SaveFileName
    std::deque<std::optional<std::string>> InputAnswers;  // for InputQuery
    std::deque<int> FilterAnswers;  // the filter index a file dialog leaves; else unchanged
    bool PrinterSetupAnswer = true;
    int DefaultAnswer = mrOk;
    std::vector<std::string> Texts() const;  // every Text in order

private:
    std::optional<std::string> FileDialog(const char* kind, const std::string& title,
                                          const std::string& filter, const std::string& initial,
                                          int* filterIndex);
};

}  // namespace platform
