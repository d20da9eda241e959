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
    Timer1.setInterval(2500);
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, &MainWindow::onStatusTimeout);
    Timer2.setInterval(100);
    Timer2.setSingleShot(true);
    connect(&Timer2, &QTimer::timeout, this, &MainWindow::onProfileCheckTimeout);

    BuildLayout();
    BuildMenus();
    updateUi_ = std::make_unique<WindowUpdateUi>(
        this, statusBar(), &Timer1, [this] { RequestQuit(); },
        [this] {
            const QString engine = ComboBox2->currentText();
            FillSeCombo();
            const int kept = IndexOfExact(ComboBox2, engine);
            const int index = kept < 0 && ComboBox2->count() > 0 ? 0 : kept;
            if (kept < 0) {
                SelectQuietly(ComboBox10, index);
                logNotes_->ComboBox10Change(index);
            }
            // Always reloads the engine's record: FillSeCombo left the whole file in
            // SERecordList.
            SelectQuietly(ComboBox2, index);
            ComboBox2Change(index);
        });
    httpCli3_.IdleHook = [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 10); };
    httpCli1_.IdleHook = [this] {
        ShowProgress();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    };
    httpCli1_.OnRequestDone = [this](THttpCli&, int, int error) {
        RequestWasAborted = error == kHttpAborted;
    };
    addFilesDialog_ = new AddFilesDialog(
        KnownFiles, FilesAdded,
        [this] {
            WriteSDFFiles(true);
            FormActi();
        },
        this);
    Form4 = new AttachMessageDialog(this);
    Form4->Store = [this] { return Form4->Editing ? EditAttachment() : AddAttachment(); };
    Form4->AfterStore = [this] {
        FileSaved = false;
        UpdateMessageButtons();
    };
    Form14 = new SupportDialog(sender_, this);
    Form5 = new ProfileEditor(ProfileChanged, this);
    Form9 = new PreferencesDialog(this);
    Form13 = new AboutDialog(this);
    engineEditor_ = new EngineEditor(this);
    viewLog_ = new ViewLogDialog(this);
    notes_ = new NotesDialog(this);
    Guard(this, [this] { FormCreate(); });
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildLayout() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
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
    TabSheet2 = scrollable(BuildFileTab());
    TabSheet1 = scrollable(BuildPromoteTab());
    logNotes_ = new LogNotesTab([this] { return ToBytes(ComboBox1->currentText()); });
    TabSheet4 = scrollable(logNotes_);
    ComboBox9 = logNotes_->fileChoice();
    ComboBox10 = logNotes_->engineChoice();
    connect(ComboBox9, &QComboBox::activated, this, &MainWindow::ComboBox1Change);
    PageControl1->addTab(TabSheet2, QStringLiteral("File..."));
    PageControl1->addTab(TabSheet1, QStringLiteral("Promote..."));
    PageControl1->addTab(TabSheet4, QStringLiteral("Log/Notes..."));
    PageControl1->setCurrentWidget(TabSheet1);
    connect(PageControl1, &QTabWidget::currentChanged, this, &MainWindow::onPageChanged);

    // The band below the tabs held an advertising banner; no banner is shown, so it stays
    // hidden and takes no room.
    Panel15 = new QWidget(this);
    Panel15->setObjectName(QStringLiteral("Panel15"));
    Panel15->hide();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(Panel15);
    Panel6 = BuildSubmitPanel();
    layout->addWidget(Panel6);
    Panel6->hide();
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
    for (QWidget* tab : {TabSheet2, TabSheet1, TabSheet4}) {
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
    auto* New =
        NamedButton(QStringLiteral("BitBtn6"), QStringLiteral("New"), QStringLiteral("New"), tab);
    auto* Open =
        NamedButton(QStringLiteral("BitBtn7"), QStringLiteral("Open"), QStringLiteral("Open"), tab);
    auto* Save =
        NamedButton(QStringLiteral("BitBtn8"), QStringLiteral("Save"), QStringLiteral("Save"), tab);
    auto* Attach = NamedButton(QStringLiteral("BitBtn10"), QStringLiteral("Attach Message"),
                               QStringLiteral("Attach Message"), tab);
    connect(Attach, &QPushButton::clicked, this, &MainWindow::CleanForm4);
    ComboBox4 = Combo(QStringLiteral("ComboBox4"), tab);
    ComboBox4->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* Customize = NamedButton(QStringLiteral("BitBtn9"), QStringLiteral("Profiles..."),
                                  QStringLiteral("Customize Profiles"), tab);
    connect(New, &QPushButton::clicked, this, &MainWindow::onNewClicked);
    connect(Open, &QPushButton::clicked, this, &MainWindow::onOpenClicked);
    connect(Save, &QPushButton::clicked, this, &MainWindow::onSaveClicked);
    connect(ComboBox4, &QComboBox::activated, this, &MainWindow::ComboBox4Change);

    PopupMenu3 = new QMenu(this);
    PopupMenu3->setObjectName(QStringLiteral("PopupMenu3"));
    PopupMenu3->addAction(QStringLiteral("&Add Profile"), this, &MainWindow::onAddProfileClicked);
    PopupMenu3->addAction(QStringLiteral("&Delete Profile"), this,
                          &MainWindow::onDeleteProfileClicked);
    PopupMenu3->addAction(QStringLiteral("&Edit Profile"), this, &MainWindow::onEditProfileClicked);
    connect(Customize, &QPushButton::clicked, this, [this, Customize] {
        PopupMenu3->popup(Customize->mapToGlobal(QPoint(0, Customize->height())));
    });
    connect(ComboBox4, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu3->popup(ComboBox4->mapToGlobal(at)); });

    auto* toolbar = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{New, Open, Save, Attach})
        toolbar->addWidget(w);
    toolbar->addSpacing(12);
    toolbar->addWidget(new QLabel(QStringLiteral("Profile:"), tab));
    toolbar->addWidget(ComboBox4, 1);
    toolbar->addWidget(Customize);

    ScrollBox1 = new FieldForm(true, tab);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    connect(ScrollBox1, &FieldForm::changed, this, [this] { SavedFalse(); });

    auto* messages = new QGroupBox(QStringLiteral("Attached Messages:"), tab);
    ComboBox5 = Combo(QStringLiteral("ComboBox5"), messages);
    auto* Add = NamedButton(QStringLiteral("Button16"), QStringLiteral("Add"),
                            QStringLiteral("Add a message"), messages);
    Button14 = NamedButton(QStringLiteral("Button14"), QStringLiteral("Edit"),
                           QStringLiteral("Edit selected message"), messages);
    Button13 = NamedButton(QStringLiteral("Button13"), QStringLiteral("Remove"),
                           QStringLiteral("Remove selected message"), messages);
    for (QPushButton* b : {Button14, Button13})
        b->setEnabled(false);
    connect(Add, &QPushButton::clicked, this, &MainWindow::CleanForm4);
    connect(Button14, &QPushButton::clicked, this, [this] { ShowEditAttachment(ComboBox5); });
    connect(Button13, &QPushButton::clicked, this, [this] { RemoveAttachment(ComboBox5); });
    connect(ComboBox5, &QComboBox::activated, this, &MainWindow::UpdateMessageButtons);
    auto* messageRow = new QHBoxLayout(messages);
    messageRow->addWidget(ComboBox5, 1);
    messageRow->addWidget(Add);
    messageRow->addWidget(Button14);
    messageRow->addWidget(Button13);

    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(toolbar);
    layout->addWidget(ScrollBox1, 1);
    layout->addWidget(messages);
    return tab;
}

