#pragma once
// The document window's controls as the device image and the decoder see them: the
// message memo as the image's log, the rich edit as the listing view, the list box as
// the sequence list.
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <functional>

#include "app/device/MessageLog.h"
#include "app/lister/ListingSink.h"
#include "app/lister/SequenceListBox.h"

namespace app::forms {

class TMemoLog : public IMessageLog {
public:
    explicit TMemoLog(QPlainTextEdit& memo);
    int Count() const override { return FCount; }
    void Add(const std::string& line) override;
    void Delete(int index) override;
    void BeginUpdate() override { FMemo.setUpdatesEnabled(false); }
    void EndUpdate() override { FMemo.setUpdatesEnabled(true); }
    // Appended to the last line.
    void TypeKey(char key) override;

private:
    QPlainTextEdit& FMemo;
    int FCount = 0;
};

// Between BeginUpdate and EndUpdate the lines gather in one edit of the document: the
// listing is laid out once, after its last line, rather than again after every line.
class TListingEdit : public IListingView {
public:
    explicit TListingEdit(QTextEdit& edit);
    void AddLine(const std::string& text, TListingStyle style) override;
    void BeginUpdate() override;
    void EndUpdate() override;
    void Clear() override;
    void CaretToStart() override;

private:
    void EndEdit();

    QTextEdit& FEdit;
    QTextCharFormat FPlain, FBold;
    QTextCursor FCursor;  // at the end of the text; holds the open edit within an update
    bool FEditing = false;
    int FUpdates = 0;
    bool FEmpty = true;
};

class TSequenceList : public ISequenceListBox {
public:
    explicit TSequenceList(QListWidget& list) : FList(list) {}
    void ClearLines() override;
    void AddLine(const std::string& text) override;
    int LineCount() const override { return FList.count(); }
    std::string Line(int index) const override;
    // The list always allows the extended selection.
    void SetMultiSelect(bool) override {}
    // A line that does not exist is ignored.
    void SetSelected(int index, bool selected) override;
    void Click(const void* sender) override {
        if (OnClick) OnClick(sender);
    }
    // The line the click handler works on: the current line when it is selected, else
    // the first selected one; -1 when none is.
    int ItemIndex() const;

    std::function<void(const void*)> OnClick;

private:
    QListWidget& FList;
};

}  // namespace app::forms
