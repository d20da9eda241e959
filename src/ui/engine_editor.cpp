#include "engine_editor.h"

#include "core/ascii.h"
#include "core/engine_records.h"
#include "core/pipe_record.h"
#include "core/profiles.h"
#include "event_guard.h"
#include "net/http_exception.h"
#include "submit/browser_launcher.h"
#include "submit/form_scanner.h"
#include "text_codec.h"
#include "widgets.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace siteherald::ui {

namespace {

constexpr const char* kEngineFile = "sedata.dat";
constexpr const char* kChangeFile = "sechanged.sec";
constexpr const char* kProfsFile = "profs.dat";

QPushButton* Push(const QString& name, const QString& caption, QWidget* parent) {
    QPushButton* button = NamedButton(name, caption, {}, parent);
    button->setAutoDefault(false);
    return button;
}

// The identifier list stays sorted as the other lists of names are: letters compared without
// case, ties broken by the exact text.
void AddSorted(QListWidget* list, const QString& text) {
    const std::string key = ToBytes(text);
    int row = 0;
    while (row < list->count() && !LessIgnoringCase(key, ToBytes(list->item(row)->text())))
        ++row;
    list->insertItem(row, text);
}

bool AlphaNumeric(const QString& text) {
    for (const QChar c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            return false;
    return true;
}

} // namespace

EngineEditor::EngineEditor(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TForm8"));
    setWindowTitle(QStringLiteral("Customize Search Engines"));
    nameEdit_ = NamedEdit(QStringLiteral("Edit1"), this);
    submitUrlEdit_ = NamedEdit(QStringLiteral("Edit2"), this);
    infoUrlEdit_ = NamedEdit(QStringLiteral("Edit3"), this);
    getFieldsButton_ = Push(QStringLiteral("Button2"), QStringLiteral("&Get Fields"), this);
    getFieldsButton_->setToolTip(QStringLiteral("Load Search Engine"));
    launchButton_ = Push(QStringLiteral("Button5"), QStringLiteral("&Launch In Browser"), this);

    auto* group = new QGroupBox(QStringLiteral("Fields"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    fieldList_ = new QListWidget(group);
    fieldList_->setObjectName(QStringLiteral("ListBox2"));
    autoFillList_ = new QListWidget(group);
    autoFillList_->setObjectName(QStringLiteral("ListBox1"));
    identifierEdit_ = NamedEdit(QStringLiteral("Edit4"), group);
    addIdentifierButton_ = Push(QStringLiteral("Button3"), QStringLiteral("Add"), group);
    addIdentifierButton_->setToolTip(QStringLiteral("Add Auto Fill Type"));
    addIdentifierButton_->setEnabled(false);
    auto* fillWith = new QLabel(QStringLiteral("Fill With:"), group);
    fillWith->setObjectName(QStringLiteral("Label8"));
    fillWith->setAlignment(Qt::AlignCenter);
    fillWith->setWordWrap(true);
    auto* fields = new QGridLayout(group);
    fields->addWidget(new QLabel(QStringLiteral("Available Fields:"), group), 0, 0);
    fields->addWidget(new QLabel(QStringLiteral("Auto Fill Types:"), group), 0, 2, 1, 2);
    fields->addWidget(fieldList_, 1, 0, 2, 1);
    fields->addWidget(fillWith, 1, 1);
    fields->addWidget(autoFillList_, 1, 2, 1, 2);
    fields->addWidget(identifierEdit_, 2, 2);
    fields->addWidget(addIdentifierButton_, 2, 3);
    fields->setColumnStretch(0, 1);
    fields->setColumnStretch(2, 1);

    saveButton_ = Push(QStringLiteral("Button1"), QStringLiteral("&Save"), this);
    closeButton_ = Push(QStringLiteral("Button4"), QStringLiteral("&Close"), this);

    auto* boxes = new QGridLayout;
    boxes->addWidget(new QLabel(QStringLiteral("Name:"), this), 0, 0);
    boxes->addWidget(nameEdit_, 0, 1);
    boxes->addWidget(new QLabel(QStringLiteral("Submisision URL:"), this), 1, 0);
    boxes->addWidget(submitUrlEdit_, 1, 1);
    boxes->addWidget(new QLabel(QStringLiteral("Info URL:"), this), 2, 0);
    boxes->addWidget(infoUrlEdit_, 2, 1);
    auto* scanRow = new QHBoxLayout;
    scanRow->addStretch();
    scanRow->addWidget(getFieldsButton_);
    scanRow->addWidget(launchButton_);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(saveButton_);
    bottom->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(boxes);
    layout->addLayout(scanRow);
    layout->addWidget(group, 1);
    layout->addLayout(bottom);
    resize(380, 320);

    for (QLineEdit* box : {nameEdit_, submitUrlEdit_, infoUrlEdit_}) {
        connect(box, &QLineEdit::textEdited, this, [this] { Saved = false; });
        connect(box, &QLineEdit::editingFinished, this, [this] { UpdateEngineLine(); });
        box->installEventFilter(this);
    }
    identifierEdit_->installEventFilter(this);
    connect(identifierEdit_, &QLineEdit::textChanged, this,
            [this](const QString& text) { addIdentifierButton_->setEnabled(!text.isEmpty()); });
    connect(addIdentifierButton_, &QPushButton::clicked, this,
            &EngineEditor::onAddIdentifierClicked);
    connect(getFieldsButton_, &QPushButton::clicked, this, &EngineEditor::onGetFieldsClicked);
    connect(launchButton_, &QPushButton::clicked, this, &EngineEditor::onLaunchClicked);
    connect(saveButton_, &QPushButton::clicked, this, &EngineEditor::onSaveClicked);
    connect(closeButton_, &QPushButton::clicked, this, &EngineEditor::reject);
    connect(fieldList_, &QListWidget::itemClicked, this, [this] { onFieldClicked(); });
    connect(autoFillList_, &QListWidget::itemClicked, this, [this] { onAutoFillClicked(); });

    httpCli1_.IdleHook = [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 10); };
    httpCli1_.OnRequestDone = [this](THttpCli&, int, int error) {
        requestAborted_ = error == kHttpAborted;
    };
}

void EngineEditor::EditEngine(bool newEngine, const LineList& record) {
    NewEngine = newEngine;
    EditRecord = newEngine ? LineList{} : record;
    nameEdit_->setEnabled(newEngine);
    for (QLineEdit* box : {nameEdit_, submitUrlEdit_, infoUrlEdit_, identifierEdit_})
        box->clear();
    fieldList_->clear();
    EngineAdded = false;
    EngineEdited = false;
    Downloading = false;
    getFieldsButton_->setText(QStringLiteral("&Get Fields"));
    Guard(this, [this] {
        autoFillList_->clear();
        for (const std::string& id : GetAutoFill(kProfsFile))
            AddSorted(autoFillList_, FromBytes(id));
    });
    if (!newEngine && !EditRecord.empty()) {
        nameEdit_->setText(FromBytes(PipeFieldOrEmpty(EditRecord[0], 1)));
        submitUrlEdit_->setText(FromBytes(PipeFieldOrEmpty(EditRecord[0], 2)));
        infoUrlEdit_->setText(FromBytes(PipeFieldOrEmpty(EditRecord[0], 3)));
        GetFields();
    }
    Saved = true;
    (newEngine ? nameEdit_ : submitUrlEdit_)->setFocus();
    exec();
}

void EngineEditor::UpdateEngineLine() {
    if (EditRecord.empty())
        EditRecord.emplace_back();
    EditRecord[0] = MakeEngineLine(ToBytes(nameEdit_->text()), ToBytes(submitUrlEdit_->text()),
                                   ToBytes(infoUrlEdit_->text()));
}

void EngineEditor::GetFields() {
    fieldList_->clear();
    if (EditRecord.size() > 1)
        for (const std::string& field : siteherald::GetFields(EditRecord))
            fieldList_->addItem(FromBytes(field));
    autoFillList_->clearSelection();
    autoFillList_->setCurrentRow(-1);
}

void EngineEditor::onFieldClicked() {
    const int k = fieldList_->currentRow();
    if (k < 0 || static_cast<size_t>(k) + 1 >= EditRecord.size())
        return;
    const QString id = FromBytes(PipeField(EditRecord[static_cast<size_t>(k) + 1], 2));
    autoFillList_->setCurrentRow(-1);
    for (int i = 0; i < autoFillList_->count(); ++i) {
        if (autoFillList_->item(i)->text() == id) {
            autoFillList_->setCurrentRow(i);
            return;
        }
    }
    autoFillList_->clearSelection();
}

void EngineEditor::onAutoFillClicked() {
    const int k = fieldList_->currentRow();
    if (k < 0 || static_cast<size_t>(k) + 1 >= EditRecord.size() ||
        fieldList_->selectedItems().isEmpty()) {
        autoFillList_->clearSelection();
        return;
    }
    std::string& line = EditRecord[static_cast<size_t>(k) + 1];
    line = PipeField(line, 1) + "|" + ToBytes(autoFillList_->currentItem()->text()) + "|";
    Saved = false;
}

void EngineEditor::onAddIdentifierClicked() {
    const QString text = identifierEdit_->text();
    if (text.isEmpty())
        return;
    for (int i = 0; i < autoFillList_->count(); ++i) {
        if (autoFillList_->item(i)->text() == text) {
            MessageBoxes::Show(this, MessageIcon::Information,
                               QStringLiteral("That name is already being used."), Buttons::Ok);
            return;
        }
    }
    if (!AlphaNumeric(text)) {
        MessageBoxes::Show(this, MessageIcon::Error,
                           QStringLiteral("Identifiers must be alpha-numeric. ") + text +
                               QStringLiteral(" is not a valid identifier."),
                           Buttons::Ok);
        return;
    }
    AddSorted(autoFillList_, text);
    identifierEdit_->clear();
}

void EngineEditor::onGetFieldsClicked() {
    if (getFieldsButton_->text() != QStringLiteral("&Get Fields")) {
        httpCli1_.Abort();
        getFieldsButton_->setText(QStringLiteral("&Get Fields"));
        scanAborted_ = true;
        Downloading = false;
        return;
    }
    UpdateEngineLine();
    getFieldsButton_->setText(QStringLiteral("&Cancel"));
    scanAborted_ = false;
    Downloading = true;
    DownloadSE(PipeField(EditRecord[0], 2));
}

void EngineEditor::DownloadSE(const std::string& address) {
    MemoryStream page;
    httpCli1_.Url = address;
    httpCli1_.ReceiveStream = &page;
    requestAborted_ = false;
    bool fetched = true;
    try {
        httpCli1_.Get();
    } catch (const EHttpException&) {
        fetched = false;
        if (!requestAborted_)
            MessageBoxes::Show(this, MessageIcon::Error,
                               UnableToRetrieveText(address, httpCli1_.FailureReason()),
                               Buttons::Ok);
    }
    httpCli1_.ReceiveStream = nullptr;
    Downloading = false;
    getFieldsButton_->setText(QStringLiteral("&Get Fields"));
    if (!fetched || scanAborted_)
        return;
    for (const ScannedField& field : ScanPage(page.data())) {
        const QString name = FromBytes(field.name);
        if (!fieldList_->findItems(name, Qt::MatchExactly).isEmpty())
            continue;
        fieldList_->addItem(FromBytes(ScannedFieldItem(field)));
        EditRecord.push_back(field.name + "||");
        Saved = false;
    }
}

void EngineEditor::onLaunchClicked() {
    Guard(this, [this] {
        WwwDde dde;
        dde.ServiceApplication = DefaultBrowserPath();
        BoxPrompter prompter(this);
        if (!dde.OpenURL(ToBytes(submitUrlEdit_->text()), prompter))
            MessageBoxes::Show(this, MessageIcon::Error,
                               QStringLiteral("Could not launch web site in external browser. "
                                              "Please check Browsers Preferences."),
                               Buttons::Ok);
    });
}

void EngineEditor::onSaveClicked() {
    Guard(this, [this] {
        // The engine line is built from the boxes as they are, and an engine without a name
        // or a submission address is never saved.
        if (nameEdit_->text().trimmed().isEmpty() || submitUrlEdit_->text().trimmed().isEmpty()) {
            MessageBoxes::Show(this, MessageIcon::Warning,
                               QStringLiteral("Please give the search engine a name and a "
                                              "submission address before saving."),
                               Buttons::Ok);
            return;
        }
        if (nameEdit_->text().contains(QLatin1Char('$')) ||
            nameEdit_->text().contains(QLatin1Char('|'))) {
            MessageBoxes::Show(this, MessageIcon::Warning,
                               QStringLiteral("A search engine's name cannot contain \"$\" or "
                                              "\"|\"."),
                               Buttons::Ok);
            return;
        }
        UpdateEngineLine();
        LineList record = EditRecord;
        const std::string marker = EngineMarker(ToBytes(nameEdit_->text()));
        record.insert(record.begin(), marker);
        record.push_back(marker);
        (NewEngine ? EngineAdded : EngineEdited) = true;
        SaveSEData(kEngineFile, kChangeFile, record, !NewEngine);
        Saved = true;
        FinishClose();
    });
}

void EngineEditor::reject() {
    if (Downloading) {
        if (MessageBoxes::Show(this, MessageIcon::Information,
                               QStringLiteral("Siteherald is in the middle of downloading. Quit "
                                              "anyway?"),
                               Buttons::YesNo) != Answer::Yes)
            return;
        httpCli1_.Abort();
        scanAborted_ = true;
    }
    if (!Saved) {
        switch (MessageBoxes::Show(this, MessageIcon::Confirmation,
                                   QStringLiteral("Save changes to search engine?"),
                                   Buttons::YesNoCancel)) {
        case Answer::Yes:
            onSaveClicked();
            return; // closes when the save happened
        case Answer::No:
            break;
        default:
            return;
        }
    }
    FinishClose();
}

void EngineEditor::FinishClose() {
    Guard(this, [this] {
        std::vector<std::string> ids;
        for (int i = 0; i < autoFillList_->count(); ++i)
            ids.push_back(ToBytes(autoFillList_->item(i)->text()));
        SaveAutoFill(kProfsFile, ids);
    });
    QDialog::done(Saved ? QDialog::Accepted : QDialog::Rejected);
}

bool EngineEditor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == identifierEdit_) {
                if (addIdentifierButton_->isEnabled())
                    onAddIdentifierClicked();
                return true;
            }
            if (watched == nameEdit_ || watched == submitUrlEdit_ || watched == infoUrlEdit_) {
                onSaveClicked();
                return true;
            }
        }
        if (key == Qt::Key_Escape && Downloading) {
            onGetFieldsClicked();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace siteherald::ui
