#pragma once

#include "core/line_file.h"
#include "net/http_client.h"
#include "submit/browser_launcher.h"

#include <QList>
#include <QWidget>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;

namespace siteherald {
class BroadcastSender;
class SubmissionDocument;
} // namespace siteherald

namespace siteherald::ui {

class AddFilesDialog;
class BroadcastPanel;
class EngineEditor;
class NotesDialog;
class PreferencesDialog;
class SubmitPanel;
class ViewLogDialog;

// The "Promote..." tab: the current submission file, the search engines with GO, Stop and the
// named browsers, the engine's submission and info addresses, the "Submitted" tick, the log
// and notes, the fields to copy, and the mailing lists and newsgroups. It drives the compact
// submit panel, which shows the same engine, tick and fields.
class PromoteTab : public QWidget {
    Q_OBJECT
public:
    struct Context {
        SubmissionDocument& document;
        BroadcastSender& sender;        // the mail and news clients
        PreferencesDialog& preferences; // asked for a browser's location
        SubmitPanel& submitPanel;
        QProgressBar& downloadProgress; // the page download's, in the status bar
        QString dataDir;                // the working directory
        // A submission data file named on the command line, chosen at the first refresh of
        // the file list when it is a known file.
        std::string commandLineFile;
    };
    // dialogParent: the window the tab's dialogs belong to.
    PromoteTab(Context context, QWidget* dialogParent);
    ~PromoteTab() override;

    // The chosen engine's record, and whether no page download runs; read-only for the tests.
    const LineList& seRecordList() const { return seRecordList_; }
    bool downloadFinished() const { return downloadFinished_; }
    // The current submission file as the list shows it; empty when there is none.
    std::string currentFile() const;

    // Lists the engines of sedata.dat; the list shows its first engine.
    void FillSeCombo();
    // Chooses the first engine; false when none is listed.
    bool ShowFirstEngine();
    // Lists the engines again after sedata.dat changed: the engine shown stays when it is
    // still listed, else the first is chosen. False when the engine shown was not kept.
    bool ReloadEngines();
    // Refreshes the file list from the known-file list and loads the current file.
    void FormActi();
    // The tab is shown: offers to make the file being edited the current file.
    void CheckCurrentFile();
    // A menu kept filled with the current file's fields, each copying its value.
    void AddFieldMenu(QMenu* menu);
    // Closing: a page download ends.
    void AbortDownload();

public slots:
    void ComboBox1Change(int index); // current submission file
    void ComboBox2Change(int index); // search engine
    void onAddFilesClicked();
    void onShowLogClicked();
    void EnableEditFile();

signals:
    void statusText(const QString& text);
    void sendProgressText(const QString& text); // "n of m" of a broadcast, empty when idle
    void newFileRequested();
    void fileTabRequested();
    void submitModeRequested();
    void engineSelected(bool selected);
    void fileLogged(bool logged); // the current file has submission log entries
    // A page download ended, finished or not.
    void downloadEnded();
    // For the lists kept beside this tab's: the engines listed; the files listed, the file
    // shown (-1 for none) and a file dropped from the list because it no longer exists; and
    // the current file loaded or cleared.
    void enginesListed(const std::vector<std::string>& names);
    void filesListed(const std::vector<std::string>& paths);
    void fileShown(int index);
    void fileDropped(int index);
    void currentFileChanged(bool loaded);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void onEditFileClicked();
    void onGoClicked();
    void onStopClicked();
    void onNetscapeClicked();
    void onExplorerClicked();
    void onSubmissionAddressClicked();
    void onInfoAddressClicked();
    void onSubmittedToggled(bool checked);
    void onNotesClicked();
    void onSubmitModeEngineChosen(int index);
    void onAddEngineClicked();
    void onEditEngineClicked();
    void onDeleteEngineClicked();
    void CopyFieldValue(const QString& fieldName);

private:
    void BuildMenus();
    void DoMissingFile(const std::string& fileName);
    void DoSDFCombobox();
    void AfterEngineEditor();
    void UpdateTickBoxes();
    void UpdateLogControls();
    void FillListBox();
    void ShowLogViewer(bool besideWindow);
    // Downloads the chosen engine's page, fills it and opens it in the browser.
    void DownloadAndChangeHTML();
    void ProcessDownload(const std::string& engine, const LineList& record);
    void SubmitWithBrowser(const char* browser, const char* missingText, const char* launchIn);
    std::string GetBrowserLoc(const char* browser);
    void SetDownloading(bool downloading);
    void ShowProgress();

    SubmissionDocument& document_;
    PreferencesDialog& preferences_;
    SubmitPanel& submitPanel_;
    QProgressBar& progress_;
    QString dataDir_;
    std::string commandLineFile_;
    bool firstList_ = true;
    bool tickBoxFlag_ = false;

    LineList seRecordList_;
    LineList pageLines_;
    LineList adPageLines_;
    bool downloadFinished_ = true;
    bool downloadAborted_ = false;
    bool requestWasAborted_ = false;
    THttpCli pageHttp_;
    WwwDde browser_; // the browser the frame page opens in

    AddFilesDialog* addFilesDialog_ = nullptr;
    EngineEditor* engineEditor_ = nullptr;
    NotesDialog* notes_ = nullptr;
    ViewLogDialog* viewLog_ = nullptr;
    BroadcastPanel* broadcast_ = nullptr;

    QComboBox* fileChoice_ = nullptr;
    QPushButton* editFileButton_ = nullptr;
    QComboBox* engineChoice_ = nullptr;
    QCheckBox* submittedBox_ = nullptr;
    QPushButton* showLogButton_ = nullptr;
    QPushButton* goButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QLabel* submissionCaption_ = nullptr;
    QLabel* submissionAddressLabel_ = nullptr;
    QLabel* infoCaption_ = nullptr;
    QLabel* infoAddressLabel_ = nullptr;
    QPushButton* netscapeButton_ = nullptr;
    QPushButton* explorerButton_ = nullptr;
    QPushButton* submitModeButton_ = nullptr;
    QPushButton* clipboardButton_ = nullptr;
    QPushButton* customizeButton_ = nullptr;
    QMenu* engineMenu_ = nullptr;
    QMenu* promoteMenu_ = nullptr;
    QList<QMenu*> fieldMenus_; // the clipboard button's, and those added
    QAction* loadEngineAction_ = nullptr;
    QAction* loadInfoAction_ = nullptr;
    QAction* showLogAction_ = nullptr;
    QList<QAction*> engineEditActions_; // "&Delete Search Engine", "&Edit Search Engine"
};

} // namespace siteherald::ui
