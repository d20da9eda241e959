#include "broadcast_panel.h"

#include "broadcast/attached_messages.h"
#include "broadcast/broadcast_log.h"
#include "broadcast/broadcast_run.h"
#include "broadcast/mailing_lists.h"
#include "event_guard.h"
#include "input_box.h"
#include "mailing_list_dialog.h"
#include "sorted_list.h"
#include "text_codec.h"
#include "widgets.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace siteherald::ui {

namespace {

QString Question(const QString& lead, const QString& name) {
    return lead + QStringLiteral(" \"") + name + QStringLiteral("\"?");
}

} // namespace

BroadcastPanel::BroadcastPanel(BroadcastSender& sender, Context context, QWidget* parent)
    : QGroupBox(QStringLiteral("Mailing Lists and Newsgroups"), parent), sender_(sender),
      context_(std::move(context)) {
    setObjectName(QStringLiteral("Panel32"));
    ComboBox6 = new QComboBox(this);
    ComboBox6->setObjectName(QStringLiteral("ComboBox6"));
    ComboBox6->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBox6->setMinimumContentsLength(16);
    Button54 = NamedButton(QStringLiteral("Button54"), QStringLiteral("Send Message"),
                           QStringLiteral("Sends your message"), this);
    Button22 = NamedButton(QStringLiteral("Button22"), QStringLiteral("Cancel"), {}, this);
    Button22->hide();
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);

    ListBox3 = new QListWidget(this);
    ListBox3->setObjectName(QStringLiteral("ListBox3"));
    Button48 = NamedButton(QStringLiteral("Button48"), QStringLiteral("Add"),
                           QStringLiteral("Adds a Mailing List"), this);
    Button52 = NamedButton(QStringLiteral("Button52"), QStringLiteral("Edit"),
                           QStringLiteral("Edits the selected Mailing List"), this);
    Button49 = NamedButton(QStringLiteral("Button49"), QStringLiteral("Remove"),
                           QStringLiteral("Removes the selected Mailing List"), this);
    ListBox2 = new QListWidget(this);
    ListBox2->setObjectName(QStringLiteral("ListBox2"));
    Button19 = NamedButton(QStringLiteral("Button19"), QStringLiteral("Add"),
                           QStringLiteral("Adds a Newsgroup"), this);
    Button20 = NamedButton(QStringLiteral("Button20"), QStringLiteral("Edit"),
                           QStringLiteral("Edits the selected Newsgroup"), this);
    Button21 = NamedButton(QStringLiteral("Button21"), QStringLiteral("Remove"),
                           QStringLiteral("Removes the selected Newsgroup"), this);
    for (QPushButton* b : {Button52, Button49, Button20, Button21})
        b->setEnabled(false);
    for (QListWidget* list : {ListBox3, ListBox2})
        list->installEventFilter(this);
    Form10 = new MailingListDialog(MailingListLines, ListBox3, this);

    connect(ComboBox6, &QComboBox::activated, this, &BroadcastPanel::ComboBox6Change);
    connect(Button54, &QPushButton::clicked, this, &BroadcastPanel::Button54Click);
    connect(Button22, &QPushButton::clicked, this, &BroadcastPanel::Button22Click);
    connect(Button48, &QPushButton::clicked, this, &BroadcastPanel::Button48Click);
    connect(Button52, &QPushButton::clicked, this, &BroadcastPanel::Button52Click);
    connect(Button49, &QPushButton::clicked, this, &BroadcastPanel::Button49Click);
    connect(Button19, &QPushButton::clicked, this, &BroadcastPanel::Button19Click);
    connect(Button20, &QPushButton::clicked, this, &BroadcastPanel::Button20Click);
    connect(Button21, &QPushButton::clicked, this, &BroadcastPanel::Button21Click);
    connect(ListBox3, &QListWidget::itemClicked, this, &BroadcastPanel::UpdateListButtons);
    connect(ListBox3, &QListWidget::currentRowChanged, this, &BroadcastPanel::UpdateListButtons);
    connect(ListBox3, &QListWidget::itemDoubleClicked, this, &BroadcastPanel::Button52Click);
    connect(ListBox2, &QListWidget::itemClicked, this, &BroadcastPanel::UpdateNewsgroupButtons);
    connect(ListBox2, &QListWidget::currentRowChanged, this,
            &BroadcastPanel::UpdateNewsgroupButtons);
    connect(ListBox2, &QListWidget::itemDoubleClicked, this, &BroadcastPanel::Button20Click);

    PopupMenu4 = new QMenu(this);
    PopupMenu4->setObjectName(QStringLiteral("PopupMenu4"));
    PopupMenu4->addAction(QStringLiteral("Add &E-mail Address"), this,
                          &BroadcastPanel::Button48Click);
    PopupMenu4->addAction(QStringLiteral("Add &Newsgroup"), this, &BroadcastPanel::Button19Click);
    PopupMenu4->addSeparator();
    PopupMenu4->addAction(QStringLiteral("&Send Message"), this, &BroadcastPanel::Button54Click);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu4->popup(mapToGlobal(at)); });

    auto* messageRow = new QHBoxLayout;
    messageRow->addWidget(new QLabel(QStringLiteral("Currently selected message:"), this));
    messageRow->addWidget(ComboBox6, 1);
    messageRow->addWidget(Button54);
    messageRow->addWidget(Button22);

    auto* lists = new QGridLayout;
    auto* label37 = new QLabel(QStringLiteral("Send e-mail to these mailing lists."), this);
    label37->setObjectName(QStringLiteral("Label37"));
    auto* label7 = new QLabel(QStringLiteral("Send message to these newsgroups."), this);
    label7->setObjectName(QStringLiteral("Label7"));
    lists->addWidget(label37, 0, 0);
    lists->addWidget(label7, 0, 1);
    lists->addWidget(ListBox3, 1, 0);
    lists->addWidget(ListBox2, 1, 1);
    auto* listButtons = new QHBoxLayout;
    for (QPushButton* b : {Button48, Button52, Button49})
        listButtons->addWidget(b);
    auto* groupButtons = new QHBoxLayout;
    for (QPushButton* b : {Button19, Button20, Button21})
        groupButtons->addWidget(b);
    lists->addLayout(listButtons, 2, 0);
    lists->addLayout(groupButtons, 2, 1);
    auto* label10 =
        new QLabel(QStringLiteral("Siteherald can send a message to a maximum of 25 e-mail "
                                  "addresses and 10 newsgroups in order to prevent spamming."),
                   this);
    label10->setObjectName(QStringLiteral("Label10"));
    label10->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(messageRow);
    Memo1->setMaximumHeight(Memo1->fontMetrics().lineSpacing() * 6);
    layout->addWidget(Memo1);
    layout->addLayout(lists, 1);
    layout->addWidget(label10);
}

