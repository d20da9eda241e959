// siteherald: the desktop program.
#include "core/data_dir.h"
#include "core/known_files.h"
#include "core/line_file.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QMessageBox>
#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Siteherald"));
    QApplication::setDesktopFileName(QStringLiteral("org.siteherald.Siteherald"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.siteherald.Siteherald")));

    std::string dataDir;
    try {
        dataDir = siteherald::ResolveDataDir();
    } catch (const siteherald::FileError& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Siteherald"), QString::fromUtf8(e.what()));
        return 1;
    }
    // A relative path on the command line names a file from the folder the program was
    // started in, before the data directory becomes the working directory.
    std::error_code noFolder;
    const std::string commandLineFile =
        argc > 1 ? siteherald::CommandLineFilePath(argv[1],
                                                   std::filesystem::current_path(noFolder).string())
                 : "";
    // Data files are opened by their bare names in the data directory.
    if (!QDir::setCurrent(QString::fromStdString(dataDir))) {
        QMessageBox::critical(nullptr, QStringLiteral("Siteherald"),
                              QStringLiteral("Cannot use the data folder ") +
                                  QString::fromStdString(dataDir));
        return 1;
    }
    siteherald::ui::MainWindow window(commandLineFile);
    if (window.quitRequested())
        return 0;
    window.Start();
    return app.exec();
}
