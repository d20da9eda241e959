#include "preferences_dialog.h"

#include "broadcast/transport_security.h"
#include "core/executable_file.h"
#include "core/settings_keys.h"
#include "event_guard.h"
#include "file_dialogs.h"
#include "keyring/keyring.h"
#include "message_box.h"
#include "text_codec.h"
#include "widgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace siteherald::ui {

namespace {

const char* const kBrowsers[] = {"Netscape Navigator", "Internet Explorer", "Other Browser"};

// The security settings' keys, as the choice shows them; a stored value that is none of
// them is shown as it is, after these.
const std::pair<const char*, const char*> kSecurities[] = {
    {"auto", "Automatic (TLS or STARTTLS when the server has it)"},
    {"starttls", "STARTTLS (required)"},
    {"tls", "TLS from the start"},
    {"none", "None (not encrypted)"}};
constexpr int kSecurityCount = 4;

QComboBox* SecurityCombo(const QString& name, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    for (const auto& [key, label] : kSecurities)
        combo->addItem(QString::fromLatin1(label), QString::fromLatin1(key));
    return combo;
}

void ShowSecurity(QComboBox* combo, const std::string& stored) {
    while (combo->count() > kSecurityCount)
        combo->removeItem(kSecurityCount);
    const auto security = ParseTransportSecurity(stored);
    const QString key = security ? QString::fromLatin1(SecurityName(*security)) : FromBytes(stored);
    if (combo->findData(key) < 0)
        combo->addItem(QStringLiteral("\"%1\" (not known: please choose)").arg(key), key);
    combo->setCurrentIndex(combo->findData(key));
}

std::string SecurityKey(const QComboBox* combo) {
    return ToBytes(combo->currentData().toString());
}

QLineEdit* PasswordEdit(const QString& name, QWidget* parent) {
    QLineEdit* edit = NamedEdit(name, parent);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

} // namespace

PreferencesDialog::PreferencesDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TForm9"));
    setWindowTitle(QStringLiteral("Preferences"));
    setModal(true);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("PageControl1"));

    auto* browsers = new QWidget;
    browsers->setObjectName(QStringLiteral("TabSheet1"));
    auto* browserForm = new QFormLayout(browsers);
    navigatorPathEdit_ = NamedEdit(QStringLiteral("Edit1"), browsers);
    explorerPathEdit_ = NamedEdit(QStringLiteral("Edit2"), browsers);
    otherBrowserPathEdit_ = NamedEdit(QStringLiteral("Edit3"), browsers);
    const std::pair<QLineEdit*, const char*> paths[] = {{navigatorPathEdit_, "Nestcape Navigator:"},
                                                        {explorerPathEdit_, "Internet Explorer:"},
                                                        {otherBrowserPathEdit_, "Other:"}};
    int browseNumber = 3;
    for (size_t i = 0; i < 3; ++i) {
        auto* browse = NamedButton(QStringLiteral("Button%1").arg(browseNumber++),
                                   QStringLiteral("Browse"), QStringLiteral("Browse"), browsers);
        QLineEdit* edit = paths[i].first;
        const QString browser = QString::fromLatin1(kBrowsers[i]);
        connect(browse, &QPushButton::clicked, this,
                [this, edit, browser] { Browse(edit, browser); });
        auto* row = new QHBoxLayout;
        row->addWidget(edit, 1);
        row->addWidget(browse);
        browserForm->addRow(QString::fromLatin1(paths[i].second), row);
    }
    defaultBrowserCombo_ = new QComboBox(browsers);
    defaultBrowserCombo_->setObjectName(QStringLiteral("ComboBox1"));
    for (const char* browser : kBrowsers)
        defaultBrowserCombo_->addItem(QString::fromLatin1(browser));
    defaultBrowserCombo_->setCurrentIndex(-1);
    browserForm->addRow(QStringLiteral("Default:"), defaultBrowserCombo_);
    tabs_->addTab(browsers, QStringLiteral("&Browsers"));

    auto* submissions = new QWidget;
    submissions->setObjectName(QStringLiteral("TabSheet2"));
    fillFormsCheck_ = new QCheckBox(
        QStringLiteral("Siteherald automatically fills in forms whenever possible."), submissions);
    fillFormsCheck_->setObjectName(QStringLiteral("CheckBox2"));
    auto* submissionLayout = new QVBoxLayout(submissions);
    submissionLayout->addWidget(fillFormsCheck_);
    submissionLayout->addStretch();
    tabs_->addTab(submissions, QStringLiteral("&Submissions"));

    auto* messages = new QWidget;
    messages->setObjectName(QStringLiteral("TabSheet3"));
    auto* identity = new QGroupBox(QStringLiteral("Identity"), messages);
    auto* identityForm = new QFormLayout(identity);
    senderNameEdit_ = NamedEdit(QStringLiteral("Edit6"), identity);
    senderEmailEdit_ = NamedEdit(QStringLiteral("Edit7"), identity);
    identityForm->addRow(QStringLiteral("Name:"), senderNameEdit_);
    identityForm->addRow(QStringLiteral("E-mail Address:"), senderEmailEdit_);
    auto* servers = new QGroupBox(QStringLiteral("Server Info"), messages);
    auto* serverForm = new QFormLayout(servers);
    mailServerEdit_ = NamedEdit(QStringLiteral("Edit4"), servers);
    newsServerEdit_ = NamedEdit(QStringLiteral("Edit5"), servers);
    mailServerEdit_->setPlaceholderText(QStringLiteral("mail.example.org or mail.example.org:587"));
    newsServerEdit_->setPlaceholderText(QStringLiteral("news.example.org or news.example.org:119"));
    mailSecurityCombo_ = SecurityCombo(QStringLiteral("MailSecurityCombo"), servers);
    newsSecurityCombo_ = SecurityCombo(QStringLiteral("NewsSecurityCombo"), servers);
    mailUserEdit_ = NamedEdit(QStringLiteral("MailUserEdit"), servers);
    newsUserEdit_ = NamedEdit(QStringLiteral("NewsUserEdit"), servers);
    mailUserEdit_->setPlaceholderText(QStringLiteral("empty: no login"));
    newsUserEdit_->setPlaceholderText(QStringLiteral("empty: no login"));
    mailPasswordEdit_ = PasswordEdit(QStringLiteral("MailPasswordEdit"), servers);
    newsPasswordEdit_ = PasswordEdit(QStringLiteral("NewsPasswordEdit"), servers);
    serverForm->addRow(QStringLiteral("Mail Server:"), mailServerEdit_);
    serverForm->addRow(QStringLiteral("Security:"), mailSecurityCombo_);
    serverForm->addRow(QStringLiteral("User Name:"), mailUserEdit_);
    serverForm->addRow(QStringLiteral("Password:"), mailPasswordEdit_);
    serverForm->addRow(QStringLiteral("News Server:"), newsServerEdit_);
    serverForm->addRow(QStringLiteral("Security:"), newsSecurityCombo_);
    serverForm->addRow(QStringLiteral("User Name:"), newsUserEdit_);
    serverForm->addRow(QStringLiteral("Password:"), newsPasswordEdit_);
    for (const PasswordFor server : {PasswordFor::Mail, PasswordFor::News}) {
        const bool mail = server == PasswordFor::Mail;
        const auto refresh = [this, server] { ShowStoredPassword(server); };
        connect(mail ? mailServerEdit_ : newsServerEdit_, &QLineEdit::editingFinished, this,
                refresh);
        connect(mail ? mailUserEdit_ : newsUserEdit_, &QLineEdit::editingFinished, this, refresh);
        connect(mail ? mailSecurityCombo_ : newsSecurityCombo_, &QComboBox::activated, this,
                refresh);
    }
    auto* messageLayout = new QVBoxLayout(messages);
    messageLayout->addWidget(identity);
    messageLayout->addWidget(servers);
    messageLayout->addStretch();
    tabs_->addTab(messages, QStringLiteral("&Messages"));

    auto* updates = new QWidget;
    updates->setObjectName(QStringLiteral("TabSheet4"));
    auto* updateNote = new QLabel(
        QStringLiteral("When you choose to update, Siteherald can automatically modify search "
                       "engine data to the updated version. Modifications made by Siteherald "
                       "will overwrite any changes that you have made to that search engines "
                       "data."),
        updates);
    updateNote->setObjectName(QStringLiteral("Label9"));
    updateNote->setWordWrap(true);
    updateAutomaticallyRadio_ =
        new QRadioButton(QStringLiteral("Make modifications automatically."), updates);
    updateAskRadio_ = new QRadioButton(QStringLiteral("Ask me each time."), updates);
    updateSkipRadio_ = new QRadioButton(
        QStringLiteral("Skip modified search engines. (Just add new ones.)"), updates);
    auto* policy = new QButtonGroup(this);
    auto* updateLayout = new QVBoxLayout(updates);
    updateLayout->addWidget(updateNote);
    int radioNumber = 1;
    for (QRadioButton* radio : {updateAutomaticallyRadio_, updateAskRadio_, updateSkipRadio_}) {
        radio->setObjectName(QStringLiteral("RadioButton%1").arg(radioNumber++));
        policy->addButton(radio);
        updateLayout->addWidget(radio);
    }
    updateLayout->addStretch();
    tabs_->addTab(updates, QStringLiteral("&Updates"));

    okButton_ = NamedButton(QStringLiteral("Button1"), QStringLiteral("&OK"),
                            QStringLiteral("Save changes"), this);
    cancelButton_ = NamedButton(QStringLiteral("Button2"), QStringLiteral("&Cancel"),
                                QStringLiteral("Discard changes"), this);
    okButton_->setAutoDefault(false);
    cancelButton_->setAutoDefault(false);
    connect(okButton_, &QPushButton::clicked, this, &PreferencesDialog::onOkClicked);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_, 1);
    layout->addLayout(buttons);

    for (QWidget* w : std::initializer_list<QWidget*>{
             navigatorPathEdit_, explorerPathEdit_, otherBrowserPathEdit_, mailServerEdit_,
             newsServerEdit_, senderNameEdit_, senderEmailEdit_, defaultBrowserCombo_,
             fillFormsCheck_, updateAutomaticallyRadio_, updateAskRadio_, updateSkipRadio_,
             mailSecurityCombo_, newsSecurityCombo_, mailUserEdit_, newsUserEdit_,
             mailPasswordEdit_, newsPasswordEdit_})
        w->installEventFilter(this);
    resize(460, 480);
}

