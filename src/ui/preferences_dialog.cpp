#include "preferences_dialog.h"

#include "core/executable_file.h"
#include "core/settings_keys.h"
#include "event_guard.h"
#include "file_dialogs.h"
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
    serverForm->addRow(QStringLiteral("Mail Server:"), mailServerEdit_);
    serverForm->addRow(QStringLiteral("News Server:"), newsServerEdit_);
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
             fillFormsCheck_, updateAutomaticallyRadio_, updateAskRadio_, updateSkipRadio_})
        w->installEventFilter(this);
    resize(460, 320);
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

void PreferencesDialog::onOkClicked() {
    Guard(this, [this] {
        if (!GoodFields())
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
