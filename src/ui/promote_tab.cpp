// The Promote tab: its controls and menus, the submission file list, the search-engine list
// and its commands, the "Submitted" tick, the log and the notes.
#include "promote_tab.h"

#include "add_files_dialog.h"
#include "broadcast_panel.h"
#include "combo_helpers.h"
#include "core/engine_records.h"
#include "core/known_files.h"
#include "core/missing_file.h"
#include "core/submission_document.h"
#include "engine_editor.h"
#include "event_guard.h"
#include "message_box.h"
#include "notes_dialog.h"
#include "submit/notes_store.h"
#include "submit/submission_log.h"
#include "submit_panel.h"
#include "text_codec.h"
#include "view_log_dialog.h"
#include "widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <ctime>

namespace siteherald::ui {

namespace {

constexpr const char* kSubLog = "sub.log";

} // namespace

PromoteTab::PromoteTab(Context context, QWidget* dialogParent)
    : document_(context.document), preferences_(context.preferences),
      submitPanel_(context.submitPanel), progress_(context.downloadProgress),
      dataDir_(context.dataDir), commandLineFile_(std::move(context.commandLineFile)) {
    setObjectName(QStringLiteral("TabSheet1"));
    QWidget* tab = this;
    pageHttp_.IdleHook = [this] {
        ShowProgress();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    };
    pageHttp_.OnRequestDone = [this](THttpCli&, int, int error) {
        requestWasAborted_ = error == kHttpAborted;
    };
    addFilesDialog_ = new AddFilesDialog(
        document_,
        [this] {
            document_.WriteSDFFiles(true);
            FormActi();
        },
        dialogParent);
    engineEditor_ = new EngineEditor(dialogParent);
    viewLog_ = new ViewLogDialog(dialogParent);
    notes_ = new NotesDialog(dialogParent);

    fileChoice_ = Combo(QStringLiteral("ComboBox1"), tab);
    editFileButton_ = NamedButton(QStringLiteral("BitBtn17"), QStringLiteral("Edit File"),
                                  QStringLiteral("Edit File"), tab);
    editFileButton_->setEnabled(false);
    auto* newFileButton = NamedButton(QStringLiteral("BitBtn18"), QStringLiteral("New File"),
                                      QStringLiteral("New File"), tab);
    auto* addFilesButton = NamedButton(QStringLiteral("Button2"), QStringLiteral("&Add Files"),
                                       QStringLiteral("Add Submission Files"), tab);
    connect(fileChoice_, &QComboBox::activated, this, &PromoteTab::ComboBox1Change);
    connect(editFileButton_, &QPushButton::clicked, this, &PromoteTab::onEditFileClicked);
    connect(newFileButton, &QPushButton::clicked, this, &PromoteTab::newFileRequested);
    connect(addFilesButton, &QPushButton::clicked, this, &PromoteTab::onAddFilesClicked);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Current Submission File:"), tab));
    top->addWidget(fileChoice_, 1);
    top->addWidget(editFileButton_);
    top->addWidget(newFileButton);
    top->addWidget(addFilesButton);

    engineChoice_ = Combo(QStringLiteral("ComboBox2"), tab);
    connect(engineChoice_, &QComboBox::currentIndexChanged, this, &PromoteTab::ComboBox2Change);
    engineChoice_->installEventFilter(this);
    auto* engines = new QHBoxLayout;
    engines->addWidget(new QLabel(QStringLiteral("Search Engine:"), tab));
    engines->addWidget(engineChoice_, 1);
    customizeButton_ = NamedButton(QStringLiteral("Button3"), QStringLiteral("..."),
                                   QStringLiteral("Customize Search Engines"), tab);
    customizeButton_->setMaximumWidth(
        customizeButton_->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    engines->addWidget(customizeButton_);
    submittedBox_ = new QCheckBox(QStringLiteral("Submitted"), tab);
    submittedBox_->setObjectName(QStringLiteral("CheckBox1"));
    connect(submittedBox_, &QCheckBox::toggled, this, &PromoteTab::onSubmittedToggled);
    engines->addWidget(submittedBox_);
    showLogButton_ = NamedButton(QStringLiteral("Button6"), QStringLiteral("Show Log"), {}, tab);
    goButton_ = NamedButton(QStringLiteral("BitBtn4"), QStringLiteral("GO!"), {}, tab);
    stopButton_ = NamedButton(QStringLiteral("BitBtn5"), QStringLiteral("Stop"), {}, tab);
    connect(showLogButton_, &QPushButton::clicked, this, &PromoteTab::onShowLogClicked);
    connect(goButton_, &QPushButton::clicked, this, &PromoteTab::onGoClicked);
    connect(stopButton_, &QPushButton::clicked, this, &PromoteTab::onStopClicked);
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
    clipboardButton_ = NamedButton(QStringLiteral("BitBtn3"), QStringLiteral("Clipboard"),
                                   QStringLiteral("Copy Data to the Clipboard"), tab);
    submitModeButton_ = NamedButton(QStringLiteral("Button5"), QStringLiteral("Submit Mode"),
                                    QStringLiteral("Shrink Window"), tab);
    connect(notesButton, &QPushButton::clicked, this, &PromoteTab::onNotesClicked);
    connect(netscapeButton_, &QPushButton::clicked, this, &PromoteTab::onNetscapeClicked);
    connect(explorerButton_, &QPushButton::clicked, this, &PromoteTab::onExplorerClicked);
    connect(submitModeButton_, &QPushButton::clicked, this, &PromoteTab::submitModeRequested);
    for (QWidget* w : std::initializer_list<QWidget*>{notesButton, netscapeButton_, explorerButton_,
                                                      clipboardButton_, submitModeButton_})
        buttons->addWidget(w);
    buttons->addStretch();

    broadcast_ =
        new BroadcastPanel(context.sender,
                           {[this]() -> const LineList& { return document_.currentFileLines(); },
                            [this] { return fileChoice_->currentText(); },
                            [this](const QString& text) { emit statusText(text); },
                            [this](const QString& text) { emit sendProgressText(text); }},
                           tab);

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
    layout->addWidget(broadcast_, 1);

    connect(&submitPanel_, &SubmitPanel::engineChosen, this, &PromoteTab::onSubmitModeEngineChosen);
    connect(&submitPanel_, &SubmitPanel::submittedToggled, this, &PromoteTab::onSubmittedToggled);
    connect(&submitPanel_, &SubmitPanel::logRequested, this, [this] { ShowLogViewer(true); });
    connect(&submitPanel_, &SubmitPanel::copyRequested, this, &PromoteTab::CopyFieldValue);
    BuildMenus();
}

PromoteTab::~PromoteTab() = default;

void PromoteTab::BuildMenus() {
    engineMenu_ = new QMenu(this);
    engineMenu_->setObjectName(QStringLiteral("PopupMenu2"));
    connect(customizeButton_, &QPushButton::clicked, this, [this] {
        engineMenu_->popup(customizeButton_->mapToGlobal(QPoint(0, customizeButton_->height())));
    });
    auto* clipboardMenu = new QMenu(this);
    clipboardMenu->setObjectName(QStringLiteral("PopupMenu1"));
    fieldMenus_ << clipboardMenu;
    connect(clipboardButton_, &QPushButton::clicked, this, [this, clipboardMenu] {
        clipboardMenu->popup(clipboardButton_->mapToGlobal(
            QPoint(clipboardButton_->width(), clipboardButton_->height())));
    });

    // The right-click menu of the engine, address and button panels.
    promoteMenu_ = new QMenu(this);
    promoteMenu_->setObjectName(QStringLiteral("PopupMenu5"));
    loadEngineAction_ = promoteMenu_->addAction(QStringLiteral("&Load Search Engine"), this,
                                                &PromoteTab::onGoClicked);
    loadInfoAction_ = promoteMenu_->addAction(QStringLiteral("Load &Info URL"), this,
                                              &PromoteTab::onInfoAddressClicked);
    promoteMenu_->addSeparator();
    for (QMenu* menu : {engineMenu_, promoteMenu_}) {
        menu->addAction(QStringLiteral("&Add Search Engine"), this,
                        &PromoteTab::onAddEngineClicked);
        QAction* remove = menu->addAction(QStringLiteral("&Delete Search Engine"), this,
                                          &PromoteTab::onDeleteEngineClicked);
        QAction* edit = menu->addAction(QStringLiteral("&Edit Search Engine"), this,
                                        &PromoteTab::onEditEngineClicked);
        remove->setEnabled(false);
        edit->setEnabled(false);
        engineEditActions_ << remove << edit;
    }
    promoteMenu_->addSeparator();
    promoteMenu_->addAction(QStringLiteral("&Show &Notes"), this, &PromoteTab::onNotesClicked);
    showLogAction_ =
        promoteMenu_->addAction(QStringLiteral("&Show Log"), this, &PromoteTab::onShowLogClicked);
    promoteMenu_->addAction(QStringLiteral("&Submit Mode"), this, &PromoteTab::submitModeRequested);
    loadEngineAction_->setEnabled(false);
    loadInfoAction_->setEnabled(false);
    showLogAction_->setEnabled(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { promoteMenu_->popup(mapToGlobal(at)); });
}

std::string PromoteTab::currentFile() const {
    return ToBytes(fileChoice_->currentText());
}

void PromoteTab::DoMissingFile(const std::string& fileName) {
    MarkMissingFile(fileName);
    MessageBoxes::Show(this, MessageIcon::Error, FromBytes(std::string(kMissingFilesMessage)),
                       Buttons::Ok);
}

// ---- search engines ----

void PromoteTab::FillSeCombo() {
    std::vector<std::string> names;
    const bool found = siteherald::FillSeCombo(kEngineFile, seRecordList_, names);
    SetItems(engineChoice_, names);
    submitPanel_.SetEngines(names);
    emit enginesListed(names);
    if (!found)
        DoMissingFile(kEngineFile);
}

bool PromoteTab::ShowFirstEngine() {
    if (engineChoice_->count() == 0)
        return false;
    SelectQuietly(engineChoice_, 0);
    ComboBox2Change(0);
    submitPanel_.ShowEngine(0);
    return true;
}

bool PromoteTab::ReloadEngines() {
    const QString engine = engineChoice_->currentText();
    FillSeCombo();
    const int kept = IndexOfExact(engineChoice_, engine);
    const int index = kept < 0 && engineChoice_->count() > 0 ? 0 : kept;
    // Always reloads the engine's record: FillSeCombo left the whole file in seRecordList_.
    SelectQuietly(engineChoice_, index);
    ComboBox2Change(index);
    return kept >= 0;
}

void PromoteTab::ComboBox2Change(int index) {
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
            submitPanel_.ShowEngine(index);
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
        emit engineSelected(selected);
        for (QAction* action : engineEditActions_)
            action->setEnabled(selected);
    });
}

