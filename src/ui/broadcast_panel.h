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

    // The mailing lists added while the program runs.
    const LineList& mailingListLines() const { return mailingListLines_; }

private slots:
    void onSendClicked();
    void onCancelClicked();
    void onAddListClicked();
    void onEditListClicked();
    void onRemoveListClicked();
    void onAddNewsgroupClicked();
    void onEditNewsgroupClicked();
    void onRemoveNewsgroupClicked();
    void onMessageChosen(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateListButtons();
    void UpdateNewsgroupButtons();

    LineList mailingListLines_;

    QComboBox* messageChoice_ = nullptr;
    QPlainTextEdit* messagePreview_ = nullptr;
    QPushButton* sendButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QListWidget* mailingListBox_ = nullptr;
    QPushButton* addListButton_ = nullptr;
    QPushButton* editListButton_ = nullptr;
    QPushButton* removeListButton_ = nullptr;
    QListWidget* newsgroupBox_ = nullptr;
    QPushButton* addNewsgroupButton_ = nullptr;
    QPushButton* editNewsgroupButton_ = nullptr;
    QPushButton* removeNewsgroupButton_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    MailingListDialog* mailingListDialog_ = nullptr;

    BroadcastSender& sender_;
    Context context_;
};

} // namespace siteherald::ui
