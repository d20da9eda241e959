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

} // namespace

void MainWindow::SetStatus(const QString& text) {
    statusBar()->showMessage(text);
}

// ---- engine choice and the "Submitted" tick boxes ----

void MainWindow::UpdateTickBoxes() {
    const std::string file = ToBytes(fileChoice_->currentText());
    const bool submitted = !file.empty() && engineChoice_->currentIndex() >= 0 &&
                           SubmittedSE(kSubLog, file, ToBytes(engineChoice_->currentText()));
    tickBoxFlag_ = true;
    submittedBox_->setChecked(submitted);
    submitSubmittedBox_->setChecked(submitted);
    tickBoxFlag_ = false;
}

void MainWindow::UpdateLogControls() {
    const std::string file = ToBytes(fileChoice_->currentText());
    const bool logged = !file.empty() && InLog(kSubLog, file);
    showLogButton_->setEnabled(logged);
    showLogAction_->setEnabled(logged);
    engineLogAction_->setEnabled(logged);
    submitLogButton_->setEnabled(logged);
}

void MainWindow::onSubmittedToggled(bool checked) {
    if (tickBoxFlag_)
        return;
    Guard(this, [this, checked] {
        const std::string file = ToBytes(fileChoice_->currentText());
        tickBoxFlag_ = true;
        if (file.empty()) {
            submittedBox_->setChecked(false);
            submitSubmittedBox_->setChecked(false);
            tickBoxFlag_ = false;
            return;
        }
        submittedBox_->setChecked(checked);
        submitSubmittedBox_->setChecked(checked);
        tickBoxFlag_ = false;
        const std::string engine = ToBytes(engineChoice_->currentText());
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
            for (QWidget* w : std::initializer_list<QWidget*>{goButton_, netscapeButton_,
                                                              explorerButton_, submitModeButton_})
                w->setEnabled(false);
            loadEngineAction_->setEnabled(false);
            loadInfoAction_->setEnabled(false);
            return;
        }
        {
            const QSignalBlocker quiet(engineChoice_);
            engineChoice_->setCurrentIndex(index);
        }
        ComboBox2Change(index);
        stopButton_->setEnabled(false);
        goButton_->setEnabled(true);
        browser_.ServiceApplication = DefaultBrowserPath();
        if (!Read(settings::ExternalFill)) {
            BoxPrompter prompter(this);
            browser_.OpenURL(ToBytes(submissionAddressLabel_->text()), prompter);
        } else {
            DownloadAndChangeHTML();
        }
    });
}

// ---- GO and Stop ----

void MainWindow::SetDownloading(bool downloading) {
    for (QWidget* w : std::initializer_list<QWidget*>{netscapeButton_, explorerButton_, goButton_})
        w->setEnabled(!downloading);
    loadEngineAction_->setEnabled(!downloading);
    loadInfoAction_->setEnabled(!downloading);
    stopButton_->setEnabled(downloading);
    progress_->setVisible(downloading);
    if (downloading) {
        progress_->setRange(0, 0);
        progress_->setFormat(QString());
    }
}

void MainWindow::ShowProgress() {
    const long long received = pageHttp_.BytesReceived();
    const long long total = pageHttp_.ContentLength();
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
        if (engineChoice_->currentIndex() >= 0 && !HasSubmissionAddress(seRecordList_)) {
            MessageBoxes::Show(
                this, MessageIcon::Error,
                FromBytes(DamagedRecordMessage(ToBytes(engineChoice_->currentText()))),
                Buttons::Ok);
            return;
        }
        const std::string address = ToBytes(submissionAddressLabel_->text());
        if (address.empty())
            return;
        if (Read(settings::ExternalFill)) {
            browser_.ServiceApplication = DefaultBrowserPath();
            DownloadAndChangeHTML();
            return;
        }
        const QString engine = engineChoice_->currentText();
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
    pageHttp_.Abort();
    downloadAborted_ = true;
    SetDownloading(false);
}

void MainWindow::DownloadAndChangeHTML() {
    // The record and engine of this run: another engine chosen during the download does not
    // change what is filled in.
    const LineList record = seRecordList_;
    const QString engine = engineChoice_->currentText();
    SetDownloading(true);
    SetStatus(QStringLiteral("Downloading ") + engine + QStringLiteral(" (") +
              submissionAddressLabel_->text() + QStringLiteral(")"));
    downloadFinished_ = false;
    downloadAborted_ = false;

    // The banner above the filled page: a page fetched from Main/AdPage when one is set, else
    // made here. A failure keeps the banner there was.
    adPageLines_ =
        FetchBanner(pageHttp_, Read(settings::AdPage), ToBytes(engine), std::move(adPageLines_));

    if (!downloadAborted_) {
        if (!FetchSubmissionPage(pageHttp_, record, pageLines_)) {
            if (!requestWasAborted_)
                MessageBoxes::Show(
                    this, MessageIcon::Error,
                    UnableToRetrieveText(ParseSEData(record).submission, pageHttp_.FailureReason()),
                    Buttons::Ok);
            downloadAborted_ = true;
        }
    }
    SetStatus({});
    downloadFinished_ = true;
    SetDownloading(false);
    if (!downloadAborted_)
        Guard(this, [&] { ProcessDownload(ToBytes(engine), record); });
    if (!quitRequested_) {
        SetBusy(true);
        Guard(this, [this] { CheckNewVersion(versionHttp_, false, *updateUi_); });
        SetBusy(false);
    }
}

