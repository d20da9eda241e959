#include "main_window.h"

#include "about_dialog.h"
#include "add_files_dialog.h"
#include "attach_message_dialog.h"
#include "broadcast_panel.h"
#include "core/engine_records.h"
#include "core/known_files.h"
#include "core/missing_file.h"
#include "core/profiles.h"
#include "core/settings_keys.h"
#include "core/submission_file.h"
#include "engine_editor.h"
#include "event_guard.h"
#include "file_dialogs.h"
#include "log_notes_tab.h"
#include "message_box.h"
#include "net/data_update.h"
#include "net/version_check.h"
#include "notes_dialog.h"
#include "preferences_dialog.h"
#include "profile_editor.h"
#include "submit/browser_association.h"
#include "submit/notes_store.h"
#include "support_dialog.h"
#include "text_codec.h"
#include "view_log_dialog.h"
#include "widgets.h"
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

constexpr const char* kLayoutFile = "filelay.dat";
constexpr const char* kProfsFile = "profs.dat";
constexpr const char* kEngineFile = "sedata.dat";

QComboBox* Combo(const QString& name, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(12);
    return combo;
}

// Fills a combo box without running its change handler.
void SetItems(QComboBox* combo, const std::vector<std::string>& items) {
    const QSignalBlocker quiet(combo);
    combo->clear();
    for (const std::string& item : items)
        combo->addItem(FromBytes(item));
}

void SelectQuietly(QComboBox* combo, int index) {
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(index);
}

int IndexOfExact(const QComboBox* combo, const QString& text) {
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemText(i) == text)
            return i;
    return -1;
}

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
    profileCheckTimer_.setInterval(100);
    profileCheckTimer_.setSingleShot(true);
    connect(&profileCheckTimer_, &QTimer::timeout, this, &MainWindow::onProfileCheckTimeout);

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
        knownFiles_, filesAdded_,
        [this] {
            WriteSDFFiles(true);
            FormActi();
        },
        this);
    attachMessageDialog_ = new AttachMessageDialog(this);
    attachMessageDialog_->Store = [this] {
        return attachMessageDialog_->Editing ? EditAttachment() : AddAttachment();
    };
    attachMessageDialog_->AfterStore = [this] {
        fileSaved_ = false;
        UpdateMessageButtons();
    };
    supportDialog_ = new SupportDialog(sender_, this);
    profileEditor_ = new ProfileEditor(profileChanged_, this);
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
    filePage_ = scrollable(BuildFileTab());
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

