// The "Promote..." tab (GO against loopback servers, the filled page read back by headless
// Chromium, the browser a script that records how it was started; tick boxes, notes, purges,
// submit mode, clipboard list) and "Customize Search Engines" with its field scan.

#include "core/file_url.h"
#include "submit/submission_log.h"
#include "ui/engine_editor.h"
#include "window_test_support.h"

#include <QClipboard>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProgressBar>
#include <QTabBar>
#include <ctime>

using siteherald::testing::Hold;
using siteherald::testing::Pause;

namespace {

const std::string kFormPage = "<html><body>\r\n<form action=\"add.cgi\"><input type=\"text\" "
                              "name=\"url\"></form>\r\n</body></html>\r\n";

// The live state of the frames of a frame page as headless Chromium shows it: a copy of the page
// gets a script writing each frame's text, named boxes and form actions as JSON into the
// document, which --dump-dom prints.
QJsonObject FramesInChromium(const std::string& framePage) {
    const std::string probe = fs::path(framePage).parent_path() / "probe.htm";
    WriteBytes(probe,
               "<script>addEventListener('load', () => {\n"
               "  const state = w => ({url: w.location.href, text: w.document.body.innerText,"
               "    controls: Object.fromEntries([...w.document.querySelectorAll("
               "'input, textarea')].filter(e => e.name).map(e => [e.name, e.value])),"
               "    actions: [...w.document.forms].map(f => f.getAttribute('action'))});\n"
               "  const out = document.createElement('pre');\n"
               "  out.id = 'probe';\n"
               "  out.textContent = JSON.stringify(Object.fromEntries([...document."
               "querySelectorAll('frame')].map(f => [f.name, state(f.contentWindow)])));\n"
               "  document.documentElement.appendChild(out);\n"
               "});</script>\n" +
                   ReadBytes(framePage));
    const TempDir profile;
    QProcess browser;
    browser.start("/usr/bin/chromium",
                  {"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                   "--disable-background-networking", "--disable-component-update",
                   "--host-resolver-rules=MAP * ~NOTFOUND",
                   QString::fromStdString("--user-data-dir=" + profile.path()),
                   "--allow-file-access-from-files",
                   "--dump-dom", // frames may look into each other
                   QString::fromStdString(siteherald::FileUrl(probe))});
    if (!browser.waitForFinished(90000))
        browser.kill();
    const QString dom = QString::fromUtf8(browser.readAllStandardOutput());
    const qsizetype start = dom.indexOf("<pre id=\"probe\">") + 16;
    QString json = dom.mid(start, dom.indexOf("</pre>", start) - start);
    json.replace("&lt;", "<").replace("&gt;", ">").replace("&nbsp;", " ").replace("&amp;", "&");
    return QJsonDocument::fromJson(json.toUtf8()).object();
}

} // namespace

class PromoteTest : public WindowTest {
    Q_OBJECT

    std::string kayaks_;

