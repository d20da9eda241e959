// The "Promote..." tab on the offscreen platform: GO and Stop against loopback servers, the
// filled page read back by headless Chromium, the named-browser buttons, the "Submitted" tick
// boxes with sub.log, the notes, the purges, the compact submit mode and the clipboard list.
// The browser is a script that records how it was started.

#include "core/file_url.h"
#include "core/settings_store.h"
#include "submit/submission_log.h"
#include "support/child_process.h"
#include "test_support.h"
#include "ui/file_dialogs.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "window_test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

namespace fs = std::filesystem;
using namespace siteherald::ui;
using namespace std::chrono_literals;
using siteherald::IniReadString;
using siteherald::IniWriteString;
using siteherald::testing::Hold;
using siteherald::testing::Pause;
using siteherald::testing::ReadBytes;
using siteherald::testing::ScriptedServer;
using siteherald::testing::Send;
using siteherald::testing::TempDir;
using siteherald::testing::WriteBytes;

using namespace siteherald::ui::testing;

namespace {

const std::string kFixtures = SITEHERALD_FIXTURES_DIR;

std::string Http(const std::string& status, const std::string& body) {
    return "HTTP/1.0 " + status +
           "\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

// An engine record: name, submission address, and its "form name|identifier" lines.
std::string Engine(const std::string& name, const std::string& address,
                   const std::string& mapping = "url|url|") {
    return Crlf({"$" + name + "$", name + "|" + address + "|http://127.0.0.1:1/info|", mapping,
                 "$" + name + "$"});
}

const std::string kFormPage = "<html><head><title>Add</title></head><body>\r\n"
                              "<form action=\"add.cgi\"><input type=\"text\" name=\"url\">"
                              "</form>\r\n</body></html>\r\n";

// Reads back, in Chromium, the live state of the frames of a frame page: a copy of the page
// beside it gets a script that writes each frame's text, named text boxes and text areas, and
// form actions into the document, which --dump-dom prints.
QJsonObject FramesInChromium(const std::string& framePage, QString& error) {
    const std::string chromium = "/usr/bin/chromium";
    if (::access(chromium.c_str(), X_OK) != 0) {
        error = "/usr/bin/chromium is missing";
        return {};
    }
    const std::string probe = fs::path(framePage).parent_path() / "probe.htm";
    WriteBytes(
        probe,
        "<script>\n"
        "addEventListener(\"load\", () => {\n"
        "  const state = w => ({\n"
        "    url: w.location.href,\n"
        "    text: w.document.body ? w.document.body.innerText : \"\",\n"
        "    controls: Object.fromEntries([...w.document.querySelectorAll(\"input, textarea\")]\n"
        "        .filter(e => e.name).map(e => [e.name, e.value])),\n"
        "    actions: [...w.document.forms].map(f => f.getAttribute(\"action\")),\n"
        "  });\n"
        "  const frames = Object.fromEntries([...document.querySelectorAll(\"frame\")]\n"
        "      .map(f => [f.name, state(f.contentWindow)]));\n"
        "  const out = document.createElement(\"pre\");\n"
        "  out.id = \"probe\";\n"
        "  out.textContent = JSON.stringify(frames);\n"
        "  document.documentElement.appendChild(out);\n"
        "});\n"
        "</script>\n" +
            ReadBytes(framePage));
    const TempDir profile;
    QProcess browser;
    browser.start(QString::fromStdString(chromium),
                  {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                   "--no-first-run", "--disable-background-networking",
                   "--disable-component-update", "--disable-sync",
                   "--host-resolver-rules=MAP * ~NOTFOUND",
                   QString::fromStdString("--user-data-dir=" + profile.path()),
                   // frames of file:// pages may look into each other
                   "--allow-file-access-from-files", "--dump-dom",
                   QString::fromStdString(siteherald::FileUrl(probe))});
    if (!browser.waitForFinished(90000)) {
        browser.kill();
        browser.waitForFinished();
        error = "Chromium did not finish";
        return {};
    }
    QString dom = QString::fromUtf8(browser.readAllStandardOutput());
    const qsizetype start = dom.indexOf("<pre id=\"probe\">");
    const qsizetype end = dom.indexOf("</pre>", start);
    if (start < 0 || end < 0) {
        error = "no probe output: " + QString::fromUtf8(browser.readAllStandardError()).right(500);
        return {};
    }
    QString json = dom.mid(start + 16, end - start - 16);
    json.replace("&lt;", "<").replace("&gt;", ">").replace("&nbsp;", " ").replace("&amp;", "&");
    return QJsonDocument::fromJson(json.toUtf8()).object();
}

} // namespace

class PromoteTest : public QObject {
    Q_OBJECT

