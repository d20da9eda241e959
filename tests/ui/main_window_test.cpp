// The main window on the offscreen platform: start-up and shut-down, the submission data
// files, the profiles and the "Add Submission Files" dialog, driven through the real widgets
// with scripted message boxes and file dialogs, checked against the files on disk.

#include "core/known_files.h"
#include "core/settings_store.h"
#include "test_support.h"
#include "ui/add_files_dialog.h"
#include "ui/file_dialogs.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "window_test_support.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QtTest>
#include <filesystem>
#include <memory>
#include <optional>

namespace fs = std::filesystem;
using namespace siteherald::ui;
using siteherald::IniReadString;
using siteherald::testing::ReadBytes;
using siteherald::testing::TempDir;
using siteherald::testing::WriteBytes;

using namespace siteherald::ui::testing;

namespace {

const std::string kShippedData = SITEHERALD_SHIPPED_DATA_DIR;

// A second profile: a half-size row of an edit and a memo, then a whole row without
// identifier.
const std::string kShortProfile = "$STARTShort\r\n1\r\nE|HALF|Site Title|title||\r\n"
                                  "M|HALF|Notes|None|first|\r\n1\r\n2\r\n"
                                  "E|WHOLE|Extra|None|x|\r\n2\r\n$ENDShort\r\n";

const char* const kMissingFiles = "Siteherald could not find one or more neccessary files. "
                                  "Please select Update from the file menu to download them.";
const char* const kSaveQuestion = "Save changes to current submission data file?";

// Chooses an entry as the user does, so the change handler runs.
void Choose(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

QList<QWidget*> Entries(const MainWindow& w) {
    QList<QWidget*> entries;
    for (QObject* child : Find<QScrollArea>(&w, "ScrollBox1")->widget()->children())
        if (qobject_cast<QLineEdit*>(child) || qobject_cast<QPlainTextEdit*>(child))
            entries << static_cast<QWidget*>(child);
    return entries;
}

QStringList EntryNames(const MainWindow& w) {
    QStringList names;
    for (QWidget* entry : Entries(w))
        names << entry->objectName();
    return names;
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

    std::optional<WindowSandbox> sandbox_;

    std::string At(const std::string& name) const { return sandbox_->At(name); }
    void Settings(const std::string& extra) { sandbox_->Settings(extra); }
    void KnownFiles(std::initializer_list<std::string> paths) { sandbox_->KnownFiles(paths); }
    std::unique_ptr<MainWindow> Start() { return StartMainWindow(); }

private slots:
    void init() { sandbox_.emplace(); }
    void cleanup() { sandbox_.reset(); }

    void startsWithShippedData() {
        auto w = Start();
        auto* tabs = Find<QTabWidget>(w.get(), "PageControl1");
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(0), "File...");
        QCOMPARE(tabs->tabText(1), "Promote...");
        QCOMPARE(tabs->tabText(2), "Log/Notes...");
        // The shipped known-file list is empty, so the first refresh shows "File...".
        QCOMPARE(tabs->currentWidget()->objectName(), "TabSheet2");
        QCOMPARE(Items(Find<QComboBox>(w.get(), "ComboBox4")), QStringList{"DEFAULT"});

        struct Placed {
            const char* name;
            int left, top, width, height;
            const char* caption;
        };
        const Placed form[] = {
            {"title", 86, 8, 428, 21, "Title"},      {"url", 86, 32, 428, 21, "URL"},
            {"desc1", 86, 56, 428, 49, "Summary"},   {"keywo", 86, 108, 428, 21, "Keywords"},
            {"desc2", 86, 132, 428, 49, "Details"},  {"desc3", 86, 184, 428, 49, "Extra"},
            {"name", 86, 236, 170, 21, "Contact"},   {"email", 344, 236, 170, 21, "E-mail"},
            {"busna", 86, 260, 170, 21, "Business"}, {"phone", 344, 260, 170, 21, "Phone"},
            {"addre", 86, 284, 170, 21, "Street"},   {"city", 344, 284, 170, 21, "City"},
        };
        const QList<QWidget*> entries = Entries(*w);
        QCOMPARE(entries.size(), 12);
        for (int i = 0; i < 12; ++i) {
            const Placed& p = form[i];
            QCOMPARE(entries[i]->objectName(), p.name);
            QCOMPARE(entries[i]->geometry(), QRect(p.left, p.top, p.width, p.height));
            QCOMPARE(qobject_cast<QPlainTextEdit*>(entries[i]) != nullptr, p.height == 49);
            auto* label = Find<QLabel>(Find<QWidget>(w.get(), "ScrollBox1"),
                                       "Label" + QString::number(10 + i));
            QCOMPARE(label->text(), p.caption);
            QCOMPARE(label->pos(), QPoint(p.left == 86 ? 14 : 270, p.top + 5));
        }
        QCOMPARE(Find<QLineEdit>(w.get(), "url")->text(), "https://");

        QCOMPARE(Items(Find<QComboBox>(w.get(), "ComboBox2")),
                 (QStringList{"Baidu Search Resource Platform", "Bing Webmaster Tools",
                              "Google Search Console", "Hacker News", "Jasmine Directory",
                              "Naver Search Advisor", "Seznam", "Siteherald Demo Engine",
                              "Yandex Webmaster"}));
        QCOMPARE(Find<QLabel>(w.get(), "Label3")->text(),
                 "https://ziyuan.baidu.com/linksubmit/url");
        QCOMPARE(Find<QLabel>(w.get(), "Label5")->text(), "");
        // Every menu command works.
        for (QAction* menu : w->menuBar()->actions())
            for (QAction* item : menu->menu()->actions())
                QVERIFY2(item->isSeparator() || item->isEnabled() ||
                             menu->text() == "&Copy to Clipboard" || menu->text() == "&Logs" ||
                             menu->text() == "&Window",
                         qPrintable(menu->text() + " " + item->text()));
        QVERIFY(w->document().fileSaved());
        QCOMPARE(BoxTexts(), QStringList());
    }

    void startsWithMissingDataFile_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("damaged"); // written as the file; null: the file is removed
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("sedata.dat") << "sedata.dat" << QByteArray() << QStringList{kMissingFiles};
        QTest::newRow("profs.dat") << "profs.dat" << QByteArray() << QStringList{kMissingFiles};
        QTest::newRow("filelay.dat") << "filelay.dat" << QByteArray() << QStringList();
        // GO on the listed engine whose record has no submission address opens nothing.
        QTest::newRow("damaged sedata.dat")
            << "sedata.dat" << QByteArray("$Cut$\r\nCut|\r\n$Cut$\r\nCu")
            << QStringList{"sedata.dat holds no valid search-engine record; it may be damaged.",
                           "The record of Cut in sedata.dat is damaged."};
        QTest::newRow("damaged profs.dat")
            << "profs.dat" << QByteArray("\0\0\0\0", 4)
            << QStringList{"profs.dat holds no valid auto-fill or submission-file list; it may "
                           "be damaged."};
        QTest::newRow("damaged filelay.dat")
            << "filelay.dat" << QByteArray("1\r\nE|WHOLE|Title|title||\r\n1\r\n$ENDDEF")
            << QStringList{"filelay.dat holds no valid profile; it may be damaged."};
    }

