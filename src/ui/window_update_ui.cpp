#include "window_update_ui.h"

#include "submit/desktop_open.h"
#include "text_codec.h"

#include <QStatusBar>
#include <QTimer>

namespace siteherald::ui {

WindowUpdateUi::WindowUpdateUi(QWidget* window, QStatusBar* statusBar, QTimer* boldTimer,
                               std::function<void()> quit, std::function<void()> enginesChanged)
    : prompter_(window), statusBar_(statusBar), boldTimer_(boldTimer), quit_(std::move(quit)),
      enginesChanged_(std::move(enginesChanged)) {}

bool WindowUpdateUi::AskYesNo(MessageIcon icon, const std::string& text) {
    return prompter_.AskYesNo(icon, text);
}

void WindowUpdateUi::Tell(MessageIcon icon, const std::string& text) {
    prompter_.Tell(icon, text);
}

void WindowUpdateUi::Status(const std::string& text) {
    QFont font = statusBar_->font();
    font.setBold(false);
    statusBar_->setFont(font);
    statusBar_->showMessage(FromBytes(text));
}

void WindowUpdateUi::BoldStatus(const std::string& text) {
    QFont font = statusBar_->font();
    font.setBold(true);
    statusBar_->setFont(font);
    statusBar_->showMessage(FromBytes(text));
    boldTimer_->start();
}

void WindowUpdateUi::OpenAddress(const std::string& address) {
    std::string error;
    if (!OpenWithDesktop(address, error))
        prompter_.Tell(MessageIcon::Error, "Could not open " + address + ": " + error);
}

} // namespace siteherald::ui
