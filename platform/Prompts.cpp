#include "platform/Prompts.h"

namespace platform {

namespace {

int SilentAnswer(unsigned buttons) {
    if (buttons & mbOK) return mrOk;
    if (buttons & mbCancel) return mrCancel;
    if (buttons & mbNo) return mrNo;
    return mrNone;
}

class TSilent : public IPrompts {
public:
    int MessageDlg(const std::string&, TMsgDlgType, unsigned buttons) override {
        return SilentAnswer(buttons);
    }
    void ShowMessage(const std::string&) override {}
    int MessageBox(const std::string&, const std::string&, unsigned buttons) override {
        return SilentAnswer(buttons);
    }
    std::optional<std::string> OpenFileName(const std::string&, const std::string&, const std::string&,
                                            int*) override {
        return std::nullopt;
    }
    std::optional<std::string> SaveFileName(const std::string&, const std::string&, const std::string&,
                                            int*) override {
        return std::nullopt;
    }
    bool PrinterSetup() override { return false; }
    std::optional<std::string> InputQuery(const std::string&, const std::string&,
                                          const std::string&) override {
        return std::nullopt;
    }
};

template <typename T>
T TakeFront(std::deque<T>& queue, T fallback) {
    if (queue.empty()) return fallback;
    T front = std::move(queue.front());
    queue.pop_front();
    return front;
}

}  // namespace

IPrompts& TSilentPrompts::Get() {
    static TSilent silent;
    return silent;
}

int TRecordingPrompts::MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons) {
    Log.push_back({"MessageDlg", text, type, buttons});
    return TakeFront(Answers, DefaultAnswer);
}

void TRecordingPrompts::ShowMessage(const std::string& text) {
    Log.push_back({"ShowMessage", text, TMsgDlgType::Information, mbOK});
}

int TRecordingPrompts::MessageBox(const std::string& text, const std::string& caption, unsigned buttons) {
    Log.push_back({"MessageBox", text, TMsgDlgType::Information, buttons, caption});
    if (buttons == mbOK) return mrOk;
    return TakeFront(Answers, DefaultAnswer);
}

std::optional<std::string> TRecordingPrompts::FileDialog(const char* kind, const std::string& title,
                                                         const std::string& filter,
                                                         const std::string& initial, int* filterIndex) {
    Log.push_back(
        {kind, title, TMsgDlgType::Information, 0, {}, filter, filterIndex ? *filterIndex : 0, initial});
    std::optional<std::string> answer = TakeFront(FileAnswers, std::optional<std::string>());
    if (!FilterAnswers.empty()) {
        const int index = TakeFront(FilterAnswers, 0);
        if (filterIndex) *filterIndex = index;
    }
    return answer;
}

std::optional<std::string> TRecordingPrompts::OpenFileName(const std::string& title,
                                                           const std::string& filter,
                                                           const std::string& initial, int* filterIndex) {
    return FileDialog("OpenFileName", title, filter, initial, filterIndex);
}

std::optional<std::string> TRecordingPrompts::SaveFileName(const std::string& title,
                                                           const std::string& filter,
                                                           const std::string& initial, int* filterIndex) {
    return FileDialog("SaveFileName", title, filter, initial, filterIndex);
}

bool TRecordingPrompts::PrinterSetup() {
    Log.push_back({"PrinterSetup", {}});
    return PrinterSetupAnswer;
}

std::optional<std::string> TRecordingPrompts::InputQuery(const std::string&, const std::string& prompt,
                                                         const std::string&) {
    Log.push_back({"InputQuery", prompt});
    return TakeFront(InputAnswers, std::optional<std::string>());
}

std::vector<std::string> TRecordingPrompts::Texts() const {
    std::vector<std::string> texts;
    texts.reserve(Log.size());
    for (const Shown& s : Log) texts.push_back(s.Text);
    return texts;
}

}  // namespace platform