    std::optional<WindowSandbox> sandbox_;
    std::string kayaks_;

    std::string At(const std::string& name) const { return sandbox_->At(name); }
    std::string Browser() const { return sandbox_->Bin("browser"); }
    // One line per start of the browser: its argument count and first argument.
    std::string Browsed() const { return ReadBytes(sandbox_->Bin("browsed")); }
    std::string FramePageUrl() const { return "file://" + At("~auto.htm"); }
    bool AnyPageWritten() const {
        return fs::exists(At("~auto.htm")) || fs::exists(At("~mainauto.htm"));
    }
    void KnownFiles(std::initializer_list<std::string> paths) { sandbox_->KnownFiles(paths); }
    std::unique_ptr<MainWindow> Start() { return StartMainWindow(); }
    void Go(MainWindow& w, const QString& engine, std::function<void()> during = {}) {
        Select(Find<QComboBox>(&w, "ComboBox2"), engine);
        if (during)
            QTimer::singleShot(250, &w, during);
        Find<QPushButton>(&w, "BitBtn4")->click();
    }

private slots:
    void init() {
        sandbox_.emplace();
        kayaks_ = sandbox_->CopyIn(kFixtures + "/harbour_kayaks.sdf", "kayaks.sdf");
        sandbox_->AddToPath("browser", "printf '%s:%s\\n' \"$#\" \"$1\" >> " +
                                           sandbox_->Bin("browsed") + "\n");
    }

    void cleanup() { sandbox_.reset(); }

