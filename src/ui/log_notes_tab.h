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

    QComboBox* ComboBox9;
    QComboBox* ComboBox10;
    QTabBar* TabSet1;
    QPlainTextEdit* RichEdit1;
    QPlainTextEdit* RichEdit2;
    QPlainTextEdit* RichEdit3;
    QPlainTextEdit* Memo3;
    QPlainTextEdit* Memo4;
    QPlainTextEdit* Memo5;
    QPlainTextEdit* Memo9;
    QPlainTextEdit* Memo11;
    QLabel* Label19;

    // The refresh of the page shown, run when the tab becomes active.
    void TabSet1Change(int index);
    void ComboBox10Change(int index);
    void LoadSubnotes();
    void LoadLog();

public slots:
    void Button26Click(); // Purge Current
    void Button27Click(); // Purge All
    void Button25Click(); // Purge mail log
    void Button24Click(); // Purge news log

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* SearchEnginesPage();
    QWidget* LogPage(const QString& group, QPlainTextEdit*& log, QPlainTextEdit*& notes,
                     const QString& purgeName, const QString& logName, const QString& notesName);
    void SaveMemo(QPlainTextEdit* memo);

    std::function<std::string()> currentFile_;
    QStackedWidget* pages_;
};

} // namespace siteherald::ui
