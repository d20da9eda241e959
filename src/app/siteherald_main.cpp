// siteherald: the desktop program.
#include "core/data_dir.h"
#include "core/line_file.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QMessageBox>
#include <cstdio>

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
    // Data files are opened by their bare names in the data directory.
    if (!QDir::setCurrent(QString::fromStdString(dataDir))) {
        QMessageBox::critical(nullptr, QStringLiteral("Siteherald"),
                              QStringLiteral("Cannot use the data folder ") +
                                  QString::fromStdString(dataDir));
        return 1;
    }
    const std::string commandLineFile = argc > 1 ? argv[1] : "";
    siteherald::ui::MainWindow window(commandLineFile);
    if (window.quitRequested())
        return 0;
    window.Start();
    return app.exec();
}