    void startsWithMissingDataFile() {
        QFETCH(QString, file);
        QFETCH(QByteArray, damaged);
        QFETCH(QStringList, boxes);
        const std::string path = At(file.toStdString());
        fs::remove(path);
        if (!damaged.isNull())
            WriteBytes(path, damaged.toStdString());
        auto w = Start();
        if (file == "sedata.dat")
            Find<QPushButton>(w.get(), "BitBtn4")->click();
        QCOMPARE(BoxTexts(), boxes);
        QVERIFY(!fs::exists(sandbox_->Bin("opened")));
        QCOMPARE(Entries(*w).size(), file == "filelay.dat" ? 0 : 12);
        if (!damaged.isNull()) {
            QCOMPARE(MessageBoxes::Log()[0].icon, siteherald::MessageIcon::Warning);
            QVERIFY(w->close());
            QCOMPARE(ReadBytes(path), damaged.toStdString());
        } else if (file == "filelay.dat") {
            QCOMPARE(Find<QComboBox>(w.get(), "ComboBox4")->count(), 0);
            Find<QPushButton>(w.get(), "BitBtn6")->click(); // New with no profile at all
            QCOMPARE(Entries(*w).size(), 0);
            // An import that fills no field and attaches no message changes nothing.
            const std::string sub = At("old.sub");
            WriteBytes(sub, Crlf({"x", "t", "u", "$MEMO2$", "$MEMO3$", "$MEMO4$", "$MEMO7$"}) +
                                Crlf(siteherald::LineList(7)));
            FileDialogs::Script({QString::fromStdString(sub)});
            MenuItem(*w, "&File", "&Import")->trigger();
            QVERIFY(w->document().fileSaved());
        } else {
            QCOMPARE(MessageBoxes::Log()[0].icon, siteherald::MessageIcon::Error);
            QCOMPARE(IniReadString("Updates", file.toStdString(), ""), "1");
        }
    }

