#pragma once

#include <QWidget>
#include <functional>
#include <string>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTabBar;

namespace siteherald::ui {

// The "Log/Notes..." tab: the submission log of the current file with the engine notes, the
// mail and news logs with their notes, and the general note. Notes are saved when their
// memo loses the focus.
class LogNotesTab : public QWidget {
    Q_OBJECT
public:
    // currentFile: the current submission file's path (the main window's file list).
    explicit LogNotesTab(std::function<std::string()> currentFile, QWidget* parent = nullptr);

    // The tab's file list, kept beside the "Promote..." tab's, and its engine list.
    QComboBox* fileChoice() const { return fileChoice_; }
    QComboBox* engineChoice() const { return engineChoice_; }

    // The refresh of the page shown, run when the tab becomes active.
    void TabSet1Change(int index);
    void RefreshCurrentPage();
    void ComboBox10Change(int index);
    void LoadSubnotes();
    void LoadLog();
    // No current file: its log and its notes for the engine are cleared.
    void ClearFileLog();

private slots:
    void onPurgeCurrentClicked();
    void onPurgeAllClicked();
    void onPurgeMailLogClicked();
    void onPurgeNewsLogClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* SearchEnginesPage();
    QWidget* LogPage(const QString& group, QPlainTextEdit*& log, QPlainTextEdit*& notes,
                     const QString& purgeName, const QString& logName, const QString& notesName);
    void SaveMemo(QPlainTextEdit* memo);

    std::function<std::string()> currentFile_;
    QStackedWidget* pages_;
    QComboBox* fileChoice_;
    QComboBox* engineChoice_;
    QTabBar* pageTabs_;
    QPlainTextEdit* submissionLog_;
    QPlainTextEdit* newsLog_;
    QPlainTextEdit* mailLog_;
    QPlainTextEdit* engineNotes_;     // the engine's general notes
    QPlainTextEdit* fileEngineNotes_; // the engine's notes for the current file
    QPlainTextEdit* mailNotes_;
    QPlainTextEdit* newsNotes_;
    QPlainTextEdit* generalNotes_;
    QLabel* submittedLabel_;
};

} // namespace siteherald::ui