QWidget* MainWindow::BuildPromoteTab() {
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("TabSheet1"));
    ComboBox1 = Combo(QStringLiteral("ComboBox1"), tab);
    BitBtn17 = NamedButton(QStringLiteral("BitBtn17"), QStringLiteral("Edit File"),
                           QStringLiteral("Edit File"), tab);
    BitBtn17->setEnabled(false);
    auto* NewFileButton = NamedButton(QStringLiteral("BitBtn18"), QStringLiteral("New File"),
                                      QStringLiteral("New File"), tab);
    auto* AddFiles = NamedButton(QStringLiteral("Button2"), QStringLiteral("&Add Files"),
                                 QStringLiteral("Add Submission Files"), tab);
    connect(ComboBox1, &QComboBox::activated, this, &MainWindow::ComboBox1Change);
    connect(BitBtn17, &QPushButton::clicked, this, &MainWindow::onEditFileClicked);
    connect(NewFileButton, &QPushButton::clicked, this, &MainWindow::onNewClicked);
    connect(AddFiles, &QPushButton::clicked, this, &MainWindow::onAddFilesClicked);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Current Submission File:"), tab));
    top->addWidget(ComboBox1, 1);
    top->addWidget(BitBtn17);
    top->addWidget(NewFileButton);
    top->addWidget(AddFiles);

    ComboBox2 = Combo(QStringLiteral("ComboBox2"), tab);
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, &MainWindow::ComboBox2Change);
    ComboBox2->installEventFilter(this);
    auto* engines = new QHBoxLayout;
    engines->addWidget(new QLabel(QStringLiteral("Search Engine:"), tab));
    engines->addWidget(ComboBox2, 1);
    auto* customize = NamedButton(QStringLiteral("Button3"), QStringLiteral("..."),
                                  QStringLiteral("Customize Search Engines"), tab);
    customize->setMaximumWidth(customize->fontMetrics().horizontalAdvance(QStringLiteral("...")) +
                               24);
    engines->addWidget(customize);
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    connect(customize, &QPushButton::clicked, this, [this, customize] {
        PopupMenu2->popup(customize->mapToGlobal(QPoint(0, customize->height())));
    });
    CheckBox1 = new QCheckBox(QStringLiteral("Submitted"), tab);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    connect(CheckBox1, &QCheckBox::toggled, this, &MainWindow::onSubmittedToggled);
    engines->addWidget(CheckBox1);
    Button6 = NamedButton(QStringLiteral("Button6"), QStringLiteral("Show Log"), {}, tab);
    BitBtn4 = NamedButton(QStringLiteral("BitBtn4"), QStringLiteral("GO!"), {}, tab);
    BitBtn5 = NamedButton(QStringLiteral("BitBtn5"), QStringLiteral("Stop"), {}, tab);
    connect(Button6, &QPushButton::clicked, this, &MainWindow::onShowLogClicked);
    connect(BitBtn4, &QPushButton::clicked, this, &MainWindow::onGoClicked);
    connect(BitBtn5, &QPushButton::clicked, this, &MainWindow::onStopClicked);
    engines->addWidget(Button6);
    engines->addWidget(BitBtn4);
    engines->addWidget(BitBtn5);

    auto* addresses = new QGroupBox(tab);
    addresses->setObjectName(QStringLiteral("ScrollBox2"));
    auto* addressGrid = new QGridLayout(addresses);
    Label2 = new QLabel(QStringLiteral("Submit:"), addresses);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(addresses);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label4 = new QLabel(QStringLiteral("Info:"), addresses);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label5 = new QLabel(addresses);
    Label5->setObjectName(QStringLiteral("Label5"));
    for (QLabel* l : {Label3, Label5}) {
        l->setCursor(Qt::PointingHandCursor);
        l->setStyleSheet(QStringLiteral("color: #1a4fa0; text-decoration: underline"));
        l->installEventFilter(this);
    }
    for (QLabel* l : {Label2, Label3, Label4, Label5})
        l->setToolTipDuration(30000);
    addressGrid->addWidget(Label2, 0, 0);
    addressGrid->addWidget(Label3, 0, 1);
    addressGrid->addWidget(Label4, 1, 0);
    addressGrid->addWidget(Label5, 1, 1);
    addressGrid->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    auto* notesButton = NamedButton(QStringLiteral("BitBtn19"), QStringLiteral("Notes"), {}, tab);
    BitBtn1 = NamedButton(QStringLiteral("BitBtn1"), QStringLiteral("Netcape"), {}, tab);
    BitBtn2 = NamedButton(QStringLiteral("BitBtn2"), QStringLiteral("IExplorer"), {}, tab);
    auto* clipboard = NamedButton(QStringLiteral("BitBtn3"), QStringLiteral("Clipboard"),
                                  QStringLiteral("Copy Data to the Clipboard"), tab);
    Button5 = NamedButton(QStringLiteral("Button5"), QStringLiteral("Submit Mode"),
                          QStringLiteral("Shrink Window"), tab);
    connect(notesButton, &QPushButton::clicked, this, &MainWindow::onNotesClicked);
    connect(BitBtn1, &QPushButton::clicked, this, &MainWindow::onNetscapeClicked);
    connect(BitBtn2, &QPushButton::clicked, this, &MainWindow::onExplorerClicked);
    connect(Button5, &QPushButton::clicked, this, &MainWindow::onSubmitModeClicked);
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    connect(clipboard, &QPushButton::clicked, this, [this, clipboard] {
        PopupMenu1->popup(clipboard->mapToGlobal(QPoint(clipboard->width(), clipboard->height())));
    });
    for (QWidget* w :
         std::initializer_list<QWidget*>{notesButton, BitBtn1, BitBtn2, clipboard, Button5})
        buttons->addWidget(w);
    buttons->addStretch();

    broadcast_ = new BroadcastPanel(sender_,
                                    {[this]() -> const LineList& { return CurrentFileLines; },
                                     [this] { return ComboBox1->currentText(); },
                                     [this](const QString& text) { SetStatus(text); },
                                     [this](const QString& text) { sendProgress_->setText(text); }},
                                    tab);
    auto* broadcast = broadcast_;

    // Nothing to submit until an engine is chosen.
    for (QWidget* w :
         std::initializer_list<QWidget*>{BitBtn4, BitBtn5, BitBtn1, BitBtn2, Button5, Button6})
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
    update1_ = add(file, QStringLiteral("&Update"), &MainWindow::onUpdateClicked);
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
    searchEngines1_ = add(logs, QStringLiteral("&Search Engines"), &MainWindow::onShowLogClicked,
                          QKeySequence(Qt::CTRL | Qt::Key_F10));
    searchEngines1_->setEnabled(false);
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
    submitMode1_ = add(window, QStringLiteral("&Submit Mode"), &MainWindow::onSubmitModeClicked,
                       QKeySequence(Qt::Key_F10));
    submitMode1_->setEnabled(false);
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    add(help, QStringLiteral("&Help Topics"), &MainWindow::onHelpTopicsClicked);
    add(help, QStringLiteral("&E-mail Support"), &MainWindow::onEmailSupportClicked);
    add(help, QStringLiteral("&Goto Website"), &MainWindow::onGotoWebsiteClicked);
    add(help, QStringLiteral("&About"), &MainWindow::onAboutClicked);

    // The right-click menu of the engine, address and button panels.
    PopupMenu5 = new QMenu(this);
    PopupMenu5->setObjectName(QStringLiteral("PopupMenu5"));
    loadSearchEngine1_ = PopupMenu5->addAction(QStringLiteral("&Load Search Engine"), this,
                                               &MainWindow::onGoClicked);
    loadInfoUrl1_ = PopupMenu5->addAction(QStringLiteral("Load &Info URL"), this,
                                          &MainWindow::onInfoAddressClicked);
    PopupMenu5->addSeparator();
    for (QMenu* menu : {PopupMenu2, PopupMenu5}) {
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
    PopupMenu5->addSeparator();
    PopupMenu5->addAction(QStringLiteral("&Show &Notes"), this, &MainWindow::onNotesClicked);
    showLog1_ =
        PopupMenu5->addAction(QStringLiteral("&Show Log"), this, &MainWindow::onShowLogClicked);
    PopupMenu5->addAction(QStringLiteral("&Submit Mode"), this, &MainWindow::onSubmitModeClicked);
    loadSearchEngine1_->setEnabled(false);
    loadInfoUrl1_->setEnabled(false);
    showLog1_->setEnabled(false);
    QWidget* promotePage = static_cast<QScrollArea*>(TabSheet1)->widget();
    promotePage->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(
        promotePage, &QWidget::customContextMenuRequested, this,
        [this, promotePage](const QPoint& at) { PopupMenu5->popup(promotePage->mapToGlobal(at)); });
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
    FileSaved = true;
    FileHasName = false;
    if (FileExists(kLayoutFile)) {
        DisplayDefaultList();
        const int index = IndexOfExact(ComboBox4, FromBytes(Read(settings::Profile)));
        SelectQuietly(ComboBox4, index);
        ChangeProfile(ToBytes(ComboBox4->currentText()));
    }
    if (!firstShow_)
        return;
    firstShow_ = false;
    for (const char* file : {kEngineFile, kLayoutFile, kProfsFile})
        if (const std::string warning = DamagedDataFileWarning(file); !warning.empty())
            MessageBoxes::Show(this, MessageIcon::Warning, FromBytes(warning), Buttons::Ok);
    FillSeCombo();
    if (ComboBox2->count() > 0) {
        SelectQuietly(ComboBox2, 0);
        ComboBox2Change(0);
        SelectQuietly(ComboBox3, 0);
        SelectQuietly(ComboBox10, 0);
        logNotes_->ComboBox10Change(0);
    }
    FormActi();
    // The silent version check, once the window is up.
    QTimer::singleShot(0, this, [this] {
        if (quitRequested_)
            return;
        SetBusy(true);
        Guard(this, [this] { CheckNewVersion(httpCli3_, false, *updateUi_); });
        SetBusy(false);
    });
}