    void mandatoryUpgradeEndsStartUp() {
        Settings("[Updates]\nMDNV=5H2W8N1P6G3T9R\nNVD=ftp://upgrades.example/shupgrade.exe\n");
        MainWindow w;
        QVERIFY(w.quitRequested());
        QCOMPARE(BoxTexts(), QStringList{"You must download an upgrade to the version of "
                                         "Siteherald that you are using. Siteherald will not "
                                         "function properly until this has been done."});
        QCOMPARE(MessageBoxes::Log()[0].icon, siteherald::MessageIcon::Information);
        QTRY_COMPARE(ReadBytes(sandbox_->Bin("opened")), "ftp://upgrades.example/shupgrade.exe\n");
    }

    void saveAsWritesFileAndJoinsKnownList() {
        auto w = Start();
        QTest::keyClicks(Find<QLineEdit>(w.get(), "title"), "Harbour Kayaks");
        QVERIFY(!w->document().fileSaved());
        QTest::keyClicks(Find<QLineEdit>(w.get(), "url"), "kayaks.example/a:b");
        auto* desc1 = Find<QPlainTextEdit>(w.get(), "desc1");
        QTest::keyClicks(desc1, "Guided tours");
        QTest::keyClick(desc1, Qt::Key_Return);
        QTest::keyClicks(desc1, "Sea kayaks");

        const std::string path = At("kayaks.sdf");
        FileDialogs::Script({QString::fromStdString(path)});
        MenuItem(*w, "&File", "Save &As")->trigger();
        QCOMPARE(BoxTexts(), QStringList());
        QCOMPARE(ReadBytes(path), Crlf({"$PROFILE$DEFAULT",
                                        "title:Harbour Kayaks",
                                        "url:https://kayaks.example/a:b",
                                        "desc1:",
                                        "Guided tours",
                                        "Sea kayaks",
                                        "$desc1:",
                                        "keywo:",
                                        "desc2:",
                                        "$desc2:",
                                        "desc3:",
                                        "$desc3:",
                                        "name:",
                                        "email:",
                                        "busna:",
                                        "phone:",
                                        "addre:",
                                        "city:",
                                        "$FieldNames$",
                                        "title",
                                        "url",
                                        "desc1",
                                        "keywo",
                                        "desc2",
                                        "desc3",
                                        "name",
                                        "email",
                                        "busna",
                                        "phone",
                                        "addre",
                                        "city",
                                        "$FieldNames$"}));
        QVERIFY(w->document().fileSaved());
        QCOMPARE(w->document().currentFilePath(), path);
        QCOMPARE(Items(Find<QComboBox>(w.get(), "ComboBox1")),
                 QStringList{QString::fromStdString(path)});
        std::string profs = ReadBytes(kShippedData + "/profs.dat");
        profs.insert(profs.find("$sdffiles\r\n") + 11, path + "|kayaks.sdf|\r\n");
        QCOMPARE(ReadBytes(At("profs.dat")), profs);
        QCOMPARE(IniReadString("FileLay", "Profile", ""), "DEFAULT");

        // An edit in a memo counts as a change too; Save writes to the same path.
        QTest::keyClicks(desc1, "!");
        QVERIFY(!w->document().fileSaved());
        MenuItem(*w, "&File", "&Save")->trigger();
        QVERIFY(w->document().fileSaved());
        QVERIFY(ReadBytes(path).find("\r\nSea kayaks!\r\n$desc1:\r\n") != std::string::npos);
    }