void PreferencesDialog::ShowWithFocus(QWidget* focus) {
    if (focus != nullptr) {
        tabs_->setCurrentIndex(0);
        focus->setFocus();
    }
    exec();
}

void PreferencesDialog::showEvent(QShowEvent* event) {
    const int index = defaultBrowserCombo_->findText(FromBytes(Read(settings::DefaultBrowser)),
                                                     Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        defaultBrowserCombo_->setCurrentIndex(index);
    navigatorPathEdit_->setText(FromBytes(Read(settings::BrowserPath("Netscape Navigator"))));
    explorerPathEdit_->setText(FromBytes(Read(settings::BrowserPath("Internet Explorer"))));
    otherBrowserPathEdit_->setText(FromBytes(Read(settings::BrowserPath("Other Browser"))));
    fillFormsCheck_->setChecked(Read(settings::ExternalFill));
    mailServerEdit_->setText(FromBytes(Read(settings::MailServer)));
    newsServerEdit_->setText(FromBytes(Read(settings::NewsServer)));
    ShowSecurity(mailSecurityCombo_, Read(settings::MailSecurity));
    ShowSecurity(newsSecurityCombo_, Read(settings::NewsSecurity));
    mailUserEdit_->setText(FromBytes(Read(settings::MailUser)));
    newsUserEdit_->setText(FromBytes(Read(settings::NewsUser)));
    mailPasswordEdit_->clear();
    newsPasswordEdit_->clear();
    ShowStoredPassword(PasswordFor::Mail);
    ShowStoredPassword(PasswordFor::News);
    senderNameEdit_->setText(FromBytes(Read(settings::SenderName)));
    senderEmailEdit_->setText(FromBytes(Read(settings::SenderEmail)));
    updateAutomaticallyRadio_->setChecked(Read(settings::UpdateAutomatically));
    updateAskRadio_->setChecked(Read(settings::UpdateAsk));
    updateSkipRadio_->setChecked(Read(settings::UpdateSkip));
    QDialog::showEvent(event);
}

bool PreferencesDialog::eventFilter(QObject* watched, QEvent* event) {
    if (IsEnterPress(event)) {
        okButton_->click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool PreferencesDialog::GoodFields() {
    const std::pair<QLineEdit*, const char*> paths[] = {{navigatorPathEdit_, "Netscape Navigator"},
                                                        {explorerPathEdit_, "Internet Explorer"},
                                                        {otherBrowserPathEdit_, "Other Browser"}};
    for (const auto& [edit, browser] : paths) {
        if (edit->text().isEmpty() || IsExecutableFile(ToBytes(edit->text())))
            continue;
        MessageBoxes::Show(this, MessageIcon::Warning,
                           QStringLiteral("Please choose a valid executable for ") +
                               QString::fromLatin1(browser) +
                               QStringLiteral(" or leave the field blank."),
                           Buttons::Ok);
        tabs_->setCurrentIndex(0);
        edit->setFocus();
        return false;
    }
    const int chosen = defaultBrowserCombo_->currentIndex();
    if (chosen >= 0 && paths[chosen].first->text().isEmpty()) {
        MessageBoxes::Show(this, MessageIcon::Warning,
                           QStringLiteral("Please choose a valid executable for the default "
                                          "browser. (") +
                               defaultBrowserCombo_->currentText() + QStringLiteral(")"),
                           Buttons::Ok);
        return false;
    }
    return true;
}

Identity PreferencesDialog::TypedIdentity() const {
    Identity identity;
    identity.MailServer = ToBytes(mailServerEdit_->text());
    identity.NewsServer = ToBytes(newsServerEdit_->text());
    identity.MailUser = ToBytes(mailUserEdit_->text());
    identity.NewsUser = ToBytes(newsUserEdit_->text());
    identity.MailSecurity = SecurityKey(mailSecurityCombo_);
    identity.NewsSecurity = SecurityKey(newsSecurityCombo_);
    return identity;
}

void PreferencesDialog::ShowStoredPassword(PasswordFor server) {
    QLineEdit* edit = server == PasswordFor::Mail ? mailPasswordEdit_ : newsPasswordEdit_;
    QString text = QStringLiteral("No password stored");
    QString hint;
    if (const auto account = IdentityAccount(server, TypedIdentity())) {
        const KeyringResult found = ReadKeyringPassword(*account);
        if (found.Done())
            text = QStringLiteral("A password is stored");
        else if (found.status == KeyringResult::Status::Failed) {
            text = QStringLiteral("The keyring cannot be read");
            hint = FromBytes(found.error);
        }
    }
    edit->setPlaceholderText(text);
    edit->setToolTip(hint);
}

bool PreferencesDialog::StorePasswords() {
    const Identity typed = TypedIdentity();
    for (const PasswordFor server : {PasswordFor::Mail, PasswordFor::News}) {
        const bool mail = server == PasswordFor::Mail;
        QLineEdit* edit = mail ? mailPasswordEdit_ : newsPasswordEdit_;
        if (edit->text().isEmpty())
            continue;
        const QString label = mail ? QStringLiteral("mail") : QStringLiteral("news");
        const auto account = IdentityAccount(server, typed);
        QString problem;
        if (!account) {
            problem = QStringLiteral("To store a password for the %1 server, please enter the %1 "
                                     "server, a known security and a user name.")
                          .arg(label);
        } else if (const KeyringResult stored =
                       WriteKeyringPassword(*account, ToBytes(edit->text()));
                   !stored.Done()) {
            problem = QStringLiteral("The password for the %1 server (%2) could not be stored in "
                                     "the keyring: %3\nNothing was saved; clear the password to "
                                     "save the other preferences without it.")
                          .arg(label, FromBytes(*account), FromBytes(stored.error));
        }
        if (!problem.isEmpty()) {
            MessageBoxes::Show(this, account ? MessageIcon::Error : MessageIcon::Warning, problem,
                               Buttons::Ok);
            tabs_->setCurrentIndex(2);
            (account ? edit : (mail ? mailUserEdit_ : newsUserEdit_))->setFocus();
            return false;
        }
        edit->clear();
    }
    return true;
}

void PreferencesDialog::onOkClicked() {
    Guard(this, [this] {
        if (!GoodFields() || !StorePasswords())
            return;
        Write(settings::ExternalFill, fillFormsCheck_->isChecked());
        Write(settings::BrowserPath("Netscape Navigator"), ToBytes(navigatorPathEdit_->text()));
        Write(settings::BrowserPath("Internet Explorer"), ToBytes(explorerPathEdit_->text()));
        Write(settings::BrowserPath("Other Browser"), ToBytes(otherBrowserPathEdit_->text()));
        Write(settings::DefaultBrowser, ToBytes(defaultBrowserCombo_->currentText()));
        Write(settings::SenderName, ToBytes(senderNameEdit_->text()));
        Write(settings::SenderEmail, ToBytes(senderEmailEdit_->text()));
        Write(settings::MailServer, ToBytes(mailServerEdit_->text()));
        Write(settings::NewsServer, ToBytes(newsServerEdit_->text()));
        Write(settings::MailSecurity, SecurityKey(mailSecurityCombo_));
        Write(settings::MailUser, ToBytes(mailUserEdit_->text()));
        Write(settings::NewsSecurity, SecurityKey(newsSecurityCombo_));
        Write(settings::NewsUser, ToBytes(newsUserEdit_->text()));
        Write(settings::UpdateAutomatically, updateAutomaticallyRadio_->isChecked());
        Write(settings::UpdateAsk, updateAskRadio_->isChecked());
        Write(settings::UpdateSkip, updateSkipRadio_->isChecked());
        accept();
    });
}

void PreferencesDialog::Browse(QLineEdit* edit, const QString& browser) {
    const QString path = FileDialogs::BrowserProgram(this, browser);
    if (!path.isEmpty())
        edit->setText(path);
}

} // namespace siteherald::ui