void MainWindow::RequestQuit() {
    quitRequested_ = true;
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void MainWindow::SetBusy(bool updateRunning) {
    updateIdle_ = !updateRunning;
    update1_->setEnabled(!updateRunning);
}

void MainWindow::DoMissingFile(const std::string& fileName) {
    MarkMissingFile(fileName);
    MessageBoxes::Show(this, MessageIcon::Error, FromBytes(std::string(kMissingFilesMessage)),
                       Buttons::Ok);
}

// ---- search engines ----

void MainWindow::FillSeCombo() {
    std::vector<std::string> names;
    const bool found = siteherald::FillSeCombo(kEngineFile, SERecordList, names);
    const QString notesEngine = ComboBox10->currentText();
    SetItems(ComboBox2, names);
    SetItems(ComboBox3, names);
    SetItems(ComboBox10, names);
    // The filled list shows its first engine; the notes beside it must be that engine's, or a
    // focus-out would save the notes shown under another engine.
    if (const int kept = IndexOfExact(ComboBox10, notesEngine); kept >= 0)
        SelectQuietly(ComboBox10, kept);
    logNotes_->ComboBox10Change(ComboBox10->currentIndex());
    if (!found)
        DoMissingFile(kEngineFile);
}

void MainWindow::ComboBox2Change(int index) {
    Guard(this, [this, index] {
        const bool selected = index >= 0;
        if (selected) {
            const std::string engine = ToBytes(ComboBox2->itemText(index));
            if (GetSEData(kEngineFile, engine, SERecordList) == RecordLookup::FileMissing)
                DoMissingFile(kEngineFile);
            const EngineAddresses addresses = ParseSEData(SERecordList);
            Label3->setText(FromBytes(addresses.submission));
            Label5->setText(FromBytes(addresses.info));
            const QString notes = FromBytes(GetSubNotes("subnotes.dat", engine, "$Main"));
            for (QWidget* w :
                 std::initializer_list<QWidget*>{Label2, Label3, Label4, Label5, ComboBox2})
                w->setToolTip(notes);
            SelectQuietly(ComboBox3, index);
            UpdateTickBoxes();
        } else {
            Label3->clear();
            Label5->clear();
        }
        const bool idle = !BitBtn5->isEnabled();
        BitBtn4->setEnabled(selected && idle);
        loadSearchEngine1_->setEnabled(selected && idle);
        loadInfoUrl1_->setEnabled(selected && idle);
        for (QWidget* w : std::initializer_list<QWidget*>{BitBtn1, BitBtn2, Button5})
            w->setEnabled(selected);
        submitMode1_->setEnabled(selected);
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
    if (ComboBox2->currentIndex() < 0)
        return;
    engineEditor_->EditEngine(false, SERecordList);
    AfterEngineEditor();
}

void MainWindow::AfterEngineEditor() {
    Guard(this, [this] {
        if (engineEditor_->EngineAdded) {
            const QString engine = ComboBox2->currentText();
            FillSeCombo();
            const int index = IndexOfExact(ComboBox2, engine);
            SelectQuietly(ComboBox2, index >= 0 ? index : 0);
        }
        ComboBox2Change(ComboBox2->currentIndex());
    });
}

void MainWindow::onDeleteEngineClicked() {
    Guard(this, [this] {
        const int index = ComboBox2->currentIndex();
        if (index < 0)
            return;
        const QString name = ComboBox2->currentText();
        if (MessageBoxes::Show(this, MessageIcon::Confirmation,
                               QStringLiteral("Delete \"") + name +
                                   QStringLiteral("\" from the list?"),
                               Buttons::YesNo) != Answer::Yes)
            return;
        if (!RemoveSE(kEngineFile, ToBytes(name)))
            return;
        const QSignalBlocker quiet(ComboBox2);
        ComboBox2->removeItem(index);
        const size_t next = SelectionAfterRemoval(static_cast<size_t>(index),
                                                  static_cast<size_t>(ComboBox2->count()));
        ComboBox2->setCurrentIndex(next == static_cast<size_t>(-1) ? -1 : static_cast<int>(next));
        ComboBox2Change(ComboBox2->currentIndex());
    });
}

// ---- profiles ----

void MainWindow::DisplayDefaultList() {
    LineList layout;
    LoadLineFile(kLayoutFile, layout);
    SetItems(ComboBox4, siteherald::DisplayDefaultList(layout));
}

bool MainWindow::ChangeProfile(const std::string& profileName) {
    ScrollBox1->Clear();
    FieldAutoFills.clear();
    LineList layout;
    LoadLineFile(kLayoutFile, layout);
    const auto rows = ReadProfileRows(layout, profileName);
    if (!rows)
        return false;
    for (const auto& row : *rows) {
        for (const FieldDefinition& field : row) {
            FieldAutoFills.push_back(field.autoFill);
            ScrollBox1->AddField(field);
        }
    }
    LoadedProfileIndex = ComboBox4->currentIndex();
    return true;
}

void MainWindow::ComboBox4Change(int) {
    Guard(this, [this] {
        if (CheckSaved())
            ChangeProfile(ToBytes(ComboBox4->currentText()));
        else
            SelectQuietly(ComboBox4, LoadedProfileIndex);
    });
}

void MainWindow::onDeleteProfileClicked() {
    Guard(this, [this] { DeleteProfile(); });
}

void MainWindow::DeleteProfile() {
    if (ComboBox4->count() < 2) {
        MessageBoxes::Show(this, MessageIcon::Warning,
                           QStringLiteral("You must have at least one profile remaining."),
                           Buttons::Ok);
        return;
    }
    const QString name = ComboBox4->currentText();
    if (MessageBoxes::Show(this, MessageIcon::Confirmation, QStringLiteral("Delete ") + name + "?",
                           Buttons::YesNo) != Answer::Yes)
        return;
    if (!DeleteProfileSection(kLayoutFile, ToBytes(name)))
        MessageBoxes::Show(this, MessageIcon::Information,
                           QStringLiteral("Cannot find selected profile."), Buttons::Ok);
    ComboBox4->removeItem(IndexOfExact(ComboBox4, name));
    SelectQuietly(ComboBox4, 0);
    LoadedProfileIndex = std::min(LoadedProfileIndex, ComboBox4->count() - 1);
    ComboBox4Change(0);
}

void MainWindow::onProfileCheckTimeout() {
    Guard(this, [this] {
        if (!ProfileChanged)
            return;
        if (MessageBoxes::Show(this, MessageIcon::Information,
                               QStringLiteral("The current profile has changed. Reload profile?"),
                               Buttons::YesNo) == Answer::Yes &&
            CheckSaved())
            ChangeProfile(ToBytes(ComboBox4->currentText()));
    });
}

// ---- submission data files ----

bool MainWindow::CheckSaved() {
    if (FileSaved)
        return true;
    switch (MessageBoxes::Show(this, MessageIcon::Confirmation,
                               QStringLiteral("Save changes to current submission data file?"),
                               Buttons::YesNoCancel)) {
    case Answer::Yes:
        onSaveClicked();
        // A save that did not happen (cancelled or failed) must not let the edits go.
        return FileSaved;
    case Answer::No:
        FileSaved = true;
        return true;
    default:
        return false;
    }
}

void MainWindow::NewFile() {
    if (!CheckSaved())
        return;
    ChangeProfile(ToBytes(ComboBox4->currentText()));
    ComboBox5->clear();
    AttachmentLines.clear();
    Button13->setEnabled(false);
    Button14->setEnabled(false);
    CurrentFilePath.clear();
    FileSaved = true;
    FileHasName = false;
}

void MainWindow::onNewClicked() {
    Guard(this, [this] {
        NewFile();
        PageControl1->setCurrentWidget(TabSheet2);
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
        ComboBox5->setCurrentIndex(-1);
        MessageBoxes::Show(
            this, MessageIcon::Error,
            QStringLiteral("Could not find submission file's profile. Loading DEFAULT profile."),
            Buttons::Ok);
        profile = Read(settings::Profile);
        ChangeProfile(profile);
    }
    if (ComboBox4->currentText() != FromBytes(profile)) {
        const int index = IndexOfExact(ComboBox4, FromBytes(profile));
        if (index >= 0) {
            SelectQuietly(ComboBox4, index);
            LoadedProfileIndex = index;
        }
    }
    ComboBox5->clear();
    AttachmentLines.clear();
    Button13->setEnabled(false);
    Button14->setEnabled(false);
    const SubmissionFileContents contents = ReadSubmissionFile(file, ScrollBox1->Values());
    ScrollBox1->SetValues(contents.fields);
    AttachmentLines = contents.attachmentLines;
    ParseAttachments();
    FileSaved = true;
    FileHasName = true;
    CurrentFilePath = path;
    AddToSDFFiles(path);
}

bool MainWindow::SaveFile(const std::string& path) {
    const std::string profile =
        ComboBox4->currentIndex() >= 0 ? ToBytes(ComboBox4->currentText()) : std::string();
    const LineList file =
        BuildSubmissionFile(profile, ScrollBox1->Values(), AttachmentLines, FieldAutoFills);
    try {
        SaveLineFile(path, file);
    } catch (const FileError& e) {
        MessageBoxes::Show(this, MessageIcon::Error, FromBytes(e.what()), Buttons::Ok);
        return false;
    }
    FileSaved = true;
    FileHasName = true;
    CurrentFilePath = path;
    return true;
}

void MainWindow::onSaveClicked() {
    Guard(this, [this] {
        if (FileHasName)
            SaveFile(CurrentFilePath);
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
        if (ComboBox1->currentIndex() < 0)
            return;
        // The file shown: the known-file list may hold files the lists do not show yet, when
        // profs.dat was missing at their refresh.
        OpenFile(ToBytes(ComboBox1->currentText()));
        PageControl1->setCurrentWidget(TabSheet2);
    });
}

void MainWindow::onAddFilesClicked() {
    addFilesDialog_->exec();
}

void MainWindow::AddToSDFFiles(const std::string& path) {
    if (!AddKnownFile(KnownFiles, path))
        return;
    WriteSDFFiles();
    FormActi();
}

void MainWindow::WriteSDFFiles(bool fromAddFilesDialog) {
    if (!fromAddFilesDialog && KnownFiles.empty())
        return;
    WriteKnownFiles(kProfsFile, KnownFiles);
    if (!fromAddFilesDialog)
        Write(settings::Profile, ToBytes(ComboBox4->currentText()));
}

bool MainWindow::GetSDFfiles() {
    // Files that "Add Submission Files" added without writing them (it was closed by the title
    // bar) stay in the list until the next write.
    const std::vector<std::string> unwritten = FilesAdded ? KnownFiles : std::vector<std::string>{};
    if (!siteherald::GetSDFfiles(kProfsFile, KnownFiles))
        return false;
    for (const std::string& path : KnownFilePaths(unwritten))
        AddKnownFile(KnownFiles, path);
    return true;
}

void MainWindow::DoSDFCombobox() {
    const std::vector<std::string> paths = KnownFilePaths(KnownFiles);
    SetItems(ComboBox1, paths);
    SetItems(ComboBox9, paths);
}

void MainWindow::FormActi() {
    const QString remembered = ComboBox1->currentText();
    if (!GetSDFfiles()) {
        DoMissingFile(kProfsFile);
        return;
    }
    DoSDFCombobox();
    if (ComboBox1->count() > 0) {
        if (!remembered.isEmpty()) {
            const int index = IndexOfExact(ComboBox1, remembered);
            SelectQuietly(ComboBox1, index);
            SelectQuietly(ComboBox9, index);
            BitBtn17->setEnabled(true);
        } else {
            int index = -1;
            if (!commandLineFile_.empty() && FileExists(commandLineFile_))
                index = IndexOfExact(ComboBox1, FromBytes(commandLineFile_));
            commandLineFile_.clear();
            if (index < 0)
                index = 0;
            SelectQuietly(ComboBox1, index);
            SelectQuietly(ComboBox9, index);
        }
    }
    ComboBox1Change(ComboBox1->currentIndex());
    if (firstList_ && ComboBox1->count() == 0)
        PageControl1->setCurrentWidget(TabSheet2);
    firstList_ = false;
    FilesAdded = false;
}

void MainWindow::ComboBox1Change(int index) {
    Guard(this, [this, index] {
        if (index >= 0) {
            SelectQuietly(ComboBox1, index);
            SelectQuietly(ComboBox9, index);
            const std::string path = ToBytes(ComboBox1->currentText());
            if (FileExists(path)) {
                BitBtn17->setEnabled(true);
                LoadLineFile(path, CurrentFileLines);
                broadcast_->AddMessages();
                FillListBox();
                logNotes_->LoadLog();
                logNotes_->LoadSubnotes();
                UpdateLogControls();
                UpdateTickBoxes();
                return;
            }
            RemoveKnownFile(KnownFiles, path);
            const QSignalBlocker quiet1(ComboBox1);
            const QSignalBlocker quiet9(ComboBox9);
            ComboBox1->removeItem(index);
            ComboBox9->removeItem(index);
            // The removal moved the choice to a neighbour that was never loaded.
            ComboBox1->setCurrentIndex(-1);
            ComboBox9->setCurrentIndex(-1);
        }
        // No current file: nothing of the last one stays on show to be submitted, ticked or
        // noted.
        BitBtn17->setEnabled(false);
        CurrentFileLines.clear();
        broadcast_->AddMessages();
        FillListBox();
        logNotes_->ClearFileLog();
        UpdateLogControls();
        UpdateTickBoxes();
    });
}

void MainWindow::CheckCurrentFile() {
    if (CurrentFilePath.empty())
        return;
    if (FromBytes(CurrentFilePath) != ComboBox1->currentText() &&
        MessageBoxes::Show(this, MessageIcon::Confirmation,
                           QStringLiteral("Change current submission file to file being edited?"),
                           Buttons::YesNo) == Answer::Yes) {
        if (!CheckSaved())
            return;
        const int index = IndexOfExact(ComboBox1, FromBytes(CurrentFilePath));
        if (index >= 0)
            SelectQuietly(ComboBox1, index);
    }
    ComboBox1Change(ComboBox1->currentIndex());
}

void MainWindow::onPageChanged(int) {
    Guard(this, [this] {
        if (PageControl1->currentWidget() == TabSheet1)
            CheckCurrentFile();
        else if (PageControl1->currentWidget() == TabSheet4)
            logNotes_->RefreshCurrentPage();
    });
}

// ---- updates ----

void MainWindow::onUpdateClicked() {
    SetBusy(true);
    Guard(this, [this] { RunDataUpdate(httpCli3_, ToBytes(dataDir_), *updateUi_); });
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
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && FilesAdded)
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
        httpCli1_.Abort();
        httpCli3_.Abort();
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
