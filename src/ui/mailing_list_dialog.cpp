#include "mailing_list_dialog.h"

#include "broadcast/mailing_lists.h"
#include "event_guard.h"
#include "file_dialogs.h"
#include "sorted_list.h"
#include "text_codec.h"
#include "widgets.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

namespace siteherald::ui {

MailingListDialog::MailingListDialog(LineList& store, QListWidget* names, QWidget* parent)
    : QDialog(parent), store_(store), names_(names) {
    setObjectName(QStringLiteral("TForm10"));
    setWindowTitle(QStringLiteral("Add Mailing List"));
    setModal(true);
    listNameEdit_ = new QLineEdit(this);
    listNameEdit_->setObjectName(QStringLiteral("Edit1"));
    listNameEdit_->installEventFilter(this);
    addressesEdit_ = new QPlainTextEdit(this);
    addressesEdit_->setObjectName(QStringLiteral("Memo1"));
    addressesEdit_->setLineWrapMode(QPlainTextEdit::NoWrap);
    exampleText_ = new QPlainTextEdit(this);
    exampleText_->setObjectName(QStringLiteral("Memo2"));
    exampleText_->setReadOnly(true);
    QStringList example;
    for (int i = 1; i <= 10; ++i)
        example << QStringLiteral("visitor%1@example.com").arg(i);
    exampleText_->setPlainText(example.join(QLatin1Char('\n')));
    openFileButton_ =
        NamedButton(QStringLiteral("Button1"), QStringLiteral("&Open Text File"), {}, this);
    saveAsButton_ = NamedButton(QStringLiteral("Button2"), QStringLiteral("&Save As"),
                                QStringLiteral("Save e-mail addresses to text file"), this);
    okButton_ = NamedButton(QStringLiteral("Button4"), QStringLiteral("&OK"),
                            QStringLiteral("Save mailing list"), this);
    cancelButton_ = NamedButton(QStringLiteral("Button3"), QStringLiteral("&Cancel"),
                                QStringLiteral("Discard changes"), this);
    connect(openFileButton_, &QPushButton::clicked, this,
            [this] { Guard(this, [this] { onOpenFileClicked(); }); });
    connect(saveAsButton_, &QPushButton::clicked, this,
            [this] { Guard(this, [this] { onSaveAsClicked(); }); });
    connect(okButton_, &QPushButton::clicked, this, &MailingListDialog::onOkClicked);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Mailing List Name:"), this), 0, 0);
    grid->addWidget(listNameEdit_, 0, 1);
    grid->addWidget(
        new QLabel(QStringLiteral("Enter e-mail addresses below. (Only one per line.)"), this), 1,
        0, 1, 2);
    grid->addWidget(addressesEdit_, 2, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Example:"), this), 1, 2);
    grid->addWidget(exampleText_, 2, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(openFileButton_);
    buttons->addWidget(saveAsButton_);
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    grid->addLayout(buttons, 3, 0, 1, 3);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(1, 1);
    resize(560, 340);
}

void MailingListDialog::showEvent(QShowEvent* event) {
    editing_ = !listNameEdit_->text().isEmpty();
    nameAtOpening_ = listNameEdit_->text();
    QDialog::showEvent(event);
}

void MailingListDialog::done(int result) {
    addressesEdit_->clear();
    listNameEdit_->clear();
    QDialog::done(result);
}

bool MailingListDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == listNameEdit_ && IsEnterPress(event)) {
        okButton_->click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

LineList MailingListDialog::Addresses() const {
    return TextLines(addressesEdit_->toPlainText());
}

void MailingListDialog::onOpenFileClicked() {
    const QString path = FileDialogs::OpenTextFile(this);
    if (path.isEmpty())
        return;
    LineList lines;
    if (!LoadLineFile(ToBytes(path), lines))
        throw FileError("Unable to read " + ToBytes(path) + ": No such file", ToBytes(path));
    // A list being edited keeps its name; a new one is named after the file.
    if (!listNameEdit_->isReadOnly()) {
        const QString fileName = QFileInfo(path).fileName();
        listNameEdit_->setText(fileName.left(std::max<qsizetype>(0, fileName.size() - 4)));
    }
    addressesEdit_->setPlainText(JoinedText(lines));
}

void MailingListDialog::onSaveAsClicked() {
    const QString path = FileDialogs::SaveTextFile(this, listNameEdit_->text());
    if (path.isEmpty())
        return;
    SaveLineFile(ToBytes(path), Addresses());
}

void MailingListDialog::onOkClicked() {
    const QString name = listNameEdit_->text();
    if (name.isEmpty()) {
        MessageBoxes::Show(this, MessageIcon::Warning,
                           QStringLiteral("You must enter a mailing list name."), Buttons::Ok);
        return;
    }
    if (name != nameAtOpening_) {
        for (int i = 0; i < names_->count(); ++i) {
            if (names_->item(i)->text() == name) {
                MessageBoxes::Show(this, MessageIcon::Warning,
                                   QStringLiteral("That mailing list name is already being used. "
                                                  "Please choose another."),
                                   Buttons::Ok);
                return;
            }
        }
    }
    const LineList addresses = Addresses();
    if (addresses.empty()) {
        MessageBoxes::Show(this, MessageIcon::Warning,
                           QStringLiteral("You must enter e-mail addresses."), Buttons::Ok);
        return;
    }
    const std::string listName = ToBytes(name);
    if (editing_) {
        if (!RemoveMailingList(store_, listName)) {
            accept();
            return;
        }
    } else {
        InsertSorted(names_, name);
    }
    AppendMailingList(store_, listName, addresses);
    accept();
}

} // namespace siteherald::ui