    void openAsksToSaveTheEditedFile_data() {
        QTest::addColumn<Answer>("answer");
        QTest::newRow("yes") << Answer::Yes;
        QTest::newRow("no") << Answer::No;
        QTest::newRow("cancel") << Answer::Cancel;
    }

    void openAsksToSaveTheEditedFile() {
        QFETCH(Answer, answer);
        const std::string other = At("other.sdf");
        WriteBytes(other, Crlf({"$PROFILE$DEFAULT", "title:Other", "url:http://other.example:8080/",
                                "desc1:", "line one", "line two", "$desc1:", "$STARTHello",
                                "Subject: Hello", "$ENDHello", "$FieldNames$", "title", "url",
                                "desc1", "$FieldNames$"}));
        auto w = Start();
        const std::string edited = At("edited.sdf");
        auto* title = Find<QLineEdit>(w.get(), "title");
        QTest::keyClicks(title, "A");
        FileDialogs::Script({QString::fromStdString(edited)});
        MenuItem(*w, "&File", "Save &As")->trigger();
        const std::string savedBytes = ReadBytes(edited);
        QTest::keyClicks(title, "B");

        MessageBoxes::Script({answer});
        FileDialogs::Script({QString::fromStdString(other)});
        Find<QPushButton>(w.get(), "BitBtn7")->click();
        QCOMPARE(BoxTexts(), QStringList{kSaveQuestion});
        QCOMPARE(MessageBoxes::Log()[0].buttons, Buttons::YesNoCancel);

        if (answer == Answer::Cancel) {
            QCOMPARE(ReadBytes(edited), savedBytes);
            QCOMPARE(title->text(), "AB");
            QVERIFY(!w->document().fileSaved());
            QCOMPARE(w->document().currentFilePath(), edited);
            return;
        }
        const std::string titleLine = answer == Answer::Yes ? "title:AB\r\n" : "title:A\r\n";
        QVERIFY(ReadBytes(edited).find(titleLine) != std::string::npos);
        // Opening rebuilt the form: the old controls are gone.
        QCOMPARE(Find<QLineEdit>(w.get(), "title")->text(), "Other");
        QCOMPARE(Find<QLineEdit>(w.get(), "url")->text(), "http://other.example:8080/");
        QCOMPARE(Find<QPlainTextEdit>(w.get(), "desc1")->toPlainText(), "line one\nline two");
        QCOMPARE(Find<QLineEdit>(w.get(), "city")->text(), "");
        QCOMPARE(w->document().attachmentLines(),
                 (siteherald::LineList{"$STARTHello", "Subject: Hello", "$ENDHello"}));
        QVERIFY(w->document().fileSaved());
        QCOMPARE(w->document().currentFilePath(), other);
        QVERIFY(
            Items(Find<QComboBox>(w.get(), "ComboBox1")).contains(QString::fromStdString(other)));

        // Saved again unchanged, the file keeps its one message block and one name block.
        MenuItem(*w, "&File", "&Save")->trigger();
        const std::string bytes = ReadBytes(other);
        QVERIFY(bytes.find("\r\n$STARTHello\r\nSubject: Hello\r\n$ENDHello\r\n$FieldNames$\r\n") !=
                std::string::npos);
        QCOMPARE(QString::fromStdString(bytes).count("$FieldNames$"), 2);
    }

