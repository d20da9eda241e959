#pragma once

#include <QString>
#include <deque>

class QWidget;

namespace siteherald::ui {

// The open and save dialogs for submission data files. Tests script the chosen paths (an
// empty path is a cancelled dialog) instead of showing the dialogs.
class FileDialogs {
public:
    static QString OpenSubmissionFile(QWidget* parent);
    static QString SaveSubmissionFile(QWidget* parent);
    // The program of a browser ("Netscape Navigator", "Internet Explorer", ...).
    static QString BrowserProgram(QWidget* parent, const QString& browser);
    // Plain text files of e-mail addresses: an existing file to open; a file to save, the
    // dialog proposing `proposedName` and asking before it overwrites.
    static QString OpenTextFile(QWidget* parent);
    // An older submission file (".sub") to import.
    static QString OpenOlderSubmissionFile(QWidget* parent);
    static QString SaveTextFile(QWidget* parent, const QString& proposedName);

    static void Script(std::deque<QString> paths);
    static void StopScript();
};

} // namespace siteherald::ui
