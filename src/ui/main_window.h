#pragma once

#include "core/line_file.h"
#include "field_form.h"
#include "net/http_client.h"

#include <QMainWindow>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;

namespace siteherald::ui {

class AddFilesDialog;
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

    // Lower-layer state, public for the dialogs and the tests.
    std::vector<std::string> KnownFiles;
    LineList CurrentFileLines;
    LineList AttachmentLines;
    std::vector<std::string> FieldAutoFills;
    LineList SERecordList;
    std::string CurrentFilePath;
    bool FileHasName = false;
    bool FileSaved = true;
    bool FilesAdded = false;
    bool ProfileChanged = false;
    int LoadedProfileIndex = -1;
    bool quitRequested() const { return quitRequested_; }

    // Part of the main window's work that dialogs call.
    bool CheckSaved();
    void NewFile();
    void OpenFile(const std::string& path);
    bool SaveFile(const std::string& path);
    void FormActi();
    // At exit and after a file joined the list; the "Add Submission Files" dialog writes
    // the list alone, even an empty one.
    void WriteSDFFiles(bool fromAddFilesDialog = false);
    bool ChangeProfile(const std::string& profileName);
    void DoMissingFile(const std::string& fileName);
    void FillSeCombo();
    void RequestQuit();
    THttpCli& versionClient() { return httpCli3_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private slots:
    void New1Click();
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void Button2Click();
    void Update1Click();
    void BitBtn17Click();
    void ComboBox1Change(int index);
    void ComboBox2Change(int index);
    void ComboBox4Change(int index);
    void MenuItem2Click();
    void Timer1Timer();
    void Timer2Timer();
    void PageControl1Change(int index);

private:
    void BuildLayout();
    void BuildMenus();
    QWidget* BuildFileTab();
    QWidget* BuildPromoteTab();
    QWidget* BuildLogNotesTab();
    void FormCreate();
    void FirstShow();
    void DisplayDefaultList();
    bool GetSDFfiles();
    void DoSDFCombobox();
    void AddToSDFFiles(const std::string& path);
    void CheckCurrentFile();
    void SavedFalse() { FileSaved = false; }
    void DeleteProfile();
    void SetBusy(bool updateRunning);
    bool AnyTransferRunning() const { return !updateIdle_; }

    QString dataDir_;
    std::string commandLineFile_;
    bool firstShow_ = true;
    bool firstList_ = true;
    bool updateIdle_ = true;
    bool quitRequested_ = false;

    THttpCli httpCli3_;
    std::unique_ptr<WindowUpdateUi> updateUi_;
    AddFilesDialog* addFilesDialog_ = nullptr;

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet4 = nullptr;
    FieldForm* ScrollBox1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QComboBox* ComboBox4 = nullptr;
    QComboBox* ComboBox5 = nullptr;
    QComboBox* ComboBox9 = nullptr;
    QComboBox* ComboBox10 = nullptr;
    QPushButton* BitBtn17 = nullptr;
    QPushButton* Button13 = nullptr;
    QPushButton* Button14 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label5 = nullptr;
    QWidget* Panel15 = nullptr;
    QAction* update1_ = nullptr;
    QMenu* PopupMenu3 = nullptr;
    QTimer Timer1;
    QTimer Timer2;
};

} // namespace siteherald::ui
