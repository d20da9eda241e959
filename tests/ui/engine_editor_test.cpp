// "Customize Search Engines" on the offscreen platform, opened modally from the main window's
// engine menu or on its own, driven through its widgets while its event loop runs. The field
// scan talks to loopback servers; sedata.dat, sechanged.sec and profs.dat are read back.

#include "support/scripted_server.h"
#include "test_support.h"
#include "ui/engine_editor.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "window_test_support.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QtTest>
#include <filesystem>
#include <memory>
#include <optional>

namespace fs = std::filesystem;
using namespace siteherald::ui;
using siteherald::MessageIcon;
using siteherald::testing::Hold;
using siteherald::testing::ReadBytes;
using siteherald::testing::ScriptedServer;
using siteherald::testing::Send;

using namespace siteherald::ui::testing;

namespace {

const QString kSaveQuestion = QStringLiteral("Save changes to search engine?");
const QString kNeedsName = QStringLiteral("Please give the search engine a name and a "
                                          "submission address before saving.");

// Two forms: a text box, a hidden field, a text area and a submit button, then a check box
// and an input without a type.
const std::string kTwoForms = "<html><body>\r\n<form action=\"a.cgi\">\r\n"
                              "<input type=\"text\" name=\"url\">\r\n"
                              "<input type=\"hidden\" name=\"id\" value=\"7\">\r\n"
                              "<textarea name=\"desc\"></textarea>\r\n"
                              "<input type=\"submit\" value=\"Go\">\r\n</form>\r\n"
                              "<form action=\"b.cgi\"><input type=\"checkbox\" name=\"agree\">\r\n"
                              "<input name=\"email\"></form>\r\n</body></html>\r\n";

std::string Http(const std::string& body) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

// Clicks a list entry with the mouse, as the user picks a field or an identifier.
void ClickItem(QListWidget* list, int row) {
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

void Type(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
}

// The record of `name` cut out of a sedata.dat text: the bytes from its start marker through
// its end marker.
std::string RecordOf(const std::string& file, const std::string& name) {
    const std::string marker = "$" + name + "$\r\n";
    const size_t start = file.find(marker);
    const size_t end = file.find(marker, start + marker.size()) + marker.size();
    return file.substr(start, end - start);
}

std::string Without(std::string file, const std::string& part) {
    return file.erase(file.find(part), part.size());
}

} // namespace

class EngineEditorTest : public QObject {
    Q_OBJECT

    std::optional<WindowSandbox> sandbox_;
    std::string shippedEngines_;

    std::string At(const std::string& name) const { return sandbox_->At(name); }
    std::unique_ptr<MainWindow> Start() { return StartMainWindow(); }
    static QAction* EngineCommand(MainWindow& w, const QString& text) {
        for (QAction* action : Find<QMenu>(&w, "PopupMenu2")->actions())
            if (action->text() == text)
                return action;
        qFatal("no engine command %s", qPrintable(text));
    }

private slots:
    void init() {
        sandbox_.emplace();
        shippedEngines_ = ReadBytes(At("sedata.dat"));
    }

    void cleanup() { sandbox_.reset(); }

    void scannedFieldsAssignedAndSavedAsNewEngine() {
        ScriptedServer server({Send(Http(kTwoForms))});
        const std::string address = server.url("/add.html");
        auto w = Start();
        auto* engines = Find<QComboBox>(w.get(), "ComboBox2");
        const QString selectedBefore = engines->currentText();
        QVERIFY(!selectedBefore.isEmpty());

        bool done = false;
        OnModal<EngineEditor>([&](EngineEditor* e) {
            QVERIFY(e->nameEdit_->isEnabled());
            QCOMPARE(e->autoFillList_->count(), 12);
            Type(e->nameEdit_, "Loop Engine");
            Type(e->submitUrlEdit_, QString::fromStdString(address));
            Type(e->infoUrlEdit_, "http://127.0.0.1:1/about");
            QTest::mouseClick(e->getFieldsButton_, Qt::LeftButton);
            QCOMPARE(e->getFieldsButton_->text(), "&Get Fields");
            QVERIFY(!e->Downloading);
            QCOMPARE(Items(e->fieldList_),
                     (QStringList{"url (Text Box)", "desc (Textarea)", "email (Text Box)"}));
            QCOMPARE(e->EditRecord,
                     (siteherald::LineList{"Loop Engine|" + address + "|http://127.0.0.1:1/about|",
                                           "url||", "desc||", "email||"}));

            ClickItem(e->fieldList_, 0);
            QVERIFY(e->autoFillList_->selectedItems().isEmpty());
            ClickItem(e->autoFillList_, Items(e->autoFillList_).indexOf("url"));
            ClickItem(e->fieldList_, 1);
            ClickItem(e->autoFillList_, Items(e->autoFillList_).indexOf("desc2"));
            ClickItem(e->autoFillList_,
                      Items(e->autoFillList_).indexOf("desc1")); // a second choice wins
            QCOMPARE(e->EditRecord[1], "url|url|");
            QCOMPARE(e->EditRecord[2], "desc|desc1|");
            QCOMPARE(e->EditRecord[3], "email||");
            // Going back to a field shows its identifier.
            ClickItem(e->fieldList_, 0);
            QCOMPARE(e->autoFillList_->currentItem()->text(), "url");
            QVERIFY(!e->Saved);

            QTest::mouseClick(e->saveButton_, Qt::LeftButton);
            QVERIFY(e->EngineAdded);
            QVERIFY(!e->EngineEdited);
            QVERIFY(!e->isVisible());
            done = true;
        });
        EngineCommand(*w, "&Add Search Engine")->trigger();
        QVERIFY(done);
        QVERIFY(BoxTexts().isEmpty());
        QCOMPARE(server.requests().size(), 1u);
        QVERIFY(server.requests()[0].rfind("GET /add.html HTTP/1.", 0) == 0);

        const std::string record =
            Crlf({"$Loop Engine$", "Loop Engine|" + address + "|http://127.0.0.1:1/about|",
                  "url|url|", "desc|desc1|", "email||", "$Loop Engine$"});
        QCOMPARE(ReadBytes(At("sedata.dat")), shippedEngines_ + record);
        QCOMPARE(ReadBytes(At("sechanged.sec")), record);
        QVERIFY(Items(engines).contains("Loop Engine"));
        QCOMPARE(engines->currentText(), selectedBefore);
    }

