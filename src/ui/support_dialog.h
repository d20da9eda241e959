#pragma once

#include <QDialog>
#include <QTimer>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace siteherald {
class BroadcastSender;
}

namespace siteherald::ui {

// "E-mail Support": a message to the maker's support, with the settings and data files
// attached, sent while the window stays usable.
class SupportDialog : public QDialog {
    Q_OBJECT
public:
    SupportDialog(BroadcastSender& sender, QWidget* parent);

    QLineEdit* Edit1 = nullptr;      // name
    QLineEdit* Edit2 = nullptr;      // e-mail address
    QComboBox* ComboBox1 = nullptr;  // kind of message
    QPlainTextEdit* Memo1 = nullptr; // the message
    QLabel* Label5 = nullptr;        // status
    QPushButton* Button1 = nullptr;  // "&Close"
    QPushButton* Button2 = nullptr;  // "&Send"
    QTimer Timer1;

public slots:
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    BroadcastSender& sender_;
};

} // namespace siteherald::ui
