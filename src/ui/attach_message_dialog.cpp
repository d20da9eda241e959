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
    subjectEdit_ = new QLineEdit(this);
    subjectEdit_->setObjectName(QStringLiteral("Edit1"));
    subjectEdit_->installEventFilter(this);
    messageEdit_ = new QPlainTextEdit(this);
    messageEdit_->setObjectName(QStringLiteral("Memo1"));
    storeButton_ = NamedButton(QStringLiteral("Button1"), QStringLiteral("&Attach"),
                               QStringLiteral("Attach message"), this);
    storeButton_->setEnabled(false);
    cancelButton_ = NamedButton(QStringLiteral("Button2"), QStringLiteral("&Cancel"),
                                QStringLiteral("Discard changes"), this);
    connect(subjectEdit_, &QLineEdit::textChanged, this, &AttachMessageDialog::UpdateButton);
    connect(messageEdit_, &QPlainTextEdit::textChanged, this, &AttachMessageDialog::UpdateButton);
    connect(storeButton_, &QPushButton::clicked, this, &AttachMessageDialog::onStoreClicked);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Subject:"), this), 0, 0);
    grid->addWidget(subjectEdit_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Message:"), this), 1, 0, Qt::AlignTop);
    grid->addWidget(messageEdit_, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(storeButton_);
    buttons->addWidget(cancelButton_);
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->setRowStretch(1, 1);
    resize(420, 320);
}

void AttachMessageDialog::showEvent(QShowEvent* event) {
    subjectEdit_->setEnabled(!Editing);
    setWindowTitle(Editing ? QStringLiteral("Edit Message") : QStringLiteral("Attach Message"));
    storeButton_->setText(Editing ? QStringLiteral("&OK") : QStringLiteral("&Attach"));
    UpdateButton();
    (Editing ? static_cast<QWidget*>(messageEdit_) : subjectEdit_)->setFocus();
    QDialog::showEvent(event);
}

bool AttachMessageDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == subjectEdit_ && IsEnterPress(event)) {
        if (storeButton_->isEnabled())
            storeButton_->click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void AttachMessageDialog::UpdateButton() {
    storeButton_->setEnabled(!subjectEdit_->text().isEmpty() &&
                             !messageEdit_->toPlainText().isEmpty());
}

void AttachMessageDialog::onStoreClicked() {
    const bool stored = Store && Store();
    if (AfterStore)
        AfterStore();
    if (stored)
        accept();
}

} // namespace siteherald::ui
