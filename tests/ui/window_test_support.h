#pragma once

// Helpers shared by the window tests. All areas run in one program; its first argument names
// the area (see RunArea).

#include "core/line_file.h"
#include "core/settings_store.h"
#include "support/child_process.h"
#include "support/scripted_server.h"
#include "test_support.h"
#include "ui/file_dialogs.h"
#include "ui/input_box.h"
#include "ui/main_window.h"
#include "ui/message_box.h"

#include <QtTest>
#include <QtWidgets>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <type_traits>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using siteherald::IniReadString;
using siteherald::IniWriteString;
using siteherald::LineList;
using siteherald::testing::ReadBytes;
using siteherald::testing::ScriptedServer;
using siteherald::testing::Send;
using siteherald::testing::TempDir;
using siteherald::testing::WriteBytes;

namespace siteherald::ui::testing {

inline const std::string kFixtures = SITEHERALD_FIXTURES_DIR;

// Parent of the OnModal watches still waiting, so that the sandbox ends them with its test.
inline QObject& ModalWatches() {
    static QObject* const watches = new QObject(QCoreApplication::instance());
    return *watches;
}

// A test's working directory with copies of the shipped data files; settings that skip the first
// start, the version check at a closed port; on PATH an xdg-open appending its argument to
// Bin("opened"); message boxes, file and input dialogs scripted with no answers.
class WindowSandbox {
public:
    WindowSandbox() : oldCwd_(QDir::currentPath()), oldPath_(qgetenv("PATH")) {
        for (const char* name : {"filelay.dat", "profs.dat", "sedata.dat"})
            fs::copy_file(std::string(SITEHERALD_SHIPPED_DATA_DIR "/") + name, At(name));
        Settings("");
        AddToPath("xdg-open", "printf '%s\\n' \"$1\" >> " + Bin("opened") + "\n");
        qputenv("PATH", QByteArray::fromStdString(bin_.path()) + ":" + oldPath_);
        QDir::setCurrent(QString::fromStdString(data_.path()));
        MessageBoxes::Script();
        FileDialogs::Script({});
        InputBox::Script({});
    }
    ~WindowSandbox() {
        qDeleteAll(ModalWatches().findChildren<QTimer*>(Qt::FindDirectChildrenOnly));
        MessageBoxes::StopScript();
        FileDialogs::StopScript();
        InputBox::StopScript();
        QDir::setCurrent(oldCwd_);
        qputenv("PATH", oldPath_);
    }

    std::string At(const std::string& name) const { return data_ / name; }
    std::string Bin(const std::string& name) const { return bin_ / name; }
    std::string IniPath() const { return settings_.iniPath(); }

    void Settings(const std::string& extra) const {
        fs::create_directories(fs::path(IniPath()).parent_path());
        WriteBytes(IniPath(), "[Main]\nFirst=0\nVersionUpdate=http://127.0.0.1:1/none\n" + extra);
    }

    void AddToPath(const std::string& name, const std::string& commands) const {
        WriteBytes(Bin(name), "#!/bin/sh\n" + commands);
        ::chmod(Bin(name).c_str(), 0755);
    }

    void KnownFiles(std::initializer_list<std::string> paths) const {
        std::string section = "$sdffiles\r\n";
        for (const std::string& path : paths)
            section += path + "|" + fs::path(path).filename().string() + "|\r\n";
        std::string profs = ReadBytes(At("profs.dat"));
        profs.replace(profs.find("$sdffiles\r\n"), 11, section);
        WriteBytes(At("profs.dat"), profs);
    }

private:
    TempDir data_, bin_;
    siteherald::testing::ScopedSettings settings_;
    QString oldCwd_;
    QByteArray oldPath_;
};

// A control of the window `parent` itself; a dialog's controls (names reused) from the dialog.
template <class T = QWidget> T* Find(const QObject* parent, const QString& name) {
    const auto* window = qobject_cast<const QWidget*>(parent);
    for (T* found : parent->findChildren<T*>(name)) {
        const auto* widget = qobject_cast<const QWidget*>(found);
        if (!window || !widget || widget->isWindow() || widget->window() == window ||
            !qobject_cast<const QDialog*>(widget->window()))
            return found;
    }
    qFatal("no control %s", qPrintable(name));
}

inline void Click(const QObject* w, const char* button) {
    Find<QPushButton>(w, button)->click();
}

inline QAction* MenuItem(MainWindow& w, const QString& menu, const QString& item) {
    for (QAction* top : w.menuBar()->actions())
        if (top->text() == menu && top->menu())
            for (QAction* action : top->menu()->actions())
                if (action->text() == item)
                    return action;
    qFatal("no menu item %s", qPrintable(item));
}

// Chooses an entry by its index or text as the user does, so the change handler runs.
inline void Select(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}
inline void Select(QComboBox* combo, const QString& text) {
    const int index = combo->findText(text, Qt::MatchExactly);
    index < 0 ? qFatal("no entry %s", qPrintable(text)) : Select(combo, index);
}
inline void Select(QComboBox* c, const std::string& t) {
    Select(c, QString::fromStdString(t));
}
inline void Select(QComboBox* c, const char* t) {
    Select(c, QString(t));
}

// Runs `act` on the next modal dialog (giving up after 5 s); a dialog a failed check left open is
// closed (after `beforeClose`), so the test never waits on it. The flag tells whether `act` ran.
template <class Dialog = QDialog>
std::shared_ptr<const bool>
OnModal(std::type_identity_t<std::function<void(Dialog*)>> act,
        std::type_identity_t<std::function<void(Dialog*)>> beforeClose = {}) {
    auto ran = std::make_shared<bool>(false);
    auto* timer = new QTimer(&ModalWatches());
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, act, beforeClose, tries, ran] {
        const QPointer<Dialog> dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog && ++*tries < 500)
            return;
        timer->stop();
        timer->deleteLater();
        if (!dialog)
            return;
        *ran = true;
        act(dialog);
        if (dialog && dialog->isVisible()) {
            if (beforeClose)
                beforeClose(dialog);
            static_cast<QDialog*>(dialog.data())->done(QDialog::Rejected);
        }
    });
    timer->start(10);
    return ran;
}

