// Preferences, About, the support window, the help pages, the website and the mail and news
// logs.
#include "about_dialog.h"
#include "core/file_url.h"
#include "core/line_file.h"
#include "event_guard.h"
#include "main_window.h"
#include "preferences_dialog.h"
#include "submit/desktop_open.h"
#include "support_dialog.h"
#include "text_codec.h"
#include "view_log_dialog.h"

#include <QPlainTextEdit>

namespace siteherald::ui {

void MainWindow::onPreferencesClicked() {
    preferencesDialog_->ShowWithFocus();
}

void MainWindow::onAboutClicked() {
    aboutDialog_->exec();
}

void MainWindow::onEmailSupportClicked() {
    supportDialog_->exec();
}

void MainWindow::onGotoWebsiteClicked() {
    Guard(this, [this] { AboutDialog::OpenWebsite(this); });
}

void MainWindow::onHelpTopicsClicked() {
    Guard(this, [this] {
        const std::string help = ToBytes(dataDir_) + "/help/index.html";
        std::string error;
        if (!FileExists(help) || !OpenWithDesktop(FileUrl(help), error))
            MessageBoxes::Show(this, MessageIcon::Error,
                               FromBytes("The help pages could not be opened: " + help),
                               Buttons::Ok);
    });
}

void MainWindow::LoadMNLog(const char* fileName) {
    Guard(this, [this, fileName] {
        std::string bytes;
        if (!ReadFileBytes(fileName, bytes))
            return;
        viewLog_->logText_->setPlainText(JoinedText(SplitLines(bytes)));
        viewLog_->exec();
    });
}

void MainWindow::onMailLogClicked() {
    LoadMNLog("mail.log");
}

void MainWindow::onNewsLogClicked() {
    LoadMNLog("news.log");
}

} // namespace siteherald::ui
