#include "main_window.h"

#include "about_dialog.h"
#include "combo_helpers.h"
#include "core/missing_file.h"
#include "core/settings_keys.h"
#include "event_guard.h"
#include "file_tab.h"
#include "index_now_tab.h"
#include "log_notes_tab.h"
#include "message_box.h"
#include "net/data_update.h"
#include "net/version_check.h"
#include "preferences_dialog.h"
#include "submit/browser_association.h"
#include "submit_panel.h"
#include "support_dialog.h"
#include "text_codec.h"
#include "view_log_dialog.h"
#include "window_update_ui.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace siteherald::ui {

namespace {

// A tab page that scrolls only when the window is smaller than the page's controls. It asks for
// the whole page, so the window's size hint fits every page.
class PageArea final : public QScrollArea {
public:
    QSize sizeHint() const override {
        const int frame = 2 * frameWidth();
        return widget()->sizeHint().expandedTo(widget()->minimumSizeHint()) + QSize(frame, frame);
    }
    QSize pageMinimum() const {
        const int frame = 2 * frameWidth();
        return widget()->minimumSizeHint() + QSize(frame, frame);
    }
};

// "800x600" and "10,20"; nullopt for anything else.
std::optional<QSize> ParseSize(const std::string& text) {
    const QStringList parts = QString::fromStdString(text).split(QLatin1Char('x'));
    bool okW = false, okH = false;
    const QSize size =
        parts.size() == 2 ? QSize(parts[0].toInt(&okW), parts[1].toInt(&okH)) : QSize();
    return okW && okH ? std::optional(size) : std::nullopt;
}

std::optional<QPoint> ParsePos(const std::string& text) {
    const QStringList parts = QString::fromStdString(text).split(QLatin1Char(','));
    bool okX = false, okY = false;
    const QPoint pos =
        parts.size() == 2 ? QPoint(parts[0].toInt(&okX), parts[1].toInt(&okY)) : QPoint();
    return okX && okY ? std::optional(pos) : std::nullopt;
}

} // namespace

MainWindow::MainWindow(const std::string& commandLineFile, QWidget* parent)
    : QMainWindow(parent), dataDir_(QDir::currentPath()) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Siteherald"));
    statusTimer_.setInterval(2500);
    statusTimer_.setSingleShot(true);
    connect(&statusTimer_, &QTimer::timeout, this, &MainWindow::onStatusTimeout);

    // The Promote tab asks the preferences for a browser's location.
    preferencesDialog_ = new PreferencesDialog(this);
    BuildLayout(commandLineFile);
    BuildMenus();
    ConnectTabs();
    updateUi_ = std::make_unique<WindowUpdateUi>(
        this, statusBar(), &statusTimer_, [this] { RequestQuit(); },
        [this] {
            if (promoteTab_->ReloadEngines())
                return;
            const int index = notesEngineChoice_->count() > 0 ? 0 : -1;
            SelectQuietly(notesEngineChoice_, index);
            logNotes_->ComboBox10Change(index);
        });
    versionHttp_.IdleHook = [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 10); };
    supportDialog_ = new SupportDialog(sender_, this);
    aboutDialog_ = new AboutDialog(this);
    viewLog_ = new ViewLogDialog(this);
    Guard(this, [this] { FormCreate(); });
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildLayout(const std::string& commandLineFile) {
    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    // Each page scrolls when the window is smaller than its controls, so the window can take
    // any size (the compact and regular sizes are fixed).
    const auto scrollable = [](QWidget* page) {
        auto* area = new PageArea;
        area->setObjectName(page->objectName());
        page->setObjectName(page->objectName() + QStringLiteral("Page"));
        area->setWidget(page);
        area->setWidgetResizable(true);
        area->setFrameShape(QFrame::NoFrame);
        return area;
    };
    fileTab_ = new FileTab(dataDir_, this);
    document_ = &fileTab_->document();
    filePage_ = scrollable(fileTab_);
    submitPanel_ = new SubmitPanel(this);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("DownloadProgress"));
    progress_->setMaximumWidth(160);
    progress_->hide();
    promoteTab_ = new PromoteTab({*document_, sender_, *preferencesDialog_, *submitPanel_,
                                  *progress_, dataDir_, commandLineFile},
                                 this);
    promotePage_ = scrollable(promoteTab_);
    logNotes_ = new LogNotesTab([this] { return promoteTab_->currentFile(); });
    logNotesPage_ = scrollable(logNotes_);
    indexNow_ = new IndexNowTab(
        {[this]() -> const LineList& { return document_->currentFileLines(); }, dataDir_,
         [this](const QString& text) { statusBar()->showMessage(text); }});
    indexNowPage_ = scrollable(indexNow_);
    notesFileChoice_ = logNotes_->fileChoice();
    notesEngineChoice_ = logNotes_->engineChoice();
    pages_->addTab(filePage_, QStringLiteral("File..."));
    pages_->addTab(promotePage_, QStringLiteral("Promote..."));
    pages_->addTab(logNotesPage_, QStringLiteral("Log/Notes..."));
    pages_->addTab(indexNowPage_, QStringLiteral("Index Now"));
    pages_->setCurrentWidget(promotePage_);
    connect(pages_, &QTabWidget::currentChanged, this, &MainWindow::onPageChanged);

    // The band below the tabs held an advertising banner; no banner is shown, so it stays
    // hidden and takes no room.
    bannerBand_ = new QWidget(this);
    bannerBand_->setObjectName(QStringLiteral("Panel15"));
    bannerBand_->hide();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->addWidget(pages_, 1);
    layout->addWidget(bannerBand_);
    layout->addWidget(submitPanel_);
    submitPanel_->hide();
    statusBar()->addPermanentWidget(progress_);
    setCentralWidget(central);
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    sendProgress_ = new QLabel(this);
    sendProgress_->setObjectName(QStringLiteral("SendProgress"));
    statusBar()->addPermanentWidget(sendProgress_);
}

