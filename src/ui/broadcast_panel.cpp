#include "broadcast_panel.h"

#include "broadcast/attached_messages.h"
#include "broadcast/broadcast_log.h"
#include "broadcast/broadcast_run.h"
#include "broadcast/mailing_lists.h"
#include "event_guard.h"
#include "input_box.h"
#include "keyring/keyring.h"
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
    messageChoice_ = new QComboBox(this);
    messageChoice_->setObjectName(QStringLiteral("ComboBox6"));
    messageChoice_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    messageChoice_->setMinimumContentsLength(16);
    sendButton_ = NamedButton(QStringLiteral("Button54"), QStringLiteral("Send Message"),
                              QStringLiteral("Sends your message"), this);
    cancelButton_ = NamedButton(QStringLiteral("Button22"), QStringLiteral("Cancel"), {}, this);
    cancelButton_->hide();
    messagePreview_ = new QPlainTextEdit(this);
    messagePreview_->setObjectName(QStringLiteral("Memo1"));
    messagePreview_->setReadOnly(true);

    mailingListBox_ = new QListWidget(this);
    mailingListBox_->setObjectName(QStringLiteral("ListBox3"));
    addListButton_ = NamedButton(QStringLiteral("Button48"), QStringLiteral("Add"),
                                 QStringLiteral("Adds a Mailing List"), this);
    editListButton_ = NamedButton(QStringLiteral("Button52"), QStringLiteral("Edit"),
                                  QStringLiteral("Edits the selected Mailing List"), this);
    removeListButton_ = NamedButton(QStringLiteral("Button49"), QStringLiteral("Remove"),
                                    QStringLiteral("Removes the selected Mailing List"), this);
    newsgroupBox_ = new QListWidget(this);
    newsgroupBox_->setObjectName(QStringLiteral("ListBox2"));
    addNewsgroupButton_ = NamedButton(QStringLiteral("Button19"), QStringLiteral("Add"),
                                      QStringLiteral("Adds a Newsgroup"), this);
    editNewsgroupButton_ = NamedButton(QStringLiteral("Button20"), QStringLiteral("Edit"),
                                       QStringLiteral("Edits the selected Newsgroup"), this);
    removeNewsgroupButton_ = NamedButton(QStringLiteral("Button21"), QStringLiteral("Remove"),
                                         QStringLiteral("Removes the selected Newsgroup"), this);
    for (QPushButton* b :
         {editListButton_, removeListButton_, editNewsgroupButton_, removeNewsgroupButton_})
        b->setEnabled(false);
    for (QListWidget* list : {mailingListBox_, newsgroupBox_})
        list->installEventFilter(this);
    mailingListDialog_ = new MailingListDialog(mailingListLines_, mailingListBox_, this);

    connect(messageChoice_, &QComboBox::activated, this, &BroadcastPanel::onMessageChosen);
    connect(sendButton_, &QPushButton::clicked, this, &BroadcastPanel::onSendClicked);
    connect(cancelButton_, &QPushButton::clicked, this, &BroadcastPanel::onCancelClicked);
    connect(addListButton_, &QPushButton::clicked, this, &BroadcastPanel::onAddListClicked);
    connect(editListButton_, &QPushButton::clicked, this, &BroadcastPanel::onEditListClicked);
    connect(removeListButton_, &QPushButton::clicked, this, &BroadcastPanel::onRemoveListClicked);
    connect(addNewsgroupButton_, &QPushButton::clicked, this,
            &BroadcastPanel::onAddNewsgroupClicked);
    connect(editNewsgroupButton_, &QPushButton::clicked, this,
            &BroadcastPanel::onEditNewsgroupClicked);
    connect(removeNewsgroupButton_, &QPushButton::clicked, this,
            &BroadcastPanel::onRemoveNewsgroupClicked);
    connect(mailingListBox_, &QListWidget::itemClicked, this, &BroadcastPanel::UpdateListButtons);
    connect(mailingListBox_, &QListWidget::currentRowChanged, this,
            &BroadcastPanel::UpdateListButtons);
    connect(mailingListBox_, &QListWidget::itemDoubleClicked, this,
            &BroadcastPanel::onEditListClicked);
    connect(newsgroupBox_, &QListWidget::itemClicked, this,
            &BroadcastPanel::UpdateNewsgroupButtons);
    connect(newsgroupBox_, &QListWidget::currentRowChanged, this,
            &BroadcastPanel::UpdateNewsgroupButtons);
    connect(newsgroupBox_, &QListWidget::itemDoubleClicked, this,
            &BroadcastPanel::onEditNewsgroupClicked);

    contextMenu_ = new QMenu(this);
    contextMenu_->setObjectName(QStringLiteral("PopupMenu4"));
    contextMenu_->addAction(QStringLiteral("Add &E-mail Address"), this,
                            &BroadcastPanel::onAddListClicked);
    contextMenu_->addAction(QStringLiteral("Add &Newsgroup"), this,
                            &BroadcastPanel::onAddNewsgroupClicked);
    contextMenu_->addSeparator();
    contextMenu_->addAction(QStringLiteral("&Send Message"), this, &BroadcastPanel::onSendClicked);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { contextMenu_->popup(mapToGlobal(at)); });

    auto* messageRow = new QHBoxLayout;
    messageRow->addWidget(new QLabel(QStringLiteral("Currently selected message:"), this));
    messageRow->addWidget(messageChoice_, 1);
    messageRow->addWidget(sendButton_);
    messageRow->addWidget(cancelButton_);

    auto* lists = new QGridLayout;
    auto* listsLabel = new QLabel(QStringLiteral("Send e-mail to these mailing lists."), this);
    listsLabel->setObjectName(QStringLiteral("Label37"));
    auto* newsgroupsLabel = new QLabel(QStringLiteral("Send message to these newsgroups."), this);
    newsgroupsLabel->setObjectName(QStringLiteral("Label7"));
    lists->addWidget(listsLabel, 0, 0);
    lists->addWidget(newsgroupsLabel, 0, 1);
    lists->addWidget(mailingListBox_, 1, 0);
    lists->addWidget(newsgroupBox_, 1, 1);
    auto* listButtons = new QHBoxLayout;
    for (QPushButton* b : {addListButton_, editListButton_, removeListButton_})
        listButtons->addWidget(b);
    auto* groupButtons = new QHBoxLayout;
    for (QPushButton* b : {addNewsgroupButton_, editNewsgroupButton_, removeNewsgroupButton_})
        groupButtons->addWidget(b);
    lists->addLayout(listButtons, 2, 0);
    lists->addLayout(groupButtons, 2, 1);
    auto* limitLabel =
        new QLabel(QStringLiteral("Siteherald can send a message to a maximum of 25 e-mail "
                                  "addresses and 10 newsgroups in order to prevent spamming."),
                   this);
    limitLabel->setObjectName(QStringLiteral("Label10"));
    limitLabel->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(messageRow);
    messagePreview_->setMaximumHeight(messagePreview_->fontMetrics().lineSpacing() * 6);
    layout->addWidget(messagePreview_);
    layout->addLayout(lists, 1);
    layout->addWidget(limitLabel);
}