    void prepare() override {
        fs::copy_file(kFixtures + "/harbour_kayaks.sdf", kayaks_ = At("kayaks.sdf"));
        sandbox_->AddToPath("browser", "printf '%s:%s\\n' \"$#\" \"$1\" >> " +
                                           sandbox_->Bin("browsed") + "\n");
    }
    // The known file kayaks.sdf and the browser script as the default browser.
    void UseBrowser() {
        KnownFiles({kayaks_});
        IniWriteString("Browsers", "Default", "Other Browser");
        IniWriteString("Browsers", "Other Browser", Browser());
    }
    std::string Browser() const { return sandbox_->Bin("browser"); }
    // Whether the browser was started `times` times, each with the frame page alone.
    bool Opened(int times) const {
        std::string lines;
        while (times-- > 0)
            lines += "1:file://" + At("~auto.htm") + "\n";
        return ReadBytes(sandbox_->Bin("browsed")) == lines;
    }
    void Go(MainWindow& w, const QString& engine, std::function<void()> during = {}) {
        Select(Find<QComboBox>(&w, "ComboBox2"), engine);
        if (during)
            QTimer::singleShot(250, &w, during);
        Click(&w, "BitBtn4");
    }

private slots:
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
        UseBrowser();
        auto w = Start();
        Go(*w, "Lighthouse Search");
        QCOMPARE(Find<QLabel>(w.get(), "Label3")->text(),
                 QString::fromStdString(root + "/addurl/index.html"));
        QVERIFY(fs::exists(At("~adauto.htm")) && fs::exists(At("~mainauto.htm")));
        const QJsonObject frames = FramesInChromium(At("~auto.htm"));
        QCOMPARE(frames.keys(), (QStringList{"Ad", "Main"}));
        QVERIFY(frames["Ad"].toObject()["text"].toString().contains(
            "filled in the submission form of Lighthouse Search"));
        const QJsonObject main = frames["Main"].toObject();
        QCOMPARE(main["url"].toString(),
                 QString::fromStdString(siteherald::FileUrl(At("~mainauto.htm"))));
        const QJsonObject controls = main["controls"].toObject();
        for (const auto& [name, value] : std::initializer_list<std::pair<QString, QString>>{
                 {"url", "https://harbour-kayaks.example/?ref=lighthouse&lang=en"},
                 {"title", "Harbour Kayak Tours"},
                 {"email", "robin@harbour-kayaks.example"},
                 {"keywords", "kayak, sea kayaking, \"harbour tours\", paddling"},
                 {"description", "Guided sea-kayak tours of the harbour & the islands, for "
                                 "beginners and \"old salts\" alike.\nSmall groups (<8 boats), "
                                 "every day from April to October."},
                 {"pw", ""},
                 {"lang", "en"}})
            QCOMPARE(controls[name].toString(), value);
        QCOMPARE(main["actions"].toArray().toVariantList(),
                 (QVariantList{QString::fromStdString(root + "/cgi-bin/search.cgi"),
                               QString::fromStdString(root + "/addurl/submit.cgi"),
                               QString::fromStdString(root + "/addurl/index.html"),
                               "https://secure.lighthouse-search.example/account/login"}));
        QCOMPARE(BoxTexts().join('\n'), QString());
        QTRY_VERIFY(Opened(1));
    }

    // Stop during either download, a missing page and a closed port: no pages, no browser; a
    // slow page is filled with the record chosen when GO was pressed. In submit mode the engine
    // choice submits.
    void stoppedAndFailedDownloads() {
        ScriptedServer adHeld({Hold()}), pageHeld({Hold()});
        ScriptedServer page({Send(Http("200 OK", kFormPage))});
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
        UseBrowser();
        IniWriteString("Main", "VersionUpdate", version.url("/version.txt"));
        IniWriteString("Main", "AdPage", adHeld.url("/ad.html"));
        auto w = Start();
        auto* go = Find<QPushButton>(w.get(), "BitBtn4");
        auto* stop = Find<QPushButton>(w.get(), "BitBtn5");
        auto* progress = Find<QProgressBar>(w.get(), "DownloadProgress");
        const size_t versionChecks = version.requests().size();
        QString whileRunning;
        Go(*w, "Stop Ad", [&] {
            for (bool state : {go->isEnabled(), stop->isEnabled(), progress->isVisible()})
                whileRunning += state ? '1' : '0';
            stop->click();
        });
        QCOMPARE(whileRunning, "011");
        QVERIFY(go->isEnabled() && !stop->isEnabled() && !progress->isVisible());
        QCOMPARE(adHeld.requests().size() * 10 + page.requests().size(), 10u);
        IniWriteString("Main", "AdPage", "");
        Go(*w, "Stop Page", [&] { stop->click(); });
        QCOMPARE(pageHeld.requests().size(), 1u);
        QCOMPARE(BoxTexts(), QStringList());
        for (const std::string& address : {missing.url("/add.html"), closed}) {
            MessageBoxes::Script();
            Go(*w, address == closed ? "Closed Port" : "Missing Page");
            QCOMPARE(BoxTexts().size(), 1);
            QCOMPARE(BoxTexts()[0].section('\n', 0, 0),
                     QString::fromStdString("Unable to retrieve \"" + address + "\"."));
            QVERIFY(BoxTexts()[0].contains(address == closed ? "refused" : "404"));
            QCOMPARE(MessageBoxes::Log()[0].icon, siteherald::MessageIcon::Error);
            QVERIFY(go->isEnabled() && !stop->isEnabled());
        }
        QVERIFY(!fs::exists(At("~auto.htm")) && !fs::exists(At("~mainauto.htm")));
        QTest::qWait(100);
        QVERIFY(Opened(0));
        // Another engine chosen during the download does not change what is filled in.
        Go(*w, "Slow Page", [&] { Select(Find<QComboBox>(w.get(), "ComboBox2"), "Other"); });
        QCOMPARE(Find<QComboBox>(w.get(), "ComboBox2")->currentText(), "Other");
        QVERIFY(ReadBytes(At("~mainauto.htm"))
                    .find("value=\"https://harbour-kayaks.example/?ref=lighthouse&amp;lang=en\"") !=
                std::string::npos);
        // The silent version check follows every download, stopped or failed alike.
        QCOMPARE(version.requests().size(), versionChecks + 5);
        Click(w.get(), "Button5");
        Select(Find<QComboBox>(w.get(), "ComboBox3"), "Stop Ad");
        QCOMPARE(Find<QComboBox>(w.get(), "ComboBox2")->currentText(), "Stop Ad");
        QCOMPARE(page.requests().size(), 1u);
        QTRY_VERIFY(Opened(2));
    }

    void namedBrowserWithoutItsProgram_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("browser");
        QTest::newRow("Netscape") << "BitBtn1"
                                  << "Netscape Navigator";
        QTest::newRow("Internet Explorer") << "BitBtn2"
                                           << "Internet Explorer";
    }

    // The question leads to the preferences, the focus in the browser's path box; once the
    // program is given, the button opens the filled page in it without a question.
    void namedBrowserWithoutItsProgram() {
        QFETCH(QString, button);
        QFETCH(QString, browser);
        ScriptedServer page({Send(Http("200 OK", kFormPage))});
        WriteBytes(At("sedata.dat"), Engine("Page", page.url("/add.html")));
        KnownFiles({kayaks_});
        auto w = Start();
        const QString question = "You must first give the location for " +
                                 QString(button == "BitBtn1" ? "Netscape" : "Internet Explorer") +
                                 " under Browser Options.";
        const QString pathBox = button == "BitBtn1" ? "Edit1" : "Edit2";
        MessageBoxes::Script({Answer::Cancel});
        Click(w.get(), qPrintable(button));
        QCOMPARE(BoxTexts(), QStringList{question});
        QCOMPARE(MessageBoxes::Log()[0].icon, siteherald::MessageIcon::Error);
        QCOMPARE(MessageBoxes::Log()[0].buttons, Buttons::OkCancel);
        for (bool give : {false, true}) {
            MessageBoxes::Script({Answer::Ok});
            QTimer::singleShot(0, w.get(), [&] {
                auto* preferences = Find<QDialog>(w.get(), "TForm9");
                QTRY_VERIFY(preferences->isVisible());
                QCOMPARE(preferences->focusWidget(), Find<QLineEdit>(preferences, pathBox));
                if (!give)
                    return preferences->reject();
                Find<QLineEdit>(preferences, pathBox)->setText(QString::fromStdString(Browser()));
                Find<QComboBox>(preferences, "ComboBox1")->setCurrentText(browser);
                Click(preferences, "Button1");
            });
            Click(w.get(), qPrintable(button));
            QCOMPARE(BoxTexts(), QStringList{question});
            QCOMPARE(page.requests().size(), give ? 1u : 0u);
        }
        QCOMPARE(IniReadString("Browsers", browser.toStdString(), ""), Browser());
        QTRY_VERIFY(Opened(1));
        MessageBoxes::Script();
        Click(w.get(), qPrintable(button));
        QCOMPARE(BoxTexts(), QStringList());
        QTRY_VERIFY(Opened(2));
    }

    // Ticks write sub.log sorted without regard to case, the file's section moved to the end;
    // showing the logged state never writes it; the log follows the file choice.
    void tickBoxesWriteTheLog() {
        const std::string other = At("other.sdf");
        fs::copy_file(kayaks_, other);
        WriteBytes(At("sedata.dat"),
                   ReadBytes(At("sedata.dat")) + Engine("aardvark finder", "http://127.0.0.1:1/"));
        const std::string otherSection =
            Crlf({"$" + other, "Bing Webmaster Tools | Submitted: Jan 05, 1999", "$" + other});
        const auto section = [&](LineList lines) {
            return Crlf(Concat({{"$" + kayaks_}, lines, {"$" + kayaks_}}));
        };
        WriteBytes(At("sub.log"), section({}) + otherSection);
        KnownFiles({kayaks_, other});
        auto w = Start();
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
        QVERIFY(submitTick->isChecked() && showLog->isEnabled());
        QCOMPARE(ReadBytes(At("sub.log")), otherSection + section({baidu}));
        WriteBytes(At("sub.log"), section({baidu}) + otherSection);
        Select(engines, "aardvark finder");
        tick->click();
        Select(engines, "Bing Webmaster Tools");
        QVERIFY(!tick->isChecked() && !submitTick->isChecked());
        Select(engines, "Baidu Search Resource Platform");
        QVERIFY(tick->isChecked() && submitTick->isChecked());
        QCOMPARE(ReadBytes(At("sub.log")), otherSection + section({aardvark, baidu}));
        QString shown;
        OnModal([&](QDialog* d) {
            shown = d->objectName() + ":" + Find<QPlainTextEdit>(d, "Memo1")->toPlainText();
        });
        showLog->click();
        QCOMPARE(shown, QString::fromStdString("TForm7:" + aardvark + "\n" + baidu));
        submitTick->click(); // the submit-mode view of the same fact
        QVERIFY(!tick->isChecked());
        QCOMPARE(ReadBytes(At("sub.log")), otherSection + section({aardvark}));
        Select(engines, "aardvark finder");
        tick->click();
        QCOMPARE(ReadBytes(At("sub.log")), otherSection + section({}));
        QVERIFY(!showLog->isEnabled());
        Select(Find<QComboBox>(w.get(), "ComboBox1"), other);
        Select(engines, "Bing Webmaster Tools");
        QVERIFY(tick->isChecked() && showLog->isEnabled());
        QCOMPARE(BoxTexts(), QStringList());
    }

    void notesWindowAndLogNotesTab() {
        KnownFiles({kayaks_});
        auto w = Start();
        const std::string engine = "Baidu Search Resource Platform";
        // Opens the Notes window, types the given notes (null: as shown) and presses a button.
        auto editNotes = [&](const char* general, const char* file, const char* button) {
            OnModal([=](QDialog* d) {
                if (general)
                    Find<QPlainTextEdit>(d, "Memo3")->setPlainText(general);
                if (file)
                    Find<QPlainTextEdit>(d, "Memo4")->setPlainText(file);
                Click(d, button);
            });
            Click(w.get(), "BitBtn19");
        };
        editNotes("Slow to list\nCheck weekly", "Sent the summary", "Button1");
        const std::string main = Crlf({"$Main", "Slow to list", "Check weekly", "$Main"});
        const std::string saved =
            Crlf({"$" + engine, "$" + kayaks_, "Sent the summary", "$" + kayaks_}) + main +
            Crlf({"$" + engine});
        QCOMPARE(ReadBytes(At("subnotes.dat")), saved);
        editNotes("discarded", "discarded", "Button2");
        editNotes(nullptr, nullptr, "Button1"); // shown and saved again unchanged
        QCOMPARE(ReadBytes(At("subnotes.dat")), saved);
        // The general note is the engine's hint.
        Select(Find<QComboBox>(w.get(), "ComboBox2"), "Seznam");
        Select(Find<QComboBox>(w.get(), "ComboBox2"), engine);
        QCOMPARE(Find<QLabel>(w.get(), "Label3")->toolTip(), "Slow to list\r\nCheck weekly");
        // The tab's memos save when they lose the focus.
        Find<QTabWidget>(w.get(), "PageControl1")->setCurrentIndex(2);
        auto* tab = Find<QWidget>(w.get(), "TabSheet4");
        auto* engines = Find<QComboBox>(tab, "ComboBox10");
        engines->setCurrentIndex(1);
        engines->setCurrentIndex(0);
        auto* fileNote = Find<QPlainTextEdit>(tab, "Memo4");
        QCOMPARE(fileNote->toPlainText(), "Sent the summary");
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        fileNote->setFocus();
        QTRY_VERIFY(fileNote->hasFocus());
        fileNote->selectAll();
        QTest::keyClicks(fileNote, "Resubmit in May");
        QCOMPARE(ReadBytes(At("subnotes.dat")), saved);
        Find<QPlainTextEdit>(tab, "Memo3")->setFocus();
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
            Crlf({"$" + kayaks_, "Seznam | Submitted: Feb 11, 2001", "$" + kayaks_}) + otherSection;
        WriteBytes(At("sub.log"), log);
        WriteBytes(At("mail.log"), Crlf({"sent to list-a"}));
        WriteBytes(At("news.log"), Crlf({"posted to alt.test"}));
        KnownFiles({kayaks_});
        auto w = Start();
        auto* tab = Find<QWidget>(w.get(), "TabSheet4");
        Find<QTabWidget>(w.get(), "PageControl1")->setCurrentIndex(2);
        QCOMPARE(Find<QPlainTextEdit>(tab, "RichEdit1")->toPlainText(),
                 "Seznam | Submitted: Feb 11, 2001");
        MessageBoxes::Script({Answer::No, Answer::Yes, Answer::Yes, Answer::Yes, Answer::Yes});
        Click(tab, "Button26"); // No
        QCOMPARE(ReadBytes(At("sub.log")), log);
        Click(tab, "Button26");
        QCOMPARE(ReadBytes(At("sub.log")), Crlf({"$" + kayaks_, "$" + kayaks_}) + otherSection);
        QCOMPARE(Find<QPlainTextEdit>(tab, "RichEdit1")->toPlainText(), "");
        for (const char* button : {"Button27", "Button25", "Button24"})
            Click(tab, button);
        QCOMPARE(BoxTexts(),
                 (QStringList{"Purge current submission log?", "Purge current submission log?",
                              "Purge all submission logs?", "Purge mail log?", "Purge news log?"}));
        for (const char* file : {"sub.log", "mail.log", "news.log"})
            QVERIFY2(fs::exists(At(file)) && fs::file_size(At(file)) == 0, file);
    }

    // The compact window: its sizes shrunk and expanded, back to regular by its button, by
    // maximizing and by a close request (the next one closes).
    void submitModeSizesAndClose() {
        auto w = Start();
        auto* panel = Find<QWidget>(w.get(), "Panel6");
        auto* shrink = Find<QPushButton>(w.get(), "Button11");
        Click(w.get(), "Button5");
        QVERIFY(panel->isVisible() && !w->isMaximized() && !w->menuBar()->isVisible());
        QVERIFY(!Find<QWidget>(w.get(), "PageControl1")->isVisible());
        QTRY_COMPARE(w->size(), QSize(142, 288));
        QVERIFY(w->windowFlags() & Qt::WindowStaysOnTopHint); // "Stay On Top" is down at start
        shrink->click();
        QVERIFY(!Find<QWidget>(w.get(), "ListBox1")->isVisible());
        QTRY_COMPARE(w->size(), QSize(142, 29));
        shrink->click();
        QTRY_COMPARE(w->size(), QSize(142, 288));
        Click(w.get(), "Button7");
        QVERIFY(!panel->isVisible() && w->menuBar()->isVisible());
        QVERIFY(!(w->windowFlags() & Qt::WindowStaysOnTopHint));
        QTest::qWait(100);
        QCOMPARE(w->size(), QSize(609, 383 + w->menuBar()->height()));
        Click(w.get(), "Button5");
        w->showMaximized();
        QTRY_VERIFY(w->menuBar()->isVisible() && !panel->isVisible());
        Click(w.get(), "Button5");
        QVERIFY(!w->close());
        QVERIFY(w->isVisible() && Find<QWidget>(w.get(), "PageControl1")->isVisible());
        QCOMPARE(IniReadString("Main", "WindowSate", ""), "wsNormal");
        QVERIFY(w->close());
    }

    void clipboardFieldList() {
        const std::string none = At("none.sdf");
        WriteBytes(none, CrlfOf("$PROFILE$DEFAULT|title:Nothing|$FieldNames$|None|$FieldNames$"));
        KnownFiles({kayaks_, none});
        auto w = Start();
        auto* list = Find<QListWidget>(w.get(), "ListBox1");
        auto* menu = Find<QMenu>(w.get(), "CopytoClipboard1");
        QCOMPARE(
            Items(list).join('|'),
            "Title|URL|Summary|Keywords|Details|Extra|Contact|E-mail|Business|Phone|Street|City");
        list->setCurrentRow(2);
        Click(w.get(), "Button10");
        QCOMPARE(QApplication::clipboard()->text(),
                 "Guided sea-kayak tours of the harbour & the islands, for beginners and \"old "
                 "salts\" alike.\r\nSmall groups (<8 boats), every day from April to October.");
        QCOMPARE(menu->actions().at(7)->text(), "E-mail");
        menu->actions().at(7)->trigger();
        QCOMPARE(QApplication::clipboard()->text(), "robin@harbour-kayaks.example");
        Select(Find<QComboBox>(w.get(), "ComboBox1"), none); // its field list names no field
        QCOMPARE(list->count(), 0);
        for (QMenu* m : {menu, Find<QMenu>(w.get(), "PopupMenu1")})
            QVERIFY(m->actions().size() == 1 && m->actions()[0]->text() == "Empty" &&
                    !m->actions()[0]->isEnabled());
    }
};
WINDOW_TEST_AREA(PromoteTest, "promote");

