// The Promote tab's controls, the submission file lists, the search-engine list and the compact
// submit panel.
#include "add_files_dialog.h"
#include "broadcast_panel.h"
#include "core/engine_records.h"
#include "core/known_files.h"
#include "engine_editor.h"
#include "event_guard.h"
#include "file_tab.h"
#include "log_notes_tab.h"
#include "main_window.h"
#include "main_window_combos.h"
#include "message_box.h"
#include "submit/notes_store.h"
#include "text_codec.h"
#include "widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace siteherald::ui {

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
    connect(newFileButton, &QPushButton::clicked, fileTab_, &FileTab::onNewClicked);
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

    broadcast_ =
        new BroadcastPanel(sender_,
                           {[this]() -> const LineList& { return document_->currentFileLines(); },
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

namespace {

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
    submitEnginePanel_ = new QWidget(panel);
    submitEnginePanel_->setObjectName(QStringLiteral("Panel7"));
    submitEngineChoice_ = new QComboBox(submitEnginePanel_);
    submitEngineChoice_->setObjectName(QStringLiteral("ComboBox3"));
    connect(submitEngineChoice_, &QComboBox::activated, this,
            &MainWindow::onSubmitModeEngineChosen);
    submitSubmittedBox_ = new QCheckBox(QStringLiteral("Submitted"), submitEnginePanel_);
    submitSubmittedBox_->setObjectName(QStringLiteral("CheckBox2"));
    connect(submitSubmittedBox_, &QCheckBox::toggled, this, &MainWindow::onSubmittedToggled);
    submitLogButton_ =
        PanelButton(QStringLiteral("Button4"), QStringLiteral("&Log"), submitEnginePanel_);
    submitLogButton_->setEnabled(false);
    connect(submitLogButton_, &QPushButton::clicked, this, &MainWindow::onSubmitModeLogClicked);
    auto* top = new QVBoxLayout(submitEnginePanel_);
    top->setContentsMargins(2, 2, 2, 2);
    top->addWidget(submitEngineChoice_);
    auto* tickRow = new QHBoxLayout;
    tickRow->addWidget(submitSubmittedBox_);
    tickRow->addWidget(submitLogButton_);
    top->addLayout(tickRow);

    fieldList_ = new QListWidget(panel);
    fieldList_->setObjectName(QStringLiteral("ListBox1"));
    connect(fieldList_, &QListWidget::itemSelectionChanged, this,
            [this] { copyFieldButton_->setEnabled(!fieldList_->selectedItems().isEmpty()); });

    submitButtonPanel_ = new QWidget(panel);
    submitButtonPanel_->setObjectName(QStringLiteral("Panel8"));
    copyFieldButton_ =
        PanelButton(QStringLiteral("Button10"), QStringLiteral("C&opy"), submitButtonPanel_);
    copyFieldButton_->setEnabled(false);
    shrinkButton_ =
        PanelButton(QStringLiteral("Button11"), QStringLiteral("&Shrink"), submitButtonPanel_);
    auto* regular =
        PanelButton(QStringLiteral("Button7"), QStringLiteral("&Reg. Mode"), submitButtonPanel_);
    stayOnTopButton_ = PanelButton(QStringLiteral("SpeedButton1"), QStringLiteral("Stay On &Top"),
                                   submitButtonPanel_);
    stayOnTopButton_->setCheckable(true);
    stayOnTopButton_->setChecked(true);
    connect(copyFieldButton_, &QPushButton::clicked, this, &MainWindow::onCopyFieldClicked);
    connect(shrinkButton_, &QPushButton::clicked, this, &MainWindow::onShrinkClicked);
    connect(regular, &QPushButton::clicked, this, &MainWindow::onRegularModeClicked);
    connect(stayOnTopButton_, &QPushButton::toggled, this, &MainWindow::onStayOnTopToggled);
    auto* grid = new QGridLayout(submitButtonPanel_);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setSpacing(2);
    grid->addWidget(copyFieldButton_, 0, 0);
    grid->addWidget(shrinkButton_, 0, 1);
    grid->addWidget(regular, 1, 0);
    grid->addWidget(stayOnTopButton_, 1, 1);
    submitButtonPanel_->setFixedHeight(52);

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(submitEnginePanel_);
    layout->addWidget(fieldList_, 1);
    layout->addWidget(submitButtonPanel_);
    return panel;
}

// ---- the submission file lists ----

void MainWindow::onEditFileClicked() {
    Guard(this, [this] {
        if (fileChoice_->currentIndex() < 0)
            return;
        // The file shown: the known-file list may hold files the lists do not show yet, when
        // profs.dat was missing at their refresh.
        document_->OpenFile(ToBytes(fileChoice_->currentText()));
        pages_->setCurrentWidget(filePage_);
    });
}

void MainWindow::onAddFilesClicked() {
    addFilesDialog_->exec();
}

void MainWindow::DoSDFCombobox() {
    const std::vector<std::string> paths = KnownFilePaths(document_->knownFiles());
    SetItems(fileChoice_, paths);
    SetItems(notesFileChoice_, paths);
}

void MainWindow::FormActi() {
    const QString remembered = fileChoice_->currentText();
    if (!document_->GetSDFfiles()) {
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
    document_->ListShown();
}

void MainWindow::ComboBox1Change(int index) {
    Guard(this, [this, index] {
        if (index >= 0) {
            SelectQuietly(fileChoice_, index);
            SelectQuietly(notesFileChoice_, index);
            if (document_->ChooseCurrentFile(ToBytes(fileChoice_->currentText()))) {
                editFileButton_->setEnabled(true);
                broadcast_->AddMessages();
                FillListBox();
                logNotes_->LoadLog();
                logNotes_->LoadSubnotes();
                UpdateLogControls();
                UpdateTickBoxes();
                return;
            }
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
        document_->ClearCurrentFile();
        broadcast_->AddMessages();
        FillListBox();
        logNotes_->ClearFileLog();
        UpdateLogControls();
        UpdateTickBoxes();
    });
}

void MainWindow::CheckCurrentFile() {
    const QString edited = FromBytes(document_->currentFilePath());
    if (edited.isEmpty())
        return;
    if (edited != fileChoice_->currentText() &&
        MessageBoxes::Show(this, MessageIcon::Confirmation,
                           QStringLiteral("Change current submission file to file being edited?"),
                           Buttons::YesNo) == Answer::Yes) {
        if (!document_->CheckSaved())
            return;
        const int index = IndexOfExact(fileChoice_, edited);
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

} // namespace siteherald::ui