void BroadcastPanel::AddMessages() {
    messagePreview_->clear();
    const QSignalBlocker quiet(messageChoice_);
    messageChoice_->clear();
    for (const std::string& subject : MessageSubjects(context_.currentFileLines()))
        InsertSorted(messageChoice_, FromBytes(subject));
    messageChoice_->setCurrentIndex(-1);
}

void BroadcastPanel::onMessageChosen(int index) {
    if (index < 0)
        return;
    const std::string subject = ToBytes(messageChoice_->itemText(index));
    const auto text = ReturnMessage(context_.currentFileLines(), subject);
    if (!text) {
        MessageBoxes::Show(this, MessageIcon::Error,
                           QStringLiteral("Message has been deleted or corrupted."), Buttons::Ok);
        messageChoice_->removeItem(index);
        messageChoice_->setCurrentIndex(-1);
        messagePreview_->clear();
        return;
    }
    messagePreview_->setPlainText(JoinedText(MessagePreview(subject, *text)));
}

void BroadcastPanel::onSendClicked() {
    if (sender_.Busy())
        return; // one run at a time, and never beside a support send
    const Identity identity = ReadIdentity();
    const QString refusal = FromBytes(
        BroadcastValidationMessage({mailingListBox_->count() > 0, newsgroupBox_->count() > 0,
                                    messageChoice_->currentIndex() >= 0},
                                   identity));
    if (!refusal.isEmpty()) {
        MessageBoxes::Show(this, MessageIcon::Warning, refusal, Buttons::Ok);
        return;
    }
    KeyringPasswordSource passwords;
    const RunLogins logins =
        LookUpLogins(identity, mailingListBox_->count() > 0, newsgroupBox_->count() > 0, passwords);
    if (!logins.problem.empty()) {
        MessageBoxes::Show(this, MessageIcon::Warning, FromBytes(logins.problem), Buttons::Ok);
        return;
    }
    BroadcastSender::Request request;
    request.identity = identity;
    request.mailLogin = logins.mail;
    request.newsLogin = logins.news;
    request.mailingListLines = mailingListLines_;
    for (int i = 0; i < newsgroupBox_->count(); ++i)
        request.newsgroups.push_back(ToBytes(newsgroupBox_->item(i)->text()));
    request.subject = ToBytes(messageChoice_->currentText());
    request.messageText =
        ReturnMessage(context_.currentFileLines(), request.subject).value_or(std::string());
    request.preview = TextLines(messagePreview_->toPlainText());
    request.submissionFile = ToBytes(context_.currentFile());

    sendButton_->hide();
    cancelButton_->show();
    BroadcastSender::Hooks hooks;
    hooks.idle = [] { QApplication::processEvents(QEventLoop::AllEvents, 15); };
    hooks.status = [this](const std::string& text) { context_.status(FromBytes(text)); };
    hooks.progress = [this](size_t done, size_t total) {
        context_.progress(QStringLiteral("%1 of %2").arg(done + 1).arg(total));
    };
    const BroadcastSender::Report report = sender_.Run(request, hooks);
    context_.progress({});
    sendButton_->show();
    cancelButton_->hide();
    for (const std::string& error : report.logErrors)
        MessageBoxes::Show(this, MessageIcon::Error, FromBytes(error), Buttons::Ok);
}

