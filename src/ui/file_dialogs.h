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

    static void Script(std::deque<QString> paths);
    static void StopScript();
};

} // namespace siteherald::ui
