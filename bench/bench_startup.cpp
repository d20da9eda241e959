// Start-up of the desktop window to its first shown state, on the offscreen platform, with
// large data files: 5,000 engines in sedata.dat, 200 profiles in filelay.dat (the one shown
// is the last) and 1,000 known submission data files. Each iteration builds the window,
// shows it and lets the first show's work run (engine lists, field form, file lists, the
// first current file, the silent version check against a closed port).

#include "ui/main_window.h"

#include <QApplication>
#include <QDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <malloc.h>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kEngines = 5'000;
constexpr int kProfiles = 200;
constexpr int kKnownFiles = 1'000;

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Number(int n) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d", n);
    return text;
}

std::string Profile(const std::string& name) {
    return "$START" + name +
           "\r\n1\r\nE|WHOLE|Site Title|title||\r\n1\r\n2\r\nE|WHOLE|Site Address|url|https://|"
           "\r\n2\r\n3\r\nM|WHOLE|Short Description|desc1||\r\n3\r\n4\r\nE|WHOLE|Keywords|keywo||"
           "\r\n4\r\n5\r\nM|WHOLE|Long Description|desc2||\r\n5\r\n6\r\nE|HALF|Contact Name|name||"
           "\r\nE|HALF|Contact E-mail|email||\r\n6\r\n7\r\nE|HALF|Business Name|busna||\r\n"
           "E|HALF|Phone|phone||\r\n7\r\n8\r\nE|HALF|Street Address|addre||\r\nE|HALF|City|city||"
           "\r\n8\r\n$END" +
           name + "\r\n";
}

// The data folder and the settings folder of the run.
struct Fixture {
    fs::path root;

    Fixture() {
        std::string pattern = (fs::temp_directory_path() / "sh-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        root = pattern;
        fs::create_directories(root / "config/siteherald");
        fs::create_directories(root / "data/sites");
        Write(root / "config/siteherald/siteherald.ini",
              "[Main]\nFirst=0\nWindowSate=wsNormal\nVersionUpdate=http://127.0.0.1:1/none\n");

        std::string engines;
        for (int i = kEngines; i > 0; --i) { // unsorted on disk
            const std::string name = "Engine " + Number(i);
            engines += "$" + name + "$\r\n" + name + "|https://e" + Number(i) +
                       ".example/submit|https://e" + Number(i) +
                       ".example/info|\r\nurl|url|\r\ntitle|title|\r\ndescription|desc1|\r\n$" +
                       name + "$\r\n";
        }
        Write(root / "data/sedata.dat", engines);

        std::string layouts;
        for (int i = 1; i < kProfiles; ++i)
            layouts += Profile("Profile " + Number(i));
        Write(root / "data/filelay.dat", layouts + Profile("DEFAULT"));

        std::string profs = "$AutoFill\r\naddre\r\nbusna\r\ncity\r\ndesc1\r\ndesc2\r\nemail\r\n"
                            "keywo\r\nname\r\nphone\r\ntitle\r\nurl\r\n$AutoFill\r\n$sdffiles\r\n";
        for (int i = kKnownFiles; i > 0; --i) {
            const std::string file = "site" + Number(i) + ".sdf";
            const fs::path path = root / "data/sites" / file;
            Write(path, "$PROFILE$DEFAULT\r\ntitle:Site " + Number(i) +
                            "\r\nurl:https://site.example/\r\n$FieldNames$\r\ntitle\r\nurl\r\n"
                            "$FieldNames$\r\n");
            profs += path.string() + "|" + file + "|\r\n";
        }
        Write(root / "data/profs.dat", profs + "$sdffiles\r\n");
    }
    ~Fixture() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

void BM_StartupToFirstShow(benchmark::State& state) {
    const Fixture fixture;
    ::setenv("XDG_CONFIG_HOME", (fixture.root / "config").c_str(), 1);
    const QString oldCwd = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString((fixture.root / "data").string()));
    for (auto _ : state) {
        auto window = std::make_unique<siteherald::ui::MainWindow>();
        window->Start();
        QCoreApplication::processEvents();
        if (!window->isVisible() || window->quitRequested()) {
            state.SkipWithError("the window did not come up");
            break;
        }
        state.PauseTiming();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    QDir::setCurrent(oldCwd);
    ::unsetenv("XDG_CONFIG_HOME");
}
BENCHMARK(BM_StartupToFirstShow)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    // Keep freed memory in the process, as the other benchmark programs do.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