    // GO against a real HTTP server, the pages it writes opened from disk in Chromium.
    void goFillsTheEnginePageAndOpensItInTheBrowser() {
        const TempDir web;
        fs::create_directory(web / "addurl");
        fs::copy_file(kFixtures + "/pages/lighthouse_addurl.html", web / "addurl/index.html");
        const int port = siteherald::testing::FreePort();
        const siteherald::testing::ChildProcess server(
            {siteherald::testing::SystemProgram("python3"), "-m", "http.server", "--bind",
             "127.0.0.1", std::to_string(port), "--directory", web.path()},
            web.path());
        QVERIFY2(siteherald::testing::WaitForPort(port, 20s), "python3 -m http.server");
        const std::string root = "http://127.0.0.1:" + std::to_string(port);
        std::string engines = ReadBytes(kFixtures + "/data/sedata.dat");
        const std::string fixtureAddress = "http://www.lighthouse-search.example/addurl/index.html";
        engines.replace(engines.find(fixtureAddress), fixtureAddress.size(),
                        root + "/addurl/index.html");
        WriteBytes(At("sedata.dat"), engines);
        KnownFiles({kayaks_});
        IniWriteString("Browsers", "Default", "Other Browser");
        IniWriteString("Browsers", "Other Browser", Browser());

        auto w = Start();
        Go(*w, "Lighthouse Search");
        QCOMPARE(Find<QLabel>(w.get(), "Label3")->text(),
                 QString::fromStdString(root + "/addurl/index.html"));
        for (const char* page : {"~adauto.htm", "~mainauto.htm", "~auto.htm"})
            QVERIFY2(fs::exists(At(page)), page);

        QString error;
        const QJsonObject frames = FramesInChromium(At("~auto.htm"), error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(frames.keys(), (QStringList{"Ad", "Main"}));
        QVERIFY(frames["Ad"].toObject()["text"].toString().contains(
            "filled in the submission form of Lighthouse Search"));
        const QJsonObject main = frames["Main"].toObject();
        QCOMPARE(main["url"].toString(),
                 QString::fromStdString(siteherald::FileUrl(At("~mainauto.htm"))));
        const QJsonObject controls = main["controls"].toObject();
        QCOMPARE(controls["url"].toString(),
                 "https://harbour-kayaks.example/?ref=lighthouse&lang=en");
        QCOMPARE(controls["title"].toString(), "Harbour Kayak Tours");
        QCOMPARE(controls["email"].toString(), "robin@harbour-kayaks.example");
        QCOMPARE(controls["keywords"].toString(),
                 "kayak, sea kayaking, \"harbour tours\", paddling");
        QCOMPARE(controls["description"].toString(),
                 "Guided sea-kayak tours of the harbour & the islands, for beginners and \"old "
                 "salts\" alike.\nSmall groups (<8 boats), every day from April to October.");
        QCOMPARE(controls["pw"].toString(), "");
        QCOMPARE(controls["lang"].toString(), "en");
        QCOMPARE(main["actions"].toArray().toVariantList(),
                 (QVariantList{QString::fromStdString(root + "/cgi-bin/search.cgi"),
                               QString::fromStdString(root + "/addurl/submit.cgi"),
                               QString::fromStdString(root + "/addurl/index.html"),
                               "https://secure.lighthouse-search.example/account/login"}));

        QCOMPARE(BoxTexts().join('\n'), QString());
        QTRY_COMPARE(Browsed(), "1:" + FramePageUrl() + "\n");
    }

    // Stop during either download, a missing page and a closed port: no pages, no browser;
    // a slow page is filled with the record chosen when GO was pressed.
    void stoppedAndFailedDownloads() {
        ScriptedServer adHeld({Hold()});
        ScriptedServer page({Send(Http("200 OK", kFormPage))});
        ScriptedServer pageHeld({Hold()});
        ScriptedServer missing({Send(Http("404 Not Found", "gone"))});
        ScriptedServer slow({Pause(600ms), Send(Http("200 OK", kFormPage))});
        ScriptedServer version({Send(Http("404 Not Found", ""))});
        const std::string closed =
            "http://127.0.0.1:" + std::to_string(siteherald::testing::FreePort()) + "/add.html";
        WriteBytes(At("sedata.dat"), Engine("Stop Ad", page.url("/add.html")) +
                                         Engine("Stop Page", pageHeld.url("/add.html")) +
                                         Engine("Missing Page", missing.url("/add.html")) +
                                         Engine("Closed Port", closed) +
                                         Engine("Slow Page", slow.url("/add.html")) +
                                         Engine("Other", slow.url("/other.html"), "url|title|"));
        KnownFiles({kayaks_});
        IniWriteString("Main", "VersionUpdate", version.url("/version.txt"));
        IniWriteString("Browsers", "Default", "Other Browser");
        IniWriteString("Browsers", "Other Browser", Browser());
        IniWriteString("Main", "AdPage", adHeld.url("/ad.html"));
        auto w = Start();
        auto* go = Find<QPushButton>(w.get(), "BitBtn4");
        auto* stop = Find<QPushButton>(w.get(), "BitBtn5");
        auto* progress = Find<QProgressBar>(w.get(), "DownloadProgress");
        const size_t versionChecks = version.requests().size();

        QString whileRunning;
        Go(*w, "Stop Ad", [&] {
            for (bool state :
                 {go->isEnabled(), stop->isEnabled(), progress->isVisible(), w->downloadFinished()})
                whileRunning += state ? '1' : '0';
            stop->click();
        });
        QCOMPARE(whileRunning, "0110");
        QVERIFY(go->isEnabled() && !stop->isEnabled() && !progress->isVisible());
        QVERIFY(w->downloadFinished());
        QCOMPARE(adHeld.requests().size(), 1u);
        QCOMPARE(page.requests().size(), 0u);
        QVERIFY(!AnyPageWritten());
        QCOMPARE(BoxTexts(), QStringList());

        IniWriteString("Main", "AdPage", "");
        Go(*w, "Stop Page", [&] { stop->click(); });
        QCOMPARE(pageHeld.requests().size(), 1u);
        QVERIFY(!AnyPageWritten());
        QCOMPARE(BoxTexts(), QStringList());

        for (const std::string& address : {missing.url("/add.html"), closed}) {
            MessageBoxes::Script();
            Go(*w, address == closed ? "Closed Port" : "Missing Page");
            QCOMPARE(BoxTexts().size(), 1);
            QCOMPARE(BoxTexts()[0].section('\n', 0, 0),
                     QString::fromStdString("Unable to retrieve \"" + address + "\"."));
            QVERIFY(BoxTexts()[0].contains(address == closed ? "refused" : "404"));
            QCOMPARE(MessageBoxes::Log()[0].icon, siteherald::MessageIcon::Error);
            QCOMPARE(MessageBoxes::Log()[0].buttons, Buttons::Ok);
            QVERIFY(!AnyPageWritten());
            QVERIFY(go->isEnabled() && !stop->isEnabled());
        }
        QTest::qWait(100);
        QCOMPARE(Browsed(), "");

        // Another engine chosen during the download does not change what is filled in.
        Go(*w, "Slow Page", [&] { Select(Find<QComboBox>(w.get(), "ComboBox2"), "Other"); });
        QCOMPARE(Find<QComboBox>(w.get(), "ComboBox2")->currentText(), "Other");
        QVERIFY(ReadBytes(At("~mainauto.htm"))
                    .find("value=\"https://harbour-kayaks.example/?ref=lighthouse&amp;lang=en\"") !=
                std::string::npos);
        // The silent version check follows every download, stopped or failed alike.
        QCOMPARE(version.requests().size(), versionChecks + 5);
    }

    void namedBrowserWithoutItsProgram_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("browser");
        QTest::addColumn<QString>("question");
        QTest::newRow("Netscape") << "BitBtn1"
                                  << "Netscape Navigator"
                                  << "You must first give the location for Netscape under "
                                     "Browser Options.";
        QTest::newRow("Internet Explorer")
            << "BitBtn2"
            << "Internet Explorer"
            << "You must first give the location for Internet Explorer under Browser Options.";
    }

