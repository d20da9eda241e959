// The main window: start-up and shut-down, the submission data files, the profiles and the
// "Add Submission Files" dialog, driven through the real widgets with scripted message boxes
// and file dialogs, checked against the files on disk. Holds the program's main.

#include "core/known_files.h"
#include "ui/add_files_dialog.h"
#include "window_test_support.h"

namespace {

const std::string kShortProfile = "$STARTShort\r\n1\r\nE|HALF|Site Title|title||\r\n"
                                  "M|HALF|Notes|None|first|\r\n1\r\n2\r\n"
                                  "E|WHOLE|Extra|None|x|\r\n2\r\n$ENDShort\r\n";
const char* const kMissingFiles = "Siteherald could not find one or more neccessary files. "
                                  "Please select Update from the file menu to download them.";
const char* const kSaveQuestion = "Save changes to current submission data file?";

// Each entry of the form as "name left,top,width,height".
QStringList Placed(const MainWindow& w) {
    QStringList placed;
    for (QWidget* e : Find<QScrollArea>(&w, "ScrollBox1")->widget()->findChildren<QWidget*>())
        if (qobject_cast<QLineEdit*>(e) || qobject_cast<QPlainTextEdit*>(e))
            placed << e->objectName() + QString::asprintf(" %d,%d,%d,%d", e->x(), e->y(),
                                                          e->width(), e->height());
    return placed;
}

QString Text(const MainWindow& w, const char* name) {
    return Find<QLineEdit>(&w, name)->text();
}

} // namespace

class MainWindowTest : public WindowTest {
    Q_OBJECT

private slots:
    // A missing file is marked for the next update, a damaged one is left as it is; GO on the
    // listed engine whose record has no submission address opens nothing.
    void startsWithMissingOrDamagedDataFile() {
        const QString damaged = " holds no valid %1; it may be damaged.";
        for (const auto& [file, bytes, boxes] : // bytes written as the file; none: it is removed
             std::initializer_list<
                 std::tuple<std::string, std::optional<std::string>, QStringList>>{
                 {"sedata.dat", {}, {kMissingFiles}},
                 {"profs.dat", {}, {kMissingFiles}},
                 {"filelay.dat", {}, {}},
                 {"sedata.dat",
                  "$Cut$\r\nCut|\r\n$Cut$\r\nCu",
                  {"sedata.dat" + damaged.arg("search-engine record"),
                   "The record of Cut in sedata.dat is damaged."}},
                 {"profs.dat",
                  std::string("\0\0\0\0", 4),
                  {"profs.dat" + damaged.arg("auto-fill or submission-file list")}},
                 {"filelay.dat",
                  "1\r\nE|WHOLE|Title|title||\r\n1\r\n$ENDDEF",
                  {"filelay.dat" + damaged.arg("profile")}}}) {
            sandbox_.emplace();
            fs::remove(At(file));
            if (bytes)
                WriteBytes(At(file), *bytes);
            auto w = Start();
            if (file == "sedata.dat")
                Click(w.get(), "BitBtn4");
            QCOMPARE(BoxTexts(), boxes);
            QCOMPARE(Placed(*w).size(), file == "filelay.dat" ? 0 : 12);
            QVERIFY(w->close());
            if (bytes)
                QCOMPARE(ReadBytes(At(file)), *bytes);
            else if (file != "filelay.dat")
                QCOMPARE(IniReadString("Updates", file, ""), "1");
        }
    }

