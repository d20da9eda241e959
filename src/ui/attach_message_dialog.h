#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace siteherald::ui {

// "Attach Message": the subject and text of one message of the file being edited. Adding
// takes a new subject; editing keeps the subject and changes the text.
class AttachMessageDialog : public QDialog {
    Q_OBJECT
public:
    explicit AttachMessageDialog(QWidget* parent);

    QLineEdit* Edit1 = nullptr;      // subject
    QPlainTextEdit* Memo1 = nullptr; // message
    QPushButton* Button1 = nullptr;  // "&Attach" / "&OK"
    QPushButton* Button2 = nullptr;  // "&Cancel"
    bool Editing = false;

    // Stores the message; false keeps the window open. Set by the main window.
    std::function<bool()> Store;
    // After every press of Button1, successful or not.
    std::function<void()> AfterStore;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateButton();
    void Button1Click();
};

} // namespace siteherald::ui
