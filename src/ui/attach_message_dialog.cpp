#include "attach_message_dialog.h"

#include "widgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace siteherald::ui {

AttachMessageDialog::AttachMessageDialog(QWidget* parent) : QDialog(parent, Qt::Tool) {
    setObjectName(QStringLiteral("TForm4"));
    setModal(true);
    setSizeGripEnabled(true);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->installEventFilter(this);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Button1 = NamedButton(QStringLiteral("Button1"), QStringLiteral("&Attach"),
                          QStringLiteral("Attach message"), this);
    Button1->setEnabled(false);
    Button2 = NamedButton(QStringLiteral("Button2"), QStringLiteral("&Cancel"),
                          QStringLiteral("Discard changes"), this);
    connect(Edit1, &QLineEdit::textChanged, this, &AttachMessageDialog::UpdateButton);
    connect(Memo1, &QPlainTextEdit::textChanged, this, &AttachMessageDialog::UpdateButton);
    connect(Button1, &QPushButton::clicked, this, &AttachMessageDialog::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Subject:"), this), 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Message:"), this), 1, 0, Qt::AlignTop);
    grid->addWidget(Memo1, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->setRowStretch(1, 1);
    resize(420, 320);
}

void AttachMessageDialog::showEvent(QShowEvent* event) {
    Edit1->setEnabled(!Editing);
    setWindowTitle(Editing ? QStringLiteral("Edit Message") : QStringLiteral("Attach Message"));
    Button1->setText(Editing ? QStringLiteral("&OK") : QStringLiteral("&Attach"));
    UpdateButton();
    (Editing ? static_cast<QWidget*>(Memo1) : Edit1)->setFocus();
    QDialog::showEvent(event);
}

bool AttachMessageDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && IsEnterPress(event)) {
        if (Button1->isEnabled())
            Button1->click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void AttachMessageDialog::UpdateButton() {
    Button1->setEnabled(!Edit1->text().isEmpty() && !Memo1->toPlainText().isEmpty());
}

void AttachMessageDialog::Button1Click() {
    const bool stored = Store && Store();
    if (AfterStore)
        AfterStore();
    if (stored)
        accept();
}

} // namespace siteherald::ui