namespace {

// Two forms: a text box, a hidden field, a text area and a submit button, then a check box
// and an input without a type.
const std::string kTwoForms = "<html><body>\r\n<form action=\"a.cgi\">\r\n"
                              "<input type=\"text\" name=\"url\">\r\n"
                              "<input type=\"hidden\" name=\"id\" value=\"7\">\r\n"
                              "<textarea name=\"desc\"></textarea>\r\n"
                              "<input type=\"submit\" value=\"Go\">\r\n</form>\r\n"
                              "<form action=\"b.cgi\"><input type=\"checkbox\" name=\"agree\">\r\n"
                              "<input name=\"email\"></form>\r\n</body></html>\r\n";
const QString kEngineQuestion = QStringLiteral("Save changes to search engine?");

// Clicks a list entry with the mouse, as the user picks a field or an identifier.
void ClickItem(QListWidget* list, const QString& text) {
    QListWidgetItem* item = list->findItems(text, Qt::MatchExactly).value(0);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

void Type(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
}

// The record of `name` in a sedata.dat text, from its start marker through its end marker.
std::string RecordOf(const std::string& file, const std::string& name) {
    const std::string marker = "$" + name + "$\r\n";
    const size_t start = file.find(marker);
    return file.substr(start, file.find(marker, start + marker.size()) + marker.size() - start);
}

std::string Without(std::string file, const std::string& part) {
    return file.erase(file.find(part), part.size());
}

} // namespace

class EngineEditorTest : public WindowTest {
    Q_OBJECT