    void namedBrowserWithoutItsProgram() {
        QFETCH(QString, button);
        QFETCH(QString, browser);
        QFETCH(QString, question);
        ScriptedServer page({Send(Http("200 OK", kFormPage))});
        WriteBytes(At("sedata.dat"), Engine("Page", page.url("/add.html")));
        KnownFiles({kayaks_});
        auto w = Start();
        auto* named = Find<QPushButton>(w.get(), button);

        MessageBoxes::Script({Answer::Cancel});
        named->click();
        QCOMPARE(BoxTexts(), QStringList{question});
        QCOMPARE(MessageBoxes::Log()[0].icon, siteherald::MessageIcon::Error);
        QCOMPARE(MessageBoxes::Log()[0].buttons, Buttons::OkCancel);
        // OK opens the preferences with the focus in the browser's path box.
        const QString pathBox = button == "BitBtn1" ? "Edit1" : "Edit2";
        const auto inPreferences = [&](std::function<void(QDialog*)> act) {
            QTimer::singleShot(0, &*w, [&w, act] {
                auto* preferences = Find<QDialog>(w.get(), "TForm9");
                QTRY_VERIFY(preferences->isVisible());
                act(preferences);
            });
        };
        MessageBoxes::Script({Answer::Ok});
        inPreferences([&](QDialog* preferences) {
            QCOMPARE(preferences->focusWidget(), Find<QLineEdit>(preferences, pathBox));
            preferences->reject();
        });
        named->click();
        QCOMPARE(BoxTexts(), QStringList{question});
        QCOMPARE(page.requests().size(), 0u);
        QCOMPARE(IniReadString("Browsers", browser.toStdString(), "unset"), "unset");

        MessageBoxes::Script({Answer::Ok});
        inPreferences([&](QDialog* preferences) {
            Find<QLineEdit>(preferences, pathBox)->setText(QString::fromStdString(Browser()));
            Find<QComboBox>(preferences, "ComboBox1")->setCurrentText(browser);
            Find<QPushButton>(preferences, "Button1")->click();
        });
        named->click();
        QCOMPARE(BoxTexts(), QStringList{question});
        QCOMPARE(IniReadString("Browsers", browser.toStdString(), ""), Browser());
        QCOMPARE(page.requests().size(), 1u);
        QTRY_COMPARE(Browsed(), "1:" + FramePageUrl() + "\n");

        // Known now: no question.
        MessageBoxes::Script();
        named->click();
        QCOMPARE(BoxTexts(), QStringList());
        QTRY_COMPARE(Browsed(), "1:" + FramePageUrl() + "\n1:" + FramePageUrl() + "\n");
    }

