// The profile editor, preferences, About and the import of older submission files.
#include "about_dialog.h"
#include "broadcast/attached_messages.h"
#include "event_guard.h"
#include "file_dialogs.h"
#include "main_window.h"
#include "preferences_dialog.h"
#include "profile_editor.h"
#include "sorted_list.h"
#include "text_codec.h"

#include <QComboBox>
#include <QPushButton>

namespace siteherald::ui {

void MainWindow::ShowProfileEditor(const std::string& name) {
    document_.SetProfileChanged(false);
    profileEditor_->Open(name);
    // The editor may have added or renamed profiles: list them, keeping the choice.
    Guard(this, [this] {
        const QString chosen = profileChoice_->currentText();
        const QString loaded = profileChoice_->itemText(document_.loadedProfileIndex());
        DisplayDefaultList();
        const QSignalBlocker quiet(profileChoice_);
        profileChoice_->setCurrentIndex(profileChoice_->findText(chosen, Qt::MatchExactly));
        // A saved profile moves to the end of the list; a refused change returns to the one
        // the field form shows.
        document_.SetLoadedProfileIndex(profileChoice_->findText(loaded, Qt::MatchExactly));
    });
    profileCheckTimer_.start();
}

void MainWindow::onAddProfileClicked() {
    ShowProfileEditor({});
}

void MainWindow::onEditProfileClicked() {
    ShowProfileEditor(ToBytes(profileChoice_->currentText()));
}

void MainWindow::onPreferencesClicked() {
    preferencesDialog_->ShowWithFocus();
}

void MainWindow::onAboutClicked() {
    aboutDialog_->exec();
}

void MainWindow::onImportClicked() {
    Guard(this, [this] {
        const QString chosen = FileDialogs::OpenOlderSubmissionFile(this);
        if (chosen.isEmpty())
            return;
        const std::string path = ToBytes(chosen);
        const std::optional<LineList> message = document_.Import(path);
        if (!message || message->empty())
            return;
        const std::string subject = ImportSubject(document_.attachmentLines(), path);
        document_.EditAttachments(
            [&](LineList& lines) { AppendMessageBlock(lines, subject, "M", *message); });
        InsertSorted(messageChoice_, FromBytes(subject));
        UpdateMessageButtons();
        editFileButton_->setEnabled(true);
    });
}

} // namespace siteherald::ui
