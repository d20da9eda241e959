// The main window's submission work: engine choice, GO and Stop, the browsers, the
// "Submitted" tick boxes, logs and notes, the compact submit mode and the clipboard list.
#include "about_dialog.h"
#include "core/engine_records.h"
#include "core/file_url.h"
#include "core/pipe_record.h"
#include "core/product_defaults.h"
#include "core/profiles.h"
#include "core/settings_keys.h"
#include "core/submission_file.h"
#include "event_guard.h"
#include "file_dialogs.h"
#include "log_notes_tab.h"
#include "main_window.h"
#include "net/download.h"
#include "net/version_check.h"
#include "notes_dialog.h"
#include "preferences_dialog.h"
#include "submit/browser_launcher.h"
#include "submit/clipboard_value.h"
#include "submit/desktop_open.h"
#include "submit/fill_pipeline.h"
#include "submit/frame_page.h"
#include "submit/submission_log.h"
#include "text_codec.h"
#include "view_log_dialog.h"
#include "window_update_ui.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <ctime>
#include <optional>

namespace siteherald::ui {

namespace {

constexpr const char* kSubLog = "sub.log";

QPushButton* PanelButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

QWidget* MainWindow::BuildSubmitPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel6"));
    panel->setFixedSize(142, 288);
    Panel7 = new QWidget(panel);
    Panel7->setObjectName(QStringLiteral("Panel7"));
    ComboBox3 = new QComboBox(Panel7);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    connect(ComboBox3, &QComboBox::activated, this, &MainWindow::onSubmitModeEngineChosen);
    CheckBox2 = new QCheckBox(QStringLiteral("Submitted"), Panel7);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    connect(CheckBox2, &QCheckBox::toggled, this, &MainWindow::onSubmittedToggled);
    Button4 = PanelButton(QStringLiteral("Button4"), QStringLiteral("&Log"), Panel7);
    Button4->setEnabled(false);
    connect(Button4, &QPushButton::clicked, this, &MainWindow::onSubmitModeLogClicked);
    auto* top = new QVBoxLayout(Panel7);
    top->setContentsMargins(2, 2, 2, 2);
    top->addWidget(ComboBox3);
    auto* tickRow = new QHBoxLayout;
    tickRow->addWidget(CheckBox2);
    tickRow->addWidget(Button4);
    top->addLayout(tickRow);

    ListBox1 = new QListWidget(panel);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    connect(ListBox1, &QListWidget::itemSelectionChanged, this,
            [this] { Button10->setEnabled(!ListBox1->selectedItems().isEmpty()); });

    Panel8 = new QWidget(panel);
    Panel8->setObjectName(QStringLiteral("Panel8"));
    Button10 = PanelButton(QStringLiteral("Button10"), QStringLiteral("C&opy"), Panel8);
    Button10->setEnabled(false);
    Button11 = PanelButton(QStringLiteral("Button11"), QStringLiteral("&Shrink"), Panel8);
    auto* regular = PanelButton(QStringLiteral("Button7"), QStringLiteral("&Reg. Mode"), Panel8);
    SpeedButton1 =
        PanelButton(QStringLiteral("SpeedButton1"), QStringLiteral("Stay On &Top"), Panel8);
    SpeedButton1->setCheckable(true);
    SpeedButton1->setChecked(true);
    connect(Button10, &QPushButton::clicked, this, &MainWindow::onCopyFieldClicked);
    connect(Button11, &QPushButton::clicked, this, &MainWindow::onShrinkClicked);
    connect(regular, &QPushButton::clicked, this, &MainWindow::onRegularModeClicked);
    connect(SpeedButton1, &QPushButton::toggled, this, &MainWindow::onStayOnTopToggled);
    auto* grid = new QGridLayout(Panel8);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setSpacing(2);
    grid->addWidget(Button10, 0, 0);
    grid->addWidget(Button11, 0, 1);
    grid->addWidget(regular, 1, 0);
    grid->addWidget(SpeedButton1, 1, 1);
    Panel8->setFixedHeight(52);

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel7);
    layout->addWidget(ListBox1, 1);
    layout->addWidget(Panel8);
    return panel;
}

void MainWindow::SetStatus(const QString& text) {
    statusBar()->showMessage(text);
}

// ---- engine choice and the "Submitted" tick boxes ----

