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
    fileChoice_ = new QComboBox(this);
    fileChoice_->setObjectName(QStringLiteral("ComboBox9"));
    pageTabs_ = new QTabBar(this);
    pageTabs_->setObjectName(QStringLiteral("TabSet1"));
    for (const char* page : {"Search Engines", "Mailing Lists", "Newsgroups", "General"})
        pageTabs_->addTab(QString::fromLatin1(page));
    pageTabs_->setShape(QTabBar::TriangularSouth);

    pages_ = new QStackedWidget(this);
    pages_->addWidget(SearchEnginesPage());
    pages_->addWidget(LogPage(QStringLiteral("Mail Log:"), mailLog_, mailNotes_,
                              QStringLiteral("Button25"), QStringLiteral("RichEdit3"),
                              QStringLiteral("Memo5")));
    pages_->addWidget(LogPage(QStringLiteral("News Log:"), newsLog_, newsNotes_,
                              QStringLiteral("Button24"), QStringLiteral("RichEdit2"),
                              QStringLiteral("Memo9")));
    auto* general = new QGroupBox(QStringLiteral("General"), this);
    general->setObjectName(QStringLiteral("Panel28"));
    generalNotes_ = Memo(QStringLiteral("Memo11"), general, false);
    (new QVBoxLayout(general))->addWidget(generalNotes_);
    pages_->addWidget(general);
    connect(findChild<QPushButton*>(QStringLiteral("Button25")), &QPushButton::clicked, this,
            &LogNotesTab::onPurgeMailLogClicked);
    connect(findChild<QPushButton*>(QStringLiteral("Button24")), &QPushButton::clicked, this,
            &LogNotesTab::onPurgeNewsLogClicked);

    for (QPlainTextEdit* memo :
         {engineNotes_, fileEngineNotes_, mailNotes_, newsNotes_, generalNotes_})
        memo->installEventFilter(this);
    connect(pageTabs_, &QTabBar::currentChanged, this, &LogNotesTab::TabSet1Change);
    connect(engineChoice_, &QComboBox::currentIndexChanged, this, &LogNotesTab::ComboBox10Change);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Current Submission File:"), this));
    top->addWidget(fileChoice_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(pages_, 1);
    layout->addWidget(pageTabs_);
}

QWidget* LogNotesTab::SearchEnginesPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("Panel25"));
    auto* engineGroup = new QGroupBox(QStringLiteral("Search Engine:"), page);
    engineChoice_ = new QComboBox(engineGroup);
    engineChoice_->setObjectName(QStringLiteral("ComboBox10"));
    submittedLabel_ = new QLabel(QStringLiteral("Submitted"), engineGroup);
    submittedLabel_->setObjectName(QStringLiteral("Label19"));
    submittedLabel_->hide();
    auto* engineRow = new QHBoxLayout(engineGroup);
    engineRow->addWidget(engineChoice_, 1);
    engineRow->addWidget(submittedLabel_);

    auto* logGroup = new QGroupBox(QStringLiteral("Search Engines Log:"), page);
    submissionLog_ = Memo(QStringLiteral("RichEdit1"), logGroup, true);
    auto* purgeCurrent = new QPushButton(QStringLiteral("&Purge Current"), logGroup);
    purgeCurrent->setObjectName(QStringLiteral("Button26"));
    auto* purgeAll = new QPushButton(QStringLiteral("Purge &All"), logGroup);
    purgeAll->setObjectName(QStringLiteral("Button27"));
    connect(purgeCurrent, &QPushButton::clicked, this, &LogNotesTab::onPurgeCurrentClicked);
    connect(purgeAll, &QPushButton::clicked, this, &LogNotesTab::onPurgeAllClicked);
    auto* logLayout = new QVBoxLayout(logGroup);
    logLayout->addWidget(submissionLog_, 1);
    auto* purgeRow = new QHBoxLayout;
    purgeRow->addWidget(purgeCurrent);
    purgeRow->addWidget(purgeAll);
    purgeRow->addStretch();
    logLayout->addLayout(purgeRow);

    auto* notesGroup = new QGroupBox(QStringLiteral("Notes"), page);
    engineNotes_ = Memo(QStringLiteral("Memo3"), notesGroup, false);
    fileEngineNotes_ = Memo(QStringLiteral("Memo4"), notesGroup, false);
    auto* notesLayout = new QVBoxLayout(notesGroup);
    notesLayout->addWidget(
        new QLabel(QStringLiteral("General notes regarding search engine:"), notesGroup));
    notesLayout->addWidget(engineNotes_, 1);
    notesLayout->addWidget(new QLabel(
        QStringLiteral("Notes specifically regarding this submission file."), notesGroup));
    notesLayout->addWidget(fileEngineNotes_, 1);

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
            mailLog_->setPlainText(WholeFile("mail.log"));
            mailNotes_->setPlainText(JoinedText(LoadNotes(kNotes, "Mail")));
            break;
        case 2:
            newsLog_->setPlainText(WholeFile("news.log"));
            newsNotes_->setPlainText(JoinedText(LoadNotes(kNotes, "News")));
            break;
        case 3:
            generalNotes_->setPlainText(JoinedText(LoadNotes(kNotes, "General")));
            break;
        default:
            return;
        }
        pages_->setCurrentIndex(index);
    });
}