void BroadcastPanel::AddMessages() {
    Memo1->clear();
    const QSignalBlocker quiet(ComboBox6);
    ComboBox6->clear();
    for (const std::string& subject : MessageSubjects(context_.currentFileLines()))
        InsertSorted(ComboBox6, FromBytes(subject));
    ComboBox6->setCurrentIndex(-1);
}

void BroadcastPanel::ComboBox6Change(int index) {
    if (index < 0)
        return;
    const std::string subject = ToBytes(ComboBox6->itemText(index));
    const auto text = ReturnMessage(context_.currentFileLines(), subject);
    if (!text) {
        MessageBoxes::Show(this, MessageIcon::Error,
                           QStringLiteral("Message has been deleted or corrupted."), Buttons::Ok);
        ComboBox6->removeItem(index);
        ComboBox6->setCurrentIndex(-1);
        Memo1->clear();
        return;
    }
    Memo1->setPlainText(JoinedText(MessagePreview(subject, *text)));
}

void BroadcastPanel::Button54Click() {
    if (sender_.Busy())
        return; // one run at a time, and never beside a support send
    const Identity identity = ReadIdentity();
    const QString refusal = FromBytes(BroadcastValidationMessage(
        {ListBox3->count() > 0, ListBox2->count() > 0, ComboBox6->currentIndex() >= 0}, identity));
    if (!refusal.isEmpty()) {
        MessageBoxes::Show(this, MessageIcon::Warning, refusal, Buttons::Ok);
        return;
    }
    BroadcastSender::Request request;
    request.identity = identity;
    request.mailingListLines = MailingListLines;
    for (int i = 0; i < ListBox2->count(); ++i)
        request.newsgroups.push_back(ToBytes(ListBox2->item(i)->text()));
    request.subject = ToBytes(ComboBox6->currentText());
    request.messageText =
        ReturnMessage(context_.currentFileLines(), request.subject).value_or(std::string());
    request.preview = TextLines(Memo1->toPlainText());
    request.submissionFile = ToBytes(context_.currentFile());

    Button54->hide();
    Button22->show();
    BroadcastSender::Hooks hooks;
    hooks.idle = [] { QApplication::processEvents(QEventLoop::AllEvents, 15); };
    hooks.status = [this](const std::string& text) { context_.status(FromBytes(text)); };
    hooks.progress = [this](size_t done, size_t total) {
        context_.progress(QStringLiteral("%1 of %2").arg(done + 1).arg(total));
    };
    const BroadcastSender::Report report = sender_.Run(request, hooks);
    context_.progress({});
    Button54->show();
    Button22->hide();
    for (const std::string& error : report.logErrors)
        MessageBoxes::Show(this, MessageIcon::Error, FromBytes(error), Buttons::Ok);
}