    void tickBoxesWriteTheLog() {
        const std::string other = At("other.sdf");
        fs::copy_file(kayaks_, other);
        WriteBytes(At("sedata.dat"),
                   ReadBytes(At("sedata.dat")) + Engine("aardvark finder", "http://127.0.0.1:1/"));
        const std::string early = "Bing Webmaster Tools | Submitted: Jan 05, 1999";
        const std::string otherSection = Crlf({"$" + other, early, "$" + other});
        WriteBytes(At("sub.log"), Crlf({"$" + kayaks_, "$" + kayaks_}) + otherSection);
        KnownFiles({kayaks_, other});
        auto w = Start();
        QCOMPARE(Find<QComboBox>(w.get(), "ComboBox1")->currentText(),
                 QString::fromStdString(kayaks_));
        auto* engines = Find<QComboBox>(w.get(), "ComboBox2");
        auto* tick = Find<QCheckBox>(w.get(), "CheckBox1");
        auto* submitTick = Find<QCheckBox>(w.get(), "CheckBox2");
        auto* showLog = Find<QPushButton>(w.get(), "Button6");
        QVERIFY(!showLog->isEnabled()); // the section is there but empty
        const std::string today = siteherald::SubmissionDate(std::time(nullptr));
        const std::string baidu = "Baidu Search Resource Platform | Submitted: " + today;
        const std::string aardvark = "aardvark finder | Submitted: " + today;

        Select(engines, "Baidu Search Resource Platform");
        tick->click();
        QVERIFY(submitTick->isChecked());
        QVERIFY(showLog->isEnabled());
        QCOMPARE(ReadBytes(At("sub.log")),
                 otherSection + Crlf({"$" + kayaks_, baidu, "$" + kayaks_}));

        // Sorted without regard to case; the section moves to the end of the log.
        WriteBytes(At("sub.log"), Crlf({"$" + kayaks_, baidu, "$" + kayaks_}) + otherSection);
        Select(engines, "aardvark finder");
        QVERIFY(!tick->isChecked());
        tick->click();
        const std::string both = Crlf({"$" + kayaks_, aardvark, baidu, "$" + kayaks_});
        QCOMPARE(ReadBytes(At("sub.log")), otherSection + both);

        // Showing the logged state never writes the log.
        Select(engines, "Bing Webmaster Tools");
        QVERIFY(!tick->isChecked() && !submitTick->isChecked());
        Select(engines, "Baidu Search Resource Platform");
        QVERIFY(tick->isChecked() && submitTick->isChecked());
        QCOMPARE(ReadBytes(At("sub.log")), otherSection + both);

        QString shown;
        OnModal([&](QDialog* d) {
            shown = d->objectName() + ":" + Find<QPlainTextEdit>(d, "Memo1")->toPlainText();
            d->reject();
        });
        showLog->click();
        QCOMPARE(shown, QString::fromStdString("TForm7:" + aardvark + "\n" + baidu));

        submitTick->click(); // the submit-mode view of the same fact
        QVERIFY(!tick->isChecked());
        QCOMPARE(ReadBytes(At("sub.log")),
                 otherSection + Crlf({"$" + kayaks_, aardvark, "$" + kayaks_}));
        Select(engines, "aardvark finder");
        tick->click();
        QCOMPARE(ReadBytes(At("sub.log")), otherSection + Crlf({"$" + kayaks_, "$" + kayaks_}));
        QVERIFY(!showLog->isEnabled());
        QVERIFY(!Find<QPushButton>(w.get(), "Button4")->isEnabled());

        // The other file's log follows the file choice.
        Select(Find<QComboBox>(w.get(), "ComboBox1"), QString::fromStdString(other));
        Select(engines, "Bing Webmaster Tools");
        QVERIFY(tick->isChecked());
        QVERIFY(showLog->isEnabled());
        QCOMPARE(BoxTexts(), QStringList());
    }

