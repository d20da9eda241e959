#include "support_dialog.h"

#include "broadcast/broadcast_run.h"
#include "broadcast/identity.h"
#include "broadcast/support_message.h"
#include "core/product_defaults.h"
#include "core/settings_store.h"
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
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({QStringLiteral("Question"), QStringLiteral("Comment"),
                         QStringLiteral("Problem"), QStringLiteral("Differrent Message")});
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Label5 = new QLabel(this);
    Label5->setObjectName(QStringLiteral("Label5"));
    Button2 = NamedButton(QStringLiteral("Button2"), QStringLiteral("&Send"),
                          QStringLiteral("Send message to support"), this);
    Button1 = NamedButton(QStringLiteral("Button1"), QStringLiteral("&Close"),
                          QStringLiteral("Close"), this);
    for (QWidget* w : std::initializer_list<QWidget*>{Edit1, Edit2, ComboBox1})
        w->installEventFilter(this);
    connect(Button2, &QPushButton::clicked, this, &SupportDialog::Button2Click);
    connect(Button1, &QPushButton::clicked, this, &SupportDialog::close);
    Timer1.setInterval(3000);
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, Label5, &QLabel::clear);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Name:"), this), 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("E-mail Address:"), this), 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("I have a:"), this), 2, 0);
    grid->addWidget(ComboBox1, 2, 1);
    grid->addWidget(
        new QLabel(QStringLiteral("Your message: (Please be specific when reporting a problem.)"),
                   this),
        3, 0, 1, 2);
    grid->addWidget(Memo1, 4, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Label5, 1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    grid->addLayout(buttons, 5, 0, 1, 2);
    grid->setRowStretch(4, 1);
    resize(460, 380);
}

void SupportDialog::showEvent(QShowEvent* event) {
    Edit1->setText(FromBytes(IniReadString("Identity", "Name", "")));
    Edit2->setText(FromBytes(IniReadString("Identity", "Email", "")));
    ComboBox1->setCurrentIndex(0);
    Memo1->clear();
    QDialog::showEvent(event);
}

bool SupportDialog::eventFilter(QObject* watched, QEvent* event) {
    if (IsEnterPress(event)) {
        if (Button2->isEnabled())
            Button2->click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void SupportDialog::closeEvent(QCloseEvent* event) {
    if (!Button1->isEnabled()) {
        event->ignore(); // a send is in progress
        return;
    }
    QDialog::closeEvent(event);
}

void SupportDialog::reject() {
    if (Button1->isEnabled())
        QDialog::reject();
}

void SupportDialog::Button2Click() {
    const auto refuse = [this](const QString& text, QWidget* focus) {
        MessageBoxes::Show(this, MessageIcon::Warning, text, Buttons::Ok);
        focus->setFocus();
    };
    if (Edit1->text().isEmpty())
        return refuse(QStringLiteral("Please type in your name."), Edit1);
    if (Edit2->text().isEmpty())
        return refuse(QStringLiteral("Please type in your e-mail address."), Edit2);
    if (Memo1->toPlainText().isEmpty())
        return refuse(QStringLiteral("Please type a message."), Memo1);
    if (sender_.Busy()) {
        Label5->setText(
            QStringLiteral("A message is being sent; please try again when it is done."));
        return;
    }

    SupportRequest request{ToBytes(Edit1->text()), ToBytes(Edit2->text()),
                           ToBytes(ComboBox1->currentText()), TextLines(Memo1->toPlainText())};
    PrepareSupportMail(sender_.Mail1, request, SupportMessageBody(request, SettingsFilePath(), "."),
                       ReadIdentity().MailServer);
    Button1->setEnabled(false);
    Button2->setEnabled(false);
    Label5->setText(QStringLiteral("Sending message to support..."));
    const SendOutcome outcome =
        sender_.SendMail([] { QApplication::processEvents(QEventLoop::AllEvents, 15); });
    if (outcome.sent) {
        Label5->setText(QStringLiteral("Message sent."));
        Timer1.start();
    } else {
        MessageBoxes::Show(
            this, MessageIcon::Information,
            QStringLiteral("Siteherald was unable to send your message to support. Please send "
                           "it via an e-mail client to \"") +
                FromBytes(std::string(kSupportEmail)) + QStringLiteral("\" or try again later."),
            Buttons::Ok);
        Label5->clear();
    }
    Button1->setEnabled(true);
    Button2->setEnabled(true);
}

} // namespace siteherald::ui
