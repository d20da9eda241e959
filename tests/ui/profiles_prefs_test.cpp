// The profile editor, Preferences and File > Import, driven through the real widgets with
// scripted message boxes and file dialogs, checked against the files on disk.

#include "keyring/keyring.h"
#include "ui/field_form.h"
#include "ui/preferences_dialog.h"
#include "ui/profile_editor.h"
#include "window_test_support.h"

#include <QRadioButton>

namespace {

const std::string kShortProfile = "$STARTShort\r\n1\r\nE|WHOLE|Only|None||\r\n1\r\n$ENDShort\r\n";
const QString kProfileQuestion = "Save changes to the current profile?";
const QString kReload = "The current profile has changed. Reload profile?";

// Runs `act` on the profile editor once its loop runs; an editor left open is closed without
// the question about unsaved changes.
auto OnEditor(std::function<void(ProfileEditor*)> act) {
    return OnModal<ProfileEditor>(std::move(act), [](ProfileEditor* e) { e->ProfileSaved = true; });
}

void Choose(QComboBox* combo, const QString& text) {
    combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly));
}

// One row into the editor's boxes: "type;name;default;auto fill" per field, no field two for
// a whole row.
void EnterRow(ProfileEditor* e, const QString& one, const QString& two = {}) {
    const QStringList a = one.split(';'), b = two.split(';');
    e->halfSizeCheck_->setChecked(!two.isEmpty());
    Choose(e->typeOneCombo_, a[0]);
    e->nameOneEdit_->setText(a[1]);
    e->defaultOneEdit_->setText(a[2]);
    Choose(e->autoFillOneCombo_, a[3]);
    if (two.isEmpty())
        return;
    Choose(e->typeTwoCombo_, b[0]);
    e->nameTwoEdit_->setText(b[1]);
    e->defaultTwoEdit_->setText(b[2]);
    Choose(e->autoFillTwoCombo_, b[3]);
}

// An older submission file of 28 lines (N): the message ends at N-14, then the contact
// lines by position.
const QStringList kSubLines =
    QString("SHSUB|Harbour Kayaks|https://kayaks.example/|Guided sea kayak tours|along the coast."
            "|$MEMO2$|kayak|tours|$MEMO3$|Rentals by the day.|$MEMO4$|$MEMO7$|Hello,"
            "|please list our site.|Regards|ann@kayaks.example|Ann Berg|Norway|9008|fax|"
            "|1 Quay Street|Tromso|Harbour Kayaks AS|+47 555 0100|||")
        .split('|');

} // namespace