    void notesWindowAndLogNotesTab() {
        KnownFiles({kayaks_});
        auto w = Start();
        const std::string engine = "Baidu Search Resource Platform";
        QCOMPARE(Find<QComboBox>(w.get(), "ComboBox2")->currentText(),
                 QString::fromStdString(engine));
        // Opens the Notes window, types the given notes (null: as shown) and presses a button.
        auto editNotes = [&](const char* general, const char* file, const char* button) {
            OnModal([=](QDialog* d) {
                if (general)
                    Find<QPlainTextEdit>(d, "Memo3")->setPlainText(general);
                if (file)
                    Find<QPlainTextEdit>(d, "Memo4")->setPlainText(file);
                Find<QPushButton>(d, button)->click();
            });
            Find<QPushButton>(w.get(), "BitBtn19")->click();
        };
        editNotes("Slow to list\nCheck weekly", "Sent the summary", "Button1");
        const std::string main = Crlf({"$Main", "Slow to list", "Check weekly", "$Main"});
        const std::string saved =
            Crlf({"$" + engine, "$" + kayaks_, "Sent the summary", "$" + kayaks_}) + main +
            Crlf({"$" + engine});
        QCOMPARE(ReadBytes(At("subnotes.dat")), saved);
        editNotes("discarded", "discarded", "Button2");
        QCOMPARE(ReadBytes(At("subnotes.dat")), saved);
        editNotes(nullptr, nullptr, "Button1"); // shown and saved again unchanged
        QCOMPARE(ReadBytes(At("subnotes.dat")), saved);
        // The general note is the engine's hint.
        Select(Find<QComboBox>(w.get(), "ComboBox2"), "Seznam");
        Select(Find<QComboBox>(w.get(), "ComboBox2"), QString::fromStdString(engine));
        QCOMPARE(Find<QLabel>(w.get(), "Label3")->toolTip(), "Slow to list\r\nCheck weekly");

        // The tab's memos save when they lose the focus.
        Find<QTabWidget>(w.get(), "PageControl1")->setCurrentIndex(2);
        auto* tab = Find<QWidget>(w.get(), "TabSheet4");
        auto* engines = Find<QComboBox>(tab, "ComboBox10");
        engines->setCurrentIndex(1);
        engines->setCurrentIndex(0);
        auto* generalNote = Find<QPlainTextEdit>(tab, "Memo3");
        auto* fileNote = Find<QPlainTextEdit>(tab, "Memo4");
        QCOMPARE(fileNote->toPlainText(), "Sent the summary");
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        fileNote->setFocus();
        QTRY_VERIFY(fileNote->hasFocus());
        fileNote->selectAll();
        QTest::keyClicks(fileNote, "Resubmit in May");
        QCOMPARE(ReadBytes(At("subnotes.dat")), saved);
        generalNote->setFocus();
        const std::string resubmit = Crlf({"$" + kayaks_, "Resubmit in May", "$" + kayaks_});
        QCOMPARE(ReadBytes(At("subnotes.dat")),
                 Crlf({"$" + engine}) + resubmit + main + Crlf({"$" + engine}));
        engines->setFocus(); // the general note leaves unchanged
        QCOMPARE(ReadBytes(At("subnotes.dat")),
                 Crlf({"$" + engine}) + main + resubmit + Crlf({"$" + engine}));

        Find<QTabBar>(tab, "TabSet1")->setCurrentIndex(3);
        auto* general = Find<QPlainTextEdit>(tab, "Memo11");
        general->setFocus();
        QTest::keyClicks(general, "Renew the domain");
        Find<QComboBox>(tab, "ComboBox9")->setFocus();
        QCOMPARE(ReadBytes(At("notes.dat")), Crlf({"$General", "Renew the domain", "$General"}));
        // An engine added first in the lists: the engine shown keeps its notes beside it.
        OnModal([](QDialog* d) {
            Find<QLineEdit>(d, "Edit1")->setText("Aardvark");
            Find<QLineEdit>(d, "Edit2")->setText("http://127.0.0.1:1/add");
            Click(d, "Button1");
        });
        Find<QMenu>(w.get(), "PopupMenu2")->actions().at(0)->trigger();
        QCOMPARE(engines->currentText() + ":" + fileNote->toPlainText(),
                 QString::fromStdString(engine) + ":Resubmit in May");
        QCOMPARE(BoxTexts(), QStringList());
    }

