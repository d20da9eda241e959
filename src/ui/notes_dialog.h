#pragma once

#include <QDialog>
#include <string>

class QPlainTextEdit;

namespace siteherald::ui {

// "Notes": the general note of an engine and its note for one submission data file, saved
// on OK only.
class NotesDialog : public QDialog {
    Q_OBJECT
public:
    explicit NotesDialog(QWidget* parent);
    // Shows the notes of engine and file; saves them when the user presses OK.
    void Edit(const std::string& engine, const std::string& currentFile);

public slots:
    void onOkClicked();

private:
    QPlainTextEdit* engineNotesEdit_; // the engine's general note
    QPlainTextEdit* fileNotesEdit_;   // its note for the submission data file
    std::string engine_;
    std::string currentFile_;
};

} // namespace siteherald::ui