void MainWindow::UpdateTickBoxes() {
    const std::string file = ToBytes(ComboBox1->currentText());
    const bool submitted = !file.empty() && ComboBox2->currentIndex() >= 0 &&
                           SubmittedSE(kSubLog, file, ToBytes(ComboBox2->currentText()));
    tickBoxFlag_ = true;
    CheckBox1->setChecked(submitted);
    CheckBox2->setChecked(submitted);
    tickBoxFlag_ = false;
}

void MainWindow::UpdateLogControls() {
    const std::string file = ToBytes(ComboBox1->currentText());
    const bool logged = !file.empty() && InLog(kSubLog, file);
    Button6->setEnabled(logged);
    showLog1_->setEnabled(logged);
    searchEngines1_->setEnabled(logged);
    Button4->setEnabled(logged);
}

void MainWindow::onSubmittedToggled(bool checked) {
    if (tickBoxFlag_)
        return;
    Guard(this, [this, checked] {
        const std::string file = ToBytes(ComboBox1->currentText());
        tickBoxFlag_ = true;
        if (file.empty()) {
            CheckBox1->setChecked(false);
            CheckBox2->setChecked(false);
            tickBoxFlag_ = false;
            return;
        }
        CheckBox1->setChecked(checked);
        CheckBox2->setChecked(checked);
        tickBoxFlag_ = false;
        const std::string engine = ToBytes(ComboBox2->currentText());
        if (checked)
            AddToLog(kSubLog, file, engine, SubmissionDate(std::time(nullptr)));
        else
            RemoveFromLog(kSubLog, file, engine);
        UpdateLogControls();
    });
}

void MainWindow::onSubmitModeEngineChosen(int index) {
    if (tickBoxFlag_)
        return;
    Guard(this, [this, index] {
        if (index < 0) {
            for (QWidget* w : std::initializer_list<QWidget*>{BitBtn4, BitBtn1, BitBtn2, Button5})
                w->setEnabled(false);
            loadSearchEngine1_->setEnabled(false);
            loadInfoUrl1_->setEnabled(false);
            return;
        }
        {
            const QSignalBlocker quiet(ComboBox2);
            ComboBox2->setCurrentIndex(index);
        }
        ComboBox2Change(index);
        BitBtn5->setEnabled(false);
        BitBtn4->setEnabled(true);
        browser_.ServiceApplication = DefaultBrowserPath();
        if (!Read(settings::ExternalFill)) {
            BoxPrompter prompter(this);
            browser_.OpenURL(ToBytes(Label3->text()), prompter);
        } else {
            DownloadAndChangeHTML();
        }
    });
}

// ---- GO and Stop ----

void MainWindow::SetDownloading(bool downloading) {
    for (QWidget* w : std::initializer_list<QWidget*>{BitBtn1, BitBtn2, BitBtn4})
        w->setEnabled(!downloading);
    loadSearchEngine1_->setEnabled(!downloading);
    loadInfoUrl1_->setEnabled(!downloading);
    BitBtn5->setEnabled(downloading);
    progress_->setVisible(downloading);
    if (downloading) {
        progress_->setRange(0, 0);
        progress_->setFormat(QString());
    }
}

void MainWindow::ShowProgress() {
    const long long received = httpCli1_.BytesReceived();
    const long long total = httpCli1_.ContentLength();
    if (total > 0) {
        progress_->setRange(0, 1000);
        progress_->setValue(static_cast<int>(std::min<long long>(received, total) * 1000 / total));
        progress_->setFormat(QStringLiteral("%1 KB, %2%")
                                 .arg(received / 1024)
                                 .arg(std::min<long long>(received, total) * 100 / total));
    } else {
        progress_->setRange(0, 0);
        progress_->setFormat(QStringLiteral("%1 KB").arg(received / 1024));
    }
    progress_->setTextVisible(true);
    progress_->setToolTip(QStringLiteral("%1 bytes received").arg(received));
}

