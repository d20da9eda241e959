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

    // The owner fills these before showing the dialog to edit a list.
    QLineEdit* listNameEdit_ = nullptr;
    QPlainTextEdit* addressesEdit_ = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onOpenFileClicked();
    void onSaveAsClicked();
    void onOkClicked();
    LineList Addresses() const;

    QPlainTextEdit* exampleText_ = nullptr;
    QPushButton* openFileButton_ = nullptr;
    QPushButton* saveAsButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* okButton_ = nullptr;

    LineList& store_;
    QListWidget* names_;
    bool editing_ = false;
    QString nameAtOpening_;
};

} // namespace siteherald::ui
