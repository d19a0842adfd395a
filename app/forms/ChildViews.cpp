#include "app/forms/ChildViews.h"

#include <QFontDatabase>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>

#include "app/forms/FormParts.h"

namespace app::forms {

TMemoLog::TMemoLog(QPlainTextEdit& memo) : FMemo(memo) {
    // The cap bounds the log only when no undo history keeps the lines it deletes.
    FMemo.setUndoRedoEnabled(false);
}

void TMemoLog::Add(const std::string& line) {
    if (FCount == 0)
        FMemo.setPlainText(Q(line));
    else
        FMemo.appendPlainText(Q(line));
    ++FCount;
}

void TMemoLog::Delete(int index) {
    if (index < 0 || index >= FCount) return;
    if (FCount == 1) {
        FMemo.clear();
        FCount = 0;
        return;
    }
    QTextCursor cursor(FMemo.document()->findBlockByNumber(index));
    cursor.select(QTextCursor::BlockUnderCursor);
    // The block's own text with the break before it; for the first line, the one after.
    if (index == 0) {
        cursor.movePosition(QTextCursor::StartOfBlock);
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    }
    cursor.removeSelectedText();
    --FCount;
}

void TMemoLog::TypeKey(char key) {
    if (FCount == 0) {
        Add(std::string(1, key));
        return;
    }
    QTextCursor cursor(FMemo.document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString(QChar(key)));
}

TListingEdit::TListingEdit(QTextEdit& edit) : FEdit(edit) {
    FPlain.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    FPlain.setFontWeight(QFont::Normal);
    FBold.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    FBold.setFontWeight(QFont::Bold);
}

void TListingEdit::AddLine(const std::string& text, TListingStyle style) {
    if (!FEditing) {
        FCursor = QTextCursor(FEdit.document());
        if (FUpdates > 0) {
            FCursor.beginEditBlock();
            FEditing = true;
            // Emptied again inside the edit, the text reaches the layout as a new whole,
            // which it lays out in steps between events instead of all at once.
            if (FEmpty) FEdit.document()->clear();
        }
    }
    FCursor.movePosition(QTextCursor::End);
    if (!FEmpty) FCursor.insertBlock();
    FCursor.insertText(Q(text), style == TListingStyle::Bold ? FBold : FPlain);
    FEmpty = false;
}

void TListingEdit::BeginUpdate() {
    if (FUpdates++ == 0) FEdit.setUpdatesEnabled(false);
}

void TListingEdit::EndEdit() {
    if (!FEditing) return;
    FEditing = false;
    FCursor.endEditBlock();
}

void TListingEdit::EndUpdate() {
    if (FUpdates == 0 || --FUpdates > 0) return;
    EndEdit();
    FEdit.setUpdatesEnabled(true);
}

void TListingEdit::Clear() {
    EndEdit();
    FCursor = QTextCursor();
    FEdit.clear();
    FEmpty = true;
}

void TListingEdit::CaretToStart() {
    FEdit.moveCursor(QTextCursor::Start);
}

void TSequenceList::ClearLines() {
    const QSignalBlocker block(FList);
    FList.clear();
}

void TSequenceList::AddLine(const std::string& text) {
    const QSignalBlocker block(FList);
    FList.addItem(Q(text));
}

std::string TSequenceList::Line(int index) const {
    const QListWidgetItem* item = FList.item(index);
    return item ? S(item->text()) : std::string();
}

void TSequenceList::SetSelected(int index, bool selected) {
    QListWidgetItem* item = FList.item(index);
    if (!item) return;
    const QSignalBlocker block(FList);
    item->setSelected(selected);
    if (selected && !FList.currentItem()) FList.setCurrentItem(item, QItemSelectionModel::NoUpdate);
}

int TSequenceList::ItemIndex() const {
    const QListWidgetItem* current = FList.currentItem();
    if (current && current->isSelected()) return FList.row(current);
    for (int i = 0; i < FList.count(); ++i)
        if (FList.item(i)->isSelected()) return i;
    return -1;
}

}  // namespace app::forms