void BroadcastPanel::onCancelClicked() {
    sender_.Cancel();
}

void BroadcastPanel::onAddListClicked() {
    mailingListDialog_->listNameEdit_->clear();
    mailingListDialog_->exec();
    UpdateListButtons();
}

void BroadcastPanel::onEditListClicked() {
    QListWidgetItem* item = mailingListBox_->currentItem();
    if (item == nullptr || !item->isSelected())
        return;
    const QString name = item->text();
    const auto addresses = MailingListAddresses(mailingListLines_, ToBytes(name));
    if (!addresses) {
        delete mailingListBox_->takeItem(mailingListBox_->row(item));
        MessageBoxes::Show(this, MessageIcon::Error,
                           QStringLiteral("The mailing list is corrupted! Cannot open."),
                           Buttons::Ok);
        UpdateListButtons();
        return;
    }
    mailingListDialog_->listNameEdit_->setText(name);
    mailingListDialog_->listNameEdit_->setReadOnly(true);
    mailingListDialog_->addressesEdit_->setPlainText(JoinedText(*addresses));
    mailingListDialog_->exec();
    mailingListDialog_->listNameEdit_->setReadOnly(false);
}

void BroadcastPanel::onRemoveListClicked() {
    QListWidgetItem* item = mailingListBox_->currentItem();
    if (item == nullptr || !item->isSelected())
        return;
    const QString name = item->text();
    if (MessageBoxes::Show(this, MessageIcon::Confirmation,
                           Question(QStringLiteral("Remove"), name), Buttons::YesNo) != Answer::Yes)
        return;
    RemoveMailingList(mailingListLines_, ToBytes(name));
    delete mailingListBox_->takeItem(mailingListBox_->row(item));
    UpdateListButtons();
}

void BroadcastPanel::onAddNewsgroupClicked() {
    QString name;
    if (!InputBox::Ask(this, QStringLiteral("Add a Newsgroup"),
                       QStringLiteral("Type in the name of a newsgroup."), name) ||
        name.isEmpty())
        return;
    InsertSorted(newsgroupBox_, name);
}

void BroadcastPanel::onEditNewsgroupClicked() {
    QListWidgetItem* item = newsgroupBox_->currentItem();
    if (item == nullptr || !item->isSelected())
        return;
    QString name = item->text();
    if (!InputBox::Ask(this, QStringLiteral("Edit Newsgroup"),
                       QStringLiteral("Edit the name of this newsgroup."), name) ||
        name.isEmpty())
        return;
    delete newsgroupBox_->takeItem(newsgroupBox_->row(item));
    newsgroupBox_->setCurrentRow(InsertSorted(newsgroupBox_, name));
}

void BroadcastPanel::onRemoveNewsgroupClicked() {
    QListWidgetItem* item = newsgroupBox_->currentItem();
    if (item == nullptr || !item->isSelected())
        return;
    if (MessageBoxes::Show(this, MessageIcon::Confirmation,
                           Question(QStringLiteral("Remove"), item->text()),
                           Buttons::YesNo) != Answer::Yes)
        return;
    delete newsgroupBox_->takeItem(newsgroupBox_->row(item));
    UpdateNewsgroupButtons();
}

void BroadcastPanel::UpdateListButtons() {
    const bool selected = !mailingListBox_->selectedItems().isEmpty();
    editListButton_->setEnabled(selected);
    removeListButton_->setEnabled(selected);
}

void BroadcastPanel::UpdateNewsgroupButtons() {
    const bool selected = !newsgroupBox_->selectedItems().isEmpty();
    editNewsgroupButton_->setEnabled(selected);
    removeNewsgroupButton_->setEnabled(selected);
}

bool BroadcastPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        if (watched == mailingListBox_)
            UpdateListButtons();
        else if (watched == newsgroupBox_)
            UpdateNewsgroupButtons();
    }
    return QGroupBox::eventFilter(watched, event);
}

} // namespace siteherald::ui