void BroadcastPanel::Button22Click() {
    sender_.Cancel();
}

void BroadcastPanel::Button48Click() {
    Form10->listNameEdit_->clear();
    Form10->exec();
    UpdateListButtons();
}

void BroadcastPanel::Button52Click() {
    QListWidgetItem* item = ListBox3->currentItem();
    if (item == nullptr || !item->isSelected())
        return;
    const QString name = item->text();
    const auto addresses = MailingListAddresses(MailingListLines, ToBytes(name));
    if (!addresses) {
        delete ListBox3->takeItem(ListBox3->row(item));
        MessageBoxes::Show(this, MessageIcon::Error,
                           QStringLiteral("The mailing list is corrupted! Cannot open."),
                           Buttons::Ok);
        UpdateListButtons();
        return;
    }
    Form10->listNameEdit_->setText(name);
    Form10->listNameEdit_->setReadOnly(true);
    Form10->addressesEdit_->setPlainText(JoinedText(*addresses));
    Form10->exec();
    Form10->listNameEdit_->setReadOnly(false);
}

void BroadcastPanel::Button49Click() {
    QListWidgetItem* item = ListBox3->currentItem();
    if (item == nullptr || !item->isSelected())
        return;
    const QString name = item->text();
    if (MessageBoxes::Show(this, MessageIcon::Confirmation,
                           Question(QStringLiteral("Remove"), name), Buttons::YesNo) != Answer::Yes)
        return;
    RemoveMailingList(MailingListLines, ToBytes(name));
    delete ListBox3->takeItem(ListBox3->row(item));
    UpdateListButtons();
}

void BroadcastPanel::Button19Click() {
    QString name;
    if (!InputBox::Ask(this, QStringLiteral("Add a Newsgroup"),
                       QStringLiteral("Type in the name of a newsgroup."), name) ||
        name.isEmpty())
        return;
    InsertSorted(ListBox2, name);
}

void BroadcastPanel::Button20Click() {
    QListWidgetItem* item = ListBox2->currentItem();
    if (item == nullptr || !item->isSelected())
        return;
    QString name = item->text();
    if (!InputBox::Ask(this, QStringLiteral("Edit Newsgroup"),
                       QStringLiteral("Edit the name of this newsgroup."), name) ||
        name.isEmpty())
        return;
    delete ListBox2->takeItem(ListBox2->row(item));
    ListBox2->setCurrentRow(InsertSorted(ListBox2, name));
}

void BroadcastPanel::Button21Click() {
    QListWidgetItem* item = ListBox2->currentItem();
    if (item == nullptr || !item->isSelected())
        return;
    if (MessageBoxes::Show(this, MessageIcon::Confirmation,
                           Question(QStringLiteral("Remove"), item->text()),
                           Buttons::YesNo) != Answer::Yes)
        return;
    delete ListBox2->takeItem(ListBox2->row(item));
    UpdateNewsgroupButtons();
}

void BroadcastPanel::UpdateListButtons() {
    const bool selected = !ListBox3->selectedItems().isEmpty();
    Button52->setEnabled(selected);
    Button49->setEnabled(selected);
}

void BroadcastPanel::UpdateNewsgroupButtons() {
    const bool selected = !ListBox2->selectedItems().isEmpty();
    Button20->setEnabled(selected);
    Button21->setEnabled(selected);
}

bool BroadcastPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        if (watched == ListBox3)
            UpdateListButtons();
        else if (watched == ListBox2)
            UpdateNewsgroupButtons();
    }
    return QGroupBox::eventFilter(watched, event);
}

} // namespace siteherald::ui