QRect MainWindow::NormalGeometry() {
    // The pages' own hints, plus the menu bar, tabs and status bar around them.
    QSize pagesHint, pagesMinimum;
    for (QWidget* tab : {filePage_, promotePage_, logNotesPage_, indexNowPage_}) {
        const auto* page = static_cast<const PageArea*>(tab);
        pagesHint = pagesHint.expandedTo(page->sizeHint());
        pagesMinimum = pagesMinimum.expandedTo(page->pageMinimum());
    }
    const QSize around = sizeHint() - pagesHint;
    const QRect screen = this->screen()->availableGeometry();
    const QSize hint = sizeHint().boundedTo(screen.size());
    // A stored size too small for the pages, or a position off every screen, is left for the
    // computed one.
    QSize size = ParseSize(Read(settings::WindowSize)).value_or(QSize()).boundedTo(screen.size());
    if (size.width() < around.width() + pagesMinimum.width() ||
        size.height() < around.height() + pagesMinimum.height())
        size = hint;
    const std::optional<QPoint> pos = ParsePos(Read(settings::WindowPos));
    if (pos && QGuiApplication::screenAt(*pos))
        return QRect(*pos, size);
    QRect centred(QPoint(), size);
    centred.moveCenter(screen.center());
    return centred;
}

void MainWindow::BuildMenus() {
    const auto addTo = [](QMenu* menu, const QString& caption, auto* receiver, auto slot,
                          QKeySequence shortcut = {}) {
        QAction* action = menu->addAction(caption);
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, receiver, slot);
        return action;
    };
    auto add = [this](QMenu* menu, const QString& caption, auto slot, QKeySequence shortcut = {}) {
        QAction* action = menu->addAction(caption);
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    addTo(file, QStringLiteral("&New"), fileTab_, &FileTab::onNewClicked,
          QKeySequence(Qt::CTRL | Qt::Key_N));
    addTo(file, QStringLiteral("&Open"), fileTab_, &FileTab::onOpenClicked,
          QKeySequence(Qt::CTRL | Qt::Key_O));
    addTo(file, QStringLiteral("&Save"), fileTab_, &FileTab::onSaveClicked,
          QKeySequence(Qt::CTRL | Qt::Key_S));
    addTo(file, QStringLiteral("Save &As"), fileTab_, &FileTab::onSaveAsClicked);
    file->addSeparator();
    addTo(file, QStringLiteral("&Import"), fileTab_, &FileTab::onImportClicked);
    addTo(file, QStringLiteral("A&dd"), promoteTab_, &PromoteTab::onAddFilesClicked);
    updateAction_ = add(file, QStringLiteral("&Update"), &MainWindow::onUpdateClicked);
    file->addSeparator();
    add(file, QStringLiteral("E&xit"), &MainWindow::close);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    const auto focusedEdit = [] { return QApplication::focusWidget(); };
    add(
        edit, QStringLiteral("C&ut"),
        [focusedEdit] {
            if (auto* line = qobject_cast<QLineEdit*>(focusedEdit()))
                line->cut();
            else if (auto* memo = qobject_cast<QPlainTextEdit*>(focusedEdit()))
                memo->cut();
        },
        QKeySequence(Qt::CTRL | Qt::Key_X));
    add(
        edit, QStringLiteral("&Copy"),
        [focusedEdit] {
            if (auto* line = qobject_cast<QLineEdit*>(focusedEdit()))
                line->copy();
            else if (auto* memo = qobject_cast<QPlainTextEdit*>(focusedEdit()))
                memo->copy();
        },
        QKeySequence(Qt::CTRL | Qt::Key_C));
    add(
        edit, QStringLiteral("&Paste"),
        [focusedEdit] {
            if (QApplication::clipboard()->text().isEmpty())
                return;
            if (auto* line = qobject_cast<QLineEdit*>(focusedEdit()))
                line->paste();
            else if (auto* memo = qobject_cast<QPlainTextEdit*>(focusedEdit()))
                memo->paste();
        },
        QKeySequence(Qt::CTRL | Qt::Key_V));
    copyToClipboard_ = menuBar()->addMenu(QStringLiteral("&Copy to Clipboard"));
    copyToClipboard_->setObjectName(QStringLiteral("CopytoClipboard1"));
    promoteTab_->AddFieldMenu(copyToClipboard_);
    QMenu* logs = menuBar()->addMenu(QStringLiteral("&Logs"));
    engineLogAction_ = addTo(logs, QStringLiteral("&Search Engines"), promoteTab_,
                             &PromoteTab::onShowLogClicked, QKeySequence(Qt::CTRL | Qt::Key_F10));
    engineLogAction_->setEnabled(false);
    add(logs, QStringLiteral("&Mailing Lists"), &MainWindow::onMailLogClicked,
        QKeySequence(Qt::CTRL | Qt::Key_F11));
    add(logs, QStringLiteral("&Newsgroups"), &MainWindow::onNewsLogClicked,
        QKeySequence(Qt::CTRL | Qt::Key_F12));
    QMenu* profiles = menuBar()->addMenu(QStringLiteral("&Profiles"));
    addTo(profiles, QStringLiteral("&Add"), fileTab_, &FileTab::onAddProfileClicked);
    addTo(profiles, QStringLiteral("&Delete"), fileTab_, &FileTab::onDeleteProfileClicked);
    addTo(profiles, QStringLiteral("&Edit"), fileTab_, &FileTab::onEditProfileClicked);
    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    add(options, QStringLiteral("&Preferences"), &MainWindow::onPreferencesClicked,
        QKeySequence(Qt::CTRL | Qt::Key_P));
    QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
    submitModeAction_ = add(window, QStringLiteral("&Submit Mode"),
                            &MainWindow::onSubmitModeClicked, QKeySequence(Qt::Key_F10));
    submitModeAction_->setEnabled(false);
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    add(help, QStringLiteral("&Help Topics"), &MainWindow::onHelpTopicsClicked);
    add(help, QStringLiteral("&E-mail Support"), &MainWindow::onEmailSupportClicked);
    add(help, QStringLiteral("&Goto Website"), &MainWindow::onGotoWebsiteClicked);
    add(help, QStringLiteral("&About"), &MainWindow::onAboutClicked);
}