class ProfilesPrefsTest : public WindowTest {
    Q_OBJECT

private slots:
    // Bad rows are refused; rows added (pasted line breaks stored as spaces), edited by a double
    // click and cancelled, edited and removed (the boxes kept); Yes to the close question while
    // a row is edited says why the save is refused; a taken name is refused; the profile saved
    // at the end.
    void editorBuildsAndSavesANewProfile() {
        auto w = Start();
        const std::string shipped = ReadBytes(At("filelay.dat"));
        const auto editor = OnEditor([&](ProfileEditor* e) {
            e->saveProfileButton_->click();
            const QString pipe = "Names and Default Values cannot contain a \"|\".";
            const QString comma = "Names and Default Values cannot contain a \",\".";
            const QString noName = "Please type in a name for each field.";
            // Field two of a whole row counts in the auto-fill and comma checks only.
            for (const auto& [half, one, two] :
                 std::initializer_list<std::tuple<bool, QString, QString>>{
                     {true, "Edit;a,|;;None", "Edit;B;;title"}, // before the comma check
                     {false, "Edit;A;;title", "Edit;B|;|;title"},
                     {false, "Edit;A;;None", "Edit;B,|;;None"},
                     {true, "Edit;;;None", "Edit;B;;None"}}) {
                EnterRow(e, one, two);
                e->halfSizeCheck_->setChecked(half);
                e->addRowButton_->click();
            }
            QCOMPARE(BoxTexts(),
                     (QStringList{"You must add at least one row of fields before saving.", pipe,
                                  "Each AutoFill value can only be used once.", comma, noName}));
            EnterRow(e, "Edit;Site\nTitle;My\nsite;title", "Memo;Notes;n;None");
            e->addRowButton_->click();
            EnterRow(e, "Memo;About;;desc1");
            e->addRowButton_->click();
            const QRect first = e->rowList_->visualItemRect(e->rowList_->item(0));
            QTest::mouseDClick(e->rowList_->viewport(), Qt::LeftButton, {}, first.center());
            e->nameOneEdit_->setText("Changed");
            e->cancelRowButton_->click();
            // Loaded again and kept by OK unchanged: every box was loaded, the change cancelled.
            QTest::mouseDClick(e->rowList_->viewport(), Qt::LeftButton, {}, first.center());
            e->addRowButton_->click();
            e->rowList_->setCurrentRow(1);
            e->editRowButton_->click();
            e->nameOneEdit_->setText("Summary");
            Choose(e->autoFillOneCombo_, "None");
            e->addRowButton_->click(); // OK
            QCOMPARE(e->ProfileRows.at(5), "M|WHOLE|Summary|None||");
            EnterRow(e, "Edit;Phone;;phone", "Edit;City;;city");
            e->addRowButton_->click();
            e->rowList_->setCurrentRow(1);
            MessageBoxes::Script({Answer::No, Answer::Yes});
            e->removeRowButton_->click();
            e->nameOneEdit_->setText("Typed");
            e->removeRowButton_->click();
            QCOMPARE(BoxTexts(), QStringList(2, "Remove Row #2"));
            QCOMPARE(e->nameOneEdit_->text(), "Typed"); // removing keeps the field boxes
            QCOMPARE(Items(e->rowList_),
                     (QStringList{"Row 1: Site Title, Notes", "Row 2: Phone, City"}));
            e->rowList_->setCurrentRow(0);
            e->editRowButton_->click();
            MessageBoxes::Script({Answer::Yes});
            e->reject();
            QCOMPARE(BoxTexts(), (QStringList{kProfileQuestion,
                                              "You give this profile a name before saving."}));
            QVERIFY(e->isVisible());
            if (e->cancelRowButton_->isVisible())
                e->cancelRowButton_->click();
            MessageBoxes::Script();
            QTest::keyClicks(e->profileNameEdit_, "DEFAULT");
            e->saveProfileButton_->click();
            QCOMPARE(BoxTexts(), QStringList{"That profile name is already taken."});
            QCOMPARE(ReadBytes(At("filelay.dat")), shipped);
            e->profileNameEdit_->setText("Kayaks");
            MessageBoxes::Script();
            e->saveProfileButton_->click();
            e->reject();
            QVERIFY(!e->isVisible());
            QCOMPARE(BoxTexts(), QStringList());
        });
        MenuItem(*w, "&Profiles", "&Add")->trigger();
        QVERIFY(*editor);
        QCOMPARE(ReadBytes(At("filelay.dat")),
                 shipped + Crlf({"$STARTKayaks", "1", "E|HALF|Site Title|title|My site|",
                                 "M|HALF|Notes|None|n|", "1", "2", "E|HALF|Phone|phone||",
                                 "E|HALF|City|city||", "2", "$ENDKayaks"}));
        auto* profiles = Find<QComboBox>(w.get(), "ComboBox4");
        QCOMPARE(Items(profiles).join(',') + "|" + profiles->currentText(),
                 "DEFAULT,Kayaks|DEFAULT");
        QTRY_COMPARE(BoxTexts(), QStringList{kReload});
    }

    // filelay.dat is kept with LF endings here, so that the rewrite on close shows.
    void editorAsksBeforeClosing() {
        const std::string crlf = ReadBytes(At("filelay.dat")) + kShortProfile;
        const QString lf = QString::fromStdString(crlf).replace("\r\n", "\n");
        for (const Answer answer : {Answer::Yes, Answer::No, Answer::Cancel}) {
            WriteBytes(At("filelay.dat"), lf.toStdString());
            MessageBoxes::Script();
            auto w = Start();
            const auto editor = OnEditor([&](ProfileEditor* e) {
                QCOMPARE(e->profileNameEdit_->text() + e->rowNumberLabel_->text(), "DEFAULT10");
                EnterRow(e, "Edit;Fax;;None");
                e->addRowButton_->click();
                e->rowList_->setCurrentRow(0);
                e->editRowButton_->click(); // the question comes while row 1 is being edited
                MessageBoxes::Script({answer, Answer::Yes});
                e->reject();
                QCOMPARE(BoxTexts().value(0), kProfileQuestion);
                QCOMPARE(e->isVisible(), answer == Answer::Cancel);
                if (answer == Answer::Cancel)
                    QCOMPARE(QString::fromStdString(ReadBytes(At("filelay.dat"))), lf);
            });
            Find<QMenu>(w.get(), "PopupMenu3")->actions().at(2)->trigger(); // "&Edit Profile"
            QVERIFY(*editor);
            if (answer == Answer::No) {
                QCOMPARE(ReadBytes(At("filelay.dat")), crlf);
                QTest::qWait(300);
                QCOMPARE(BoxTexts(), QStringList{kProfileQuestion});
            } else if (answer == Answer::Yes) {
                // The edited profile is now the last section, and the one loaded.
                QCOMPARE(w->document().loadedProfileIndex(), 1);
                std::string defaultSection = crlf.substr(0, crlf.size() - kShortProfile.size());
                defaultSection.insert(defaultSection.rfind("$ENDDEFAULT"),
                                      "10\r\nE|WHOLE|Fax|None||\r\n10\r\n");
                QCOMPARE(ReadBytes(At("filelay.dat")), kShortProfile + defaultSection);
                QTRY_COMPARE(BoxTexts().size(), 2);
                QCOMPARE(BoxTexts()[1], kReload);
                QCOMPARE(Find<FieldForm>(w.get(), "ScrollBox1")->fieldCount(), 13);
            }
        }
    }

