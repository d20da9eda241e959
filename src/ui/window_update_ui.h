#pragma once

#include "message_box.h"
#include "net/update_ui.h"

#include <functional>

class QStatusBar;
class QTimer;

namespace siteherald::ui {

// The version check's and data update's view of the main window: its status bar, its
// message boxes, the desktop's address opener, and the engine lists to refill.
class WindowUpdateUi : public UpdateUi {
public:
    WindowUpdateUi(QWidget* window, QStatusBar* statusBar, QTimer* boldTimer,
                   std::function<void()> quit, std::function<void()> enginesChanged);

    bool AskYesNo(MessageIcon icon, const std::string& text) override;
    void Tell(MessageIcon icon, const std::string& text) override;
    void Status(const std::string& text) override;
    void BoldStatus(const std::string& text) override;
    void OpenAddress(const std::string& address) override;
    void RequestQuit() override { quit_(); }
    void EnginesChanged() override { enginesChanged_(); }

private:
    BoxPrompter prompter_;
    QStatusBar* statusBar_;
    QTimer* boldTimer_;
    std::function<void()> quit_;
    std::function<void()> enginesChanged_;
};

} // namespace siteherald::ui