void MainWindow::ConnectTabs() {
    const auto showFileTab = [this] { pages_->setCurrentWidget(filePage_); };
    connect(fileTab_, &FileTab::showRequested, this, showFileTab);
    connect(fileTab_, &FileTab::messageImported, promoteTab_, &PromoteTab::EnableEditFile);
    connect(fileTab_, &FileTab::knownFilesChanged, this,
            [this] { Guard(this, [this] { promoteTab_->FormActi(); }); });

    connect(promoteTab_, &PromoteTab::newFileRequested, fileTab_, &FileTab::onNewClicked);
    connect(promoteTab_, &PromoteTab::fileTabRequested, this, showFileTab);
    connect(promoteTab_, &PromoteTab::submitModeRequested, this, &MainWindow::onSubmitModeClicked);
    connect(promoteTab_, &PromoteTab::statusText, this,
            [this](const QString& text) { statusBar()->showMessage(text); });
    connect(promoteTab_, &PromoteTab::sendProgressText, sendProgress_, &QLabel::setText);
    connect(promoteTab_, &PromoteTab::engineSelected, submitModeAction_, &QAction::setEnabled);
    connect(promoteTab_, &PromoteTab::fileLogged, engineLogAction_, &QAction::setEnabled);
    connect(promoteTab_, &PromoteTab::downloadEnded, this, &MainWindow::CheckVersionQuietly);

    // The Log/Notes tab keeps the Promote tab's engines and files.
    connect(promoteTab_, &PromoteTab::enginesListed, this, &MainWindow::ListNotesEngines);
    connect(promoteTab_, &PromoteTab::filesListed, this,
            [this](const std::vector<std::string>& paths) { SetItems(notesFileChoice_, paths); });
    connect(promoteTab_, &PromoteTab::fileShown, this,
            [this](int index) { SelectQuietly(notesFileChoice_, index); });
    connect(promoteTab_, &PromoteTab::fileDropped, this, [this](int index) {
        const QSignalBlocker quiet(notesFileChoice_);
        notesFileChoice_->removeItem(index);
        notesFileChoice_->setCurrentIndex(-1);
    });
    connect(promoteTab_, &PromoteTab::currentFileChanged, this, [this](bool loaded) {
        Guard(this, [this, loaded] {
            indexNow_->TakeSiteFromCurrentFile();
            if (!loaded) {
                logNotes_->ClearFileLog();
                return;
            }
            logNotes_->LoadLog();
            logNotes_->LoadSubnotes();
        });
    });
    connect(notesFileChoice_, &QComboBox::activated, promoteTab_, &PromoteTab::ComboBox1Change);

    connect(submitPanel_, &SubmitPanel::regularModeRequested, this,
            &MainWindow::onRegularModeClicked);
    connect(submitPanel_, &SubmitPanel::stayOnTopToggled, this, &MainWindow::onStayOnTopToggled);
    connect(submitPanel_, &SubmitPanel::sizeChanged, this,
            [this](QSize size) { ResizeClient(size.width(), size.height()); });
}

