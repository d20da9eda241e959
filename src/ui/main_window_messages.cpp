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
    const bool selected = ComboBox5->currentIndex() >= 0;
    Button14->setEnabled(selected);
    Button13->setEnabled(selected);
}

void MainWindow::ParseAttachments() {
    for (const std::string& subject : MessageSubjects(AttachmentLines))
        InsertSorted(ComboBox5, FromBytes(subject));
    if (ComboBox5->count() == 0)
        ComboBox5->setCurrentIndex(-1);
    UpdateMessageButtons();
}

void MainWindow::CleanForm4() {
    Form4->subjectEdit_->clear();
    Form4->messageEdit_->clear();
    Form4->Editing = false;
    Form4->exec();
}

bool MainWindow::AddAttachment() {
    const std::string subject = ToBytes(Form4->subjectEdit_->text());
    if (subject.empty()) {
        Form4->subjectEdit_->setFocus();
        MessageBoxes::Show(Form4, MessageIcon::Information,
                           QStringLiteral("You must give this message a subject heading."),
                           Buttons::Ok);
        return false;
    }
    if (SubjectTaken(AttachmentLines, subject)) {
        MessageBoxes::Show(
            Form4, MessageIcon::Information,
            QStringLiteral(
                "There is already one message with that subject. Please choose another."),
            Buttons::Ok);
        return false;
    }
    AppendMessageBlock(AttachmentLines, subject, "MN",
                       TextLines(Form4->messageEdit_->toPlainText()));
    AddDisplayName(ComboBox5, subject);
    return true;
}

bool MainWindow::EditAttachment() {
    const std::string subject = ToBytes(Form4->subjectEdit_->text());
    if (subject.empty()) {
        MessageBoxes::Show(Form4, MessageIcon::Information,
                           QStringLiteral("You must give this message a subject heading."),
                           Buttons::Ok);
        return false;
    }
    if (!ReplaceMessageBlock(AttachmentLines, subject,
                             TextLines(Form4->messageEdit_->toPlainText())))
        return false;
    AddDisplayName(ComboBox5, subject);
    return true;
}

void MainWindow::ShowEditAttachment(QComboBox* combo) {
    const int index = combo->currentIndex();
    if (index < 0)
        return;
    const std::string item = ToBytes(combo->itemText(index));
    const auto block = FindMessageForEdit(AttachmentLines, item);
    if (!block) {
        combo->removeItem(index);
        MessageBoxes::Show(this, MessageIcon::Warning,
                           QStringLiteral("Cannot find message: ") + FromBytes(MessageKey(item)),
                           Buttons::Ok);
        return;
    }
    Form4->subjectEdit_->setText(FromBytes(block->subject));
    Form4->messageEdit_->setPlainText(JoinedText(block->Text(AttachmentLines)));
    Form4->Editing = true;
    Form4->exec();
}

void MainWindow::RemoveAttachment(QComboBox* combo) {
    const int index = combo->currentIndex();
    if (index < 0)
        return;
    const QString item = combo->itemText(index);
    const auto block = FindMessageForRemoval(AttachmentLines, ToBytes(item));
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
    EraseMessageBlock(AttachmentLines, *block);
    combo->removeItem(index);
    combo->setCurrentIndex(-1);
    UpdateMessageButtons();
    FileSaved = false;
}

void MainWindow::onEmailSupportClicked() {
    Form14->exec();
}

} // namespace siteherald::ui
