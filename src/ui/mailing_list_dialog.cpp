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
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->installEventFilter(this);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo2 = new QPlainTextEdit(this);
    Memo2->setObjectName(QStringLiteral("Memo2"));
    Memo2->setReadOnly(true);
    QStringList example;
    for (int i = 1; i <= 10; ++i)
        example << QStringLiteral("visitor%1@example.com").arg(i);
    Memo2->setPlainText(example.join(QLatin1Char('\n')));
    Button1 = NamedButton(QStringLiteral("Button1"), QStringLiteral("&Open Text File"), {}, this);
    Button2 = NamedButton(QStringLiteral("Button2"), QStringLiteral("&Save As"),
                          QStringLiteral("Save e-mail addresses to text file"), this);
    Button4 = NamedButton(QStringLiteral("Button4"), QStringLiteral("&OK"),
                          QStringLiteral("Save mailing list"), this);
    Button3 = NamedButton(QStringLiteral("Button3"), QStringLiteral("&Cancel"),
                          QStringLiteral("Discard changes"), this);
    connect(Button1, &QPushButton::clicked, this,
            [this] { Guard(this, [this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this,
            [this] { Guard(this, [this] { Button2Click(); }); });
    connect(Button4, &QPushButton::clicked, this, &MailingListDialog::Button4Click);
    connect(Button3, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Mailing List Name:"), this), 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(
        new QLabel(QStringLiteral("Enter e-mail addresses below. (Only one per line.)"), this), 1,
        0, 1, 2);
    grid->addWidget(Memo1, 2, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Example:"), this), 1, 2);
    grid->addWidget(Memo2, 2, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addStretch();
    buttons->addWidget(Button4);
    buttons->addWidget(Button3);
    grid->addLayout(buttons, 3, 0, 1, 3);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(1, 1);
    resize(560, 340);
}

void MailingListDialog::showEvent(QShowEvent* event) {
    editing_ = !Edit1->text().isEmpty();
    nameAtOpening_ = Edit1->text();
    QDialog::showEvent(event);
}

void MailingListDialog::done(int result) {
    Memo1->clear();
    Edit1->clear();
    QDialog::done(result);
}

bool MailingListDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && IsEnterPress(event)) {
        Button4->click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

LineList MailingListDialog::Addresses() const {
    return TextLines(Memo1->toPlainText());
}

void MailingListDialog::Button1Click() {
    const QString path = FileDialogs::OpenTextFile(this);
    if (path.isEmpty())
        return;
    LineList lines;
    if (!LoadLineFile(ToBytes(path), lines))
        throw FileError("Unable to read " + ToBytes(path) + ": No such file", ToBytes(path));
    // A list being edited keeps its name; a new one is named after the file.
    if (!Edit1->isReadOnly()) {
        const QString fileName = QFileInfo(path).fileName();
        Edit1->setText(fileName.left(std::max<qsizetype>(0, fileName.size() - 4)));
    }
    Memo1->setPlainText(JoinedText(lines));
}

void MailingListDialog::Button2Click() {
    const QString path = FileDialogs::SaveTextFile(this, Edit1->text());
    if (path.isEmpty())
        return;
    SaveLineFile(ToBytes(path), Addresses());
}

void MailingListDialog::Button4Click() {
    const QString name = Edit1->text();
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
