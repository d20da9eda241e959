#include "support_dialog.h"

#include "broadcast/broadcast_run.h"
#include "broadcast/identity.h"
#include "broadcast/support_message.h"
#include "core/product_defaults.h"
#include "core/settings_keys.h"
#include "core/settings_store.h"
#include "keyring/keyring.h"
#include "message_box.h"
#include "text_codec.h"
#include "widgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace siteherald::ui {

SupportDialog::SupportDialog(BroadcastSender& sender, QWidget* parent)
    : QDialog(parent), sender_(sender) {
    setObjectName(QStringLiteral("TForm14"));
    setWindowTitle(QStringLiteral("E-mail Support"));
    setModal(true);
    nameEdit_ = new QLineEdit(this);
    nameEdit_->setObjectName(QStringLiteral("Edit1"));
    emailEdit_ = new QLineEdit(this);
    emailEdit_->setObjectName(QStringLiteral("Edit2"));
    kindCombo_ = new QComboBox(this);
    kindCombo_->setObjectName(QStringLiteral("ComboBox1"));
    kindCombo_->addItems({QStringLiteral("Question"), QStringLiteral("Comment"),
                          QStringLiteral("Problem"), QStringLiteral("Differrent Message")});
    messageEdit_ = new QPlainTextEdit(this);
    messageEdit_->setObjectName(QStringLiteral("Memo1"));
    statusLabel_ = new QLabel(this);
    statusLabel_->setObjectName(QStringLiteral("Label5"));
    sendButton_ = NamedButton(QStringLiteral("Button2"), QStringLiteral("&Send"),
                              QStringLiteral("Send message to support"), this);
    closeButton_ = NamedButton(QStringLiteral("Button1"), QStringLiteral("&Close"),
                               QStringLiteral("Close"), this);
    for (QWidget* w : std::initializer_list<QWidget*>{nameEdit_, emailEdit_, kindCombo_})
        w->installEventFilter(this);
    connect(sendButton_, &QPushButton::clicked, this, &SupportDialog::onSendClicked);
    connect(closeButton_, &QPushButton::clicked, this, &SupportDialog::close);
    statusClearTimer_.setInterval(3000);
    statusClearTimer_.setSingleShot(true);
    connect(&statusClearTimer_, &QTimer::timeout, statusLabel_, &QLabel::clear);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Name:"), this), 0, 0);
    grid->addWidget(nameEdit_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("E-mail Address:"), this), 1, 0);
    grid->addWidget(emailEdit_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("I have a:"), this), 2, 0);
    grid->addWidget(kindCombo_, 2, 1);
    grid->addWidget(
        new QLabel(QStringLiteral("Your message: (Please be specific when reporting a problem.)"),
                   this),
        3, 0, 1, 2);
    grid->addWidget(messageEdit_, 4, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(statusLabel_, 1);
    buttons->addWidget(sendButton_);
    buttons->addWidget(closeButton_);
    grid->addLayout(buttons, 5, 0, 1, 2);
    grid->setRowStretch(4, 1);
    resize(460, 380);
}

void SupportDialog::showEvent(QShowEvent* event) {
    nameEdit_->setText(FromBytes(Read(settings::SenderName)));
    emailEdit_->setText(FromBytes(Read(settings::SenderEmail)));
    kindCombo_->setCurrentIndex(0);
    messageEdit_->clear();
    QDialog::showEvent(event);
}

bool SupportDialog::eventFilter(QObject* watched, QEvent* event) {
    if (IsEnterPress(event)) {
        if (sendButton_->isEnabled())
            sendButton_->click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void SupportDialog::closeEvent(QCloseEvent* event) {
    if (!closeButton_->isEnabled()) {
        event->ignore(); // a send is in progress
        return;
    }
    QDialog::closeEvent(event);
}

void SupportDialog::reject() {
    if (closeButton_->isEnabled())
        QDialog::reject();
}

void SupportDialog::onSendClicked() {
    const auto refuse = [this](const QString& text, QWidget* focus) {
        MessageBoxes::Show(this, MessageIcon::Warning, text, Buttons::Ok);
        focus->setFocus();
    };
    if (nameEdit_->text().isEmpty())
        return refuse(QStringLiteral("Please type in your name."), nameEdit_);
    if (emailEdit_->text().isEmpty())
        return refuse(QStringLiteral("Please type in your e-mail address."), emailEdit_);
    if (messageEdit_->toPlainText().isEmpty())
        return refuse(QStringLiteral("Please type a message."), messageEdit_);
    if (sender_.Busy()) {
        statusLabel_->setText(
            QStringLiteral("A message is being sent; please try again when it is done."));
        return;
    }

    const Identity identity = ReadIdentity();
    KeyringPasswordSource passwords;
    const RunLogins logins = LookUpLogins(identity, true, false, passwords);
    if (!logins.problem.empty())
        return refuse(FromBytes(logins.problem), sendButton_);

    SupportRequest request{ToBytes(nameEdit_->text()), ToBytes(emailEdit_->text()),
                           ToBytes(kindCombo_->currentText()),
                           TextLines(messageEdit_->toPlainText())};
    PrepareSupportMail(sender_.Mail1, request,
                       SupportMessageBody(request, SettingsFilePath(), "."));
    sender_.ConfigureMail(identity, logins.mail);
    closeButton_->setEnabled(false);
    sendButton_->setEnabled(false);
    statusLabel_->setText(QStringLiteral("Sending message to support..."));
    const SendOutcome outcome =
        sender_.SendMail([] { QApplication::processEvents(QEventLoop::AllEvents, 15); });
    if (outcome.sent) {
        statusLabel_->setText(QStringLiteral("Message sent."));
        statusClearTimer_.start();
    } else {
        MessageBoxes::Show(
            this, MessageIcon::Information,
            QStringLiteral("Siteherald was unable to send your message to support. Please send "
                           "it via an e-mail client to \"") +
                FromBytes(std::string(kSupportEmail)) + QStringLiteral("\" or try again later."),
            Buttons::Ok);
        statusLabel_->clear();
    }
    closeButton_->setEnabled(true);
    sendButton_->setEnabled(true);
}

} // namespace siteherald::ui