    void openWithMissingProfileFallsBackToDefault() {
        const std::string path = At("ghost.sdf");
        WriteBytes(path, Crlf({"$PROFILE$Ghost", "title:Ghost site", "Edit10:gone", "city:Oslo",
                               "$FieldNames$", "title", "None", "city", "$FieldNames$"}));
        auto w = Start();
        FileDialogs::Script({QString::fromStdString(path)});
        MenuItem(*w, "&File", "&Open")->trigger();
        QCOMPARE(BoxTexts(),
                 QStringList{"Could not find submission file's profile. Loading DEFAULT profile."});
        QCOMPARE(MessageBoxes::Log()[0].icon, siteherald::MessageIcon::Error);
        QCOMPARE(Find<QComboBox>(w.get(), "ComboBox4")->currentText(), "DEFAULT");
        QCOMPARE(Entries(*w).size(), 12);
        QCOMPARE(Find<QLineEdit>(w.get(), "title")->text(), "Ghost site");
        QCOMPARE(Find<QLineEdit>(w.get(), "city")->text(), "Oslo");
        QCOMPARE(Find<QLineEdit>(w.get(), "url")->text(), ""); // emptied, not the default
        MenuItem(*w, "&File", "&Save")->trigger();
        QVERIFY(ReadBytes(path).starts_with("$PROFILE$DEFAULT\r\ntitle:Ghost site\r\nurl:\r\n"));
    }

