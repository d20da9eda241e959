#pragma once

#include "core/line_file.h"

#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace siteherald {
struct IndexNowReport;
}

namespace siteherald::ui {

// The "Index Now" tab: the site's new and changed pages pushed to the IndexNow engines, with
// the sitemaps read, the key and where its file must be served, the counts of the last run
// and indexnow.log.
class IndexNowTab : public QWidget {
    Q_OBJECT
public:
    struct Context {
        std::function<const LineList&()> currentFileLines; // the current submission file
        QString dataDir;                                   // the working directory
        std::function<void(const QString&)> status;        // the status bar's text
    };
    explicit IndexNowTab(Context context, QWidget* parent = nullptr);

    bool running() const { return running_; }
    // Asks a run in progress to stop; it ends at its next wait.
    void Stop() { stopRequested_ = true; }
    // The current submission file was loaded or cleared: its site address fills the site box,
    // unless that address was taken already (an address typed in since stays).
    void TakeSiteFromCurrentFile();
    // Shows indexnow.log anew.
    void LoadLog();

private slots:
    void onSubmitClicked();

private:
    void ShowReport(const IndexNowReport& report);
    void SetRunning(bool running);

    Context context_;
    bool running_ = false;
    bool stopRequested_ = false;
    std::string siteFromFile_; // the address last taken from a submission file
    std::string shownKey_;

    QLineEdit* siteEdit_ = nullptr;
    QPushButton* submitButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QListWidget* sitemapList_ = nullptr;
    QLabel* keyLabel_ = nullptr;
    QLabel* keyFileLabel_ = nullptr;
    QLabel* countsLabel_ = nullptr;
    QPlainTextEdit* log_ = nullptr;
};

} // namespace siteherald::ui
