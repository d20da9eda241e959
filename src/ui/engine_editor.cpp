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
    Edit1 = NamedEdit(QStringLiteral("Edit1"), this);
    Edit2 = NamedEdit(QStringLiteral("Edit2"), this);
    Edit3 = NamedEdit(QStringLiteral("Edit3"), this);
    Button2 = Push(QStringLiteral("Button2"), QStringLiteral("&Get Fields"), this);
    Button2->setToolTip(QStringLiteral("Load Search Engine"));
    Button5 = Push(QStringLiteral("Button5"), QStringLiteral("&Launch In Browser"), this);

    auto* group = new QGroupBox(QStringLiteral("Fields"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    ListBox2 = new QListWidget(group);
    ListBox2->setObjectName(QStringLiteral("ListBox2"));
    ListBox1 = new QListWidget(group);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    Edit4 = NamedEdit(QStringLiteral("Edit4"), group);
    Button3 = Push(QStringLiteral("Button3"), QStringLiteral("Add"), group);
    Button3->setToolTip(QStringLiteral("Add Auto Fill Type"));
    Button3->setEnabled(false);
    auto* fillWith = new QLabel(QStringLiteral("Fill With:"), group);
    fillWith->setObjectName(QStringLiteral("Label8"));
    fillWith->setAlignment(Qt::AlignCenter);
    fillWith->setWordWrap(true);
    auto* fields = new QGridLayout(group);
    fields->addWidget(new QLabel(QStringLiteral("Available Fields:"), group), 0, 0);
    fields->addWidget(new QLabel(QStringLiteral("Auto Fill Types:"), group), 0, 2, 1, 2);
    fields->addWidget(ListBox2, 1, 0, 2, 1);
    fields->addWidget(fillWith, 1, 1);
    fields->addWidget(ListBox1, 1, 2, 1, 2);
    fields->addWidget(Edit4, 2, 2);
    fields->addWidget(Button3, 2, 3);
    fields->setColumnStretch(0, 1);
    fields->setColumnStretch(2, 1);

    Button1 = Push(QStringLiteral("Button1"), QStringLiteral("&Save"), this);
    Button4 = Push(QStringLiteral("Button4"), QStringLiteral("&Close"), this);

    auto* boxes = new QGridLayout;
    boxes->addWidget(new QLabel(QStringLiteral("Name:"), this), 0, 0);
    boxes->addWidget(Edit1, 0, 1);
    boxes->addWidget(new QLabel(QStringLiteral("Submisision URL:"), this), 1, 0);
    boxes->addWidget(Edit2, 1, 1);
    boxes->addWidget(new QLabel(QStringLiteral("Info URL:"), this), 2, 0);
    boxes->addWidget(Edit3, 2, 1);
    auto* scanRow = new QHBoxLayout;
    scanRow->addStretch();
    scanRow->addWidget(Button2);
    scanRow->addWidget(Button5);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(Button1);
    bottom->addWidget(Button4);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(boxes);
    layout->addLayout(scanRow);
    layout->addWidget(group, 1);
    layout->addLayout(bottom);
    resize(380, 320);

    for (QLineEdit* box : {Edit1, Edit2, Edit3}) {
        connect(box, &QLineEdit::textEdited, this, [this] { Saved = false; });
        connect(box, &QLineEdit::editingFinished, this, [this] { Edit1Exit(); });
        box->installEventFilter(this);
    }
    Edit4->installEventFilter(this);
    connect(Edit4, &QLineEdit::textChanged, this,
            [this](const QString& text) { Button3->setEnabled(!text.isEmpty()); });
    connect(Button3, &QPushButton::clicked, this, &EngineEditor::Button3Click);
    connect(Button2, &QPushButton::clicked, this, &EngineEditor::Button2Click);
    connect(Button5, &QPushButton::clicked, this, &EngineEditor::Button5Click);
    connect(Button1, &QPushButton::clicked, this, &EngineEditor::Button1Click);
    connect(Button4, &QPushButton::clicked, this, &EngineEditor::reject);
    connect(ListBox2, &QListWidget::itemClicked, this, [this] { ListBox2Click(); });
    connect(ListBox1, &QListWidget::itemClicked, this, [this] { ListBox1Click(); });

    httpCli1_.IdleHook = [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 10); };
    httpCli1_.OnRequestDone = [this](THttpCli&, int, int error) {
        requestAborted_ = error == kHttpAborted;
    };
}

void EngineEditor::EditEngine(bool newEngine, const LineList& record) {
    NewEngine = newEngine;
    EditRecord = newEngine ? LineList{} : record;
    Edit1->setEnabled(newEngine);
    for (QLineEdit* box : {Edit1, Edit2, Edit3, Edit4})
        box->clear();
    ListBox2->clear();
    EngineAdded = false;
    EngineEdited = false;
    Downloading = false;
    Button2->setText(QStringLiteral("&Get Fields"));
    Guard(this, [this] {
        ListBox1->clear();
        for (const std::string& id : GetAutoFill(kProfsFile))
            AddSorted(ListBox1, FromBytes(id));
    });
    if (!newEngine && !EditRecord.empty()) {
        Edit1->setText(FromBytes(PipeFieldOrEmpty(EditRecord[0], 1)));
        Edit2->setText(FromBytes(PipeFieldOrEmpty(EditRecord[0], 2)));
        Edit3->setText(FromBytes(PipeFieldOrEmpty(EditRecord[0], 3)));
        GetFields();
    }
    Saved = true;
    (newEngine ? Edit1 : Edit2)->setFocus();
    exec();
}