    // From the shipped data: Save As writes the file and adds it to the known files; Open asks
    // about an edit in a memo, saves it to the same path on Yes and rebuilds the form. (The other
    // answers: tests/core.)
    void savesAndOpensSubmissionFiles() {
        auto w = Start();
        for (QAction* menu : w->menuBar()->actions()) // every menu command works
            for (QAction* item : menu->menu()->actions())
                QVERIFY2(item->isSeparator() || item->isEnabled() ||
                             QString("&Copy to Clipboard|&Logs|&Window").contains(menu->text()),
                         qPrintable(menu->text() + " " + item->text()));
        QTest::keyClicks(Find<QLineEdit>(w.get(), "title"), "Harbour Kayaks");
        QTest::keyClicks(Find<QLineEdit>(w.get(), "url"), "kayaks.example/a:b");
        auto* desc1 = Find<QPlainTextEdit>(w.get(), "desc1");
        QTest::keyClicks(desc1, "Guided tours");
        QTest::keyClick(desc1, Qt::Key_Return);
        QTest::keyClicks(desc1, "Sea kayaks");
        const std::string path = At("kayaks.sdf"), other = At("other.sdf");
        FileDialogs::Script({QString::fromStdString(path)});
        MenuItem(*w, "&File", "Save &As")->trigger();
        QCOMPARE(ReadBytes(path),
                 CrlfOf("$PROFILE$DEFAULT|title:Harbour Kayaks|url:https://kayaks.example/a:b|"
                        "desc1:|Guided tours|Sea kayaks|$desc1:|keywo:|desc2:|$desc2:|desc3:|"
                        "$desc3:|name:|email:|busna:|phone:|addre:|city:|$FieldNames$|title|url|"
                        "desc1|keywo|desc2|desc3|name|email|busna|phone|addre|city|$FieldNames$"));
        std::string profs = ReadBytes(SITEHERALD_SHIPPED_DATA_DIR "/profs.dat");
        QCOMPARE(ReadBytes(At("profs.dat")),
                 profs.insert(profs.find("$sdffiles\r\n") + 11, path + "|kayaks.sdf|\r\n"));
        QCOMPARE(IniReadString("FileLay", "Profile", ""), "DEFAULT");
        QTest::keyClicks(desc1, "?");
        WriteBytes(other, CrlfOf("$PROFILE$DEFAULT|title:Other|url:http://other.example:8080/|"
                                 "desc1:|line one|line two|$desc1:|$FieldNames$|title|url|desc1|"
                                 "$FieldNames$"));
        MessageBoxes::Script({Answer::Yes});
        FileDialogs::Script({QString::fromStdString(other)});
        Click(w.get(), "BitBtn7");
        QCOMPARE(BoxTexts(), QStringList{kSaveQuestion});
        QVERIFY(ReadBytes(path).find("\r\nSea kayaks?\r\n$desc1:\r\n") != std::string::npos);
        QCOMPARE(Text(*w, "title") + "|" + Text(*w, "url") + "|" + Text(*w, "city") + "|" +
                     Find<QPlainTextEdit>(w.get(), "desc1")->toPlainText(),
                 "Other|http://other.example:8080/||line one\nline two");
        QVERIFY(w->document().fileSaved() && w->document().currentFilePath() == other);
    }