    void failedSaveKeepsTheEdits_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("missing folder") << "no-such-folder/site.sdf";
        QTest::newRow("folder") << "folder.sdf";
    }

    void failedSaveKeepsTheEdits() {
        QFETCH(QString, target);
        fs::create_directory(At("folder.sdf"));
        const QString path = QString::fromStdString(At(target.toStdString()));
        auto w = Start();
        auto* title = Find<QLineEdit>(w.get(), "title");
        QTest::keyClicks(title, "Unsaved");
        FileDialogs::Script({path});
        MenuItem(*w, "&File", "Save &As")->trigger();
        QCOMPARE(BoxTexts().size(), 1);
        QVERIFY2(BoxTexts()[0].contains(path), qPrintable(BoxTexts()[0]));
        QCOMPARE(MessageBoxes::Log()[0].icon, siteherald::MessageIcon::Error);
        QVERIFY(!w->document().fileSaved());
        QVERIFY(!w->document().fileHasName());
        QCOMPARE(Find<QComboBox>(w.get(), "ComboBox1")->count(), 0);

        // Yes to the save question, and the save fails or its dialog is cancelled: New
        // must not drop the edits.
        for (const QString& answerPath : {path, QString()}) {
            MessageBoxes::Script({Answer::Yes});
            FileDialogs::Script({answerPath});
            Find<QPushButton>(w.get(), "BitBtn6")->click();
            QCOMPARE(BoxTexts().first(), kSaveQuestion);
            QCOMPARE(title->text(), "Unsaved");
            QVERIFY(!w->document().fileSaved());
        }
    }

    // Two known files: the Promote tab stays active, "Edit File" opens the chosen one, and
    // a file that disappeared is dropped from the lists when chosen.
    void knownFilesAndTheCurrentFile() {
        const std::string a = At("a.sdf"), b = At("b.sdf");
        WriteBytes(
            a, Crlf({"$PROFILE$DEFAULT", "title:Alpha", "$FieldNames$", "title", "$FieldNames$"}));
        WriteBytes(b, Crlf({"$PROFILE$DEFAULT", "title:Beta"}));
        KnownFiles({b, a});
        auto w = Start();
        auto* tabs = Find<QTabWidget>(w.get(), "PageControl1");
        auto* combo1 = Find<QComboBox>(w.get(), "ComboBox1");
        auto* editFile = Find<QPushButton>(w.get(), "BitBtn17");
        QCOMPARE(tabs->currentWidget()->objectName(), "TabSheet1");
        QCOMPARE(Items(combo1),
                 (QStringList{QString::fromStdString(a), QString::fromStdString(b)}));
        QCOMPARE(Items(Find<QComboBox>(w.get(), "ComboBox9")), Items(combo1));
        QCOMPARE(combo1->currentIndex(), 0);
        QVERIFY(editFile->isEnabled());
        QCOMPARE(w->document().currentFileLines().at(1), "title:Alpha");

        editFile->click();
        QCOMPARE(tabs->currentWidget()->objectName(), "TabSheet2");
        QCOMPARE(Find<QLineEdit>(w.get(), "title")->text(), "Alpha");
        QCOMPARE(w->document().currentFilePath(), a);

        Choose(combo1, 1);
        QCOMPARE(w->document().currentFileLines().at(1), "title:Beta");
        // Back on Promote with another current file than the edited one.
        MessageBoxes::Script({Answer::Yes});
        tabs->setCurrentIndex(1);
        QCOMPARE(BoxTexts(), QStringList{"Change current submission file to file being edited?"});
        QCOMPARE(combo1->currentText(), QString::fromStdString(a));

        const std::string profs = ReadBytes(At("profs.dat"));
        fs::remove(b);
        MessageBoxes::Script();
        Choose(combo1, 1);
        QCOMPARE(Items(combo1), QStringList{QString::fromStdString(a)});
        QCOMPARE(Items(Find<QComboBox>(w.get(), "ComboBox9")), Items(combo1));
        // No other file looks current without being loaded.
        QCOMPARE(combo1->currentIndex(), -1);
        QCOMPARE(Find<QComboBox>(w.get(), "ComboBox9")->currentIndex(), -1);
        QCOMPARE(w->document().knownFiles(), std::vector<std::string>{a + "|a.sdf|"});
        QVERIFY(!editFile->isEnabled());
        QCOMPARE(BoxTexts(), QStringList());
        QCOMPARE(ReadBytes(At("profs.dat")), profs);

        Find<QPushButton>(w.get(), "BitBtn18")->click(); // "New File"
        QCOMPARE(tabs->currentWidget()->objectName(), "TabSheet2");
        QCOMPARE(Find<QLineEdit>(w.get(), "title")->text(), "");
        QCOMPARE(Find<QLineEdit>(w.get(), "url")->text(), "https://");
        QVERIFY(w->document().currentFilePath().empty() && !w->document().fileHasName() && w->document().fileSaved());

        // Without profs.dat, opening a file keeps both lists as they were.
        fs::remove(At("profs.dat"));
        const std::string early = At("0.sdf");
        WriteBytes(early, Crlf({"$PROFILE$DEFAULT"}));
        FileDialogs::Script({QString::fromStdString(early)});
        Find<QPushButton>(w.get(), "BitBtn7")->click();
        QCOMPARE(BoxTexts(), QStringList{kMissingFiles});
        QCOMPARE(w->document().knownFiles(), (std::vector<std::string>{early + "|0.sdf|", a + "|a.sdf|"}));
        QCOMPARE(Items(combo1), QStringList{QString::fromStdString(a)});
        Choose(combo1, 0);
        editFile->click(); // opens the file shown
        QCOMPARE(w->document().currentFilePath(), a);
    }

    // A file named on the command line relative to the folder the program was started in.
    void commandLineFileIsChosen() {
        const TempDir start;
        for (const char* name : {"a.sdf", "b.sdf"})
            WriteBytes(start / name, Crlf({"$PROFILE$DEFAULT"}));
        KnownFiles({start / "a.sdf", start / "b.sdf"});
        MainWindow w(siteherald::CommandLineFilePath("./b.sdf", start.path()));
        w.Start();
        QCOMPARE(Find<QComboBox>(&w, "ComboBox1")->currentText(),
                 QString::fromStdString(start / "b.sdf"));
    }

    void profileChoiceRebuildsTheForm() {
        WriteBytes(At("filelay.dat"), ReadBytes(At("filelay.dat")) + kShortProfile);
        auto w = Start();
        auto* combo4 = Find<QComboBox>(w.get(), "ComboBox4");
        QCOMPARE(Items(combo4), (QStringList{"DEFAULT", "Short"}));
        QTest::keyClicks(Find<QLineEdit>(w.get(), "title"), "typed");

        MessageBoxes::Script({Answer::Cancel});
        Choose(combo4, 1);
        QCOMPARE(BoxTexts(), QStringList{kSaveQuestion});
        QCOMPARE(combo4->currentIndex(), 0);
        QCOMPARE(Entries(*w).size(), 12);
        QCOMPARE(Find<QLineEdit>(w.get(), "title")->text(), "typed");
        QVERIFY(!w->document().fileSaved());

        MessageBoxes::Script({Answer::No});
        Choose(combo4, 1);
        QCOMPARE(EntryNames(*w), (QStringList{"title", "Memo10", "Edit11"}));
        const QList<QWidget*> entries = Entries(*w);
        QCOMPARE(entries[0]->geometry(), QRect(86, 8, 170, 21));
        QCOMPARE(entries[1]->geometry(), QRect(344, 8, 170, 49));
        QCOMPARE(entries[2]->geometry(), QRect(86, 60, 428, 21));
        QCOMPARE(qobject_cast<QPlainTextEdit*>(entries[1])->toPlainText(), "first");
        QCOMPARE(qobject_cast<QLineEdit*>(entries[0])->text(), "");
        QCOMPARE(w->document().fieldAutoFills(), (std::vector<std::string>{"title", "None", "None"}));
        QCOMPARE(w->document().loadedProfileIndex(), 1);
        QVERIFY(w->document().fileSaved());
    }

    void deleteProfile() {
        // Lines outside the sections stay where they are.
        const std::string head = "; layouts\r\n" + kShortProfile;
        WriteBytes(At("filelay.dat"), head + ReadBytes(At("filelay.dat")) + "; end\r\n");
        auto w = Start();
        auto* combo4 = Find<QComboBox>(w.get(), "ComboBox4");
        QCOMPARE(combo4->currentText(), "DEFAULT");
        QAction* remove = MenuItem(*w, "&Profiles", "&Delete");
        const std::string before = ReadBytes(At("filelay.dat"));

        remove->trigger(); // No
        QCOMPARE(BoxTexts(), QStringList{"Delete DEFAULT?"});
        QCOMPARE(MessageBoxes::Log()[0].icon, siteherald::MessageIcon::Confirmation);
        QCOMPARE(ReadBytes(At("filelay.dat")), before);

        MessageBoxes::Script({Answer::Yes});
        remove->trigger();
        QCOMPARE(BoxTexts(), QStringList{"Delete DEFAULT?"});
        QCOMPARE(ReadBytes(At("filelay.dat")), head + "; end\r\n");
        QCOMPARE(Items(combo4), QStringList{"Short"});
        QCOMPARE(EntryNames(*w), (QStringList{"title", "Memo10", "Edit11"}));

        MessageBoxes::Script();
        Find<QMenu>(w.get(), "PopupMenu3")->actions().at(1)->trigger();
        QCOMPARE(BoxTexts(), QStringList{"You must have at least one profile remaining."});
        QCOMPARE(MessageBoxes::Log()[0].icon, siteherald::MessageIcon::Warning);
        QCOMPARE(ReadBytes(At("filelay.dat")), head + "; end\r\n");
    }

    void closeAsksToSaveAndStoresTheState() {
        WriteBytes(At("filelay.dat"), ReadBytes(At("filelay.dat")) + kShortProfile);
        WriteBytes(At("a.sdf"), Crlf({"$PROFILE$DEFAULT"}));
        KnownFiles({At("a.sdf")});
        auto w = Start();
        QVERIFY(w->isMaximized());
        Choose(Find<QComboBox>(w.get(), "ComboBox4"), 1);
        QTest::keyClicks(Find<QLineEdit>(w.get(), "title"), "unsaved");

        MessageBoxes::Script({Answer::Cancel});
        QVERIFY(!w->close());
        QVERIFY(w->isVisible());
        QCOMPARE(BoxTexts(), QStringList{kSaveQuestion});
        QCOMPARE(IniReadString("Main", "WindowSate", ""), "");

        MessageBoxes::Script({Answer::No});
        w->showNormal();
        QVERIFY(w->close());
        QCOMPARE(IniReadString("Main", "WindowSate", ""), "wsNormal");
        QCOMPARE(IniReadString("FileLay", "Profile", ""), "Short");
        QVERIFY(ReadBytes(At("profs.dat")).find("$sdffiles\r\n" + At("a.sdf") + "|a.sdf|\r\n") !=
                std::string::npos);
    }

    // In the normal state every tab shows all of its controls; the normal size and position are
    // kept between runs, unless too small or off every screen.
    void normalWindowFitsEveryTab() {
        Settings("WindowSate=wsNormal\nWindowSize=10x10\nWindowPos=-9000,20\n");
        auto w = Start();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()) && !w->isMaximized());
        QVERIFY(w->x() >= 0 && !Find<QWidget>(w.get(), "Panel15")->isVisible());
        auto* tabs = Find<QTabWidget>(w.get(), "PageControl1");
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            QList<QScrollArea*> areas = tabs->widget(i)->findChildren<QScrollArea*>();
            for (QScrollArea* area : areas << qobject_cast<QScrollArea*>(tabs->widget(i))) {
                QTRY_VERIFY(area->widget()->isVisible());
                QVERIFY2(!area->horizontalScrollBar()->isVisible() &&
                             !area->verticalScrollBar()->isVisible(),
                         qPrintable(area->objectName()));
            }
        }
        const QRect normal = w->geometry().adjusted(7, 5, 18, 8);
        w->setGeometry(normal);
        QVERIFY(w->close());
        QCOMPARE(IniReadString("Main", "WindowPos", ""),
                 QStringLiteral("%1,%2").arg(normal.x()).arg(normal.y()).toStdString());
        w = Start();
        QCOMPARE(w->geometry(), normal);
    }

    void addFilesDialogAddsAFolder() {
        const TempDir sites;
        WriteBytes(sites / "b.sdf", "$PROFILE$DEFAULT\r\n");
        WriteBytes(sites / "a.sdf", "$PROFILE$DEFAULT\r\n");
        WriteBytes(sites / "notes.txt", "");
        fs::create_directory(sites / "empty");
        auto w = Start();
        auto* dialog = Find<AddFilesDialog>(w.get(), "TForm6");
        QCOMPARE(dialog->windowTitle(), "Add Submission Files");
        auto* add = Find<QPushButton>(dialog, "Button1");
        QCOMPARE(add->text(), "&Add");

        dialog->SelectFolder(QString::fromStdString(sites / "empty"));
        QVERIFY(!add->isEnabled());
        dialog->SelectFolder(QString::fromStdString(sites.path()));
        QCOMPARE(dialog->selectedFolder(), QString::fromStdString(sites.path()));
        QVERIFY(add->isEnabled());
        dialog->onAddClicked();
        dialog->onAddClicked(); // files already added are skipped
        const std::vector<std::string> expected{sites / "a.sdf" + "|a.sdf|",
                                                sites / "b.sdf" + "|b.sdf|"};
        QCOMPARE(w->document().knownFiles(), expected);
        QCOMPARE(Find<QListWidget>(dialog, "ListBox1")->count(), 2);
        QVERIFY(w->document().filesAdded());

        dialog->onCloseClicked();
        QCOMPARE(ReadBytes(At("profs.dat")),
                 Crlf({"$AutoFill", "addre", "busna", "city", "desc1", "desc2", "desc3", "email",
                       "keywo", "name", "phone", "title", "url", "$AutoFill", "$sdffiles",
                       expected[0].c_str(), expected[1].c_str(), "$sdffiles"}));
        QCOMPARE(Find<QComboBox>(w.get(), "ComboBox1")->count(), 2);
        QVERIFY(!w->document().filesAdded());
    }

    // "&Close" writes the list alone, even an empty one.
    void addFilesDialogCloseWritesAnEmptyList() {
        KnownFiles({At("gone.sdf")});
        auto w = Start();
        QCOMPARE(Find<QComboBox>(w.get(), "ComboBox1")->count(), 0); // dropped when chosen
        Find<AddFilesDialog>(w.get(), "TForm6")->onCloseClicked();
        const std::string profs = ReadBytes(At("profs.dat"));
        QCOMPARE(QString::fromStdString(profs.substr(profs.find("$sdffiles"))),
                 "$sdffiles\r\n$sdffiles\r\n");
        QCOMPARE(IniReadString("FileLay", "Profile", "unset"), "unset");
    }

    void screenshot() {
        auto w = Start();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QTest::qWait(200); // the scroll box settles its scroll bars after the first layout
        QDir().mkpath(SITEHERALD_SCREENSHOT_DIR);
        const QString dir = QStringLiteral(SITEHERALD_SCREENSHOT_DIR "/");
        QVERIFY(w->grab().save(dir + "main_window.png"));
        Find<QTabWidget>(w.get(), "PageControl1")->setCurrentIndex(1);
        QVERIFY(w->grab().save(dir + "main_window_promote.png"));
    }
};

QTEST_MAIN(WindowTest)
#include "main_window_test.moc"