    void purgesAskFirst() {
        const std::string other = At("other.sdf");
        const std::string otherSection =
            Crlf({"$" + other, "Seznam | Submitted: Jan 05, 1999", "$" + other});
        const std::string log =
            Crlf({"$" + kayaks_, "Bing Webmaster Tools | Submitted: Jan 05, 1999",
                  "Seznam | Submitted: Feb 11, 2001", "$" + kayaks_}) +
            otherSection;
        WriteBytes(At("sub.log"), log);
        WriteBytes(At("mail.log"), Crlf({"sent to list-a"}));
        WriteBytes(At("news.log"), Crlf({"posted to alt.test"}));
        KnownFiles({kayaks_});
        auto w = Start();
        auto* tab = Find<QWidget>(w.get(), "TabSheet4");
        Find<QTabWidget>(w.get(), "PageControl1")->setCurrentIndex(2);
        QCOMPARE(
            Find<QPlainTextEdit>(tab, "RichEdit1")->toPlainText(),
            "Bing Webmaster Tools | Submitted: Jan 05, 1999\nSeznam | Submitted: Feb 11, 2001");

        Find<QPushButton>(tab, "Button26")->click(); // No
        QCOMPARE(BoxTexts(), QStringList{"Purge current submission log?"});
        QCOMPARE(MessageBoxes::Log()[0].icon, siteherald::MessageIcon::Confirmation);
        QCOMPARE(MessageBoxes::Log()[0].buttons, Buttons::YesNo);
        QCOMPARE(ReadBytes(At("sub.log")), log);

        MessageBoxes::Script({Answer::Yes});
        Find<QPushButton>(tab, "Button26")->click();
        QCOMPARE(ReadBytes(At("sub.log")), Crlf({"$" + kayaks_, "$" + kayaks_}) + otherSection);
        QCOMPARE(Find<QPlainTextEdit>(tab, "RichEdit1")->toPlainText(), "");

        const struct {
            const char* button;
            const char* question;
            const char* file;
        } purges[] = {{"Button27", "Purge all submission logs?", "sub.log"},
                      {"Button25", "Purge mail log?", "mail.log"},
                      {"Button24", "Purge news log?", "news.log"}};
        for (const auto& purge : purges) {
            MessageBoxes::Script({Answer::Yes});
            Find<QPushButton>(tab, purge.button)->click();
            QCOMPARE(BoxTexts(), QStringList{purge.question});
            QVERIFY2(fs::exists(At(purge.file)) && fs::file_size(At(purge.file)) == 0, purge.file);
        }
    }

    void submitModeSizesAndClose() {
        auto w = Start();
        QVERIFY(w->isMaximized());
        auto* panel = Find<QWidget>(w.get(), "Panel6");
        QVERIFY(!panel->isVisible());

        Find<QPushButton>(w.get(), "Button5")->click();
        QVERIFY(w->inSubmitMode() && !w->isMaximized());
        QVERIFY(panel->isVisible());
        for (const QWidget* hidden :
             {static_cast<QWidget*>(w->menuBar()), static_cast<QWidget*>(w->statusBar()),
              Find<QWidget>(w.get(), "PageControl1"), Find<QWidget>(w.get(), "Panel15")})
            QVERIFY2(!hidden->isVisible(), qPrintable(hidden->objectName()));
        QTRY_COMPARE(w->size(), QSize(142, 288));
        QVERIFY(w->windowFlags() & Qt::WindowStaysOnTopHint); // "Stay On Top" is down at start

        Find<QPushButton>(w.get(), "Button7")->click();
        QVERIFY(!w->inSubmitMode() && !panel->isVisible());
        QVERIFY(w->menuBar()->isVisible() && w->statusBar()->isVisible());
        QVERIFY(!(w->windowFlags() & Qt::WindowStaysOnTopHint));

        // Maximizing the compact window brings the regular one back.
        Find<QPushButton>(w.get(), "Button5")->click();
        w->showMaximized();
        QTRY_VERIFY(!w->inSubmitMode());
        QVERIFY(w->menuBar()->isVisible());

        // A close request in submit mode only returns to regular mode; the next one closes.
        Find<QPushButton>(w.get(), "Button5")->click();
        QVERIFY(!w->close());
        QVERIFY(w->isVisible() && !w->inSubmitMode());
        QVERIFY(Find<QWidget>(w.get(), "PageControl1")->isVisible());
        QCOMPARE(IniReadString("Main", "WindowSate", ""), "wsNormal");
        QVERIFY(w->close());
        QCOMPARE(BoxTexts(), QStringList());
    }