void MainWindow::onGoClicked() {
    Guard(this, [this] {
        if (ComboBox2->currentIndex() >= 0 && !HasSubmissionAddress(SERecordList)) {
            MessageBoxes::Show(this, MessageIcon::Error,
                               FromBytes(DamagedRecordMessage(ToBytes(ComboBox2->currentText()))),
                               Buttons::Ok);
            return;
        }
        const std::string address = ToBytes(Label3->text());
        if (address.empty())
            return;
        if (Read(settings::ExternalFill)) {
            browser_.ServiceApplication = DefaultBrowserPath();
            DownloadAndChangeHTML();
            return;
        }
        const QString engine = ComboBox2->currentText();
        SetStatus(QStringLiteral("Launching ") + engine + QStringLiteral(" in external browser."));
        WwwDde dde;
        dde.ServiceApplication = DefaultBrowserPath();
        BoxPrompter prompter(this);
        const bool opened = dde.OpenURL(address, prompter);
        SetStatus({});
        if (!opened && dde.ServiceApplication.empty())
            MessageBoxes::Show(this, MessageIcon::Error,
                               QStringLiteral("Could not launch ") + engine +
                                   QStringLiteral(" in external browser. Please check Browsers "
                                                  "Preferences."),
                               Buttons::Ok);
    });
}

void MainWindow::onStopClicked() {
    httpCli1_.Abort();
    DownloadAborted = true;
    SetDownloading(false);
}

void MainWindow::DownloadAndChangeHTML() {
    // The record and engine of this run: another engine chosen during the download does not
    // change what is filled in.
    const LineList record = SERecordList;
    const QString engine = ComboBox2->currentText();
    SetDownloading(true);
    SetStatus(QStringLiteral("Downloading ") + engine + QStringLiteral(" (") + Label3->text() +
              QStringLiteral(")"));
    DownloadFinished = false;
    DownloadAborted = false;

    // The banner above the filled page: a page fetched from Main/AdPage when one is set, else
    // made here. A failure keeps the banner there was.
    AdPageLines =
        FetchBanner(httpCli1_, Read(settings::AdPage), ToBytes(engine), std::move(AdPageLines));

    if (!DownloadAborted) {
        if (!FetchSubmissionPage(httpCli1_, record, PageLines)) {
            if (!RequestWasAborted)
                MessageBoxes::Show(
                    this, MessageIcon::Error,
                    UnableToRetrieveText(PipeField(record.empty() ? "" : record[0], 2),
                                         httpCli1_.FailureReason()),
                    Buttons::Ok);
            DownloadAborted = true;
        }
    }
    SetStatus({});
    DownloadFinished = true;
    SetDownloading(false);
    if (!DownloadAborted)
        Guard(this, [&] { ProcessDownload(ToBytes(engine), record); });
    if (!quitRequested_) {
        SetBusy(true);
        Guard(this, [this] { CheckNewVersion(httpCli3_, false, *updateUi_); });
        SetBusy(false);
    }
}

void MainWindow::ProcessDownload(const std::string& engine, const LineList& record) {
    SetStatus(QStringLiteral("Auto-filling submission form."));
    const std::string framePage =
        BuildSubmissionPages(ToBytes(dataDir_), record, CurrentFileLines, PageLines, AdPageLines);
    SetStatus(QStringLiteral("Launching ") + FromBytes(engine) +
              QStringLiteral(" in external browser."));
    BoxPrompter prompter(this);
    if (!browser_.OpenURL(FileUrl(framePage), prompter))
        MessageBoxes::Show(this, MessageIcon::Error,
                           QStringLiteral("Cannot launch submission url in External Browser."),
                           Buttons::Ok);
    SetStatus({});
}

// ---- the named browsers ----

std::string MainWindow::GetBrowserLoc(const char* browser) {
    const bool netscape = std::string_view(browser) == "Netscape Navigator";
    Form9->ShowWithFocus(netscape ? Form9->navigatorPathEdit_ : Form9->explorerPathEdit_);
    const std::string path = Read(settings::BrowserPath(browser));
    return FileExists(path) ? path : std::string();
}