    std::string shipped_;
    void prepare() override { shipped_ = ReadBytes(At("sedata.dat")); }
    static QAction* EngineCommand(MainWindow& w, const QString& text) {
        for (QAction* action : Find<QMenu>(&w, "PopupMenu2")->actions())
            if (action->text() == text)
                return action;
        qFatal("no engine command %s", qPrintable(text));
    }

private slots:
    // A scan cancelled against a silent server finds nothing; the next one finds the fields,
    // which are given identifiers by mouse, and the engine is saved.
    void scannedFieldsAssignedAndSavedAsNewEngine() {
        ScriptedServer silent({Hold()}), server({Send(Http("200 OK", kTwoForms))});
        const std::string address = server.url("/add.html");
        auto w = Start();
        auto* engines = Find<QComboBox>(w.get(), "ComboBox2");
        const QString selectedBefore = engines->currentText();
        const auto editor = OnModal<EngineEditor>([&](EngineEditor* e) {
            QCOMPARE(e->autoFillList_->count(), 12);
            Type(e->nameEdit_, "Loop Engine");
            Type(e->infoUrlEdit_, "http://127.0.0.1:1/about");
            Type(e->submitUrlEdit_, QString::fromStdString(silent.url("/form")));
            QString during;
            QTimer::singleShot(200, e, [&] {
                during = e->getFieldsButton_->text();
                QTest::mouseClick(e->getFieldsButton_, Qt::LeftButton);
            });
            QTest::mouseClick(e->getFieldsButton_, Qt::LeftButton);
            QCOMPARE(during + e->getFieldsButton_->text(), "&Cancel&Get Fields");
            QCOMPARE(e->fieldList_->count(), 0);
            Type(e->submitUrlEdit_, QString::fromStdString(address));
            QTest::mouseClick(e->getFieldsButton_, Qt::LeftButton);
            QCOMPARE(Items(e->fieldList_),
                     (QStringList{"url (Text Box)", "desc (Textarea)", "email (Text Box)"}));
            ClickItem(e->fieldList_, "url (Text Box)");
            QVERIFY(e->autoFillList_->selectedItems().isEmpty());
            ClickItem(e->autoFillList_, "url");
            ClickItem(e->fieldList_, "desc (Textarea)");
            ClickItem(e->autoFillList_, "desc2");
            ClickItem(e->autoFillList_, "desc1");       // a second choice wins
            ClickItem(e->fieldList_, "url (Text Box)"); // going back shows its identifier
            QCOMPARE(e->autoFillList_->currentItem()->text(), "url");
            QTest::mouseClick(e->saveButton_, Qt::LeftButton);
            QVERIFY(!e->isVisible());
        });
        EngineCommand(*w, "&Add Search Engine")->trigger();
        QVERIFY(*editor);
        QVERIFY(BoxTexts().isEmpty() && silent.requests().size() == 1);
        QCOMPARE(server.requests().size(), 1u);
        QVERIFY(server.requests()[0].starts_with("GET /add.html HTTP/1."));
        const std::string record =
            Crlf({"$Loop Engine$", "Loop Engine|" + address + "|http://127.0.0.1:1/about|",
                  "url|url|", "desc|desc1|", "email||", "$Loop Engine$"});
        QCOMPARE(ReadBytes(At("sedata.dat")), shipped_ + record);
        QCOMPARE(ReadBytes(At("sechanged.sec")), record);
        QVERIFY(Items(engines).contains("Loop Engine"));
        QCOMPARE(engines->currentText(), selectedBefore);
    }