void EngineEditor::Edit1Exit() {
    if (EditRecord.empty())
        EditRecord.emplace_back();
    EditRecord[0] =
        MakeEngineLine(ToBytes(Edit1->text()), ToBytes(Edit2->text()), ToBytes(Edit3->text()));
}

void EngineEditor::GetFields() {
    ListBox2->clear();
    if (EditRecord.size() > 1)
        for (const std::string& field : siteherald::GetFields(EditRecord))
            ListBox2->addItem(FromBytes(field));
    ListBox1->clearSelection();
    ListBox1->setCurrentRow(-1);
}

void EngineEditor::ListBox2Click() {
    const int k = ListBox2->currentRow();
    if (k < 0 || static_cast<size_t>(k) + 1 >= EditRecord.size())
        return;
    const QString id = FromBytes(PipeField(EditRecord[static_cast<size_t>(k) + 1], 2));
    ListBox1->setCurrentRow(-1);
    for (int i = 0; i < ListBox1->count(); ++i) {
        if (ListBox1->item(i)->text() == id) {
            ListBox1->setCurrentRow(i);
            return;
        }
    }
    ListBox1->clearSelection();
}

void EngineEditor::ListBox1Click() {
    const int k = ListBox2->currentRow();
    if (k < 0 || static_cast<size_t>(k) + 1 >= EditRecord.size() ||
        ListBox2->selectedItems().isEmpty()) {
        ListBox1->clearSelection();
        return;
    }
    std::string& line = EditRecord[static_cast<size_t>(k) + 1];
    line = PipeField(line, 1) + "|" + ToBytes(ListBox1->currentItem()->text()) + "|";
    Saved = false;
}

void EngineEditor::Button3Click() {
    const QString text = Edit4->text();
    if (text.isEmpty())
        return;
    for (int i = 0; i < ListBox1->count(); ++i) {
        if (ListBox1->item(i)->text() == text) {
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
    AddSorted(ListBox1, text);
    Edit4->clear();
}

void EngineEditor::Button2Click() {
    if (Button2->text() != QStringLiteral("&Get Fields")) {
        httpCli1_.Abort();
        Button2->setText(QStringLiteral("&Get Fields"));
        scanAborted_ = true;
        Downloading = false;
        return;
    }
    Edit1Exit();
    Button2->setText(QStringLiteral("&Cancel"));
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
    Button2->setText(QStringLiteral("&Get Fields"));
    if (!fetched || scanAborted_)
        return;
    for (const ScannedField& field : ScanPage(page.data())) {
        const QString name = FromBytes(field.name);
        if (!ListBox2->findItems(name, Qt::MatchExactly).isEmpty())
            continue;
        ListBox2->addItem(FromBytes(ScannedFieldItem(field)));
        EditRecord.push_back(field.name + "||");
        Saved = false;
    }
}

void EngineEditor::Button5Click() {
    Guard(this, [this] {
        WwwDde dde;
        dde.ServiceApplication = DefaultBrowserPath();
        BoxPrompter prompter(this);
        if (!dde.OpenURL(ToBytes(Edit2->text()), prompter))
            MessageBoxes::Show(this, MessageIcon::Error,
                               QStringLiteral("Could not launch web site in external browser. "
                                              "Please check Browsers Preferences."),
                               Buttons::Ok);
    });
}

void EngineEditor::Button1Click() {
    Guard(this, [this] {
        // The engine line is built from the boxes as they are, and an engine without a name
        // or a submission address is never saved.
        if (Edit1->text().trimmed().isEmpty() || Edit2->text().trimmed().isEmpty()) {
            MessageBoxes::Show(this, MessageIcon::Warning,
                               QStringLiteral("Please give the search engine a name and a "
                                              "submission address before saving."),
                               Buttons::Ok);
            return;
        }
        if (Edit1->text().contains(QLatin1Char('$')) || Edit1->text().contains(QLatin1Char('|'))) {
            MessageBoxes::Show(this, MessageIcon::Warning,
                               QStringLiteral("A search engine's name cannot contain \"$\" or "
                                              "\"|\"."),
                               Buttons::Ok);
            return;
        }
        Edit1Exit();
        LineList record = EditRecord;
        const std::string marker = EngineMarker(ToBytes(Edit1->text()));
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
            Button1Click();
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
        for (int i = 0; i < ListBox1->count(); ++i)
            ids.push_back(ToBytes(ListBox1->item(i)->text()));
        SaveAutoFill(kProfsFile, ids);
    });
    QDialog::done(Saved ? QDialog::Accepted : QDialog::Rejected);
}

bool EngineEditor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == Edit4) {
                if (Button3->isEnabled())
                    Button3Click();
                return true;
            }
            if (watched == Edit1 || watched == Edit2 || watched == Edit3) {
                Button1Click();
                return true;
            }
        }
        if (key == Qt::Key_Escape && Downloading) {
            Button2Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace siteherald::ui