void MainWindow::ListNotesEngines(const std::vector<std::string>& names) {
    const QString notesEngine = notesEngineChoice_->currentText();
    SetItems(notesEngineChoice_, names);
    // The filled list shows its first engine; the notes beside it must be that engine's, or a
    // focus-out would save the notes shown under another engine.
    if (const int kept = IndexOfExact(notesEngineChoice_, notesEngine); kept >= 0)
        SelectQuietly(notesEngineChoice_, kept);
    logNotes_->ComboBox10Change(notesEngineChoice_->currentIndex());
}

void MainWindow::FormCreate() {
    MandatoryUpgradePending(*updateUi_); // when pending, the program ends on its first event
    if (Read(settings::InstallId) == 0)
        Write(settings::InstallId,
              static_cast<int>(QRandomGenerator::global()->bounded(999999999)));
    if (Read(settings::FirstStart)) {
        std::string browser = GetProgramAssociation("http");
        if (browser.empty())
            browser = GetProgramAssociation("htm");
        if (!browser.empty()) {
            Write(settings::BrowserPath("Other Browser"), browser);
            Write(settings::DefaultBrowser, "Other Browser");
        }
        Write(settings::FirstStart, false);
    }
}

void MainWindow::Start() {
    // Before the first show, so a maximized window also returns to it.
    setGeometry(NormalGeometry());
    if (Read(settings::WindowState) == "wsNormal")
        show();
    else
        showMaximized();
    Guard(this, [this] { FirstShow(); });
}