    // Identifiers go to profs.dat at once; the engine, refused for its name and then not
    // saved, goes nowhere.
    void identifiersKeptAndUnsavedEngineDropped() {
        MessageBoxes::Script({Answer::No});
        EngineEditor editor(nullptr);
        const auto run = OnModal<EngineEditor>([&](EngineEditor* e) {
            QVERIFY(!e->addIdentifierButton_->isEnabled());
            Type(e->identifierEdit_, "url");
            QTest::mouseClick(e->addIdentifierButton_, Qt::LeftButton);
            Type(e->identifierEdit_, "a_b");
            QTest::keyClick(e->identifierEdit_, Qt::Key_Return); // Enter adds as the button does
            Type(e->identifierEdit_, "URL");
            QTest::mouseClick(e->addIdentifierButton_, Qt::LeftButton);
            QCOMPARE(e->autoFillList_->count(), 13);
            QVERIFY(e->identifierEdit_->text().isEmpty() && !e->addIdentifierButton_->isEnabled());
            Type(e->nameEdit_, "A|b");
            Type(e->submitUrlEdit_, "http://127.0.0.1:1/add");
            QTest::keyClick(e->submitUrlEdit_, Qt::Key_Return); // Enter saves
            QVERIFY(e->isVisible());
            QTest::mouseClick(e->closeButton_, Qt::LeftButton);
        });
        editor.EditEngine(true, {});
        QVERIFY(*run && !editor.isVisible());
        QCOMPARE(BoxTexts(),
                 (QStringList{"That name is already being used.",
                              "Identifiers must be alpha-numeric. a_b is not a valid identifier.",
                              "A search engine's name cannot contain \"$\" or \"|\".",
                              kEngineQuestion}));
        QCOMPARE(MessageBoxes::Log()[0].icon, siteherald::MessageIcon::Information);
        QCOMPARE(MessageBoxes::Log()[1].icon, siteherald::MessageIcon::Error);
        QCOMPARE(ReadBytes(At("profs.dat")),
                 CrlfOf("$AutoFill|addre|busna|city|desc1|desc2|desc3|email|keywo|name|phone|"
                        "title|URL|url|$AutoFill|$sdffiles|$sdffiles"));
        QCOMPARE(ReadBytes(At("sedata.dat")), shipped_);
        QVERIFY(!fs::exists(At("sechanged.sec")));
    }

