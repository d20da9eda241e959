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

public slots:
    void onSendClicked();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    BroadcastSender& sender_;
    QLineEdit* nameEdit_ = nullptr;
    QLineEdit* emailEdit_ = nullptr;
    QComboBox* kindCombo_ = nullptr; // "I have a:"
    QPlainTextEdit* messageEdit_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QPushButton* sendButton_ = nullptr;
    QTimer statusClearTimer_;
};

} // namespace siteherald::ui
