#pragma once

#include "broadcast/broadcast_run.h"
#include "core/line_file.h"
#include "core/submission_document.h"
#include "net/http_client.h"
#include "submit/browser_launcher.h"

#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace siteherald::ui {

class AboutDialog;
class AddFilesDialog;
class PreferencesDialog;
class BroadcastPanel;
class SupportDialog;
class EngineEditor;
class FileTab;
class LogNotesTab;
class NotesDialog;
class ViewLogDialog;
class WindowUpdateUi;

// The main window: the program. It owns the shared lists and every dialog; data files are
// opened by bare name in the data directory, which is the working directory.
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

    // The open submission file and the known files, read-only for the tests.
    const SubmissionDocument& document() const { return *document_; }
    const LineList& seRecordList() const { return seRecordList_; }
    bool downloadFinished() const { return downloadFinished_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private slots:
    void onAddFilesClicked();
    void onUpdateClicked();
    void onEditFileClicked();
    void onStatusTimeout();
    void onPageChanged(int index);
    void onGoClicked();
    void onStopClicked();
    void onNetscapeClicked();
    void onExplorerClicked();
    void onSubmissionAddressClicked();
    void onInfoAddressClicked();
    void onSubmittedToggled(bool checked);
    void onShowLogClicked();
    void onSubmitModeLogClicked();
    void onNotesClicked();
    void onSubmitModeClicked();
    void onRegularModeClicked();
    void onShrinkClicked(); // shrinks or expands the submit panel
    void onStayOnTopToggled(bool down);
    void onSubmitModeEngineChosen(int index);
    void onCopyFieldClicked();
    void onGotoWebsiteClicked();
    void onHelpTopicsClicked();
    void onMailLogClicked();
    void onAddEngineClicked();
    void onEditEngineClicked();
    void onDeleteEngineClicked();
    void onNewsLogClicked();
    void onEmailSupportClicked();
    void onPreferencesClicked();
    void onAboutClicked();
    // Choice and attach handlers that other operations also run.
    void ComboBox1Change(int index); // current submission file
    void ComboBox2Change(int index); // search engine

private:
    void FormActi();
    void DoMissingFile(const std::string& fileName);
    void FillSeCombo();
    void RequestQuit();

    void BuildLayout();
    // The normal-state geometry: the stored one, or the pages' size hints centred on screen.
    QRect NormalGeometry();
    void BuildMenus();
    QWidget* BuildPromoteTab();
    QWidget* BuildSubmitPanel();
    // Downloads the chosen engine's page, fills it and opens it in the browser.
    void DownloadAndChangeHTML();
    void ProcessDownload(const std::string& engine, const LineList& record);
    void SubmitWithBrowser(const char* browser, const char* missingText, const char* launchIn);
    std::optional<LineList> CurrentFileProfile() const;
    std::string GetBrowserLoc(const char* browser);
    void SetDownloading(bool downloading);
    void ShowProgress();
    void UpdateTickBoxes();
    void UpdateLogControls();
    void FillListBox();
    void CopyFieldValue(const QString& fieldName);
    void LoadMNLog(const char* fileName);
    void ShowLogViewer(bool besideWindow);
    void ResizeClient(int width, int height);
    void SetStatus(const QString& text);
    void AfterEngineEditor();
    void FormCreate();
    void FirstShow();
    void DoSDFCombobox();
    void CheckCurrentFile();
    void SetBusy(bool updateRunning);
    bool AnyTransferRunning() const {
        return !updateIdle_ || !downloadFinished_ || !sender_.MailDone || !sender_.NewsDone;
    }

    FileTab* fileTab_ = nullptr;
    SubmissionDocument* document_ = nullptr; // the File tab's
    LineList seRecordList_;
    LineList pageLines_;
    LineList adPageLines_;
    bool downloadFinished_ = true;
    bool downloadAborted_ = false;
    bool requestWasAborted_ = false;

    QString dataDir_;
    std::string commandLineFile_;
    bool firstShow_ = true;
    bool firstList_ = true;
    bool updateIdle_ = true;
    bool quitRequested_ = false;

    BroadcastSender sender_; // the mail and news clients
    BroadcastPanel* broadcast_ = nullptr;
    SupportDialog* supportDialog_ = nullptr;
    PreferencesDialog* preferencesDialog_ = nullptr;
    AboutDialog* aboutDialog_ = nullptr;
    QLabel* sendProgress_ = nullptr;
    THttpCli pageHttp_;
    WwwDde browser_; // the browser the frame page opens in
    THttpCli versionHttp_;
    bool tickBoxFlag_ = false;
    bool submitMode_ = false;
    std::unique_ptr<WindowUpdateUi> updateUi_;
    AddFilesDialog* addFilesDialog_ = nullptr;
    EngineEditor* engineEditor_ = nullptr;
    QList<QAction*> engineEditActions_; // "&Delete Search Engine", "&Edit Search Engine"
    ViewLogDialog* viewLog_ = nullptr;
    NotesDialog* notes_ = nullptr;
    LogNotesTab* logNotes_ = nullptr;

    QTabWidget* pages_ = nullptr;
    QWidget* promotePage_ = nullptr;
    QWidget* filePage_ = nullptr;
    QWidget* logNotesPage_ = nullptr;
    QComboBox* fileChoice_ = nullptr;
    QComboBox* engineChoice_ = nullptr;
    QComboBox* submitEngineChoice_ = nullptr;
    QComboBox* notesFileChoice_ = nullptr;
    QComboBox* notesEngineChoice_ = nullptr;
    QPushButton* editFileButton_ = nullptr;
    QPushButton* netscapeButton_ = nullptr;
    QPushButton* explorerButton_ = nullptr;
    QPushButton* goButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QPushButton* submitModeButton_ = nullptr;
    QPushButton* showLogButton_ = nullptr;
    QPushButton* submitLogButton_ = nullptr;
    QPushButton* copyFieldButton_ = nullptr;
    QPushButton* shrinkButton_ = nullptr;
    QPushButton* stayOnTopButton_ = nullptr;
    QCheckBox* submittedBox_ = nullptr;
    QCheckBox* submitSubmittedBox_ = nullptr;
    QListWidget* fieldList_ = nullptr;
    QWidget* submitPanel_ = nullptr;
    QWidget* submitEnginePanel_ = nullptr;
    QWidget* submitButtonPanel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QMenu* clipboardMenu_ = nullptr;
    QMenu* copyToClipboard_ = nullptr;
    QAction* loadEngineAction_ = nullptr;
    QAction* loadInfoAction_ = nullptr;
    QAction* showLogAction_ = nullptr;
    QAction* submitModeAction_ = nullptr;
    QMenu* promoteMenu_ = nullptr;
    QMenu* engineMenu_ = nullptr;
    QAction* engineLogAction_ = nullptr;
    QLabel* submissionCaption_ = nullptr;
    QLabel* submissionAddressLabel_ = nullptr;
    QLabel* infoCaption_ = nullptr;
    QLabel* infoAddressLabel_ = nullptr;
    QWidget* bannerBand_ = nullptr;
    QAction* updateAction_ = nullptr;
    QTimer statusTimer_;
};

} // namespace siteherald::ui
