// The profile editor, preferences, About and the import of older submission files.
#include "about_dialog.h"
#include "broadcast/attached_messages.h"
#include "core/sub_import.h"
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
    profileChanged_ = false;
    profileEditor_->Open(name);
    // The editor may have added or renamed profiles: list them, keeping the choice.
    Guard(this, [this] {
        const QString chosen = profileChoice_->currentText();
        const QString loaded = profileChoice_->itemText(loadedProfileIndex_);
        DisplayDefaultList();
        const QSignalBlocker quiet(profileChoice_);
        profileChoice_->setCurrentIndex(profileChoice_->findText(chosen, Qt::MatchExactly));
        // A saved profile moves to the end of the list; a refused change returns to the one
        // the field form shows.
        loadedProfileIndex_ = profileChoice_->findText(loaded, Qt::MatchExactly);
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
        LineList lines;
        if (!LoadLineFile(path, lines))
            throw FileError("Unable to read " + path + ": No such file", path);
        std::string problem;
        const auto contents = ReadSubFile(lines, problem);
        if (!contents) {
            MessageBoxes::Show(
                this, MessageIcon::Error,
                FromBytes("Unable to import " + path + ": " + problem + ". Nothing was changed."),
                Buttons::Ok);
            return;
        }
        bool filled = false;
        for (const auto& [name, value] : contents->singles)
            filled |= fieldForm_->SetEntryLines(name, {value}, true);
        for (const auto& [name, section] : contents->sections)
            filled |= fieldForm_->SetEntryLines(name, section);
        if (filled || !contents->message.empty())
            fileSaved_ = false;
        if (contents->message.empty())
            return;
        const std::string subject = ImportSubject(attachmentLines_, path);
        AppendMessageBlock(attachmentLines_, subject, "M", contents->message);
        InsertSorted(messageChoice_, FromBytes(subject));
        UpdateMessageButtons();
        editFileButton_->setEnabled(true);
    });
}

} // namespace siteherald::ui