    // Each bad browser program is refused with the focus put in its
    // box; Cancel keeps the settings file, Enter writes every box to it, and the values stored
    // are shown again (Enter rewrites them unchanged). Without a Secret Service the password
    // box says the keyring cannot be read.
    void preferences() {
        sandbox_->AddToPath("navigator", "exit 0\n");
        const std::string navigator = sandbox_->Bin("navigator");
        WriteBytes(At("plain"), "#!/bin/sh\n");
        fs::create_directory(At("browsers"));
        auto w = Start();
        const std::string ini = ReadBytes(sandbox_->IniPath());
        for (int round = 0; round < 3; ++round) {
            const auto dialog = OnModal<PreferencesDialog>([&](PreferencesDialog* d) {
                QLineEdit* edits[] = {d->navigatorPathEdit_, d->explorerPathEdit_,
                                      d->otherBrowserPathEdit_};
                for (const auto& [box, bad] : std::initializer_list<std::pair<int, const char*>>{
                         {0, ""}, {1, "gone"}, {2, "plain"}, {3, "browsers"}}) {
                    if (round > 0)
                        break;
                    for (QLineEdit* edit : edits)
                        edit->setText(edit == edits[0] ? QString::fromStdString(navigator) : "");
                    Choose(d->defaultBrowserCombo_,
                           box ? "Netscape Navigator" : "Internet Explorer");
                    if (box > 0)
                        edits[box - 1]->setText(QString::fromStdString(At(bad)));
                    d->tabs_->setCurrentIndex(3);
                    d->okButton_->click();
                    QVERIFY(d->isVisible());
                    if (box > 0)
                        QCOMPARE(d->focusWidget(), edits[box - 1]);
                }
                if (round < 2) {
                    d->navigatorPathEdit_->setText(QString::fromStdString(navigator));
                    d->otherBrowserPathEdit_->setText("/usr/bin/true");
                    Choose(d->defaultBrowserCombo_, "Other Browser");
                    d->fillFormsCheck_->setChecked(false);
                    d->mailServerEdit_->setText("mail.example.org:587");
                    d->newsServerEdit_->setText("news.example.org:119");
                    Choose(d->mailSecurityCombo_, "STARTTLS (required)");
                    d->mailUserEdit_->setText("ann");
                    d->senderNameEdit_->setText("Ann Berg");
                    d->senderEmailEdit_->setText("ann@kayaks.example");
                    d->updateAutomaticallyRadio_->setChecked(true);
                }
                if (round == 2)
                    QCOMPARE(d->mailPasswordEdit_->placeholderText(), "The keyring cannot be read");
                round == 0 ? d->cancelButton_->click()
                           : QTest::keyClick(d->senderEmailEdit_, Qt::Key_Return);
                QVERIFY(!d->isVisible());
            });
            MenuItem(*w, "&Options", "&Preferences")->trigger();
            QVERIFY(*dialog);
            const std::string saved =
                "\n[Submissions]\nExternalFill=0\n\n[Browsers]\nNetscape Navigator=" + navigator +
                "\nInternet Explorer=\nOther Browser=/usr/bin/true\nDefault=Other Browser\n\n"
                "[Identity]\nName=Ann Berg\nEmail=ann@kayaks.example\nMailServer=mail.example.org:"
                "587\nNewsServer=news.example.org:119\nMailSecurity=starttls\nMailUser=ann\nNews"
                "Security=auto\nNewsUser=\n\n[Updates]\nAutomate=1\nAsk=0\nSkip=0\n";
            QCOMPARE(ReadBytes(sandbox_->IniPath()), round == 0 ? ini : ini + saved);
        }
        const QString refusal = "Please choose a valid executable for %1 or leave the field blank.";
        QCOMPARE(BoxTexts(),
                 (QStringList{"Please choose a valid executable for the default browser. (Internet "
                              "Explorer)",
                              refusal.arg("Netscape Navigator"), refusal.arg("Internet Explorer"),
                              refusal.arg("Other Browser")}));
    }