QWidget* MainWindow::BuildFileTab() {
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("TabSheet2"));
    auto* newButton =
        NamedButton(QStringLiteral("BitBtn6"), QStringLiteral("New"), QStringLiteral("New"), tab);
    auto* openButton =
        NamedButton(QStringLiteral("BitBtn7"), QStringLiteral("Open"), QStringLiteral("Open"), tab);
    auto* saveButton =
        NamedButton(QStringLiteral("BitBtn8"), QStringLiteral("Save"), QStringLiteral("Save"), tab);
    auto* attachButton = NamedButton(QStringLiteral("BitBtn10"), QStringLiteral("Attach Message"),
                                     QStringLiteral("Attach Message"), tab);
    connect(attachButton, &QPushButton::clicked, this, &MainWindow::CleanForm4);
    profileChoice_ = Combo(QStringLiteral("ComboBox4"), tab);
    profileChoice_->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* profilesButton = NamedButton(QStringLiteral("BitBtn9"), QStringLiteral("Profiles..."),
                                       QStringLiteral("Customize Profiles"), tab);
    connect(newButton, &QPushButton::clicked, this, &MainWindow::onNewClicked);
    connect(openButton, &QPushButton::clicked, this, &MainWindow::onOpenClicked);
    connect(saveButton, &QPushButton::clicked, this, &MainWindow::onSaveClicked);
    connect(profileChoice_, &QComboBox::activated, this, &MainWindow::ComboBox4Change);

    profileMenu_ = new QMenu(this);
    profileMenu_->setObjectName(QStringLiteral("PopupMenu3"));
    profileMenu_->addAction(QStringLiteral("&Add Profile"), this, &MainWindow::onAddProfileClicked);
    profileMenu_->addAction(QStringLiteral("&Delete Profile"), this,
                            &MainWindow::onDeleteProfileClicked);
    profileMenu_->addAction(QStringLiteral("&Edit Profile"), this,
                            &MainWindow::onEditProfileClicked);
    connect(profilesButton, &QPushButton::clicked, this, [this, profilesButton] {
        profileMenu_->popup(profilesButton->mapToGlobal(QPoint(0, profilesButton->height())));
    });
    connect(profileChoice_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { profileMenu_->popup(profileChoice_->mapToGlobal(at)); });

    auto* toolbar = new QHBoxLayout;
    for (QWidget* w :
         std::initializer_list<QWidget*>{newButton, openButton, saveButton, attachButton})
        toolbar->addWidget(w);
    toolbar->addSpacing(12);
    toolbar->addWidget(new QLabel(QStringLiteral("Profile:"), tab));
    toolbar->addWidget(profileChoice_, 1);
    toolbar->addWidget(profilesButton);

    fieldForm_ = new FieldForm(true, tab);
    fieldForm_->setObjectName(QStringLiteral("ScrollBox1"));
    connect(fieldForm_, &FieldForm::changed, this, [this] { SavedFalse(); });

    auto* messages = new QGroupBox(QStringLiteral("Attached Messages:"), tab);
    messageChoice_ = Combo(QStringLiteral("ComboBox5"), messages);
    auto* addMessageButton = NamedButton(QStringLiteral("Button16"), QStringLiteral("Add"),
                                         QStringLiteral("Add a message"), messages);
    editMessageButton_ = NamedButton(QStringLiteral("Button14"), QStringLiteral("Edit"),
                                     QStringLiteral("Edit selected message"), messages);
    removeMessageButton_ = NamedButton(QStringLiteral("Button13"), QStringLiteral("Remove"),
                                       QStringLiteral("Remove selected message"), messages);
    for (QPushButton* b : {editMessageButton_, removeMessageButton_})
        b->setEnabled(false);
    connect(addMessageButton, &QPushButton::clicked, this, &MainWindow::CleanForm4);
    connect(editMessageButton_, &QPushButton::clicked, this,
            [this] { ShowEditAttachment(messageChoice_); });
    connect(removeMessageButton_, &QPushButton::clicked, this,
            [this] { RemoveAttachment(messageChoice_); });
    connect(messageChoice_, &QComboBox::activated, this, &MainWindow::UpdateMessageButtons);
    auto* messageRow = new QHBoxLayout(messages);
    messageRow->addWidget(messageChoice_, 1);
    messageRow->addWidget(addMessageButton);
    messageRow->addWidget(editMessageButton_);
    messageRow->addWidget(removeMessageButton_);

    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(toolbar);
    layout->addWidget(fieldForm_, 1);
    layout->addWidget(messages);
    return tab;
}