void MainWindow::FirstShow() {
    document_->MarkSaved();
    if (FileExists(kLayoutFile)) {
        fileTab_->DisplayDefaultList();
        fileTab_->LoadStartProfile();
    }
    if (!firstShow_)
        return;
    firstShow_ = false;
    for (const char* file : {kEngineFile, kLayoutFile, kProfsFile})
        if (const std::string warning = DamagedDataFileWarning(file); !warning.empty())
            MessageBoxes::Show(this, MessageIcon::Warning, FromBytes(warning), Buttons::Ok);
    promoteTab_->FillSeCombo();
    if (promoteTab_->ShowFirstEngine()) {
        SelectQuietly(notesEngineChoice_, 0);
        logNotes_->ComboBox10Change(0);
    }
    promoteTab_->FormActi();
    // The silent version check, once the window is up.
    QTimer::singleShot(0, this, &MainWindow::CheckVersionQuietly);
}

void MainWindow::CheckVersionQuietly() {
    if (quitRequested_)
        return;
    SetBusy(true);
    Guard(this, [this] { CheckNewVersion(versionHttp_, false, *updateUi_); });
    SetBusy(false);
}

void MainWindow::RequestQuit() {
    quitRequested_ = true;
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void MainWindow::SetBusy(bool updateRunning) {
    updateIdle_ = !updateRunning;
    updateAction_->setEnabled(!updateRunning);
}

// ---- updates ----

void MainWindow::onUpdateClicked() {
    SetBusy(true);
    Guard(this, [this] { RunDataUpdate(versionHttp_, ToBytes(dataDir_), *updateUi_); });
    SetBusy(false);
}

void MainWindow::onStatusTimeout() {
    statusBar()->clearMessage();
    QFont font = statusBar()->font();
    font.setBold(false);
    statusBar()->setFont(font);
}

void MainWindow::onPageChanged(int) {
    Guard(this, [this] {
        if (pages_->currentWidget() == promotePage_)
            promoteTab_->CheckCurrentFile();
        else if (pages_->currentWidget() == logNotesPage_)
            logNotes_->RefreshCurrentPage();
        else if (pages_->currentWidget() == indexNowPage_)
            indexNow_->LoadLog();
    });
}

// ---- submit mode: the compact panel alone ----

void MainWindow::onSubmitModeClicked() {
    showNormal();
    pages_->hide();
    bannerBand_->hide();
    menuBar()->hide();
    statusBar()->hide();
    submitPanel_->show();
    submitMode_ = true;
    centralWidget()->layout()->setContentsMargins(0, 0, 0, 0);
    ResizeClient(submitPanel_->width(), submitPanel_->height());
    if (submitPanel_->staysOnTop())
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

void MainWindow::onStayOnTopToggled(bool down) {
    if (!submitMode_)
        return;
    const QRect where = geometry();
    setWindowFlag(Qt::WindowStaysOnTopHint, down);
    setGeometry(where);
    show();
}

// ---- window events ----

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && document_->filesAdded())
        Guard(this, [this] { promoteTab_->FormActi(); });
    if (event->type() == QEvent::WindowStateChange && submitMode_ && isMaximized())
        onRegularModeClicked();
    QMainWindow::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    bool close = true;
    if (submitMode_) {
        // The first request only brings the regular window back; it closes next time.
        onRegularModeClicked();
        close = false;
    }
    Guard(this, [&] {
        if (!document_->CheckSaved()) {
            close = false;
            return;
        }
        if (AnyTransferRunning() &&
            MessageBoxes::Show(this, MessageIcon::Confirmation,
                               QStringLiteral("Siteherald is in the middle of downloading. Quit "
                                              "anyway?"),
                               Buttons::YesNo) != Answer::Yes) {
            close = false;
            return;
        }
        promoteTab_->AbortDownload();
        versionHttp_.Abort();
        sender_.Abort();
        indexNow_->Stop();
        document_->WriteSDFFiles();
        Write(settings::WindowState, isMaximized() ? "wsMaximized" : "wsNormal");
        const QRect normal = isMaximized() ? normalGeometry() : geometry();
        if (normal.isValid()) {
            Write(settings::WindowSize,
                  QStringLiteral("%1x%2").arg(normal.width()).arg(normal.height()).toStdString());
            Write(settings::WindowPos,
                  QStringLiteral("%1,%2").arg(normal.x()).arg(normal.y()).toStdString());
        }
    });
    if (close)
        event->accept();
    else
        event->ignore();
}

} // namespace siteherald::ui