void MainWindow::SubmitWithBrowser(const char* browser, const char* missingText,
                                   const char* launchIn) {
    Guard(this, [&] {
        browser_.ServiceApplication = Read(settings::BrowserPath(browser));
        if (!FileExists(browser_.ServiceApplication)) {
            if (MessageBoxes::Show(this, MessageIcon::Error, QString::fromLatin1(missingText),
                                   Buttons::OkCancel) != Answer::Ok)
                return;
            const std::string path = GetBrowserLoc(browser);
            if (path.empty())
                return;
            browser_.ServiceApplication = path;
        }
        const std::string address = ToBytes(Label3->text());
        if (Read(settings::ExternalFill)) {
            DownloadAndChangeHTML();
            return;
        }
        const QString engine = ComboBox2->currentText();
        SetStatus(QStringLiteral("Launching ") + engine + QString::fromLatin1(launchIn));
        BoxPrompter prompter(this);
        const bool opened = browser_.OpenURL(address, prompter);
        SetStatus({});
        if (!opened)
            MessageBoxes::Show(this, MessageIcon::Error,
                               QStringLiteral("Could not launch ") + engine +
                                   QStringLiteral(". Please check Browsers Preferences."),
                               Buttons::Ok);
    });
    browser_.ServiceApplication.clear();
}

void MainWindow::onNetscapeClicked() {
    SubmitWithBrowser("Netscape Navigator",
                      "You must first give the location for Netscape under Browser Options.",
                      " in Netscape Navigator.");
}

void MainWindow::onExplorerClicked() {
    SubmitWithBrowser("Internet Explorer",
                      "You must first give the location for Internet Explorer under Browser "
                      "Options.",
                      " in Internet Explorer.");
}

void MainWindow::onSubmissionAddressClicked() {
    if (BitBtn4->isEnabled())
        onGoClicked();
}

void MainWindow::onInfoAddressClicked() {
    Guard(this, [this] {
        const QString info = Label5->text();
        if (info.isEmpty())
            return;
        BitBtn4->setEnabled(false);
        BitBtn5->setEnabled(true);
        WwwDde dde;
        dde.ServiceApplication = DefaultBrowserPath();
        BoxPrompter prompter(this);
        const bool opened = dde.OpenURL(ToBytes(info), prompter);
        BitBtn4->setEnabled(true);
        BitBtn5->setEnabled(false);
        if (!opened)
            MessageBoxes::Show(this, MessageIcon::Error,
                               QStringLiteral("Could not launch ") + info +
                                   QStringLiteral(". Please check Browsers Preferences."),
                               Buttons::Ok);
    });
}

void MainWindow::onGotoWebsiteClicked() {
    Guard(this, [this] { AboutDialog::OpenWebsite(this); });
}

void MainWindow::onHelpTopicsClicked() {
    Guard(this, [this] {
        const std::string help = ToBytes(dataDir_) + "/help/index.html";
        std::string error;
        if (!FileExists(help) || !OpenWithDesktop(FileUrl(help), error))
            MessageBoxes::Show(this, MessageIcon::Error,
                               FromBytes("The help pages could not be opened: " + help),
                               Buttons::Ok);
    });
}

// ---- logs and notes ----

void MainWindow::ShowLogViewer(bool besideWindow) {
    Guard(this, [this, besideWindow] {
        const std::string file = ToBytes(ComboBox1->currentText());
        viewLog_->logText_->setPlainText(file.empty() ? QString()
                                                      : JoinedText(LogEntries(kSubLog, file)));
        if (besideWindow) {
            // Beside the compact window: on its left when there is no room on its right.
            const QRect area = screen()->availableGeometry();
            const QRect frame = frameGeometry();
            const int left = area.width() - viewLog_->width() < frame.left() + frame.width()
                                 ? frame.left() - viewLog_->width()
                                 : frame.left() + frame.width();
            viewLog_->move(left, frame.top());
        }
        viewLog_->exec();
    });
}

void MainWindow::onShowLogClicked() {
    ShowLogViewer(false);
}

void MainWindow::onSubmitModeLogClicked() {
    ShowLogViewer(true);
}

void MainWindow::LoadMNLog(const char* fileName) {
    Guard(this, [this, fileName] {
        std::string bytes;
        if (!ReadFileBytes(fileName, bytes))
            return;
        viewLog_->logText_->setPlainText(JoinedText(SplitLines(bytes)));
        viewLog_->exec();
    });
}

void MainWindow::onMailLogClicked() {
    LoadMNLog("mail.log");
}

void MainWindow::onNewsLogClicked() {
    LoadMNLog("news.log");
}

void MainWindow::onNotesClicked() {
    notes_->Edit(ToBytes(ComboBox2->currentText()), ToBytes(ComboBox1->currentText()));
}

// ---- submit mode ----