QWidget* MainWindow::BuildPromoteTab() {
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("TabSheet1"));
    fileChoice_ = Combo(QStringLiteral("ComboBox1"), tab);
    editFileButton_ = NamedButton(QStringLiteral("BitBtn17"), QStringLiteral("Edit File"),
                                  QStringLiteral("Edit File"), tab);
    editFileButton_->setEnabled(false);
    auto* newFileButton = NamedButton(QStringLiteral("BitBtn18"), QStringLiteral("New File"),
                                      QStringLiteral("New File"), tab);
    auto* addFilesButton = NamedButton(QStringLiteral("Button2"), QStringLiteral("&Add Files"),
                                       QStringLiteral("Add Submission Files"), tab);
    connect(fileChoice_, &QComboBox::activated, this, &MainWindow::ComboBox1Change);
    connect(editFileButton_, &QPushButton::clicked, this, &MainWindow::onEditFileClicked);
    connect(newFileButton, &QPushButton::clicked, this, &MainWindow::onNewClicked);
    connect(addFilesButton, &QPushButton::clicked, this, &MainWindow::onAddFilesClicked);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Current Submission File:"), tab));
    top->addWidget(fileChoice_, 1);
    top->addWidget(editFileButton_);
    top->addWidget(newFileButton);
    top->addWidget(addFilesButton);

    engineChoice_ = Combo(QStringLiteral("ComboBox2"), tab);
    connect(engineChoice_, &QComboBox::currentIndexChanged, this, &MainWindow::ComboBox2Change);
    engineChoice_->installEventFilter(this);
    auto* engines = new QHBoxLayout;
    engines->addWidget(new QLabel(QStringLiteral("Search Engine:"), tab));
    engines->addWidget(engineChoice_, 1);
    auto* customize = NamedButton(QStringLiteral("Button3"), QStringLiteral("..."),
                                  QStringLiteral("Customize Search Engines"), tab);
    customize->setMaximumWidth(customize->fontMetrics().horizontalAdvance(QStringLiteral("...")) +
                               24);
    engines->addWidget(customize);
    engineMenu_ = new QMenu(this);
    engineMenu_->setObjectName(QStringLiteral("PopupMenu2"));
    connect(customize, &QPushButton::clicked, this, [this, customize] {
        engineMenu_->popup(customize->mapToGlobal(QPoint(0, customize->height())));
    });
    submittedBox_ = new QCheckBox(QStringLiteral("Submitted"), tab);
    submittedBox_->setObjectName(QStringLiteral("CheckBox1"));
    connect(submittedBox_, &QCheckBox::toggled, this, &MainWindow::onSubmittedToggled);
    engines->addWidget(submittedBox_);
    showLogButton_ = NamedButton(QStringLiteral("Button6"), QStringLiteral("Show Log"), {}, tab);
    goButton_ = NamedButton(QStringLiteral("BitBtn4"), QStringLiteral("GO!"), {}, tab);
    stopButton_ = NamedButton(QStringLiteral("BitBtn5"), QStringLiteral("Stop"), {}, tab);
    connect(showLogButton_, &QPushButton::clicked, this, &MainWindow::onShowLogClicked);
    connect(goButton_, &QPushButton::clicked, this, &MainWindow::onGoClicked);
    connect(stopButton_, &QPushButton::clicked, this, &MainWindow::onStopClicked);
    engines->addWidget(showLogButton_);
    engines->addWidget(goButton_);
    engines->addWidget(stopButton_);

    auto* addresses = new QGroupBox(tab);
    addresses->setObjectName(QStringLiteral("ScrollBox2"));
    auto* addressGrid = new QGridLayout(addresses);
    submissionCaption_ = new QLabel(QStringLiteral("Submit:"), addresses);
    submissionCaption_->setObjectName(QStringLiteral("Label2"));
    submissionAddressLabel_ = new QLabel(addresses);
    submissionAddressLabel_->setObjectName(QStringLiteral("Label3"));
    infoCaption_ = new QLabel(QStringLiteral("Info:"), addresses);
    infoCaption_->setObjectName(QStringLiteral("Label4"));
    infoAddressLabel_ = new QLabel(addresses);
    infoAddressLabel_->setObjectName(QStringLiteral("Label5"));
    for (QLabel* l : {submissionAddressLabel_, infoAddressLabel_}) {
        l->setCursor(Qt::PointingHandCursor);
        l->setStyleSheet(QStringLiteral("color: #1a4fa0; text-decoration: underline"));
        l->installEventFilter(this);
    }
    for (QLabel* l : {submissionCaption_, submissionAddressLabel_, infoCaption_, infoAddressLabel_})
        l->setToolTipDuration(30000);
    addressGrid->addWidget(submissionCaption_, 0, 0);
    addressGrid->addWidget(submissionAddressLabel_, 0, 1);
    addressGrid->addWidget(infoCaption_, 1, 0);
    addressGrid->addWidget(infoAddressLabel_, 1, 1);
    addressGrid->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    auto* notesButton = NamedButton(QStringLiteral("BitBtn19"), QStringLiteral("Notes"), {}, tab);
    netscapeButton_ = NamedButton(QStringLiteral("BitBtn1"), QStringLiteral("Netcape"), {}, tab);
    explorerButton_ = NamedButton(QStringLiteral("BitBtn2"), QStringLiteral("IExplorer"), {}, tab);
    auto* clipboard = NamedButton(QStringLiteral("BitBtn3"), QStringLiteral("Clipboard"),
                                  QStringLiteral("Copy Data to the Clipboard"), tab);
    submitModeButton_ = NamedButton(QStringLiteral("Button5"), QStringLiteral("Submit Mode"),
                                    QStringLiteral("Shrink Window"), tab);
    connect(notesButton, &QPushButton::clicked, this, &MainWindow::onNotesClicked);
    connect(netscapeButton_, &QPushButton::clicked, this, &MainWindow::onNetscapeClicked);
    connect(explorerButton_, &QPushButton::clicked, this, &MainWindow::onExplorerClicked);
    connect(submitModeButton_, &QPushButton::clicked, this, &MainWindow::onSubmitModeClicked);
    clipboardMenu_ = new QMenu(this);
    clipboardMenu_->setObjectName(QStringLiteral("PopupMenu1"));
    connect(clipboard, &QPushButton::clicked, this, [this, clipboard] {
        clipboardMenu_->popup(
            clipboard->mapToGlobal(QPoint(clipboard->width(), clipboard->height())));
    });
    for (QWidget* w : std::initializer_list<QWidget*>{notesButton, netscapeButton_, explorerButton_,
                                                      clipboard, submitModeButton_})
        buttons->addWidget(w);
    buttons->addStretch();

    broadcast_ = new BroadcastPanel(sender_,
                                    {[this]() -> const LineList& { return currentFileLines_; },
                                     [this] { return fileChoice_->currentText(); },
                                     [this](const QString& text) { SetStatus(text); },
                                     [this](const QString& text) { sendProgress_->setText(text); }},
                                    tab);
    auto* broadcast = broadcast_;

    // Nothing to submit until an engine is chosen.
    for (QWidget* w :
         std::initializer_list<QWidget*>{goButton_, stopButton_, netscapeButton_, explorerButton_,
                                         submitModeButton_, showLogButton_})
        w->setEnabled(false);

    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(top);
    layout->addLayout(engines);
    layout->addWidget(addresses);
    layout->addLayout(buttons);
    layout->addWidget(broadcast, 1);
    return tab;
}