template <class List> QStringList Items(const List* list) {
    QStringList items;
    for (int i = 0; i < list->model()->rowCount(); ++i)
        items << list->model()->index(i, 0).data().toString();
    return items;
}

inline QStringList BoxTexts() {
    QStringList texts;
    for (const auto& shown : MessageBoxes::Log())
        texts << shown.text;
    return texts;
}

// Lines each ended with CR LF, as the data files hold them.
inline std::string Crlf(const LineList& lines) {
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    return bytes;
}
inline std::string Crlf(std::initializer_list<std::string> lines) {
    return Crlf(LineList(lines));
}
inline std::string Crlf(const QStringList& lines) {
    return lines.isEmpty() ? "" : (lines.join("\r\n") + "\r\n").toStdString();
}

inline LineList Concat(std::initializer_list<LineList> parts) {
    LineList all;
    for (const LineList& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The data lines given as one text split at "|", each ended with CR LF.
inline std::string CrlfOf(const QString& joined) {
    return Crlf(joined.split('|'));
}

inline std::string Http(const std::string& status, const std::string& body) {
    return "HTTP/1.0 " + status +
           "\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

// A sedata.dat record: name, submission address, and its "form name|identifier" lines.
inline std::string Engine(const std::string& name, const std::string& address,
                          const std::string& mapping = "url|url|") {
    return Crlf({"$" + name + "$", name + "|" + address + "|http://127.0.0.1:1/info|", mapping,
                 "$" + name + "$"});
}

// The base of each area's test class: a fresh sandbox per test function, `prepare` adding to it.
class WindowTest : public QObject {
    Q_OBJECT

protected:
    std::optional<WindowSandbox> sandbox_;
    std::string At(const std::string& name) const { return sandbox_->At(name); }
    void KnownFiles(std::initializer_list<std::string> paths) { sandbox_->KnownFiles(paths); }
    virtual void prepare() {}
    static std::unique_ptr<MainWindow> Start() {
        auto w = std::make_unique<MainWindow>();
        w->Start();
        QTest::qWait(20); // the silent version check fails against the closed port
        return w;
    }

protected slots:
    void init() {
        sandbox_.emplace();
        prepare();
    }
    void cleanup() { sandbox_.reset(); }
};

using AreaMaker = std::function<std::unique_ptr<QObject>()>;
inline std::map<std::string, AreaMaker>& Areas() {
    static std::map<std::string, AreaMaker> areas;
    return areas;
}
#define WINDOW_TEST_AREA(Class, name)                                                              \
    static const bool registered##Class = (                                                        \
        ::siteherald::ui::testing::Areas()[name] = [] { return std::make_unique<Class>(); }, true)

// Runs the area named by the first argument (every area without one), passing the rest to QTest.
inline int RunArea(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const bool named = argc > 1 && Areas().count(argv[1]);
    QStringList args{argv[0]};
    for (int i = named ? 2 : 1; i < argc; ++i)
        args << argv[i];
    int failed = 0;
    for (const auto& [name, make] : Areas())
        if (!named || name == argv[1])
            failed += QTest::qExec(make().get(), args);
    return failed;
}

} // namespace siteherald::ui::testing

using namespace siteherald::ui;
using namespace siteherald::ui::testing;