    void cancelledScanAddsNothing() {
        ScriptedServer silent({Hold()});
        EngineEditor editor(nullptr);
        editor.show();
        editor.nameEdit_->setText("Quiet");
        editor.submitUrlEdit_->setText(QString::fromStdString(silent.url("/form")));
        bool wasDownloading = false;
        QTimer::singleShot(200, [&] {
            wasDownloading = editor.Downloading && editor.getFieldsButton_->text() == "&Cancel";
            QTest::mouseClick(editor.getFieldsButton_, Qt::LeftButton);
        });
        QElapsedTimer clock;
        clock.start();
        editor.onGetFieldsClicked();
        QVERIFY(wasDownloading);
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(!editor.Downloading);
        QCOMPARE(editor.getFieldsButton_->text(), "&Get Fields");
        QCOMPARE(editor.fieldList_->count(), 0);
        QCOMPARE(editor.EditRecord.size(), 1u);
        QVERIFY(BoxTexts().isEmpty());
    }

    void identifiersAddedAndKeptWithoutSaving() {
        bool done = false;
        EngineEditor editor(nullptr);
        OnModal<EngineEditor>([&](EngineEditor* e) {
            QVERIFY(!e->addIdentifierButton_->isEnabled());
            Type(e->identifierEdit_, "url");
            QVERIFY(e->addIdentifierButton_->isEnabled());
            QTest::mouseClick(e->addIdentifierButton_, Qt::LeftButton);
            Type(e->identifierEdit_, "a_b");
            QTest::keyClick(e->identifierEdit_, Qt::Key_Return); // Enter adds as the button does
            QCOMPARE(e->autoFillList_->count(), 12);
            Type(e->identifierEdit_, "URL");
            QTest::mouseClick(e->addIdentifierButton_, Qt::LeftButton);
            QCOMPARE(e->autoFillList_->count(), 13);
            QVERIFY(e->identifierEdit_->text().isEmpty());
            QVERIFY(!e->addIdentifierButton_->isEnabled());
            QTest::mouseClick(e->closeButton_, Qt::LeftButton);
            done = true;
        });
        editor.EditEngine(true, {});
        QVERIFY(done);
        QVERIFY(!editor.isVisible());
        QCOMPARE(MessageBoxes::Log().size(), 2u);
        QCOMPARE(MessageBoxes::Log()[0].text, "That name is already being used.");
        QCOMPARE(MessageBoxes::Log()[0].icon, MessageIcon::Information);
        QCOMPARE(MessageBoxes::Log()[1].text,
                 "Identifiers must be alpha-numeric. a_b is not a valid identifier.");
        QCOMPARE(MessageBoxes::Log()[1].icon, MessageIcon::Error);

        const std::string profs = ReadBytes(At("profs.dat"));
        const std::string section = profs.substr(0, profs.find("$AutoFill\r\n", 1) + 11);
        QCOMPARE(section,
                 Crlf({"$AutoFill", "addre", "busna", "city", "desc1", "desc2", "desc3", "email",
                       "keywo", "name", "phone", "title", "URL", "url", "$AutoFill"}));
        QCOMPARE(profs.substr(section.size()), Crlf({"$sdffiles", "$sdffiles"}));
        QCOMPARE(ReadBytes(At("sedata.dat")), shippedEngines_);
        QVERIFY(!fs::exists(At("sechanged.sec")));
    }