    void submitModeShrinkAndExpand() {
        auto w = Start();
        auto* shrink = Find<QPushButton>(w.get(), "Button11");
        Find<QPushButton>(w.get(), "Button5")->click();
        shrink->click();
        QCOMPARE(shrink->text(), "&Expand");
        for (const char* hidden : {"ListBox1", "Panel7", "SpeedButton1"})
            QVERIFY2(!Find<QWidget>(w.get(), hidden)->isVisible(), hidden);
        for (const char* shown : {"Button10", "Button11", "Button7"})
            QVERIFY2(Find<QWidget>(w.get(), shown)->isVisible(), shown);
        QTRY_COMPARE(w->size(), QSize(142, 29));
        shrink->click();
        QCOMPARE(shrink->text(), "&Shrink");
        QVERIFY(Find<QWidget>(w.get(), "ListBox1")->isVisible());
        QTRY_COMPARE(w->size(), QSize(142, 288));
    }

    void regularModeSize() {
        auto w = Start();
        Find<QPushButton>(w.get(), "Button5")->click();
        Find<QPushButton>(w.get(), "Button7")->click();
        QTest::qWait(100);
        QCOMPARE(w->size(), QSize(609, 383 + w->menuBar()->height()));
    }

    void submitModeEngineChoiceSubmits() {
        ScriptedServer page({Send(Http("200 OK", kFormPage))});
        WriteBytes(At("sedata.dat"), Engine("Alpha", "http://127.0.0.1:1/alpha") +
                                         Engine("Page", page.url("/add.html")));
        KnownFiles({kayaks_});
        IniWriteString("Browsers", "Default", "Other Browser");
        IniWriteString("Browsers", "Other Browser", Browser());
        auto w = Start();
        Find<QPushButton>(w.get(), "Button5")->click();
        Select(Find<QComboBox>(w.get(), "ComboBox3"), "Page");
        QCOMPARE(Find<QComboBox>(w.get(), "ComboBox2")->currentText(), "Page");
        QCOMPARE(Find<QLabel>(w.get(), "Label3")->text(),
                 QString::fromStdString(page.url("/add.html")));
        QCOMPARE(page.requests().size(), 1u);
        QVERIFY(fs::exists(At("~mainauto.htm")) && fs::exists(At("~auto.htm")));
        QCOMPARE(BoxTexts().join('\n'), QString());
        QTRY_COMPARE(Browsed(), "1:" + FramePageUrl() + "\n");
    }

    void clipboardFieldList() {
        const std::string none = At("none.sdf");
        WriteBytes(none, Crlf({"$PROFILE$DEFAULT", "title:Nothing", "$FieldNames$", "None",
                               "$FieldNames$"}));
        KnownFiles({kayaks_, none});
        auto w = Start();
        auto* list = Find<QListWidget>(w.get(), "ListBox1");
        auto* copy = Find<QPushButton>(w.get(), "Button10");
        QStringList names;
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text();
        const QStringList expected{"Title",   "URL",    "Summary",  "Keywords", "Details", "Extra",
                                   "Contact", "E-mail", "Business", "Phone",    "Street",  "City"};
        QCOMPARE(names, expected);
        QVERIFY(!copy->isEnabled());
        list->setCurrentRow(2);
        QVERIFY(copy->isEnabled());
        copy->click();
        QCOMPARE(QApplication::clipboard()->text(),
                 "Guided sea-kayak tours of the harbour & the islands, for beginners and \"old "
                 "salts\" alike.\r\nSmall groups (<8 boats), every day from April to October.");

        auto* menu = Find<QMenu>(w.get(), "CopytoClipboard1");
        QStringList captions;
        for (QAction* action : menu->actions())
            captions << action->text();
        QCOMPARE(captions, expected);
        menu->actions().at(7)->trigger();
        QCOMPARE(QApplication::clipboard()->text(), "robin@harbour-kayaks.example");

        // A file whose field list names no field.
        Select(Find<QComboBox>(w.get(), "ComboBox1"), QString::fromStdString(none));
        QCOMPARE(list->count(), 0);
        for (QMenu* m : {menu, Find<QMenu>(w.get(), "PopupMenu1")}) {
            QCOMPARE(m->actions().size(), 1);
            QCOMPARE(m->actions()[0]->text(), "Empty");
            QVERIFY(!m->actions()[0]->isEnabled());
        }
        QCOMPARE(BoxTexts(), QStringList());
    }
};

QTEST_MAIN(PromoteTest)
#include "promote_test.moc"