    // Two known files: the Promote tab stays active, "Edit File" opens the chosen one, a file
    // that disappeared is dropped from the lists when chosen, leaving none looking current.
    void knownFilesAndTheCurrentFile() {
        const std::string a = At("a.sdf"), b = At("b.sdf");
        WriteBytes(a, CrlfOf("$PROFILE$DEFAULT|title:Alpha|$FieldNames$|title|$FieldNames$"));
        WriteBytes(b, CrlfOf("$PROFILE$DEFAULT|title:Beta"));
        KnownFiles({b, a});
        auto w = Start();
        auto* tabs = Find<QTabWidget>(w.get(), "PageControl1");
        auto* combo1 = Find<QComboBox>(w.get(), "ComboBox1");
        auto* combo9 = Find<QComboBox>(w.get(), "ComboBox9");
        auto* editFile = Find<QPushButton>(w.get(), "BitBtn17");
        QCOMPARE(tabs->currentWidget()->objectName(), "TabSheet1");
        QCOMPARE(Items(combo1),
                 (QStringList{QString::fromStdString(a), QString::fromStdString(b)}));
        editFile->click();
        QCOMPARE(tabs->currentWidget()->objectName(), "TabSheet2");
        QCOMPARE(Text(*w, "title"), "Alpha");
        Select(combo1, 1);
        QCOMPARE(w->document().currentFileLines().at(1), "title:Beta");
        const std::string profs = ReadBytes(At("profs.dat"));
        fs::remove(b);
        Select(combo1, 1);
        QCOMPARE(Items(combo1), QStringList{QString::fromStdString(a)});
        QCOMPARE(Items(combo9), Items(combo1));
        QCOMPARE(combo1->currentIndex() + combo9->currentIndex(), -2); // none looks current
        QCOMPARE(w->document().knownFiles(), std::vector<std::string>{a + "|a.sdf|"});
        QCOMPARE(ReadBytes(At("profs.dat")), profs);
        // Without profs.dat, opening a file keeps both lists as they were.
        fs::remove(At("profs.dat"));
        WriteBytes(At("0.sdf"), Crlf({"$PROFILE$DEFAULT"}));
        FileDialogs::Script({QString::fromStdString(At("0.sdf"))});
        Click(w.get(), "BitBtn7");
        QCOMPARE(BoxTexts(), QStringList{kMissingFiles});
        QCOMPARE(w->document().knownFiles(),
                 (std::vector<std::string>{At("0.sdf") + "|0.sdf|", a + "|a.sdf|"}));
        QCOMPARE(Items(combo1), QStringList{QString::fromStdString(a)});
        Select(combo1, 0);
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

    // Choosing a profile asks about the edits and rebuilds the form; closing stores the profile
    // and the window state. Deleting asks first, keeps the lines outside the sections and the
    // last profile.
    void profilesChosenDeletedAndStored() {
        const std::string shipped = ReadBytes(At("filelay.dat"));
        WriteBytes(At("filelay.dat"), "; layouts\r\n" + kShortProfile + shipped + "; end\r\n");
        WriteBytes(At("a.sdf"), Crlf({"$PROFILE$DEFAULT"}));
        KnownFiles({At("a.sdf")}); // the profile is stored with the known files
        auto w = Start();
        QTest::keyClicks(Find<QLineEdit>(w.get(), "title"), "typed");
        MessageBoxes::Script({Answer::No});
        Select(Find<QComboBox>(w.get(), "ComboBox4"), "Short");
        QCOMPARE(BoxTexts(), QStringList{kSaveQuestion});
        QCOMPARE(Placed(*w),
                 QString("title 86,8,170,21|Memo10 344,8,170,49|Edit11 86,60,428,21").split('|'));
        QVERIFY(w->close());
        QCOMPARE(IniReadString("Main", "WindowSate", ""), "wsMaximized");
        QCOMPARE(IniReadString("FileLay", "Profile", ""), "Short");
        w = Start();
        MessageBoxes::Script({Answer::Yes, Answer::Yes});
        MenuItem(*w, "&Profiles", "&Delete")->trigger();
        QCOMPARE(ReadBytes(At("filelay.dat")), "; layouts\r\n" + shipped + "; end\r\n");
        QCOMPARE(Items(Find<QComboBox>(w.get(), "ComboBox4")), QStringList{"DEFAULT"});
        QCOMPARE(Placed(*w).size(), 12);
        Find<QMenu>(w.get(), "PopupMenu3")->actions().at(1)->trigger();
        QCOMPARE(BoxTexts(),
                 (QStringList{"Delete Short?", "You must have at least one profile remaining."}));
    }

    // In the normal state every tab shows all of its controls; the normal size and position are
    // kept between runs, unless too small or off every screen.
    void normalWindowFitsEveryTab() {
        sandbox_->Settings("WindowSate=wsNormal\nWindowSize=10x10\nWindowPos=-9000,20\n");
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
        QCOMPARE(IniReadString("Main", "WindowSize", ""),
                 QStringLiteral("%1x%2").arg(normal.width()).arg(normal.height()).toStdString());
        QCOMPARE(Start()->geometry(), normal);
    }

    // A folder's .sdf files are added once each (a known file that disappeared is dropped when
    // chosen at start); Esc writes profs.dat; after the title bar's close the files added are
    // written with the next write.
    void addFilesDialog() {
        const TempDir sites;
        for (const char* name : {"b.sdf", "a.sdf", "notes.txt"})
            WriteBytes(sites / name, "$PROFILE$DEFAULT\r\n");
        WriteBytes(At("c.sdf"), "$PROFILE$DEFAULT\r\n");
        KnownFiles({At("gone.sdf")});
        auto w = Start();
        const std::vector<std::string> added{sites / "a.sdf" + "|a.sdf|",
                                             sites / "b.sdf" + "|b.sdf|"};
        auto dialog = OnModal<AddFilesDialog>([&](AddFilesDialog* d) {
            d->SelectFolder(QString::fromStdString(sites.path()));
            d->onAddClicked();
            d->onAddClicked(); // files already added are skipped
            QCOMPARE(w->document().knownFiles(), added);
            QTest::keyClick(d, Qt::Key_Escape);
        });
        MenuItem(*w, "&File", "A&dd")->trigger();
        QVERIFY(*dialog);
        const std::string profs = CrlfOf("$AutoFill|addre|busna|city|desc1|desc2|desc3|email|"
                                         "keywo|name|phone|title|url|$AutoFill|$sdffiles") +
                                  Crlf({added[0], added[1], "$sdffiles"});
        QCOMPARE(ReadBytes(At("profs.dat")), profs);
        dialog = OnModal<AddFilesDialog>([&](AddFilesDialog* d) {
            d->SelectFolder(QString::fromStdString(fs::path(At("c.sdf")).parent_path()));
            d->onAddClicked();
            d->close();
        });
        MenuItem(*w, "&File", "A&dd")->trigger();
        QVERIFY(*dialog);
        QCOMPARE(ReadBytes(At("profs.dat")), profs);
        w->activateWindow();
        QTRY_COMPARE(Find<QComboBox>(w.get(), "ComboBox1")->count(), 3);
        QVERIFY(w->close());
        QVERIFY(ReadBytes(At("profs.dat")).find(At("c.sdf") + "|c.sdf|") != std::string::npos);
    }
};
WINDOW_TEST_AREA(MainWindowTest, "window");

int main(int argc, char** argv) {
    return RunArea(argc, argv);
}

#include "main_window_test.moc"