void PromoteTab::onAddEngineClicked() {
    engineEditor_->EditEngine(true, {});
    AfterEngineEditor();
}

void PromoteTab::onEditEngineClicked() {
    if (engineChoice_->currentIndex() < 0)
        return;
    engineEditor_->EditEngine(false, seRecordList_);
    AfterEngineEditor();
}

void PromoteTab::AfterEngineEditor() {
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

void PromoteTab::onDeleteEngineClicked() {
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

// ---- the submission file list ----

void PromoteTab::onEditFileClicked() {
    Guard(this, [this] {
        if (fileChoice_->currentIndex() < 0)
            return;
        // The file shown: the known-file list may hold files the lists do not show yet, when
        // profs.dat was missing at their refresh.
        document_.OpenFile(ToBytes(fileChoice_->currentText()));
        emit fileTabRequested();
    });
}

void PromoteTab::EnableEditFile() {
    editFileButton_->setEnabled(true);
}

void PromoteTab::onAddFilesClicked() {
    addFilesDialog_->exec();
}

void PromoteTab::DoSDFCombobox() {
    const std::vector<std::string> paths = KnownFilePaths(document_.knownFiles());
    SetItems(fileChoice_, paths);
    emit filesListed(paths);
}

void PromoteTab::FormActi() {
    const QString remembered = fileChoice_->currentText();
    if (!document_.GetSDFfiles()) {
        DoMissingFile(kProfsFile);
        return;
    }
    DoSDFCombobox();
    if (fileChoice_->count() > 0) {
        int index = -1;
        if (!remembered.isEmpty()) {
            index = IndexOfExact(fileChoice_, remembered);
            editFileButton_->setEnabled(true);
        } else {
            if (!commandLineFile_.empty() && FileExists(commandLineFile_))
                index = IndexOfExact(fileChoice_, FromBytes(commandLineFile_));
            commandLineFile_.clear();
            if (index < 0)
                index = 0;
        }
        SelectQuietly(fileChoice_, index);
        emit fileShown(index);
    }
    ComboBox1Change(fileChoice_->currentIndex());
    if (firstList_ && fileChoice_->count() == 0)
        emit fileTabRequested();
    firstList_ = false;
    document_.ListShown();
}

void PromoteTab::ComboBox1Change(int index) {
    Guard(this, [this, index] {
        if (index >= 0) {
            SelectQuietly(fileChoice_, index);
            emit fileShown(index);
            if (document_.ChooseCurrentFile(ToBytes(fileChoice_->currentText()))) {
                editFileButton_->setEnabled(true);
                broadcast_->AddMessages();
                FillListBox();
                emit currentFileChanged(true);
                UpdateLogControls();
                UpdateTickBoxes();
                return;
            }
            const QSignalBlocker quiet(fileChoice_);
            fileChoice_->removeItem(index);
            // The removal moved the choice to a neighbour that was never loaded.
            fileChoice_->setCurrentIndex(-1);
            emit fileDropped(index);
        }
        // No current file: nothing of the last one stays on show to be submitted, ticked or
        // noted.
        editFileButton_->setEnabled(false);
        document_.ClearCurrentFile();
        broadcast_->AddMessages();
        FillListBox();
        emit currentFileChanged(false);
        UpdateLogControls();
        UpdateTickBoxes();
    });
}

void PromoteTab::CheckCurrentFile() {
    const QString edited = FromBytes(document_.currentFilePath());
    if (edited.isEmpty())
        return;
    if (edited != fileChoice_->currentText() &&
        MessageBoxes::Show(this, MessageIcon::Confirmation,
                           QStringLiteral("Change current submission file to file being edited?"),
                           Buttons::YesNo) == Answer::Yes) {
        if (!document_.CheckSaved())
            return;
        const int index = IndexOfExact(fileChoice_, edited);
        if (index >= 0)
            SelectQuietly(fileChoice_, index);
    }
    ComboBox1Change(fileChoice_->currentIndex());
}

// ---- the "Submitted" ticks, the log and the notes ----

void PromoteTab::UpdateTickBoxes() {
    const std::string file = currentFile();
    const bool submitted = !file.empty() && engineChoice_->currentIndex() >= 0 &&
                           SubmittedSE(kSubLog, file, ToBytes(engineChoice_->currentText()));
    tickBoxFlag_ = true;
    submittedBox_->setChecked(submitted);
    submitPanel_.SetSubmitted(submitted);
    tickBoxFlag_ = false;
}

void PromoteTab::UpdateLogControls() {
    const std::string file = currentFile();
    const bool logged = !file.empty() && InLog(kSubLog, file);
    showLogButton_->setEnabled(logged);
    showLogAction_->setEnabled(logged);
    submitPanel_.SetLogAvailable(logged);
    emit fileLogged(logged);
}

void PromoteTab::onSubmittedToggled(bool checked) {
    if (tickBoxFlag_)
        return;
    Guard(this, [this, checked] {
        const std::string file = currentFile();
        tickBoxFlag_ = true;
        submittedBox_->setChecked(!file.empty() && checked);
        submitPanel_.SetSubmitted(!file.empty() && checked);
        tickBoxFlag_ = false;
        if (file.empty())
            return;
        const std::string engine = ToBytes(engineChoice_->currentText());
        if (checked)
            AddToLog(kSubLog, file, engine, SubmissionDate(std::time(nullptr)));
        else
            RemoveFromLog(kSubLog, file, engine);
        UpdateLogControls();
    });
}

void PromoteTab::ShowLogViewer(bool besideWindow) {
    Guard(this, [this, besideWindow] {
        const std::string file = currentFile();
        viewLog_->logText_->setPlainText(file.empty() ? QString()
                                                      : JoinedText(LogEntries(kSubLog, file)));
        if (besideWindow) {
            // Beside the compact window: on its left when there is no room on its right.
            const QRect area = window()->screen()->availableGeometry();
            const QRect frame = window()->frameGeometry();
            const int left = area.width() - viewLog_->width() < frame.left() + frame.width()
                                 ? frame.left() - viewLog_->width()
                                 : frame.left() + frame.width();
            viewLog_->move(left, frame.top());
        }
        viewLog_->exec();
    });
}

void PromoteTab::onShowLogClicked() {
    ShowLogViewer(false);
}

void PromoteTab::onNotesClicked() {
    notes_->Edit(ToBytes(engineChoice_->currentText()), currentFile());
}

// ---- small events ----

bool PromoteTab::eventFilter(QObject* watched, QEvent* event) {
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
    if (watched == engineChoice_ && IsEnterPress(event) && goButton_->isEnabled()) {
        onGoClicked();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace siteherald::ui
