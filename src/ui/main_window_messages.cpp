// The attached messages of the file being edited, and the support window.
#include "attach_message_dialog.h"
#include "broadcast/attached_messages.h"
#include "main_window.h"
#include "message_box.h"
#include "sorted_list.h"
#include "support_dialog.h"
#include "text_codec.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace siteherald::ui {

namespace {

void AddDisplayName(QComboBox* combo, const std::string& subject) {
    const QString name = FromBytes(MessageDisplayName(subject));
    if (combo->findText(name, Qt::MatchExactly) < 0)
        InsertSorted(combo, name);
}

} // namespace

void MainWindow::UpdateMessageButtons() {
    const bool selected = messageChoice_->currentIndex() >= 0;
    editMessageButton_->setEnabled(selected);
    removeMessageButton_->setEnabled(selected);
}

void MainWindow::ParseAttachments() {
    for (const std::string& subject : MessageSubjects(document_.attachmentLines()))
        InsertSorted(messageChoice_, FromBytes(subject));
    if (messageChoice_->count() == 0)
        messageChoice_->setCurrentIndex(-1);
    UpdateMessageButtons();
}

void MainWindow::CleanForm4() {
    attachMessageDialog_->subjectEdit_->clear();
    attachMessageDialog_->messageEdit_->clear();
    attachMessageDialog_->Editing = false;
    attachMessageDialog_->exec();
}

bool MainWindow::AddAttachment() {
    const std::string subject = ToBytes(attachMessageDialog_->subjectEdit_->text());
    if (subject.empty()) {
        attachMessageDialog_->subjectEdit_->setFocus();
        MessageBoxes::Show(attachMessageDialog_, MessageIcon::Information,
                           QStringLiteral("You must give this message a subject heading."),
                           Buttons::Ok);
        return false;
    }
    if (SubjectTaken(document_.attachmentLines(), subject)) {
        MessageBoxes::Show(
            attachMessageDialog_, MessageIcon::Information,
            QStringLiteral(
                "There is already one message with that subject. Please choose another."),
            Buttons::Ok);
        return false;
    }
    const LineList text = TextLines(attachMessageDialog_->messageEdit_->toPlainText());
    document_.EditAttachments(
        [&](LineList& lines) { AppendMessageBlock(lines, subject, "MN", text); });
    AddDisplayName(messageChoice_, subject);
    return true;
}

bool MainWindow::EditAttachment() {
    const std::string subject = ToBytes(attachMessageDialog_->subjectEdit_->text());
    if (subject.empty()) {
        MessageBoxes::Show(attachMessageDialog_, MessageIcon::Information,
                           QStringLiteral("You must give this message a subject heading."),
                           Buttons::Ok);
        return false;
    }
    const LineList text = TextLines(attachMessageDialog_->messageEdit_->toPlainText());
    bool replaced = false;
    document_.EditAttachments(
        [&](LineList& lines) { replaced = ReplaceMessageBlock(lines, subject, text); });
    if (!replaced)
        return false;
    AddDisplayName(messageChoice_, subject);
    return true;
}

void MainWindow::ShowEditAttachment(QComboBox* combo) {
    const int index = combo->currentIndex();
    if (index < 0)
        return;
    const std::string item = ToBytes(combo->itemText(index));
    const auto block = FindMessageForEdit(document_.attachmentLines(), item);
    if (!block) {
        combo->removeItem(index);
        MessageBoxes::Show(this, MessageIcon::Warning,
                           QStringLiteral("Cannot find message: ") + FromBytes(MessageKey(item)),
                           Buttons::Ok);
        return;
    }
    attachMessageDialog_->subjectEdit_->setText(FromBytes(block->subject));
    attachMessageDialog_->messageEdit_->setPlainText(
        JoinedText(block->Text(document_.attachmentLines())));
    attachMessageDialog_->Editing = true;
    attachMessageDialog_->exec();
}

void MainWindow::RemoveAttachment(QComboBox* combo) {
    const int index = combo->currentIndex();
    if (index < 0)
        return;
    const QString item = combo->itemText(index);
    const auto block = FindMessageForRemoval(document_.attachmentLines(), ToBytes(item));
    if (!block) {
        combo->removeItem(index);
        combo->setCurrentIndex(-1);
        UpdateMessageButtons();
        MessageBoxes::Show(this, MessageIcon::Warning,
                           QStringLiteral("Cannot find message: ") + item, Buttons::Ok);
        return;
    }
    if (MessageBoxes::Show(this, MessageIcon::Confirmation,
                           QStringLiteral("Remove: \"") + item + QStringLiteral("\"?"),
                           Buttons::YesNo) != Answer::Yes)
        return;
    document_.EditAttachments([&](LineList& lines) { EraseMessageBlock(lines, *block); });
    combo->removeItem(index);
    combo->setCurrentIndex(-1);
    UpdateMessageButtons();
    document_.MarkChanged();
}

void MainWindow::onEmailSupportClicked() {
    supportDialog_->exec();
}

} // namespace siteherald::ui
