// Preferences, About and the support window.
#include "about_dialog.h"
#include "main_window.h"
#include "preferences_dialog.h"
#include "support_dialog.h"

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

} // namespace siteherald::ui
