#include "file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <optional>

namespace siteherald::ui {

namespace {

const QString kFilter = QStringLiteral("Submission Data Files (*.sdf)");
const QString kTextFilter = QStringLiteral("Text Files (*.txt)");

std::optional<std::deque<QString>>& Scripted() {
    static std::optional<std::deque<QString>> paths;
    return paths;
}

std::optional<QString> NextScripted() {
    auto& paths = Scripted();
    if (!paths)
        return std::nullopt;
    if (paths->empty())
        return QString();
    QString path = paths->front();
    paths->pop_front();
    return path;
}

} // namespace

QString FileDialogs::OpenSubmissionFile(QWidget* parent) {
    if (auto scripted = NextScripted())
        return *scripted;
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Open"), QDir::homePath(), kFilter);
}

QString FileDialogs::SaveSubmissionFile(QWidget* parent) {
    if (auto scripted = NextScripted())
        return *scripted;
    QFileDialog dialog(parent, QStringLiteral("Save As"), QDir::homePath(), kFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("sdf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

QString FileDialogs::BrowserProgram(QWidget* parent, const QString& browser) {
    if (auto scripted = NextScripted())
        return *scripted;
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Location of ") + browser,
                                        QStringLiteral("/usr/bin"));
}

QString FileDialogs::OpenTextFile(QWidget* parent) {
    if (auto scripted = NextScripted())
        return *scripted;
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Open"), QDir::homePath(),
                                        kTextFilter);
}

QString FileDialogs::OpenOlderSubmissionFile(QWidget* parent) {
    if (auto scripted = NextScripted())
        return *scripted;
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Import"), QDir::homePath(),
                                        QStringLiteral("Submission Files (*.sub)"));
}

QString FileDialogs::SaveTextFile(QWidget* parent, const QString& proposedName) {
    if (auto scripted = NextScripted())
        return *scripted;
    QFileDialog dialog(parent, QStringLiteral("Save As"), QDir::homePath(), kTextFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

void FileDialogs::Script(std::deque<QString> paths) {
    Scripted() = std::move(paths);
}

void FileDialogs::StopScript() {
    Scripted().reset();
}

} // namespace siteherald::ui
