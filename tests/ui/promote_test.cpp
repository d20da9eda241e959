// The "Promote..." tab: GO against loopback servers (the filled page read back by Chromium), ticks,
// notes, the clipboard list, and "Customize Search Engines" with its field scan.

#include "core/file_url.h"
#include "submit/submission_log.h"
#include "ui/engine_editor.h"
#include "window_test_support.h"

#include <ctime>

using siteherald::testing::Hold;

namespace {

const std::string kFormPage = "<html><body>\r\n<form action=\"add.cgi\"><input type=\"text\" "
                              "name=\"url\"></form>\r\n</body></html>\r\n";

// The live state of the frames of a frame page as headless Chromium shows it: a copy of the page
// gets a script writing each frame's named boxes and form actions as JSON into the document,
// which --dump-dom prints.
QJsonObject FramesInChromium(const std::string& framePage) {
    const std::string probe = fs::path(framePage).parent_path() / "probe.htm";
    WriteBytes(
        probe,
        "<script>addEventListener('load', () => { const state = w => ({controls: Object."
        "fromEntries([...w.document.querySelectorAll('input, textarea')].filter(e => e.name).map("
        "e => [e.name, e.value])), actions: [...w.document.forms].map(f => f.getAttribute("
        "'action'))}); const out = document.createElement('pre'); out.id = 'probe'; out.textContent"
        " = JSON.stringify(Object.fromEntries([...document.querySelectorAll('frame')].map(f => "
        "[f.name, state(f.contentWindow)]))); document.documentElement.appendChild(out); });"
        "</script>\n" +
            ReadBytes(framePage));
    const TempDir profile;
    QProcess browser;
    browser.start("/usr/bin/chromium",
                  {"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                   "--disable-background-networking", "--disable-component-update",
                   "--host-resolver-rules=MAP * ~NOTFOUND",
                   QString::fromStdString("--user-data-dir=" + profile.path()),
                   "--allow-file-access-from-files", // frames may look into each other
                   "--dump-dom", QString::fromStdString(siteherald::FileUrl(probe))});
    browser.waitForFinished(90000);
    const QString dom = QString::fromUtf8(browser.readAllStandardOutput());
    const qsizetype start = dom.indexOf("<pre id=\"probe\">") + 16;
    QString json = dom.mid(start, dom.indexOf("</pre>", start) - start);
    json.replace("&lt;", "<").replace("&gt;", ">").replace("&nbsp;", " ").replace("&amp;", "&");
    return QJsonDocument::fromJson(json.toUtf8()).object();
}

// Two forms: a text box, a hidden field, a text area and a submit button, then a check box
// and an input without a type.
const std::string kTwoForms =
    "<form action=\"a.cgi\"><input type=\"text\" name=\"url\"><input type=\"hidden\" name=\"id\" "
    "value=\"7\">\r\n<textarea name=\"desc\"></textarea><input type=\"submit\" value=\"Go\"></form>"
    "<form action=\"b.cgi\"><input type=\"checkbox\" name=\"agree\"><input name=\"email\"></form>";

// Clicks a list entry with the mouse, as the user picks a field or an identifier.
void ClickItem(QListWidget* list, const QString& text) {
    QListWidgetItem* item =
        list->findItems(text, Qt::MatchExactly | Qt::MatchCaseSensitive).value(0);
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

class PromoteTest : public WindowTest {
    Q_OBJECT

    std::string kayaks_;

    // The known file kayaks.sdf (KnownFiles adds to it); a script recording how it was started
    // as the default browser.
    void prepare() override {
        fs::copy_file(kFixtures + "/harbour_kayaks.sdf", kayaks_ = At("kayaks.sdf"));
        sandbox_->AddToPath("browser", "printf '%s:%s\\n' \"$#\" \"$1\" >> " +
                                           sandbox_->Bin("browsed") + "\n");
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
    // GO against a loopback HTTP server, the pages it writes opened from disk in Chromium.
    void goFillsTheEnginePageAndOpensItInTheBrowser() {
        const ScriptedServer server(
            {Send(Http("200 OK", ReadBytes(kFixtures + "/pages/lighthouse_addurl.html")))});
        const QString root = QString::fromStdString(server.url(""));
        std::string engines = ReadBytes(kFixtures + "/data/sedata.dat");
        const std::string fixtureAddress = "http://www.lighthouse-search.example/addurl/index.html";
        engines.replace(engines.find(fixtureAddress), fixtureAddress.size(),
                        root.toStdString() + "/addurl/index.html");
        WriteBytes(At("sedata.dat"), engines);
        auto w = Start();
        Go(*w, "Lighthouse Search");
        QCOMPARE(Find<QLabel>(w.get(), "Label3")->text(), root + "/addurl/index.html");
        const QJsonObject frames = FramesInChromium(At("~auto.htm"));
        QCOMPARE(frames.keys(), (QStringList{"Ad", "Main"}));
        const QJsonObject main = frames["Main"].toObject();
        QStringList shown;
        for (const char* name : {"url", "title", "email", "keywords", "description", "pw", "lang"})
            shown << name + ("=" + main["controls"].toObject()[name].toString());
        QCOMPARE(
            shown.join('\n'),
            "url=https://harbour-kayaks.example/?ref=lighthouse&lang=en\ntitle=Harbour Kayak "
            "Tours\nemail=robin@harbour-kayaks.example\nkeywords=kayak, sea kayaking, \"harbour "
            "tours\", paddling\ndescription=Guided sea-kayak tours of the harbour & the islands, "
            "for beginners and \"old salts\" alike.\nSmall groups (<8 boats), every day from "
            "April to October.\npw=\nlang=en");
        QCOMPARE(main["actions"].toArray().toVariantList(),
                 (QVariantList{root + "/cgi-bin/search.cgi", root + "/addurl/submit.cgi",
                               root + "/addurl/index.html",
                               "https://secure.lighthouse-search.example/account/login"}));
        QTRY_VERIFY(Opened(1));
    }

    // Stop during either download, a missing page and a closed port: no pages, no browser; the
    // silent version check follows each.
    void stoppedAndFailedDownloads() {
        ScriptedServer adHeld({Hold()}), pageHeld({Hold()});
        ScriptedServer page({Send(Http("200 OK", kFormPage))});
        ScriptedServer missing({Send(Http("404 Not Found", "gone"))});
        ScriptedServer version({Send(Http("404 Not Found", ""))});
        const std::string closed =
            "http://127.0.0.1:" + std::to_string(siteherald::testing::FreePort()) + "/add.html";
        WriteBytes(At("sedata.dat"), Engine("Stop Ad", page.url("/add.html")) +
                                         Engine("Stop Page", pageHeld.url("/add.html")) +
                                         Engine("Missing Page", missing.url("/add.html")) +
                                         Engine("Closed Port", closed));
        IniWriteString("Main", "VersionUpdate", version.url("/version.txt"));
        IniWriteString("Main", "AdPage", adHeld.url("/ad.html"));
        auto w = Start();
        auto* go = Find<QPushButton>(w.get(), "BitBtn4");
        auto* stop = Find<QPushButton>(w.get(), "BitBtn5");
        const size_t versionChecks = version.requests().size();
        Go(*w, "Stop Ad", [&] { stop->click(); });
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
        }
        QVERIFY(go->isEnabled() && !stop->isEnabled() && !fs::exists(At("~auto.htm")));
        QCOMPARE(version.requests().size(), versionChecks + 4);
        QTest::qWait(100);
        QVERIFY(Opened(0));
    }

    // Either named browser without its program: the question, Ok leads to the preferences with
    // the focus in the browser's path box; the program given, the button opens the filled page.
    void namedBrowserWithoutItsProgram() {
        ScriptedServer page({Send(Http("200 OK", kFormPage))});
        WriteBytes(At("sedata.dat"), Engine("Page", page.url("/add.html")));
        auto w = Start();
        for (const char* row : {"BitBtn1|Edit1|Netscape", "BitBtn2|Edit2|Internet Explorer"}) {
            const QStringList b = QString(row).split('|');
            MessageBoxes::Script({Answer::Ok});
            const auto shown = OnModal([&](QDialog* preferences) {
                QCOMPARE(preferences->focusWidget(), Find<QLineEdit>(preferences, b[1]));
            });
            Click(w.get(), qPrintable(b[0]));
            QVERIFY(*shown);
            QCOMPARE(BoxTexts(), QStringList{"You must first give the location for " + b[2] +
                                             " under Browser Options."});
            QCOMPARE(MessageBoxes::Log()[0].buttons, Buttons::OkCancel);
            QCOMPARE(page.requests().size(), 0u);
        }
        IniWriteString("Browsers", "Internet Explorer", Browser());
        MessageBoxes::Script();
        Click(w.get(), "BitBtn2");
        QCOMPARE(BoxTexts(), QStringList());
        QTRY_VERIFY(Opened(1));
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
        KnownFiles({other});
        auto w = Start();
        auto* engines = Find<QComboBox>(w.get(), "ComboBox2");
        auto* tick = Find<QCheckBox>(w.get(), "CheckBox1");
        auto* submitTick = Find<QCheckBox>(w.get(), "CheckBox2");
        auto* showLog = Find<QPushButton>(w.get(), "Button6");
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
        Select(engines, "Baidu Search Resource Platform");
        QVERIFY(tick->isChecked() && submitTick->isChecked());
        QCOMPARE(ReadBytes(At("sub.log")), otherSection + section({aardvark, baidu}));
        QString shown;
        OnModal([&](QDialog* d) { shown = Find<QPlainTextEdit>(d, "Memo1")->toPlainText(); });
        showLog->click();
        QCOMPARE(shown, QString::fromStdString(aardvark + "\n" + baidu));
        submitTick->click(); // the submit-mode view of the same fact
        QVERIFY(!tick->isChecked());
        Select(engines, "aardvark finder");
        tick->click();
        QCOMPARE(ReadBytes(At("sub.log")), otherSection + section({}));
        QVERIFY(!showLog->isEnabled());
        Select(Find<QComboBox>(w.get(), "ComboBox1"), other);
        Select(engines, "Bing Webmaster Tools");
        QVERIFY(tick->isChecked() && showLog->isEnabled());
    }

    // Notes in subnotes.dat and notes.dat; then the fields to copy of the current file.
    void notesAndClipboardFieldList() {
        const std::string none = At("none.sdf");
        WriteBytes(none, CrlfOf("$PROFILE$DEFAULT|title:Nothing|$FieldNames$|None|$FieldNames$"));
        KnownFiles({none});
        auto w = Start();
        const std::string engine = "Baidu Search Resource Platform";
        OnModal([=](QDialog* d) { // the Notes window
            Find<QPlainTextEdit>(d, "Memo3")->setPlainText("Slow to list\nCheck weekly");
            Find<QPlainTextEdit>(d, "Memo4")->setPlainText("Sent the summary");
            Click(d, "Button1");
        });
        Click(w.get(), "BitBtn19");
        const std::string main = Crlf({"$Main", "Slow to list", "Check weekly", "$Main"});
        const std::string saved =
            Crlf({"$" + engine, "$" + kayaks_, "Sent the summary", "$" + kayaks_}) + main +
            Crlf({"$" + engine});
        QCOMPARE(ReadBytes(At("subnotes.dat")), saved);
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
        menu->actions().at(7)->trigger(); // E-mail
        QCOMPARE(QApplication::clipboard()->text(), "robin@harbour-kayaks.example");
        Select(Find<QComboBox>(w.get(), "ComboBox1"), none); // its field list names no field
        QCOMPARE(list->count(), 0);
        QVERIFY(!menu->actions()[0]->isEnabled()); // "Empty"
    }

    // Through the engine menu, each save also appended to sechanged.sec. Adding: a scan cancelled
    // against a silent server finds nothing, the next one finds the fields, given identifiers by
    // mouse. Editing: an empty address is refused, Yes to the close question saves the engine to
    // the end of the file. Deleting asks first and loads the engine selected next.
    void addEditAndDeleteEngines() {
        const std::string shipped = ReadBytes(At("sedata.dat"));
        ScriptedServer silent({Hold()}), server({Send(Http("200 OK", kTwoForms))});
        const std::string address = server.url("/add.html");
        auto w = Start();
        auto* engines = Find<QComboBox>(w.get(), "ComboBox2");
        const std::string name = engines->currentText().toStdString();
        const QList<QAction*> command = Find<QMenu>(w.get(), "PopupMenu2")->actions();
        auto editor = OnModal<EngineEditor>([&](EngineEditor* e) {
            Type(e->nameEdit_, "Loop Engine");
            Type(e->infoUrlEdit_, "http://127.0.0.1:1/about");
            Type(e->submitUrlEdit_, QString::fromStdString(silent.url("/form")));
            QTimer::singleShot(200, e, [e] { e->getFieldsButton_->click(); }); // Cancel
            QTest::mouseClick(e->getFieldsButton_, Qt::LeftButton);
            QCOMPARE(e->fieldList_->count(), 0);
            Type(e->submitUrlEdit_, QString::fromStdString(address));
            QTest::mouseClick(e->getFieldsButton_, Qt::LeftButton);
            QCOMPARE(Items(e->fieldList_),
                     (QStringList{"url (Text Box)", "desc (Textarea)", "email (Text Box)"}));
            ClickItem(e->fieldList_, "url (Text Box)");
            ClickItem(e->autoFillList_, "url");
            ClickItem(e->fieldList_, "desc (Textarea)");
            ClickItem(e->autoFillList_, "desc2");
            ClickItem(e->autoFillList_, "desc1");       // a second choice wins
            ClickItem(e->fieldList_, "url (Text Box)"); // going back shows its identifier
            QCOMPARE(e->autoFillList_->currentItem()->text(), "url");
            for (const char* identifier : {"url", "a_b", "URL"}) { // go to profs.dat at once
                Type(e->identifierEdit_, identifier);
                QTest::keyClick(e->identifierEdit_,
                                Qt::Key_Return); // Enter adds as the button does
            }
            QTest::mouseClick(e->saveButton_, Qt::LeftButton);
            QVERIFY(!e->isVisible());
        });
        command[0]->trigger();
        QVERIFY(*editor && silent.requests().size() == 1);
        QCOMPARE(
            BoxTexts(),
            (QStringList{"That name is already being used.",
                         "Identifiers must be alpha-numeric. a_b is not a valid identifier."}));
        QCOMPARE(ReadBytes(At("profs.dat")),
                 CrlfOf("$AutoFill|addre|busna|city|desc1|desc2|desc3|email|keywo|name|phone|"
                        "title|URL|url|$AutoFill|$sdffiles") +
                     Crlf({kayaks_ + "|kayaks.sdf|", "$sdffiles"}));
        QVERIFY(server.requests().size() == 1 && server.requests()[0].starts_with("GET /add.html"));
        const std::string added =
            Crlf({"$Loop Engine$", "Loop Engine|" + address + "|http://127.0.0.1:1/about|",
                  "url|url|", "desc|desc1|", "email||", "$Loop Engine$"});
        QCOMPARE(engines->currentText().toStdString(), name);

        QCOMPARE(ReadBytes(At("sedata.dat")), shipped + added);
        QCOMPARE(ReadBytes(At("sechanged.sec")), added);

        MessageBoxes::Script({Answer::Yes});
        QString submitAddress;
        editor = OnModal<EngineEditor>([&](EngineEditor* e) {
            submitAddress = e->submitUrlEdit_->text();
            Type(e->infoUrlEdit_, "http://127.0.0.1:1/new-info");
            e->submitUrlEdit_->clear();
            QTest::mouseClick(e->saveButton_, Qt::LeftButton);
            QVERIFY(e->isVisible());
            Type(e->submitUrlEdit_, submitAddress);
            QTest::mouseClick(e->closeButton_, Qt::LeftButton);
            QVERIFY(!e->isVisible());
        });
        command[2]->trigger();
        QVERIFY(*editor);
        QCOMPARE(BoxTexts(), (QStringList{"Please give the search engine a name and a submission "
                                          "address before saving.",
                                          "Save changes to search engine?"}));
        std::string edited = RecordOf(shipped, name);
        const size_t lineStart = edited.find("\r\n") + 2;
        edited.replace(lineStart, edited.find("\r\n", lineStart) - lineStart,
                       name + "|" + submitAddress.toStdString() + "|http://127.0.0.1:1/new-info|");
        const std::string before = Without(shipped, RecordOf(shipped, name)) + added + edited;
        QCOMPARE(ReadBytes(At("sedata.dat")), before);
        QCOMPARE(ReadBytes(At("sechanged.sec")), added + edited);

        Select(engines, 1);
        const QString gone = engines->currentText(), next = engines->itemText(2);
        MessageBoxes::Script({Answer::Yes});
        command[1]->trigger();
        QCOMPARE(BoxTexts(), QStringList{"Delete \"" + gone + "\" from the list?"});
        QCOMPARE(ReadBytes(At("sedata.dat")),
                 Without(before, RecordOf(before, gone.toStdString())));
        QVERIFY(!Items(engines).contains(gone));
        QCOMPARE(engines->currentText(), next);
        const QString loaded = next + "|" + Find<QLabel>(w.get(), "Label3")->text() + "|";
        QVERIFY(RecordOf(before, next.toStdString()).find(loaded.toStdString()) !=
                std::string::npos);
    }
};
WINDOW_TEST_AREA(PromoteTest, "promote");

#include "promote_test.moc"
