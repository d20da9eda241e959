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

    // The owner fills and reads the message here.
    QLineEdit* subjectEdit_ = nullptr;
    QPlainTextEdit* messageEdit_ = nullptr;
    bool Editing = false;

    // Stores the message; false keeps the window open. Set by the main window.
    std::function<bool()> Store;
    // After every press of "&Attach" or "&OK", successful or not.
    std::function<void()> AfterStore;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateButton();
    void onStoreClicked();

    QPushButton* storeButton_ = nullptr; // "&Attach", or "&OK" when editing
    QPushButton* cancelButton_ = nullptr;
};

} // namespace siteherald::ui
