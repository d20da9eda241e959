#include "index_now_tab.h"

#include "core/data_dir.h"
#include "event_guard.h"
#include "index/indexnow_run.h"
#include "submit/clipboard_value.h"
#include "text_codec.h"
#include "widgets.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QVBoxLayout>
#include <optional>

namespace siteherald::ui {

namespace {

QLabel* NamedLabel(const QString& name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

IndexNowTab::IndexNowTab(Context context, QWidget* parent)
    : QWidget(parent), context_(std::move(context)) {
    setObjectName(QStringLiteral("IndexNowTab"));
    siteEdit_ = NamedEdit(QStringLiteral("IndexNowSite"), this);
    siteEdit_->setPlaceholderText(QStringLiteral("https://www.example.org/"));
    auto* siteLabel = new QLabel(QStringLiteral("Site &address:"), this);
    siteLabel->setBuddy(siteEdit_);
    submitButton_ =
        NamedButton(QStringLiteral("SubmitChangedButton"), QStringLiteral("&Submit changed pages"),
                    QStringLiteral("Sends the site's new and changed pages to the "
                                   "search engines that take IndexNow"),
                    this);
    stopButton_ = NamedButton(QStringLiteral("IndexNowStop"), QStringLiteral("S&top"), {}, this);
    stopButton_->setEnabled(false);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("IndexNowProgress"));
    progress_->hide();
    statusLabel_ = NamedLabel(QStringLiteral("IndexNowStatus"), this);

    auto* sitemaps = new QGroupBox(QStringLiteral("Sitemaps read"), this);
    sitemapList_ = new QListWidget(sitemaps);
    sitemapList_->setObjectName(QStringLiteral("IndexNowSitemaps"));
    sitemapList_->setMaximumHeight(sitemapList_->fontMetrics().lineSpacing() * 5);
    (new QVBoxLayout(sitemaps))->addWidget(sitemapList_);

    auto* key = new QGroupBox(QStringLiteral("Key"), this);
    keyLabel_ = NamedLabel(QStringLiteral("IndexNowKey"), key);
    keyFileLabel_ = NamedLabel(QStringLiteral("IndexNowKeyFile"), key);
    auto* keyLayout = new QVBoxLayout(key);
    keyLayout->addWidget(keyLabel_);
    keyLayout->addWidget(keyFileLabel_);

    countsLabel_ = NamedLabel(QStringLiteral("IndexNowCounts"), this);
    auto* logGroup = new QGroupBox(QStringLiteral("Log"), this);
    log_ = new QPlainTextEdit(logGroup);
    log_->setObjectName(QStringLiteral("IndexNowLog"));
    log_->setReadOnly(true);
    log_->setLineWrapMode(QPlainTextEdit::NoWrap);
    (new QVBoxLayout(logGroup))->addWidget(log_);

    connect(submitButton_, &QPushButton::clicked, this, &IndexNowTab::onSubmitClicked);
    connect(siteEdit_, &QLineEdit::returnPressed, this, &IndexNowTab::onSubmitClicked);
    connect(stopButton_, &QPushButton::clicked, this, &IndexNowTab::Stop);

    auto* siteRow = new QHBoxLayout;
    siteRow->addWidget(siteLabel);
    siteRow->addWidget(siteEdit_, 1);
    siteRow->addWidget(submitButton_);
    siteRow->addWidget(stopButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(siteRow);
    layout->addWidget(progress_);
    layout->addWidget(statusLabel_);
    layout->addWidget(sitemaps);
    layout->addWidget(key);
    layout->addWidget(countsLabel_);
    layout->addWidget(logGroup, 1);
}

void IndexNowTab::TakeSiteFromCurrentFile() {
    const std::string site = GetClipboard(context_.currentFileLines(), "url");
    if (site.empty() || site == siteFromFile_)
        return;
    siteFromFile_ = site;
    siteEdit_->setText(FromBytes(site));
}

void IndexNowTab::LoadLog() {
    std::string bytes;
    ReadFileBytes(JoinPath(ToBytes(context_.dataDir), kIndexNowLog), bytes);
    log_->setPlainText(JoinedText(SplitLines(bytes)));
    log_->verticalScrollBar()->setValue(log_->verticalScrollBar()->maximum());
}

void IndexNowTab::SetRunning(bool running) {
    running_ = running;
    stopRequested_ = false;
    submitButton_->setEnabled(!running);
    stopButton_->setEnabled(running);
    siteEdit_->setReadOnly(running);
    progress_->setVisible(running);
    progress_->setRange(0, 0); // busy until the addresses to submit are counted
    if (!running)
        context_.status({});
}

void IndexNowTab::onSubmitClicked() {
    if (running_)
        return; // one run at a time
    const QString site = siteEdit_->text().trimmed();
    if (site.isEmpty()) {
        MessageBoxes::Show(this, MessageIcon::Warning,
                           QStringLiteral("Type in the address of the site whose pages are to be "
                                          "submitted, such as https://www.example.org/."),
                           Buttons::Ok);
        return;
    }
    IndexNowRequest request;
    request.sources.site = ToBytes(site);
    request.dataDir = ToBytes(context_.dataDir);
    IndexNowHooks hooks;
    hooks.idle = [] { QApplication::processEvents(QEventLoop::AllEvents, 15); };
    hooks.stopped = [this] { return stopRequested_; };
    hooks.status = [this](const std::string& text) {
        statusLabel_->setText(FromBytes(text));
        context_.status(FromBytes(text));
    };
    hooks.request = [this](const std::string& line) {
        statusLabel_->setText(FromBytes(line));
        Guard(this, [this] { LoadLog(); });
    };
    hooks.progress = [this](size_t done, size_t total) {
        progress_->setRange(0, int(total));
        progress_->setValue(int(done));
    };

    statusLabel_->setStyleSheet({});
    statusLabel_->setText(QStringLiteral("Reading the site's addresses..."));
    SetRunning(true);
    std::optional<IndexNowReport> report;
    Guard(this, [&] { report = RunIndexNow(request, hooks); });
    SetRunning(false);
    Guard(this, [this] { LoadLog(); });
    if (report)
        ShowReport(*report);
    else
        statusLabel_->clear();
}

void IndexNowTab::ShowReport(const IndexNowReport& report) {
    sitemapList_->clear();
    for (const std::string& sitemap : report.sitemaps)
        sitemapList_->addItem(FromBytes(sitemap));

    // A run that ended before the key file was fetched leaves the last word on it standing.
    const bool keyChecked = report.keyLive || report.outcome == IndexNowOutcome::Done ||
                            report.outcome == IndexNowOutcome::KeyNotServed;
    if (report.key.empty()) {
        keyLabel_->setText(QStringLiteral("No key yet: it is made at the first submission."));
        keyFileLabel_->clear();
    } else if (keyChecked || report.key != shownKey_) {
        const QString where = FromBytes(report.keyUrl);
        const QString state = report.keyLive ? QStringLiteral("its file is live at %1.")
                              : keyChecked   ? QStringLiteral("its file is NOT served at %1.")
                                             : QStringLiteral("its file at %1 is not checked yet.");
        keyLabel_->setText(
            QStringLiteral("Key %1 for %2: ").arg(FromBytes(report.key), FromBytes(report.host)) +
            state.arg(where));
        keyFileLabel_->setText(
            report.keyLive
                ? QStringLiteral("Key file: %1").arg(FromBytes(report.keyFile))
                : QStringLiteral("Upload %1 to the site so that it is served at %2, then submit "
                                 "again.")
                      .arg(FromBytes(report.keyFile), where));
    }
    shownKey_ = report.key;
    const bool read = !report.sitemaps.empty() || report.outcome == IndexNowOutcome::Done;
    countsLabel_->setText(
        read ? QStringLiteral("New: %1, changed: %2, unchanged: %3, other hosts: %4; submitted: %5")
                   .arg(report.newCount)
                   .arg(report.changedCount)
                   .arg(report.unchanged)
                   .arg(report.otherHosts)
                   .arg(report.submitted)
             : QStringLiteral("No addresses were read in this run."));

    if (report.outcome == IndexNowOutcome::Done) {
        statusLabel_->setText(
            report.newCount + report.changedCount == 0
                ? QStringLiteral("Nothing new or changed to submit.")
                : QStringLiteral("Submitted %1 addresses.").arg(report.submitted));
        return;
    }
    if (report.outcome == IndexNowOutcome::Stopped) {
        statusLabel_->setText(QStringLiteral("Stopped."));
        return;
    }
    const QString message = report.message.empty()
                                ? QStringLiteral("The submission to IndexNow failed.")
                                : FromBytes(report.message);
    statusLabel_->setStyleSheet(QStringLiteral("color: #b00020"));
    statusLabel_->setText(message);
    MessageBoxes::Show(this, MessageIcon::Error, message, Buttons::Ok);
}

} // namespace siteherald::ui
