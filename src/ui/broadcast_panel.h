#pragma once

#include "core/line_file.h"

#include <QGroupBox>
#include <functional>

class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace siteherald {
class BroadcastSender;
}

namespace siteherald::ui {

class MailingListDialog;

// The mailing lists, newsgroups and message of the "Promote..." tab, and the run that sends
// the message to them. Lists and newsgroups live while the program runs; they are not saved.
class BroadcastPanel : public QGroupBox {
    Q_OBJECT
public:
    struct Context {
        std::function<const LineList&()> currentFileLines; // the current submission file
        std::function<QString()> currentFile;              // its path
        std::function<void(const QString&)> status;        // the status bar's text
        std::function<void(const QString&)> progress;      // "n of m", empty when idle
    };
    BroadcastPanel(BroadcastSender& sender, Context context, QWidget* parent);

    // Lists the messages of the current submission file.
    void AddMessages();

    LineList MailingListLines;

    QComboBox* ComboBox6 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button54 = nullptr; // "Send Message"
    QPushButton* Button22 = nullptr; // "Cancel"
    QListWidget* ListBox3 = nullptr; // mailing lists
    QPushButton* Button48 = nullptr;
    QPushButton* Button52 = nullptr;
    QPushButton* Button49 = nullptr;
    QListWidget* ListBox2 = nullptr; // newsgroups
    QPushButton* Button19 = nullptr;
    QPushButton* Button20 = nullptr;
    QPushButton* Button21 = nullptr;
    QMenu* PopupMenu4 = nullptr;
    MailingListDialog* Form10 = nullptr;

public slots:
    void Button54Click();
    void Button22Click();
    void Button48Click();
    void Button52Click();
    void Button49Click();
    void Button19Click();
    void Button20Click();
    void Button21Click();
    void ComboBox6Change(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateListButtons();
    void UpdateNewsgroupButtons();

    BroadcastSender& sender_;
    Context context_;
};

} // namespace siteherald::ui
