#pragma once

#include "core/line_file.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace siteherald::ui {

// "Add Mailing List": a list's name and its addresses, one per line. It adds a list when its
// name box is empty on showing, else it edits that list.
class MailingListDialog : public QDialog {
    Q_OBJECT
public:
    // `store` is the mailing-list store and `names` the list of list names it belongs to.
    MailingListDialog(LineList& store, QListWidget* names, QWidget* parent);

    QLineEdit* Edit1 = nullptr;      // list name
    QPlainTextEdit* Memo1 = nullptr; // addresses
    QPlainTextEdit* Memo2 = nullptr; // example
    QPushButton* Button1 = nullptr;  // "&Open Text File"
    QPushButton* Button2 = nullptr;  // "&Save As"
    QPushButton* Button3 = nullptr;  // "&Cancel"
    QPushButton* Button4 = nullptr;  // "&OK"

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Button1Click();
    void Button2Click();
    void Button4Click();
    LineList Addresses() const;

    LineList& store_;
    QListWidget* names_;
    bool editing_ = false;
    QString nameAtOpening_;
};

} // namespace siteherald::ui