    // Editing the selected engine: Cancel keeps the boxes, an empty address is refused, Yes
    // saves the engine to the end of the file.
    void closingAsksAboutUnsavedChanges() {
        auto w = Start();
        auto* engines = Find<QComboBox>(w.get(), "ComboBox2");
        const std::string name = engines->currentText().toStdString();
        const std::string old = RecordOf(shipped_, name);
        MessageBoxes::Script({Answer::Cancel, Answer::Yes});
        QString address;
        const auto editor = OnModal<EngineEditor>([&](EngineEditor* e) {
            QVERIFY(!e->nameEdit_->isEnabled());
            QCOMPARE(e->nameEdit_->text().toStdString(), name);
            address = e->submitUrlEdit_->text();
            Type(e->infoUrlEdit_, "http://127.0.0.1:1/new-info");
            QTest::mouseClick(e->closeButton_, Qt::LeftButton);
            QVERIFY(e->isVisible());
            QCOMPARE(e->infoUrlEdit_->text(), "http://127.0.0.1:1/new-info");
            e->submitUrlEdit_->clear();
            QTest::mouseClick(e->saveButton_, Qt::LeftButton);
            QVERIFY(e->isVisible());
            QCOMPARE(ReadBytes(At("sedata.dat")), shipped_);
            Type(e->submitUrlEdit_, address);
            QTest::mouseClick(e->closeButton_, Qt::LeftButton);
            QVERIFY(!e->isVisible());
        });
        EngineCommand(*w, "&Edit Search Engine")->trigger();
        QVERIFY(*editor);
        QCOMPARE(BoxTexts(), (QStringList{kEngineQuestion,
                                          "Please give the search engine a name and a submission "
                                          "address before saving.",
                                          kEngineQuestion}));
        QCOMPARE(MessageBoxes::Log()[0].buttons, Buttons::YesNoCancel);
        std::string record = old;
        const size_t lineStart = record.find("\r\n") + 2;
        record.replace(lineStart, record.find("\r\n", lineStart) - lineStart,
                       name + "|" + address.toStdString() + "|http://127.0.0.1:1/new-info|");
        QCOMPARE(ReadBytes(At("sedata.dat")), Without(shipped_, old) + record);
        QCOMPARE(ReadBytes(At("sechanged.sec")), record);
        QCOMPARE(engines->currentText().toStdString(), name);
    }