void MainWindow::ProcessDownload(const std::string& engine, const LineList& record) {
    SetStatus(QStringLiteral("Auto-filling submission form."));
    const std::string framePage = BuildSubmissionPages(
        ToBytes(dataDir_), record, document_->currentFileLines(), pageLines_, adPageLines_);
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
    preferencesDialog_->ShowWithFocus(netscape ? preferencesDialog_->navigatorPathEdit_
                                               : preferencesDialog_->explorerPathEdit_);
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
        const std::string address = ToBytes(submissionAddressLabel_->text());
        if (Read(settings::ExternalFill)) {
            DownloadAndChangeHTML();
            return;
        }
        const QString engine = engineChoice_->currentText();
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
    if (goButton_->isEnabled())
        onGoClicked();
}

void MainWindow::onInfoAddressClicked() {
    Guard(this, [this] {
        const QString info = infoAddressLabel_->text();
        if (info.isEmpty())
            return;
        goButton_->setEnabled(false);
        stopButton_->setEnabled(true);
        WwwDde dde;
        dde.ServiceApplication = DefaultBrowserPath();
        BoxPrompter prompter(this);
        const bool opened = dde.OpenURL(ToBytes(info), prompter);
        goButton_->setEnabled(true);
        stopButton_->setEnabled(false);
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
        const std::string file = ToBytes(fileChoice_->currentText());
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
    notes_->Edit(ToBytes(engineChoice_->currentText()), ToBytes(fileChoice_->currentText()));
}

// ---- submit mode ----

void MainWindow::onSubmitModeClicked() {
    showNormal();
    pages_->hide();
    bannerBand_->hide();
    menuBar()->hide();
    statusBar()->hide();
    submitPanel_->show();
    submitMode_ = true;
    centralWidget()->layout()->setContentsMargins(0, 0, 0, 0);
    ResizeClient(142, submitPanel_->height());
    if (stayOnTopButton_->isChecked())
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
    submitPanel_->hide();
    pages_->show();
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
    if (shrinkButton_->text() == QStringLiteral("&Shrink")) {
        submitEnginePanel_->hide();
        fieldList_->hide();
        stayOnTopButton_->hide();
        submitButtonPanel_->setFixedHeight(27);
        submitPanel_->setFixedHeight(29);
        ResizeClient(142, 29);
        shrinkButton_->setText(QStringLiteral("&Expand"));
    } else {
        stayOnTopButton_->show();
        submitButtonPanel_->setFixedHeight(52);
        submitPanel_->setFixedHeight(288);
        submitEnginePanel_->show();
        fieldList_->show();
        ResizeClient(142, 288);
        shrinkButton_->setText(QStringLiteral("&Shrink"));
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
    return ProfileSection(layout, SubmissionFileProfile(document_->currentFileLines()));
}

void MainWindow::FillListBox() {
    fieldList_->clear();
    clipboardMenu_->clear();
    copyToClipboard_->clear();
    if (document_->currentFileLines().empty())
        return;
    const auto section = CurrentFileProfile();
    if (!section)
        return;
    QStringList names;
    for (const std::string& identifier : SubmissionFileFieldNames(document_->currentFileLines())) {
        if (identifier == "None")
            continue;
        for (const std::string& line : *section) {
            if (PipeField(line, 4) == identifier) {
                names << FromBytes(PipeField(line, 3));
                break;
            }
        }
    }
    fieldList_->addItems(names);
    for (QMenu* menu : {clipboardMenu_, copyToClipboard_}) {
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
                const std::string value =
                    GetClipboard(document_->currentFileLines(), PipeField(line, 4));
                QApplication::clipboard()->setText(FromBytes(value));
                return;
            }
        }
    });
}

void MainWindow::onCopyFieldClicked() {
    const auto selected = fieldList_->selectedItems();
    if (!selected.isEmpty())
        CopyFieldValue(selected.front()->text());
}

// ---- small events ----

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == submissionAddressLabel_) {
            onSubmissionAddressClicked();
            return true;
        }
        if (watched == infoAddressLabel_) {
            onInfoAddressClicked();
            return true;
        }
    }
    if (watched == engineChoice_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && goButton_->isEnabled()) {
            onGoClicked();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace siteherald::ui