void MainWindow::onSubmitModeClicked() {
    showNormal();
    PageControl1->hide();
    Panel15->hide();
    menuBar()->hide();
    statusBar()->hide();
    Panel6->show();
    submitMode_ = true;
    centralWidget()->layout()->setContentsMargins(0, 0, 0, 0);
    ResizeClient(142, Panel6->height());
    if (SpeedButton1->isChecked())
        onStayOnTopToggled(true);
}

void MainWindow::ResizeClient(int width, int height) {
    // The layouts take in the controls just shown or hidden first, so the new size is not
    // held up by the old minimum.
    centralWidget()->layout()->invalidate();
    centralWidget()->layout()->activate();
    layout()->invalidate();
    layout()->activate();
    setMinimumSize(0, 0);
    resize(width, height);
}

void MainWindow::onRegularModeClicked() {
    showNormal();
    submitMode_ = false;
    Panel6->hide();
    PageControl1->show();
    menuBar()->show();
    statusBar()->show();
    centralWidget()->layout()->setContentsMargins(4, 4, 4, 0);
    ResizeClient(609, 383 + menuBar()->sizeHint().height());
    if (windowFlags() & Qt::WindowStaysOnTopHint) {
        setWindowFlag(Qt::WindowStaysOnTopHint, false);
        show();
    }
}

void MainWindow::onShrinkClicked() {
    if (Button11->text() == QStringLiteral("&Shrink")) {
        Panel7->hide();
        ListBox1->hide();
        SpeedButton1->hide();
        Panel8->setFixedHeight(27);
        Panel6->setFixedHeight(29);
        ResizeClient(142, 29);
        Button11->setText(QStringLiteral("&Expand"));
    } else {
        SpeedButton1->show();
        Panel8->setFixedHeight(52);
        Panel6->setFixedHeight(288);
        Panel7->show();
        ListBox1->show();
        ResizeClient(142, 288);
        Button11->setText(QStringLiteral("&Shrink"));
    }
}

void MainWindow::onStayOnTopToggled(bool down) {
    if (!submitMode_)
        return;
    const QRect where = geometry();
    setWindowFlag(Qt::WindowStaysOnTopHint, down);
    setGeometry(where);
    show();
}

// ---- the clipboard field list ----

// The field definitions of the current submission file's profile.
std::optional<LineList> MainWindow::CurrentFileProfile() const {
    LineList layout;
    LoadLineFile("filelay.dat", layout);
    return ProfileSection(layout, SubmissionFileProfile(CurrentFileLines));
}

void MainWindow::FillListBox() {
    ListBox1->clear();
    PopupMenu1->clear();
    copyToClipboard_->clear();
    if (CurrentFileLines.empty())
        return;
    const auto section = CurrentFileProfile();
    if (!section)
        return;
    QStringList names;
    for (const std::string& identifier : SubmissionFileFieldNames(CurrentFileLines)) {
        if (identifier == "None")
            continue;
        for (const std::string& line : *section) {
            if (PipeField(line, 4) == identifier) {
                names << FromBytes(PipeField(line, 3));
                break;
            }
        }
    }
    ListBox1->addItems(names);
    for (QMenu* menu : {PopupMenu1, copyToClipboard_}) {
        for (const QString& name : names)
            menu->addAction(name, this, [this, name] { CopyFieldValue(name); });
        if (names.isEmpty())
            menu->addAction(QStringLiteral("Empty"))->setEnabled(false);
    }
}

void MainWindow::CopyFieldValue(const QString& fieldName) {
    Guard(this, [this, &fieldName] {
        const auto section = CurrentFileProfile();
        if (!section)
            return;
        for (const std::string& line : *section) {
            if (PipeField(line, 3) == ToBytes(fieldName)) {
                const std::string value = GetClipboard(CurrentFileLines, PipeField(line, 4));
                QApplication::clipboard()->setText(FromBytes(value));
                return;
            }
        }
    });
}

void MainWindow::onCopyFieldClicked() {
    const auto selected = ListBox1->selectedItems();
    if (!selected.isEmpty())
        CopyFieldValue(selected.front()->text());
}

// ---- small events ----

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == Label3) {
            onSubmissionAddressClicked();
            return true;
        }
        if (watched == Label5) {
            onInfoAddressClicked();
            return true;
        }
    }
    if (watched == ComboBox2 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && BitBtn4->isEnabled()) {
            onGoClicked();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace siteherald::ui