    void deleteRemovesTheSelectedEngine() {
        auto w = Start();
        auto* engines = Find<QComboBox>(w.get(), "ComboBox2");
        Select(engines, 1);
        const QString name = engines->currentText(), next = engines->itemText(2);
        MessageBoxes::Script({Answer::No, Answer::Yes});
        EngineCommand(*w, "&Delete Search Engine")->trigger();
        QCOMPARE(ReadBytes(At("sedata.dat")), shipped_);
        QCOMPARE(engines->currentText(), name);
        EngineCommand(*w, "&Delete Search Engine")->trigger();
        QCOMPARE(BoxTexts(), QStringList(2, "Delete \"" + name + "\" from the list?"));
        QCOMPARE(MessageBoxes::Log()[0].buttons, Buttons::YesNo);
        QCOMPARE(ReadBytes(At("sedata.dat")),
                 Without(shipped_, RecordOf(shipped_, name.toStdString())));
        QVERIFY(!Items(engines).contains(name));
        QCOMPARE(engines->currentText(), next);
        // The record of the engine now selected is the one loaded.
        const std::string record = RecordOf(shipped_, next.toStdString());
        const std::string first = record.substr(record.find("\r\n") + 2);
        QCOMPARE(Find<QLabel>(w.get(), "Label3")->text().toStdString(),
                 first.substr(next.size() + 1, first.find('|', next.size() + 1) - next.size() - 1));
    }
};
WINDOW_TEST_AREA(EngineEditorTest, "engine_editor");

#include "promote_test.moc"
