#include "main_window.h"

#include "about_dialog.h"
#include "add_files_dialog.h"
#include "core/missing_file.h"
#include "core/settings_keys.h"
#include "engine_editor.h"
#include "event_guard.h"
#include "file_tab.h"
#include "log_notes_tab.h"
#include "main_window_combos.h"
#include "message_box.h"
#include "net/data_update.h"
#include "net/version_check.h"
#include "notes_dialog.h"
#include "preferences_dialog.h"
#include "submit/browser_association.h"
#include "support_dialog.h"
#include "text_codec.h"
#include "view_log_dialog.h"
#include "window_update_ui.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
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
    : QMainWindow(parent), dataDir_(QDir::currentPath()), commandLineFile_(commandLineFile) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Siteherald"));
    statusTimer_.setInterval(2500);
    statusTimer_.setSingleShot(true);
    connect(&statusTimer_, &QTimer::timeout, this, &MainWindow::onStatusTimeout);

    BuildLayout();
    BuildMenus();
    updateUi_ = std::make_unique<WindowUpdateUi>(
        this, statusBar(), &statusTimer_, [this] { RequestQuit(); },
        [this] {
            const QString engine = engineChoice_->currentText();
            FillSeCombo();
            const int kept = IndexOfExact(engineChoice_, engine);
            const int index = kept < 0 && engineChoice_->count() > 0 ? 0 : kept;
            if (kept < 0) {
                SelectQuietly(notesEngineChoice_, index);
                logNotes_->ComboBox10Change(index);
            }
            // Always reloads the engine's record: FillSeCombo left the whole file in
            // seRecordList_.
            SelectQuietly(engineChoice_, index);
            ComboBox2Change(index);
        });
    versionHttp_.IdleHook = [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 10); };
    pageHttp_.IdleHook = [this] {
        ShowProgress();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    };
    pageHttp_.OnRequestDone = [this](THttpCli&, int, int error) {
        requestWasAborted_ = error == kHttpAborted;
    };
    addFilesDialog_ = new AddFilesDialog(
        *document_,
        [this] {
            document_->WriteSDFFiles(true);
            FormActi();
        },
        this);
    supportDialog_ = new SupportDialog(sender_, this);
    preferencesDialog_ = new PreferencesDialog(this);
    aboutDialog_ = new AboutDialog(this);
    engineEditor_ = new EngineEditor(this);
    viewLog_ = new ViewLogDialog(this);
    notes_ = new NotesDialog(this);
    Guard(this, [this] { FormCreate(); });
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildLayout() {
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
    connect(fileTab_, &FileTab::showRequested, this,
            [this] { pages_->setCurrentWidget(filePage_); });
    connect(fileTab_, &FileTab::messageImported, this,
            [this] { editFileButton_->setEnabled(true); });
    connect(fileTab_, &FileTab::knownFilesChanged, this,
            [this] { Guard(this, [this] { FormActi(); }); });
    filePage_ = scrollable(fileTab_);
    promotePage_ = scrollable(BuildPromoteTab());
    logNotes_ = new LogNotesTab([this] { return ToBytes(fileChoice_->currentText()); });
    logNotesPage_ = scrollable(logNotes_);
    notesFileChoice_ = logNotes_->fileChoice();
    notesEngineChoice_ = logNotes_->engineChoice();
    connect(notesFileChoice_, &QComboBox::activated, this, &MainWindow::ComboBox1Change);
    pages_->addTab(filePage_, QStringLiteral("File..."));
    pages_->addTab(promotePage_, QStringLiteral("Promote..."));
    pages_->addTab(logNotesPage_, QStringLiteral("Log/Notes..."));
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
    submitPanel_ = BuildSubmitPanel();
    layout->addWidget(submitPanel_);
    submitPanel_->hide();
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("DownloadProgress"));
    progress_->setMaximumWidth(160);
    progress_->hide();
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
    for (QWidget* tab : {filePage_, promotePage_, logNotesPage_}) {
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
    add(file, QStringLiteral("A&dd"), &MainWindow::onAddFilesClicked);
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
    QMenu* logs = menuBar()->addMenu(QStringLiteral("&Logs"));
    engineLogAction_ = add(logs, QStringLiteral("&Search Engines"), &MainWindow::onShowLogClicked,
                           QKeySequence(Qt::CTRL | Qt::Key_F10));
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

    // The right-click menu of the engine, address and button panels.
    promoteMenu_ = new QMenu(this);
    promoteMenu_->setObjectName(QStringLiteral("PopupMenu5"));
    loadEngineAction_ = promoteMenu_->addAction(QStringLiteral("&Load Search Engine"), this,
                                                &MainWindow::onGoClicked);
    loadInfoAction_ = promoteMenu_->addAction(QStringLiteral("Load &Info URL"), this,
                                              &MainWindow::onInfoAddressClicked);
    promoteMenu_->addSeparator();
    for (QMenu* menu : {engineMenu_, promoteMenu_}) {
        menu->addAction(QStringLiteral("&Add Search Engine"), this,
                        &MainWindow::onAddEngineClicked);
        QAction* remove = menu->addAction(QStringLiteral("&Delete Search Engine"), this,
                                          &MainWindow::onDeleteEngineClicked);
        QAction* edit = menu->addAction(QStringLiteral("&Edit Search Engine"), this,
                                        &MainWindow::onEditEngineClicked);
        remove->setEnabled(false);
        edit->setEnabled(false);
        engineEditActions_ << remove << edit;
    }
    promoteMenu_->addSeparator();
    promoteMenu_->addAction(QStringLiteral("&Show &Notes"), this, &MainWindow::onNotesClicked);
    showLogAction_ =
        promoteMenu_->addAction(QStringLiteral("&Show Log"), this, &MainWindow::onShowLogClicked);
    promoteMenu_->addAction(QStringLiteral("&Submit Mode"), this, &MainWindow::onSubmitModeClicked);
    loadEngineAction_->setEnabled(false);
    loadInfoAction_->setEnabled(false);
    showLogAction_->setEnabled(false);
    QWidget* promotePage = static_cast<QScrollArea*>(promotePage_)->widget();
    promotePage->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(promotePage, &QWidget::customContextMenuRequested, this,
            [this, promotePage](const QPoint& at) {
                promoteMenu_->popup(promotePage->mapToGlobal(at));
            });
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
    FillSeCombo();
    if (engineChoice_->count() > 0) {
        SelectQuietly(engineChoice_, 0);
        ComboBox2Change(0);
        SelectQuietly(submitEngineChoice_, 0);
        SelectQuietly(notesEngineChoice_, 0);
        logNotes_->ComboBox10Change(0);
    }
    FormActi();
    // The silent version check, once the window is up.
    QTimer::singleShot(0, this, [this] {
        if (quitRequested_)
            return;
        SetBusy(true);
        Guard(this, [this] { CheckNewVersion(versionHttp_, false, *updateUi_); });
        SetBusy(false);
    });
}

void MainWindow::RequestQuit() {
    quitRequested_ = true;
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void MainWindow::SetBusy(bool updateRunning) {
    updateIdle_ = !updateRunning;
    updateAction_->setEnabled(!updateRunning);
}

void MainWindow::DoMissingFile(const std::string& fileName) {
    MarkMissingFile(fileName);
    MessageBoxes::Show(this, MessageIcon::Error, FromBytes(std::string(kMissingFilesMessage)),
                       Buttons::Ok);
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

// ---- window events ----

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && document_->filesAdded())
        Guard(this, [this] { FormActi(); });
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
        pageHttp_.Abort();
        versionHttp_.Abort();
        sender_.Abort();
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
