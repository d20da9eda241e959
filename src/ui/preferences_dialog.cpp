#include "preferences_dialog.h"

#include "core/executable_file.h"
#include "core/settings_store.h"
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
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));

    auto* browsers = new QWidget;
    browsers->setObjectName(QStringLiteral("TabSheet1"));
    auto* browserForm = new QFormLayout(browsers);
    Edit1 = NamedEdit(QStringLiteral("Edit1"), browsers);
    Edit2 = NamedEdit(QStringLiteral("Edit2"), browsers);
    Edit3 = NamedEdit(QStringLiteral("Edit3"), browsers);
    const std::pair<QLineEdit*, const char*> paths[] = {
        {Edit1, "Nestcape Navigator:"}, {Edit2, "Internet Explorer:"}, {Edit3, "Other:"}};
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
    ComboBox1 = new QComboBox(browsers);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    for (const char* browser : kBrowsers)
        ComboBox1->addItem(QString::fromLatin1(browser));
    ComboBox1->setCurrentIndex(-1);
    browserForm->addRow(QStringLiteral("Default:"), ComboBox1);
    PageControl1->addTab(browsers, QStringLiteral("&Browsers"));

    auto* submissions = new QWidget;
    submissions->setObjectName(QStringLiteral("TabSheet2"));
    CheckBox2 = new QCheckBox(
        QStringLiteral("Siteherald automatically fills in forms whenever possible."), submissions);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    auto* submissionLayout = new QVBoxLayout(submissions);
    submissionLayout->addWidget(CheckBox2);
    submissionLayout->addStretch();
    PageControl1->addTab(submissions, QStringLiteral("&Submissions"));

    auto* messages = new QWidget;
    messages->setObjectName(QStringLiteral("TabSheet3"));
    auto* identity = new QGroupBox(QStringLiteral("Identity"), messages);
    auto* identityForm = new QFormLayout(identity);
    Edit6 = NamedEdit(QStringLiteral("Edit6"), identity);
    Edit7 = NamedEdit(QStringLiteral("Edit7"), identity);
    identityForm->addRow(QStringLiteral("Name:"), Edit6);
    identityForm->addRow(QStringLiteral("E-mail Address:"), Edit7);
    auto* servers = new QGroupBox(QStringLiteral("Server Info"), messages);
    auto* serverForm = new QFormLayout(servers);
    Edit4 = NamedEdit(QStringLiteral("Edit4"), servers);
    Edit5 = NamedEdit(QStringLiteral("Edit5"), servers);
    Edit4->setPlaceholderText(QStringLiteral("mail.example.org or mail.example.org:587"));
    Edit5->setPlaceholderText(QStringLiteral("news.example.org or news.example.org:119"));
    serverForm->addRow(QStringLiteral("Mail Server:"), Edit4);
    serverForm->addRow(QStringLiteral("News Server:"), Edit5);
    auto* messageLayout = new QVBoxLayout(messages);
    messageLayout->addWidget(identity);
    messageLayout->addWidget(servers);
    messageLayout->addStretch();
    PageControl1->addTab(messages, QStringLiteral("&Messages"));

    auto* updates = new QWidget;
    updates->setObjectName(QStringLiteral("TabSheet4"));
    auto* label9 = new QLabel(
        QStringLiteral("When you choose to update, Siteherald can automatically modify search "
                       "engine data to the updated version. Modifications made by Siteherald "
                       "will overwrite any changes that you have made to that search engines "
                       "data."),
        updates);
    label9->setObjectName(QStringLiteral("Label9"));
    label9->setWordWrap(true);
    RadioButton1 = new QRadioButton(QStringLiteral("Make modifications automatically."), updates);
    RadioButton2 = new QRadioButton(QStringLiteral("Ask me each time."), updates);
    RadioButton3 = new QRadioButton(
        QStringLiteral("Skip modified search engines. (Just add new ones.)"), updates);
    auto* policy = new QButtonGroup(this);
    auto* updateLayout = new QVBoxLayout(updates);
    updateLayout->addWidget(label9);
    int radioNumber = 1;
    for (QRadioButton* radio : {RadioButton1, RadioButton2, RadioButton3}) {
        radio->setObjectName(QStringLiteral("RadioButton%1").arg(radioNumber++));
        policy->addButton(radio);
        updateLayout->addWidget(radio);
    }
    updateLayout->addStretch();
    PageControl1->addTab(updates, QStringLiteral("&Updates"));

    Button1 = NamedButton(QStringLiteral("Button1"), QStringLiteral("&OK"),
                          QStringLiteral("Save changes"), this);
    Button2 = NamedButton(QStringLiteral("Button2"), QStringLiteral("&Cancel"),
                          QStringLiteral("Discard changes"), this);
    Button1->setAutoDefault(false);
    Button2->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &PreferencesDialog::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);

    for (QWidget* w :
         std::initializer_list<QWidget*>{Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, ComboBox1,
                                         CheckBox2, RadioButton1, RadioButton2, RadioButton3})
        w->installEventFilter(this);
    resize(460, 320);
}