void MainWindow::BuildMenus() {
    auto add = [this](QMenu* menu, const QString& caption, auto slot, QKeySequence shortcut = {}) {
        QAction* action = menu->addAction(caption);
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    add(file, QStringLiteral("&New"), &MainWindow::onNewClicked,
        QKeySequence(Qt::CTRL | Qt::Key_N));
    add(file, QStringLiteral("&Open"), &MainWindow::onOpenClicked,
        QKeySequence(Qt::CTRL | Qt::Key_O));
    add(file, QStringLiteral("&Save"), &MainWindow::onSaveClicked,
        QKeySequence(Qt::CTRL | Qt::Key_S));
    add(file, QStringLiteral("Save &As"), &MainWindow::onSaveAsClicked);
    file->addSeparator();
    add(file, QStringLiteral("&Import"), &MainWindow::onImportClicked);
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
    add(profiles, QStringLiteral("&Add"), &MainWindow::onAddProfileClicked);
    add(profiles, QStringLiteral("&Delete"), &MainWindow::onDeleteProfileClicked);
    add(profiles, QStringLiteral("&Edit"), &MainWindow::onEditProfileClicked);
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
    fileSaved_ = true;
    fileHasName_ = false;
    if (FileExists(kLayoutFile)) {
        DisplayDefaultList();
        const int index = IndexOfExact(profileChoice_, FromBytes(Read(settings::Profile)));
        SelectQuietly(profileChoice_, index);
        ChangeProfile(ToBytes(profileChoice_->currentText()));
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

// ---- search engines ----

void MainWindow::FillSeCombo() {
    std::vector<std::string> names;
    const bool found = siteherald::FillSeCombo(kEngineFile, seRecordList_, names);
    const QString notesEngine = notesEngineChoice_->currentText();
    SetItems(engineChoice_, names);
    SetItems(submitEngineChoice_, names);
    SetItems(notesEngineChoice_, names);
    // The filled list shows its first engine; the notes beside it must be that engine's, or a
    // focus-out would save the notes shown under another engine.
    if (const int kept = IndexOfExact(notesEngineChoice_, notesEngine); kept >= 0)
        SelectQuietly(notesEngineChoice_, kept);
    logNotes_->ComboBox10Change(notesEngineChoice_->currentIndex());
    if (!found)
        DoMissingFile(kEngineFile);
}

void MainWindow::ComboBox2Change(int index) {
    Guard(this, [this, index] {
        const bool selected = index >= 0;
        if (selected) {
            const std::string engine = ToBytes(engineChoice_->itemText(index));
            if (GetSEData(kEngineFile, engine, seRecordList_) == RecordLookup::FileMissing)
                DoMissingFile(kEngineFile);
            const EngineAddresses addresses = ParseSEData(seRecordList_);
            submissionAddressLabel_->setText(FromBytes(addresses.submission));
            infoAddressLabel_->setText(FromBytes(addresses.info));
            const QString notes = FromBytes(GetSubNotes("subnotes.dat", engine, "$Main"));
            for (QWidget* w :
                 std::initializer_list<QWidget*>{submissionCaption_, submissionAddressLabel_,
                                                 infoCaption_, infoAddressLabel_, engineChoice_})
                w->setToolTip(notes);
            SelectQuietly(submitEngineChoice_, index);
            UpdateTickBoxes();
        } else {
            submissionAddressLabel_->clear();
            infoAddressLabel_->clear();
        }
        const bool idle = !stopButton_->isEnabled();
        goButton_->setEnabled(selected && idle);
        loadEngineAction_->setEnabled(selected && idle);
        loadInfoAction_->setEnabled(selected && idle);
        for (QWidget* w :
             std::initializer_list<QWidget*>{netscapeButton_, explorerButton_, submitModeButton_})
            w->setEnabled(selected);
        submitModeAction_->setEnabled(selected);
        for (QAction* action : engineEditActions_)
            action->setEnabled(selected);
    });
}

// ---- the engine list's commands ----

void MainWindow::onAddEngineClicked() {
    engineEditor_->EditEngine(true, {});
    AfterEngineEditor();
}

void MainWindow::onEditEngineClicked() {
    if (engineChoice_->currentIndex() < 0)
        return;
    engineEditor_->EditEngine(false, seRecordList_);
    AfterEngineEditor();
}

void MainWindow::AfterEngineEditor() {
    Guard(this, [this] {
        if (engineEditor_->EngineAdded) {
            const QString engine = engineChoice_->currentText();
            FillSeCombo();
            const int index = IndexOfExact(engineChoice_, engine);
            SelectQuietly(engineChoice_, index >= 0 ? index : 0);
        }
        ComboBox2Change(engineChoice_->currentIndex());
    });
}

void MainWindow::onDeleteEngineClicked() {
    Guard(this, [this] {
        const int index = engineChoice_->currentIndex();
        if (index < 0)
            return;
        const QString name = engineChoice_->currentText();
        if (MessageBoxes::Show(this, MessageIcon::Confirmation,
                               QStringLiteral("Delete \"") + name +
                                   QStringLiteral("\" from the list?"),
                               Buttons::YesNo) != Answer::Yes)
            return;
        if (!RemoveSE(kEngineFile, ToBytes(name)))
            return;
        const QSignalBlocker quiet(engineChoice_);
        engineChoice_->removeItem(index);
        const size_t next = SelectionAfterRemoval(static_cast<size_t>(index),
                                                  static_cast<size_t>(engineChoice_->count()));
        engineChoice_->setCurrentIndex(next == static_cast<size_t>(-1) ? -1
                                                                       : static_cast<int>(next));
        ComboBox2Change(engineChoice_->currentIndex());
    });
}

// ---- profiles ----

void MainWindow::DisplayDefaultList() {
    LineList layout;
    LoadLineFile(kLayoutFile, layout);
    SetItems(profileChoice_, siteherald::DisplayDefaultList(layout));
}

bool MainWindow::ChangeProfile(const std::string& profileName) {
    fieldForm_->Clear();
    fieldAutoFills_.clear();
    LineList layout;
    LoadLineFile(kLayoutFile, layout);
    const auto rows = ReadProfileRows(layout, profileName);
    if (!rows)
        return false;
    for (const auto& row : *rows) {
        for (const FieldDefinition& field : row) {
            fieldAutoFills_.push_back(field.autoFill);
            fieldForm_->AddField(field);
        }
    }
    loadedProfileIndex_ = profileChoice_->currentIndex();
    return true;
}

void MainWindow::ComboBox4Change(int) {
    Guard(this, [this] {
        if (CheckSaved())
            ChangeProfile(ToBytes(profileChoice_->currentText()));
        else
            SelectQuietly(profileChoice_, loadedProfileIndex_);
    });
}

void MainWindow::onDeleteProfileClicked() {
    Guard(this, [this] { DeleteProfile(); });
}

void MainWindow::DeleteProfile() {
    if (profileChoice_->count() < 2) {
        MessageBoxes::Show(this, MessageIcon::Warning,
                           QStringLiteral("You must have at least one profile remaining."),
                           Buttons::Ok);
        return;
    }
    const QString name = profileChoice_->currentText();
    if (MessageBoxes::Show(this, MessageIcon::Confirmation, QStringLiteral("Delete ") + name + "?",
                           Buttons::YesNo) != Answer::Yes)
        return;
    if (!DeleteProfileSection(kLayoutFile, ToBytes(name)))
        MessageBoxes::Show(this, MessageIcon::Information,
                           QStringLiteral("Cannot find selected profile."), Buttons::Ok);
    profileChoice_->removeItem(IndexOfExact(profileChoice_, name));
    SelectQuietly(profileChoice_, 0);
    loadedProfileIndex_ = std::min(loadedProfileIndex_, profileChoice_->count() - 1);
    ComboBox4Change(0);
}

void MainWindow::onProfileCheckTimeout() {
    Guard(this, [this] {
        if (!profileChanged_)
            return;
        if (MessageBoxes::Show(this, MessageIcon::Information,
                               QStringLiteral("The current profile has changed. Reload profile?"),
                               Buttons::YesNo) == Answer::Yes &&
            CheckSaved())
            ChangeProfile(ToBytes(profileChoice_->currentText()));
    });
}

// ---- submission data files ----

bool MainWindow::CheckSaved() {
    if (fileSaved_)
        return true;
    switch (MessageBoxes::Show(this, MessageIcon::Confirmation,
                               QStringLiteral("Save changes to current submission data file?"),
                               Buttons::YesNoCancel)) {
    case Answer::Yes:
        onSaveClicked();
        // A save that did not happen (cancelled or failed) must not let the edits go.
        return fileSaved_;
    case Answer::No:
        fileSaved_ = true;
        return true;
    default:
        return false;
    }
}

void MainWindow::NewFile() {
    if (!CheckSaved())
        return;
    ChangeProfile(ToBytes(profileChoice_->currentText()));
    messageChoice_->clear();
    attachmentLines_.clear();
    removeMessageButton_->setEnabled(false);
    editMessageButton_->setEnabled(false);
    currentFilePath_.clear();
    fileSaved_ = true;
    fileHasName_ = false;
}

void MainWindow::onNewClicked() {
    Guard(this, [this] {
        NewFile();
        pages_->setCurrentWidget(filePage_);
    });
}

void MainWindow::onOpenClicked() {
    Guard(this, [this] {
        const QString path = FileDialogs::OpenSubmissionFile(this);
        QDir::setCurrent(dataDir_);
        if (!path.isEmpty())
            OpenFile(ToBytes(path));
    });
}

void MainWindow::OpenFile(const std::string& path) {
    if (!CheckSaved())
        return;
    LineList file;
    if (!LoadLineFile(path, file))
        throw FileError("Unable to read " + path + ": No such file", path);
    std::string profile = SubmissionFileProfile(file);
    if (!ChangeProfile(profile)) {
        messageChoice_->setCurrentIndex(-1);
        MessageBoxes::Show(
            this, MessageIcon::Error,
            QStringLiteral("Could not find submission file's profile. Loading DEFAULT profile."),
            Buttons::Ok);
        profile = Read(settings::Profile);
        ChangeProfile(profile);
    }
    if (profileChoice_->currentText() != FromBytes(profile)) {
        const int index = IndexOfExact(profileChoice_, FromBytes(profile));
        if (index >= 0) {
            SelectQuietly(profileChoice_, index);
            loadedProfileIndex_ = index;
        }
    }
    messageChoice_->clear();
    attachmentLines_.clear();
    removeMessageButton_->setEnabled(false);
    editMessageButton_->setEnabled(false);
    const SubmissionFileContents contents = ReadSubmissionFile(file, fieldForm_->Values());
    fieldForm_->SetValues(contents.fields);
    attachmentLines_ = contents.attachmentLines;
    ParseAttachments();
    fileSaved_ = true;
    fileHasName_ = true;
    currentFilePath_ = path;
    AddToSDFFiles(path);
}

bool MainWindow::SaveFile(const std::string& path) {
    const std::string profile = profileChoice_->currentIndex() >= 0
                                    ? ToBytes(profileChoice_->currentText())
                                    : std::string();
    const LineList file =
        BuildSubmissionFile(profile, fieldForm_->Values(), attachmentLines_, fieldAutoFills_);
    try {
        SaveLineFile(path, file);
    } catch (const FileError& e) {
        MessageBoxes::Show(this, MessageIcon::Error, FromBytes(e.what()), Buttons::Ok);
        return false;
    }
    fileSaved_ = true;
    fileHasName_ = true;
    currentFilePath_ = path;
    return true;
}

void MainWindow::onSaveClicked() {
    Guard(this, [this] {
        if (fileHasName_)
            SaveFile(currentFilePath_);
        else
            onSaveAsClicked();
    });
}

void MainWindow::onSaveAsClicked() {
    Guard(this, [this] {
        const QString path = FileDialogs::SaveSubmissionFile(this);
        QDir::setCurrent(dataDir_);
        if (path.isEmpty())
            return;
        if (SaveFile(ToBytes(path)))
            AddToSDFFiles(ToBytes(path));
    });
}

void MainWindow::onEditFileClicked() {
    Guard(this, [this] {
        if (fileChoice_->currentIndex() < 0)
            return;
        // The file shown: the known-file list may hold files the lists do not show yet, when
        // profs.dat was missing at their refresh.
        OpenFile(ToBytes(fileChoice_->currentText()));
        pages_->setCurrentWidget(filePage_);
    });
}

void MainWindow::onAddFilesClicked() {
    addFilesDialog_->exec();
}

void MainWindow::AddToSDFFiles(const std::string& path) {
    if (!AddKnownFile(knownFiles_, path))
        return;
    WriteSDFFiles();
    FormActi();
}

void MainWindow::WriteSDFFiles(bool fromAddFilesDialog) {
    if (!fromAddFilesDialog && knownFiles_.empty())
        return;
    WriteKnownFiles(kProfsFile, knownFiles_);
    if (!fromAddFilesDialog)
        Write(settings::Profile, ToBytes(profileChoice_->currentText()));
}

bool MainWindow::GetSDFfiles() {
    // Files that "Add Submission Files" added without writing them (it was closed by the title
    // bar) stay in the list until the next write.
    const std::vector<std::string> unwritten =
        filesAdded_ ? knownFiles_ : std::vector<std::string>{};
    if (!siteherald::GetSDFfiles(kProfsFile, knownFiles_))
        return false;
    for (const std::string& path : KnownFilePaths(unwritten))
        AddKnownFile(knownFiles_, path);
    return true;
}

void MainWindow::DoSDFCombobox() {
    const std::vector<std::string> paths = KnownFilePaths(knownFiles_);
    SetItems(fileChoice_, paths);
    SetItems(notesFileChoice_, paths);
}

void MainWindow::FormActi() {
    const QString remembered = fileChoice_->currentText();
    if (!GetSDFfiles()) {
        DoMissingFile(kProfsFile);
        return;
    }
    DoSDFCombobox();
    if (fileChoice_->count() > 0) {
        if (!remembered.isEmpty()) {
            const int index = IndexOfExact(fileChoice_, remembered);
            SelectQuietly(fileChoice_, index);
            SelectQuietly(notesFileChoice_, index);
            editFileButton_->setEnabled(true);
        } else {
            int index = -1;
            if (!commandLineFile_.empty() && FileExists(commandLineFile_))
                index = IndexOfExact(fileChoice_, FromBytes(commandLineFile_));
            commandLineFile_.clear();
            if (index < 0)
                index = 0;
            SelectQuietly(fileChoice_, index);
            SelectQuietly(notesFileChoice_, index);
        }
    }
    ComboBox1Change(fileChoice_->currentIndex());
    if (firstList_ && fileChoice_->count() == 0)
        pages_->setCurrentWidget(filePage_);
    firstList_ = false;
    filesAdded_ = false;
}

void MainWindow::ComboBox1Change(int index) {
    Guard(this, [this, index] {
        if (index >= 0) {
            SelectQuietly(fileChoice_, index);
            SelectQuietly(notesFileChoice_, index);
            const std::string path = ToBytes(fileChoice_->currentText());
            if (FileExists(path)) {
                editFileButton_->setEnabled(true);
                LoadLineFile(path, currentFileLines_);
                broadcast_->AddMessages();
                FillListBox();
                logNotes_->LoadLog();
                logNotes_->LoadSubnotes();
                UpdateLogControls();
                UpdateTickBoxes();
                return;
            }
            RemoveKnownFile(knownFiles_, path);
            const QSignalBlocker quiet1(fileChoice_);
            const QSignalBlocker quiet9(notesFileChoice_);
            fileChoice_->removeItem(index);
            notesFileChoice_->removeItem(index);
            // The removal moved the choice to a neighbour that was never loaded.
            fileChoice_->setCurrentIndex(-1);
            notesFileChoice_->setCurrentIndex(-1);
        }
        // No current file: nothing of the last one stays on show to be submitted, ticked or
        // noted.
        editFileButton_->setEnabled(false);
        currentFileLines_.clear();
        broadcast_->AddMessages();
        FillListBox();
        logNotes_->ClearFileLog();
        UpdateLogControls();
        UpdateTickBoxes();
    });
}

void MainWindow::CheckCurrentFile() {
    if (currentFilePath_.empty())
        return;
    if (FromBytes(currentFilePath_) != fileChoice_->currentText() &&
        MessageBoxes::Show(this, MessageIcon::Confirmation,
                           QStringLiteral("Change current submission file to file being edited?"),
                           Buttons::YesNo) == Answer::Yes) {
        if (!CheckSaved())
            return;
        const int index = IndexOfExact(fileChoice_, FromBytes(currentFilePath_));
        if (index >= 0)
            SelectQuietly(fileChoice_, index);
    }
    ComboBox1Change(fileChoice_->currentIndex());
}

void MainWindow::onPageChanged(int) {
    Guard(this, [this] {
        if (pages_->currentWidget() == promotePage_)
            CheckCurrentFile();
        else if (pages_->currentWidget() == logNotesPage_)
            logNotes_->RefreshCurrentPage();
    });
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
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && filesAdded_)
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
        if (!CheckSaved()) {
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
        WriteSDFFiles();
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