void LogNotesTab::RefreshCurrentPage() {
    TabSet1Change(pageTabs_->currentIndex());
}

void LogNotesTab::LoadLog() {
    const std::string file = currentFile_();
    submissionLog_->setPlainText(file.empty() ? QString() : JoinedText(LogEntries(kSubLog, file)));
}

void LogNotesTab::ClearFileLog() {
    submissionLog_->clear();
    fileEngineNotes_->clear();
}

void LogNotesTab::ComboBox10Change(int index) {
    Guard(this, [this, index] {
        if (index < 0) {
            submissionLog_->clear();
            engineNotes_->clear();
            fileEngineNotes_->clear();
            return;
        }
        LoadLog();
        const std::string file = currentFile_();
        submittedLabel_->setVisible(
            !file.empty() && SubmittedSE(kSubLog, file, ToBytes(engineChoice_->currentText())));
        LoadSubnotes();
    });
}

void LogNotesTab::LoadSubnotes() {
    if (engineChoice_->currentIndex() < 0)
        return;
    const std::string engine = ToBytes(engineChoice_->currentText());
    engineNotes_->setPlainText(FromBytes(GetSubNotes(kSubNotes, engine, "$Main")));
    fileEngineNotes_->setPlainText(
        FromBytes(GetSubNotes(kSubNotes, engine, "$" + ToBytes(fileChoice_->currentText()))));
}

void LogNotesTab::SaveMemo(QPlainTextEdit* memo) {
    Guard(this, [this, memo] {
        const LineList lines = NoteLines(ToBytes(memo->toPlainText()));
        if (memo == mailNotes_)
            SaveNotes(kNotes, "Mail", lines);
        else if (memo == newsNotes_)
            SaveNotes(kNotes, "News", lines);
        else if (memo == generalNotes_)
            SaveNotes(kNotes, "General", lines);
        else if (engineChoice_->currentIndex() >= 0 &&
                 (memo == engineNotes_ || fileChoice_->currentIndex() >= 0)) {
            const std::string engine = ToBytes(engineChoice_->currentText());
            const std::string key =
                memo == engineNotes_ ? "$Main" : "$" + ToBytes(fileChoice_->currentText());
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

void LogNotesTab::onPurgeCurrentClicked() {
    Guard(this, [this] {
        if (!Ask(this, "Purge current submission log?"))
            return;
        PurgeLog(kSubLog, currentFile_());
        submissionLog_->clear();
    });
}

void LogNotesTab::onPurgeAllClicked() {
    Guard(this, [this] {
        if (!Ask(this, "Purge all submission logs?"))
            return;
        submissionLog_->clear();
        PurgeAllLogs(kSubLog);
    });
}

void LogNotesTab::onPurgeMailLogClicked() {
    Guard(this, [this] {
        if (!Ask(this, "Purge mail log?"))
            return;
        mailLog_->clear();
        SaveLineFile("mail.log", {});
    });
}

void LogNotesTab::onPurgeNewsLogClicked() {
    Guard(this, [this] {
        if (!Ask(this, "Purge news log?"))
            return;
        newsLog_->clear();
        SaveLineFile("news.log", {});
    });
}

} // namespace siteherald::ui
