#include "log_notes_tab.h"

#include "event_guard.h"
#include "submit/notes_store.h"
#include "submit/submission_log.h"
#include "text_codec.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace siteherald::ui {

namespace {

constexpr const char* kSubLog = "sub.log";
constexpr const char* kSubNotes = "subnotes.dat";
constexpr const char* kNotes = "notes.dat";

QPlainTextEdit* Memo(const QString& name, QWidget* parent, bool readOnly) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(name);
    if (readOnly) {
        memo->setReadOnly(true);
        memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    }
    return memo;
}

QString WholeFile(const char* name) {
    std::string bytes;
    ReadFileBytes(name, bytes);
    return JoinedText(SplitLines(bytes));
}

bool Ask(QWidget* parent, const char* question) {
    return MessageBoxes::Show(parent, MessageIcon::Confirmation, QString::fromLatin1(question),
                              Buttons::YesNo) == Answer::Yes;
}

} // namespace

LogNotesTab::LogNotesTab(std::function<std::string()> currentFile, QWidget* parent)
    : QWidget(parent), currentFile_(std::move(currentFile)) {
    setObjectName(QStringLiteral("TabSheet4"));
    ComboBox9 = new QComboBox(this);
    ComboBox9->setObjectName(QStringLiteral("ComboBox9"));
    TabSet1 = new QTabBar(this);
    TabSet1->setObjectName(QStringLiteral("TabSet1"));
    for (const char* page : {"Search Engines", "Mailing Lists", "Newsgroups", "General"})
        TabSet1->addTab(QString::fromLatin1(page));
    TabSet1->setShape(QTabBar::TriangularSouth);

    pages_ = new QStackedWidget(this);
    pages_->addWidget(SearchEnginesPage());
    pages_->addWidget(LogPage(QStringLiteral("Mail Log:"), RichEdit3, Memo5,
                              QStringLiteral("Button25"), QStringLiteral("RichEdit3"),
                              QStringLiteral("Memo5")));
    pages_->addWidget(LogPage(QStringLiteral("News Log:"), RichEdit2, Memo9,
                              QStringLiteral("Button24"), QStringLiteral("RichEdit2"),
                              QStringLiteral("Memo9")));
    auto* general = new QGroupBox(QStringLiteral("General"), this);
    general->setObjectName(QStringLiteral("Panel28"));
    Memo11 = Memo(QStringLiteral("Memo11"), general, false);
    (new QVBoxLayout(general))->addWidget(Memo11);
    pages_->addWidget(general);
    connect(findChild<QPushButton*>(QStringLiteral("Button25")), &QPushButton::clicked, this,
            &LogNotesTab::Button25Click);
    connect(findChild<QPushButton*>(QStringLiteral("Button24")), &QPushButton::clicked, this,
            &LogNotesTab::Button24Click);

    for (QPlainTextEdit* memo : {Memo3, Memo4, Memo5, Memo9, Memo11})
        memo->installEventFilter(this);
    connect(TabSet1, &QTabBar::currentChanged, this, &LogNotesTab::TabSet1Change);
    connect(ComboBox10, &QComboBox::currentIndexChanged, this, &LogNotesTab::ComboBox10Change);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Current Submission File:"), this));
    top->addWidget(ComboBox9, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(pages_, 1);
    layout->addWidget(TabSet1);
}

QWidget* LogNotesTab::SearchEnginesPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("Panel25"));
    auto* engineGroup = new QGroupBox(QStringLiteral("Search Engine:"), page);
    ComboBox10 = new QComboBox(engineGroup);
    ComboBox10->setObjectName(QStringLiteral("ComboBox10"));
    Label19 = new QLabel(QStringLiteral("Submitted"), engineGroup);
    Label19->setObjectName(QStringLiteral("Label19"));
    Label19->hide();
    auto* engineRow = new QHBoxLayout(engineGroup);
    engineRow->addWidget(ComboBox10, 1);
    engineRow->addWidget(Label19);

    auto* logGroup = new QGroupBox(QStringLiteral("Search Engines Log:"), page);
    RichEdit1 = Memo(QStringLiteral("RichEdit1"), logGroup, true);
    auto* purgeCurrent = new QPushButton(QStringLiteral("&Purge Current"), logGroup);
    purgeCurrent->setObjectName(QStringLiteral("Button26"));
    auto* purgeAll = new QPushButton(QStringLiteral("Purge &All"), logGroup);
    purgeAll->setObjectName(QStringLiteral("Button27"));
    connect(purgeCurrent, &QPushButton::clicked, this, &LogNotesTab::Button26Click);
    connect(purgeAll, &QPushButton::clicked, this, &LogNotesTab::Button27Click);
    auto* logLayout = new QVBoxLayout(logGroup);
    logLayout->addWidget(RichEdit1, 1);
    auto* purgeRow = new QHBoxLayout;
    purgeRow->addWidget(purgeCurrent);
    purgeRow->addWidget(purgeAll);
    purgeRow->addStretch();
    logLayout->addLayout(purgeRow);

    auto* notesGroup = new QGroupBox(QStringLiteral("Notes"), page);
    Memo3 = Memo(QStringLiteral("Memo3"), notesGroup, false);
    Memo4 = Memo(QStringLiteral("Memo4"), notesGroup, false);
    auto* notesLayout = new QVBoxLayout(notesGroup);
    notesLayout->addWidget(
        new QLabel(QStringLiteral("General notes regarding search engine:"), notesGroup));
    notesLayout->addWidget(Memo3, 1);
    notesLayout->addWidget(new QLabel(
        QStringLiteral("Notes specifically regarding this submission file."), notesGroup));
    notesLayout->addWidget(Memo4, 1);

    auto* columns = new QHBoxLayout;
    columns->addWidget(logGroup, 1);
    columns->addWidget(notesGroup, 1);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(engineGroup);
    layout->addLayout(columns, 1);
    return page;
}