    void closingAsksAboutUnsavedChanges() {
        // Editing the selected engine: Cancel keeps the boxes, an empty address is refused,
        // Yes saves the engine to the end of the file.
        auto w = Start();
        auto* engines = Find<QComboBox>(w.get(), "ComboBox2");
        const std::string name = engines->currentText().toStdString();
        const std::string old = RecordOf(shippedEngines_, name);
        MessageBoxes::Script({Answer::Cancel, Answer::Yes});
        bool done = false;
        QString address;
        OnModal<EngineEditor>([&](EngineEditor* e) {
            QVERIFY(!e->nameEdit_->isEnabled());
            QCOMPARE(e->nameEdit_->text().toStdString(), name);
            address = e->submitUrlEdit_->text();
            Type(e->infoUrlEdit_, "http://127.0.0.1:1/new-info");
            QVERIFY(!e->Saved);
            QTest::mouseClick(e->closeButton_, Qt::LeftButton);
            QVERIFY(e->isVisible());
            QCOMPARE(e->infoUrlEdit_->text(), "http://127.0.0.1:1/new-info");
            e->submitUrlEdit_->clear();
            QTest::mouseClick(e->saveButton_, Qt::LeftButton);
            QVERIFY(e->isVisible());
            QCOMPARE(ReadBytes(At("sedata.dat")), shippedEngines_);
            Type(e->submitUrlEdit_, address);
            QTest::mouseClick(e->closeButton_, Qt::LeftButton);
            QVERIFY(!e->isVisible());
            QVERIFY(e->EngineEdited);
            done = true;
        });
        EngineCommand(*w, "&Edit Search Engine")->trigger();
        QVERIFY(done);
        QCOMPARE(BoxTexts(), (QStringList{kSaveQuestion, kNeedsName, kSaveQuestion}));
        QCOMPARE(MessageBoxes::Log()[0].buttons, Buttons::YesNoCancel);
        QCOMPARE(MessageBoxes::Log()[0].icon, MessageIcon::Confirmation);

        std::string record = old;
        const size_t lineStart = record.find("\r\n") + 2;
        const size_t lineEnd = record.find("\r\n", lineStart);
        record.replace(lineStart, lineEnd - lineStart,
                       name + "|" + address.toStdString() + "|http://127.0.0.1:1/new-info|");
        QCOMPARE(ReadBytes(At("sedata.dat")), Without(shippedEngines_, old) + record);
        QCOMPARE(ReadBytes(At("sechanged.sec")), record);
        QCOMPARE(engines->currentText().toStdString(), name);
    }

    void closingWithoutSavingWritesNoEngine() {
        MessageBoxes::Script({Answer::No});
        EngineEditor editor(nullptr);
        bool done = false;
        OnModal<EngineEditor>([&](EngineEditor* e) {
            Type(e->nameEdit_, "A|b");
            Type(e->submitUrlEdit_, "http://127.0.0.1:1/add");
            QTest::keyClick(e->submitUrlEdit_, Qt::Key_Return); // Enter saves
            QVERIFY(e->isVisible());
            QTest::mouseClick(e->closeButton_, Qt::LeftButton);
            done = true;
        });
        editor.EditEngine(true, {});
        QVERIFY(done);
        QVERIFY(!editor.isVisible());
        QVERIFY(!editor.EngineAdded);
        QCOMPARE(BoxTexts(), (QStringList{"A search engine's name cannot contain \"$\" or \"|\".",
                                          kSaveQuestion}));
        QCOMPARE(ReadBytes(At("sedata.dat")), shippedEngines_);
        QVERIFY(!fs::exists(At("sechanged.sec")));
    }

    void deleteRemovesTheSelectedEngine() {
        auto w = Start();
        auto* engines = Find<QComboBox>(w.get(), "ComboBox2");
        QVERIFY(engines->count() >= 3);
        engines->setCurrentIndex(1);
        emit engines->activated(1);
        const QString name = engines->currentText();
        const QString next = engines->itemText(2);
        const QString question = "Delete \"" + name + "\" from the list?";

        MessageBoxes::Script({Answer::No});
        EngineCommand(*w, "&Delete Search Engine")->trigger();
        QCOMPARE(BoxTexts(), QStringList{question});
        QCOMPARE(ReadBytes(At("sedata.dat")), shippedEngines_);
        QCOMPARE(engines->currentText(), name);

        MessageBoxes::Script({Answer::Yes});
        EngineCommand(*w, "&Delete Search Engine")->trigger();
        QCOMPARE(BoxTexts(), QStringList{question});
        QCOMPARE(MessageBoxes::Log()[0].buttons, Buttons::YesNo);
        QCOMPARE(ReadBytes(At("sedata.dat")),
                 Without(shippedEngines_, RecordOf(shippedEngines_, name.toStdString())));
        QVERIFY(!Items(engines).contains(name));
        QCOMPARE(engines->currentIndex(), 1);
        QCOMPARE(engines->currentText(), next);
        // The record of the engine now selected is the one loaded.
        QCOMPARE(w->seRecordList()[0].substr(0, next.size() + 1), next.toStdString() + "|");
    }
};

QTEST_MAIN(EngineEditorTest)
#include "engine_editor_test.moc"