    // Run by ctest as ui_keyring, in a Secret Service of its own (keyring_test.sh): a typed
    // password goes to the keyring under the server's entry, never to the settings file, and is
    // never shown again; an empty box keeps it; a password needs a user name.
    void preferencesKeepPasswordsInTheKeyring() {
        if (qEnvironmentVariableIsEmpty("SITEHERALD_TEST_KEYRING"))
            QSKIP("needs the Secret Service of tests/ui/keyring_test.sh");
        auto w = Start();
        for (int round = 0; round < 2; ++round) {
            const auto dialog = OnModal<PreferencesDialog>([&](PreferencesDialog* d) {
                QCOMPARE(d->mailPasswordEdit_->text(), "");
                QCOMPARE(d->mailPasswordEdit_->echoMode(), QLineEdit::Password);
                QCOMPARE(d->mailPasswordEdit_->placeholderText(),
                         round ? "A password is stored" : "No password stored");
                if (round == 0) {
                    d->navigatorPathEdit_->setText("/usr/bin/true");
                    d->mailServerEdit_->setText("mail.example.org");
                    Choose(d->mailSecurityCombo_, "TLS from the start");
                    QTest::keyClicks(d->mailUserEdit_, "ann");
                    QTest::keyClicks(d->mailPasswordEdit_, "Tide-7 s3cret");
                    QTest::keyClicks(d->newsPasswordEdit_, "other");
                    d->okButton_->click();
                    QCOMPARE(BoxTexts(), QStringList{"To store a password for the news server, "
                                                     "please enter the news server, a known "
                                                     "security and a user name."});
                    d->newsPasswordEdit_->clear();
                }
                d->okButton_->click();
                QVERIFY(!d->isVisible());
            });
            MenuItem(*w, "&Options", "&Preferences")->trigger();
            QVERIFY(*dialog);
        }
        QCOMPARE(siteherald::ReadKeyringPassword("smtp://ann@mail.example.org:465").password,
                 "Tide-7 s3cret");
        const std::string ini = ReadBytes(sandbox_->IniPath());
        QVERIFY(ini.find("MailUser=ann\n") != ini.npos && ini.find("s3cret") == ini.npos);
    }

    // Each import adds a message, its subject given digits while it is taken; a line break in
    // a one-line box is saved as a space. A damaged file (13 lines, no $MEMO3$ or no $MEMO7$)
    // is refused and changes nothing.
    void importSubFiles() {
        const std::string sub = At("kayaks.sub");
        WriteBytes(sub, Crlf(kSubLines));
        auto w = Start();
        const auto import = [&] {
            FileDialogs::Script({QString::fromStdString(sub)});
            MenuItem(*w, "&File", "&Import")->trigger();
        };
        for (int i = 0; i < 3; ++i)
            import();
        QCOMPARE(BoxTexts(), QStringList());
        QVERIFY(!w->document().fileSaved());
        Find<QLineEdit>(w.get(), "title")->setText("Harbour\r\nKayaks");
        const std::string saved = At("kayaks.sdf");
        FileDialogs::Script({QString::fromStdString(saved)});
        MenuItem(*w, "&File", "&Save")->trigger();
        QString expected = "$PROFILE$DEFAULT|title:Harbour  Kayaks|url:https://kayaks.example/"
                           "|desc1:|Guided sea kayak tours|along the coast.|$desc1:"
                           "|keywo:kayak tours |desc2:|Rentals by the day.|$desc2:|desc3:|$desc3:"
                           "|name:Ann Berg|email:ann@kayaks.example|busna:Harbour Kayaks AS"
                           "|phone:+47 555 0100|addre:1 Quay Street|city:Tromso";
        for (const QString subject : {"kayaks", "kayaks1", "kayaks12"})
            expected +=
                "|$START" + subject + "|M|Hello,|please list our site.|Regards|$END" + subject;
        expected += "|$FieldNames$|title|url|desc1|keywo|desc2|desc3|name|email|busna|phone|addre"
                    "|city|$FieldNames$";
        QCOMPARE(ReadBytes(saved), CrlfOf(expected));
        for (const auto& [lines, dropped] : std::initializer_list<std::pair<int, QString>>{
                 {13, ""}, {28, "$MEMO3$"}, {28, "$MEMO7$"}}) {
            QStringList damaged = kSubLines.mid(0, lines);
            damaged.removeAll(dropped);
            WriteBytes(sub, Crlf(damaged));
            MessageBoxes::Script();
            import();
            QVERIFY2(BoxTexts().size() == 1 && BoxTexts()[0].startsWith("Unable to import") &&
                         MessageBoxes::Log()[0].icon == siteherald::MessageIcon::Error,
                     qPrintable(BoxTexts().join('|')));
            QVERIFY(w->document().fileSaved());
            MenuItem(*w, "&File", "&Save")->trigger();
            QCOMPARE(ReadBytes(saved), CrlfOf(expected));
        }
    }
};
WINDOW_TEST_AREA(ProfilesPrefsTest, "profiles_prefs");

#include "profiles_prefs_test.moc"