QWidget* LogNotesTab::LogPage(const QString& group, QPlainTextEdit*& log, QPlainTextEdit*& notes,
                              const QString& purgeName, const QString& logName,
                              const QString& notesName) {
    auto* page = new QWidget(this);
    auto* logGroup = new QGroupBox(group, page);
    log = Memo(logName, logGroup, true);
    auto* purge = new QPushButton(QStringLiteral("&Purge"), logGroup);
    purge->setObjectName(purgeName);
    auto* logLayout = new QVBoxLayout(logGroup);
    logLayout->addWidget(log, 1);
    auto* purgeRow = new QHBoxLayout;
    purgeRow->addWidget(purge);
    purgeRow->addStretch();
    logLayout->addLayout(purgeRow);
    auto* notesGroup = new QGroupBox(QStringLiteral("Notes:"), page);
    notes = Memo(notesName, notesGroup, false);
    (new QVBoxLayout(notesGroup))->addWidget(notes);
    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(logGroup, 2);
    layout->addWidget(notesGroup, 1);
    return page;
}

void LogNotesTab::TabSet1Change(int index) {
    Guard(this, [this, index] {
        switch (index) {
        case 0:
            LoadLog();
            break;
        case 1:
            RichEdit3->setPlainText(WholeFile("mail.log"));
            Memo5->setPlainText(JoinedText(LoadNotes(kNotes, "Mail")));
            break;
        case 2:
            RichEdit2->setPlainText(WholeFile("news.log"));
            Memo9->setPlainText(JoinedText(LoadNotes(kNotes, "News")));
            break;
        case 3:
            Memo11->setPlainText(JoinedText(LoadNotes(kNotes, "General")));
            break;
        default:
            return;
        }
        pages_->setCurrentIndex(index);
    });
}

void LogNotesTab::LoadLog() {
    const std::string file = currentFile_();
    RichEdit1->setPlainText(file.empty() ? QString() : JoinedText(LogEntries(kSubLog, file)));
}

void LogNotesTab::ComboBox10Change(int index) {
    Guard(this, [this, index] {
        if (index < 0) {
            RichEdit1->clear();
            Memo3->clear();
            Memo4->clear();
            return;
        }
        LoadLog();
        const std::string file = currentFile_();
        Label19->setVisible(!file.empty() &&
                            SubmittedSE(kSubLog, file, ToBytes(ComboBox10->currentText())));
        LoadSubnotes();
    });
}

void LogNotesTab::LoadSubnotes() {
    if (ComboBox10->currentIndex() < 0)
        return;
    const std::string engine = ToBytes(ComboBox10->currentText());
    Memo3->setPlainText(FromBytes(GetSubNotes(kSubNotes, engine, "$Main")));
    Memo4->setPlainText(
        FromBytes(GetSubNotes(kSubNotes, engine, "$" + ToBytes(ComboBox9->currentText()))));
}

void LogNotesTab::SaveMemo(QPlainTextEdit* memo) {
    Guard(this, [this, memo] {
        const LineList lines = NoteLines(ToBytes(memo->toPlainText()));
        if (memo == Memo5)
            SaveNotes(kNotes, "Mail", lines);
        else if (memo == Memo9)
            SaveNotes(kNotes, "News", lines);
        else if (memo == Memo11)
            SaveNotes(kNotes, "General", lines);
        else if (ComboBox10->currentIndex() >= 0 &&
                 (memo == Memo3 || ComboBox9->currentIndex() >= 0)) {
            const std::string engine = ToBytes(ComboBox10->currentText());
            const std::string key =
                memo == Memo3 ? "$Main" : "$" + ToBytes(ComboBox9->currentText());
            SaveSubNotes(kSubNotes, engine, key, lines);
        }
    });
}

bool LogNotesTab::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut)
        if (auto* memo = qobject_cast<QPlainTextEdit*>(watched))
            SaveMemo(memo);
    return QWidget::eventFilter(watched, event);
}

void LogNotesTab::Button26Click() {
    Guard(this, [this] {
        if (!Ask(this, "Purge current submission log?"))
            return;
        PurgeLog(kSubLog, currentFile_());
        RichEdit1->clear();
    });
}

void LogNotesTab::Button27Click() {
    Guard(this, [this] {
        if (!Ask(this, "Purge all submission logs?"))
            return;
        RichEdit1->clear();
        PurgeAllLogs(kSubLog);
    });
}

void LogNotesTab::Button25Click() {
    Guard(this, [this] {
        if (!Ask(this, "Purge mail log?"))
            return;
        RichEdit3->clear();
        SaveLineFile("mail.log", {});
    });
}

void LogNotesTab::Button24Click() {
    Guard(this, [this] {
        if (!Ask(this, "Purge news log?"))
            return;
        RichEdit2->clear();
        SaveLineFile("news.log", {});
    });
}

} // namespace siteherald::ui