void PreferencesDialog::ShowWithFocus(QWidget* focus) {
    if (focus != nullptr) {
        PageControl1->setCurrentIndex(0);
        focus->setFocus();
    }
    exec();
}

void PreferencesDialog::showEvent(QShowEvent* event) {
    const int index =
        ComboBox1->findText(FromBytes(IniReadString("Browsers", "Default", "Netscape Navigator")),
                            Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        ComboBox1->setCurrentIndex(index);
    Edit1->setText(FromBytes(IniReadString("Browsers", "Netscape Navigator", "")));
    Edit2->setText(FromBytes(IniReadString("Browsers", "Internet Explorer", "")));
    Edit3->setText(FromBytes(IniReadString("Browsers", "Other Browser", "")));
    CheckBox2->setChecked(IniReadBool("Submissions", "ExternalFill", true));
    Edit4->setText(FromBytes(IniReadString("Identity", "MailServer", "")));
    Edit5->setText(FromBytes(IniReadString("Identity", "NewsServer", "")));
    Edit6->setText(FromBytes(IniReadString("Identity", "Name", "")));
    Edit7->setText(FromBytes(IniReadString("Identity", "Email", "")));
    RadioButton1->setChecked(IniReadBool("Updates", "Automate", false));
    RadioButton2->setChecked(IniReadBool("Updates", "Ask", true));
    RadioButton3->setChecked(IniReadBool("Updates", "Skip", false));
    QDialog::showEvent(event);
}

bool PreferencesDialog::eventFilter(QObject* watched, QEvent* event) {
    if (IsEnterPress(event)) {
        Button1->click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool PreferencesDialog::GoodFields() {
    const std::pair<QLineEdit*, const char*> paths[] = {
        {Edit1, "Netscape Navigator"}, {Edit2, "Internet Explorer"}, {Edit3, "Other Browser"}};
    for (const auto& [edit, browser] : paths) {
        if (edit->text().isEmpty() || IsExecutableFile(ToBytes(edit->text())))
            continue;
        MessageBoxes::Show(this, MessageIcon::Warning,
                           QStringLiteral("Please choose a valid executable for ") +
                               QString::fromLatin1(browser) +
                               QStringLiteral(" or leave the field blank."),
                           Buttons::Ok);
        PageControl1->setCurrentIndex(0);
        edit->setFocus();
        return false;
    }
    const int chosen = ComboBox1->currentIndex();
    if (chosen >= 0 && paths[chosen].first->text().isEmpty()) {
        MessageBoxes::Show(this, MessageIcon::Warning,
                           QStringLiteral("Please choose a valid executable for the default "
                                          "browser. (") +
                               ComboBox1->currentText() + QStringLiteral(")"),
                           Buttons::Ok);
        return false;
    }
    return true;
}

void PreferencesDialog::Button1Click() {
    Guard(this, [this] {
        if (!GoodFields())
            return;
        IniWriteBool("Submissions", "ExternalFill", CheckBox2->isChecked());
        IniWriteString("Browsers", "Netscape Navigator", ToBytes(Edit1->text()));
        IniWriteString("Browsers", "Internet Explorer", ToBytes(Edit2->text()));
        IniWriteString("Browsers", "Other Browser", ToBytes(Edit3->text()));
        IniWriteString("Browsers", "Default", ToBytes(ComboBox1->currentText()));
        IniWriteString("Identity", "Name", ToBytes(Edit6->text()));
        IniWriteString("Identity", "Email", ToBytes(Edit7->text()));
        IniWriteString("Identity", "MailServer", ToBytes(Edit4->text()));
        IniWriteString("Identity", "NewsServer", ToBytes(Edit5->text()));
        IniWriteBool("Updates", "Automate", RadioButton1->isChecked());
        IniWriteBool("Updates", "Ask", RadioButton2->isChecked());
        IniWriteBool("Updates", "Skip", RadioButton3->isChecked());
        accept();
    });
}

void PreferencesDialog::Browse(QLineEdit* edit, const QString& browser) {
    const QString path = FileDialogs::BrowserProgram(this, browser);
    if (!path.isEmpty())
        edit->setText(path);
}

} // namespace siteherald::ui
