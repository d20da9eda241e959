#pragma once

#include "broadcast/broadcast_run.h"
#include "core/submission_document.h"
#include "index_now_tab.h"
#include "net/http_client.h"
#include "promote_tab.h"

#include <QMainWindow>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QTabWidget;

namespace siteherald::ui {

class AboutDialog;
class PreferencesDialog;
class SupportDialog;
class FileTab;
class LogNotesTab;
class SubmitPanel;
class ViewLogDialog;
class WindowUpdateUi;

// The main window: the menus, the tabs, the status bar and the compact submit mode, with the
// start-up and shut-down order; it wires the tabs together. Data files are opened by bare name
// in the data directory, which is the working directory.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // commandLineFile: a submission data file named on the command line, selected at the
    // first refresh of the file lists when it is a known file.
    explicit MainWindow(const std::string& commandLineFile = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shows the window as the saved state says and runs the first show's work.
    void Start();

    bool quitRequested() const { return quitRequested_; }
    bool inSubmitMode() const { return submitMode_; }

    // The open submission file and the known files, and the Promote tab, read-only for the
    // tests.
    const SubmissionDocument& document() const { return *document_; }
    const PromoteTab& promoteTab() const { return *promoteTab_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private slots:
    void onUpdateClicked();
    void onStatusTimeout();
    void onPageChanged(int index);
    void onMailLogClicked();
    void onNewsLogClicked();
    void onSubmitModeClicked();
    void onRegularModeClicked();
    void onStayOnTopToggled(bool down);
    void onGotoWebsiteClicked();
    void onHelpTopicsClicked();
    void onEmailSupportClicked();
    void onPreferencesClicked();
    void onAboutClicked();

private:
    void RequestQuit();
    void BuildLayout(const std::string& commandLineFile);
    void ConnectTabs();
    // The normal-state geometry: the stored one, or the pages' size hints centred on screen.
    QRect NormalGeometry();
    void BuildMenus();
    void FormCreate();
    void FirstShow();
    // The silent version check, unless the program is ending.
    void CheckVersionQuietly();
    void SetBusy(bool updateRunning);
    bool AnyTransferRunning() const {
        return !updateIdle_ || !promoteTab_->downloadFinished() || !sender_.MailDone ||
               !sender_.NewsDone || indexNow_->running();
    }
    // The Log/Notes tab's engine list follows the Promote tab's.
    void ListNotesEngines(const std::vector<std::string>& names);
    void LoadMNLog(const char* fileName);
    void ResizeClient(int width, int height);

    FileTab* fileTab_ = nullptr;
    SubmissionDocument* document_ = nullptr; // the File tab's
    PromoteTab* promoteTab_ = nullptr;
    LogNotesTab* logNotes_ = nullptr;
    IndexNowTab* indexNow_ = nullptr;
    SubmitPanel* submitPanel_ = nullptr;

    QString dataDir_;
    bool firstShow_ = true;
    bool updateIdle_ = true;
    bool quitRequested_ = false;
    bool submitMode_ = false;

    BroadcastSender sender_; // the mail and news clients
    THttpCli versionHttp_;
    std::unique_ptr<WindowUpdateUi> updateUi_;
    SupportDialog* supportDialog_ = nullptr;
    PreferencesDialog* preferencesDialog_ = nullptr;
    AboutDialog* aboutDialog_ = nullptr;
    ViewLogDialog* viewLog_ = nullptr; // the mail and news logs

    QTabWidget* pages_ = nullptr;
    QWidget* filePage_ = nullptr;
    QWidget* promotePage_ = nullptr;
    QWidget* logNotesPage_ = nullptr;
    QWidget* indexNowPage_ = nullptr;
    QComboBox* notesFileChoice_ = nullptr;
    QComboBox* notesEngineChoice_ = nullptr;
    QWidget* bannerBand_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* sendProgress_ = nullptr;
    QMenu* copyToClipboard_ = nullptr;
    QAction* engineLogAction_ = nullptr;
    QAction* submitModeAction_ = nullptr;
    QAction* updateAction_ = nullptr;
    QTimer statusTimer_;
};

} // namespace siteherald::ui
