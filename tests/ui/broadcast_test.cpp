// Broadcasting from the window: the checks of "Send Message", runs against a real SMTP server
// (tests/e2e/smtp_sink.py) and, when SITEHERALD_TEST_NNTP names one, INN; Cancel and closing
// during a send; the "Attach Message" and "Add Mailing List" windows, newsgroups, E-mail Support.

#include "broadcast/broadcast_log.h"
#include "core/product_defaults.h"
#include "window_test_support.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <ctime>

namespace {

const std::string kName = "Robin Fairweather", kEmail = "robin@harbour-kayaks.example";
const std::string kSpring = "Spring tours 2027", kDots = "Dots at line starts";

// The lines of broadcast.sdf from the line `from` to the line `to`.
LineList Part(const std::string& from, const std::string& to) {
    static const LineList fixture = siteherald::SplitLines(ReadBytes(kFixtures + "/broadcast.sdf"));
    const size_t begin = siteherald::FindLine(fixture, from);
    const size_t end = siteherald::FindLine(fixture, to, begin + 1) + 1;
    return LineList(fixture.begin() + long(begin), fixture.begin() + long(end));
}
// The text of a message of broadcast.sdf, without its reserved line.
LineList Text(const std::string& subject) {
    const LineList block = Part("$START" + subject, "$END" + subject);
    return LineList(block.begin() + 2, block.end() - 1);
}

// One mail.log/news.log entry, its date line written as "Message sent on *" (see Undated).
std::string Entry(const std::string& file, const std::string& subject, const LineList& results) {
    const LineList head{"Submission file: " + file, "Message sent on *", "", subject, ""};
    return Crlf(Concat({head, Text(subject), {""}, results, {std::string(25, '^')}}));
}

// A log with the date lines of the seconds from `from` to now written as "*".
std::string Undated(const std::string& log, std::time_t from) {
    QString undated = QString::fromStdString(log);
    for (std::time_t t = from; t <= std::time(nullptr); ++t)
        undated.replace(QString::fromStdString("sent on " + siteherald::LogDateTime(t)),
                        "sent on *");
    return undated.toStdString();
}

// The SMTP sink in a process of its own; it keeps each message it receives as a JSON file.
class SmtpSink {
public:
    SmtpSink() {
        process_.start("/usr/bin/python3",
                       {SITEHERALD_SMTP_SINK, QString::fromStdString(dir_.path())});
        if (process_.waitForReadyRead(20000))
            port_ = process_.readLine().trimmed().toInt();
    }
    ~SmtpSink() {
        process_.kill();
        process_.waitForFinished();
    }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    std::vector<QJsonObject> received() const {
        std::vector<QJsonObject> messages;
        for (const auto& name : QDir(QString::fromStdString(dir_.path())).entryList({"*.json"}))
            messages.push_back(QJsonDocument::fromJson(
                                   QByteArray::fromStdString(ReadBytes(dir_ / name.toStdString())))
                                   .object());
        return messages;
    }
    int port_ = 0;

private:
    TempDir dir_;
    QProcess process_;
};

// Accepts connections and says nothing; `connected` is told of each one.
class SilentServer {
public:
    SilentServer() {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                ++connections;
                if (connected)
                    connected(socket);
            }
        });
    }
    std::string address() const { return "127.0.0.1:" + std::to_string(server_.serverPort()); }
    std::function<void(QTcpSocket*)> connected;
    int connections = 0;

private:
    QTcpServer server_;
};

} // namespace

class BroadcastTest : public WindowTest {
    Q_OBJECT

    std::string sdf_;
    void prepare() override {
        fs::copy_file(kFixtures + "/broadcast.sdf", sdf_ = At("broadcast.sdf"));
        KnownFiles({sdf_});
    }
    static void AddList(MainWindow& w, const QString& name, const QString& addresses) {
        OnModal([=](QDialog* d) {
            Find<QLineEdit>(d, "Edit1")->setText(name);
            Find<QPlainTextEdit>(d, "Memo1")->setPlainText(addresses);
            Click(d, "Button4");
        });
        Click(&w, "Button48");
    }

private slots:
    // Each press of "Send Message" shows the last failing check alone; newsgroups are added
    // (sorted), edited and removed on the way. Then, against servers that never answer: during
    // the first send the window is asked to close and to send again, during the second Cancel
    // is pressed; each send ends when the server drops the connection. Quitting during a send
    // ends it at once.
    void sendChecksNewsgroupsAndCancel() {
        SilentServer mail, news;
        auto w = Start();
        QStringList shown;
        const auto press = [&] {
            MessageBoxes::Script();
            Click(w.get(), "Button54");
            shown << BoxTexts().join('|');
        };
        press();
        IniWriteString("Identity", "Email", kEmail);
        press();
        IniWriteString("Identity", "Name", kName);
        press();
        Select(Find<QComboBox>(w.get(), "ComboBox6"), kSpring);
        press();
        auto* groups = Find<QListWidget>(w.get(), "ListBox2");
        InputBox::Script({"siteherald.test.g02", "Zed.test", std::nullopt});
        Click(w.get(), "Button19");
        Click(w.get(), "Button19");
        Find<QMenu>(w.get(), "PopupMenu4")->actions().at(1)->trigger(); // "Add &Newsgroup": Cancel
        QCOMPARE(Items(groups), (QStringList{"siteherald.test.g02", "Zed.test"}));
        groups->setCurrentRow(1);
        InputBox::Script({"alt.test"});
        Click(w.get(), "Button20");
        QCOMPARE(Items(groups), (QStringList{"alt.test", "siteherald.test.g02"}));
        QCOMPARE(InputBox::Log().at(0).initial, "Zed.test");
        press();
        AddList(*w, "Club", "a@club.test\nb@club.test\nc@club.test");
        press();
        IniWriteString("Identity", "NewsServer", news.address());
        press();
        const QString newsServer = "Please enter a valid news server in message options.";
        QCOMPARE(shown,
                 (QStringList{"Please enter your e-mail address in message options.",
                              "Please enter your name in message options.",
                              "You must first select a message.",
                              "You must first add e-mail addresses or newsgroups.", newsServer,
                              newsServer, "Please enter a valid mail server in message options."}));
        MessageBoxes::Script({Answer::Yes});
        groups->setCurrentRow(0);
        Click(w.get(), "Button21");
        QCOMPARE(BoxTexts(), QStringList{"Remove \"alt.test\"?"});

        IniWriteString("Identity", "MailServer", mail.address());
        // A login needs its password from the keyring, which has none here: nothing is sent.
        IniWriteString("Identity", "MailUser", "robin");
        press();
        OnModal([&](QDialog* d) {
            Find<QPlainTextEdit>(d, "Memo1")->setPlainText("Hello");
            Click(d, "Button2");
            d->close();
        });
        MessageBoxes::Script();
        MenuItem(*w, "&Help", "&E-mail Support")->trigger();
        shown << BoxTexts();
        QCOMPARE(shown.size(), 9);
        for (const QString& refusal : shown.mid(7))
            QVERIFY2(refusal.startsWith("No password for the mail server (smtp://robin@"),
                     qPrintable(shown.join('|')));
        IniWriteString("Identity", "MailUser", "");
        auto* send = Find<QPushButton>(w.get(), "Button54");
        auto* cancel = Find<QPushButton>(w.get(), "Button22");
        QAction* sendAgain = Find<QMenu>(w.get(), "PopupMenu4")->actions().at(3);
        bool closed = true;
        mail.connected = [&](QTcpSocket* socket) {
            if (mail.connections == 1) {
                closed = w->close(); // answered No
                sendAgain->trigger();
            } else {
                cancel->click();
            }
            socket->close();
        };
        MessageBoxes::Script();
        const std::time_t start = std::time(nullptr);
        send->click();
        QVERIFY(!closed && w->isVisible());
        QCOMPARE(BoxTexts(),
                 QStringList{"Siteherald is in the middle of downloading. Quit anyway?"});
        QVERIFY(!send->isHidden() && cancel->isHidden() &&
                Find<QLabel>(w.get(), "SendProgress")->text().isEmpty());
        QTest::qWait(50);
        QVERIFY(mail.connections == 2 && news.connections == 0 && !fs::exists(At("news.log")));
        const std::string first =
            Entry(sdf_, kSpring, {"Failed: a@club.test", "Failed: b@club.test"});
        QCOMPARE(Undated(ReadBytes(At("mail.log")), start), first);
        MessageBoxes::Script({Answer::Yes});
        mail.connected = [&](QTcpSocket*) { closed = w->close(); };
        QElapsedTimer timer;
        timer.start();
        send->click();
        QVERIFY(closed && !w->isVisible() && timer.elapsed() < 10000);
        QCOMPARE(Undated(ReadBytes(At("mail.log")), start),
                 first + Entry(sdf_, kSpring, {"Failed: a@club.test"}));
    }

    // The "Add Mailing List" window refuses a list without a name or addresses and a name
    // taken, saves a list to a text file; a list removed, one edited (moved to the end of the
    // store). Two runs in a row go to the lists in the store's order, each with an entry of its
    // own in the logs. Then "E-mail Support".
    void runsMailNewsAndSupport() {
        SmtpSink sink;
        QVERIFY2(sink.port_ > 0, "smtp_sink.py did not start");
        const QString nntp = qEnvironmentVariable("SITEHERALD_TEST_NNTP");
        sandbox_->Settings("[Identity]\nName=" + kName + "\nEmail=" + kEmail +
                           "\nMailServer=" + sink.address() + "\nNewsServer=" + nntp.toStdString() +
                           "\nNewsSecurity=none\n");
        auto w = Start();
        const QString text = QString::fromStdString(At("customers.txt"));
        OnModal([&](QDialog* d) {
            auto* name = Find<QLineEdit>(d, "Edit1");
            auto* addresses = Find<QPlainTextEdit>(d, "Memo1");
            Click(d, "Button4");
            name->setText("news");
            Click(d, "Button4");
            addresses->setPlainText("a@shop.test\nb@shop.test");
            FileDialogs::Script({text});
            Click(d, "Button2"); // "Save As"
            name->setText("customers");
            Click(d, "Button4");
        });
        Click(w.get(), "Button48");
        QCOMPARE(ReadBytes(text.toStdString()), Crlf({"a@shop.test", "b@shop.test"}));
        AddList(*w, "Partners", "c@shop.test");
        AddList(*w, "partners", "x@shop.test");
        AddList(*w, "partners", "y@shop.test");
        QCOMPARE(BoxTexts(), (QStringList{"You must enter a mailing list name.",
                                          "You must enter e-mail addresses.",
                                          "That mailing list name is already being used. Please "
                                          "choose another."}));
        auto* lists = Find<QListWidget>(w.get(), "ListBox3");
        MessageBoxes::Script({Answer::No, Answer::Yes});
        lists->setCurrentRow(2);
        Click(w.get(), "Button49"); // No
        Click(w.get(), "Button49");
        QCOMPARE(BoxTexts(), QStringList(2, "Remove \"partners\"?"));
        lists->setCurrentRow(0);
        OnModal([](QDialog* d) {
            Find<QPlainTextEdit>(d, "Memo1")->setPlainText("a@shop.test\nd@shop.test");
            Click(d, "Button4");
        });
        Click(w.get(), "Button52");
        const QStringList groups{"siteherald.test.g01", "siteherald.test.g02"};
        InputBox::Script({groups[0], groups[1]});
        for (int i = 0; i < (nntp.isEmpty() ? 0 : 2); ++i)
            Click(w.get(), "Button19");
        MessageBoxes::Script();
        const std::time_t start = std::time(nullptr);
        for (const std::string& subject : {kSpring, kDots}) {
            Select(Find<QComboBox>(w.get(), "ComboBox6"), subject);
            Click(w.get(), "Button54");
        }
        QCOMPARE(BoxTexts(), QStringList());
        const QStringList order{"c@shop.test", "a@shop.test", "d@shop.test"};
        const LineList mailed{"Succeeded: c@shop.test", "Succeeded: a@shop.test",
                              "Succeeded: d@shop.test"};
        const QRegularExpression made("^(Message-ID|Date): [^\r\n]+",
                                      QRegularExpression::MultilineOption);
        auto received = sink.received();
        QCOMPARE(received.size(), size_t(6));
        for (size_t i = 0; i < received.size(); ++i) {
            const QJsonObject& m = received[i];
            const QString to = order[int(i % 3)];
            QCOMPARE(m["mail_from"].toString() + " " +
                         m["rcpt_tos"].toVariant().toStringList().join(','),
                     QString::fromStdString(kEmail) + " " + to);
            QCOMPARE(m["data"].toString().replace(made, "\\1: *").toStdString(),
                     Crlf({"From: \"" + kName + "\" <" + kEmail + ">", "Message-ID: *", "Date: *",
                           "Subject: " + (i < 3 ? kSpring : kDots), "To: " + to.toStdString(),
                           "Reply-To: " + kEmail, ""}) +
                         Crlf(Text(i < 3 ? kSpring : kDots)));
        }
        QCOMPARE(Undated(ReadBytes(At("mail.log")), start),
                 Entry(sdf_, kSpring, mailed) + Entry(sdf_, kDots, mailed));
        const LineList posted{"Succeeded: siteherald.test.g01", "Succeeded: siteherald.test.g02"};
        if (!nntp.isEmpty())
            QCOMPARE(Undated(ReadBytes(At("news.log")), start),
                     Entry(sdf_, kSpring, posted) + Entry(sdf_, kDots, posted));

        QString shown;
        OnModal([&](QDialog* d) {
            auto* name = Find<QLineEdit>(d, "Edit1");
            auto* email = Find<QLineEdit>(d, "Edit2");
            Find<QPlainTextEdit>(d, "Memo1")->clear();
            shown = name->text() + "|" + email->text();
            name->clear();
            Click(d, "Button2");
            name->setText("Robin");
            email->clear();
            Click(d, "Button2");
            email->setText("robin@example.org");
            Click(d, "Button2");
            Find<QComboBox>(d, "ComboBox1")->setCurrentText("Problem");
            Find<QPlainTextEdit>(d, "Memo1")->setPlainText("No mail arrives.\nWhy?");
            Click(d, "Button2");
            shown += "|" + Find<QLabel>(d, "Label5")->text();
        });
        MenuItem(*w, "&Help", "&E-mail Support")->trigger();
        QCOMPARE(shown, QString::fromStdString(kName + "|" + kEmail + "|Message sent."));
        QCOMPARE(BoxTexts(),
                 (QStringList{"Please type in your name.", "Please type in your e-mail address.",
                              "Please type a message."}));
        // The body's details are checked in tests/broadcast.
        received = sink.received();
        QCOMPARE(received.size(), size_t(7));
        QCOMPARE(received[6]["rcpt_tos"].toVariant().toStringList(),
                 QStringList{QString::fromLatin1(siteherald::kSupportEmail)});
        const QString data = received[6]["data"].toString();
        QVERIFY2(data.contains(QString::fromStdString(
                     Crlf({"", "From:", "Robin|robin@example.org|", "", "Message Type:", "Problem",
                           "", "Message:", "No mail arrives.", "Why?", "", "Details:"}))),
                 qPrintable(data));
        if (nntp.isEmpty())
            QSKIP("SITEHERALD_TEST_NNTP is not set: no news server to post to");
    }

    // Attaching checks its subject; the saved file holds the blocks added, edited (moved to the
    // end, its reserved line empty) and removed; a long subject is listed shortened until the
    // file is opened again, when it is listed whole.
    void attachMessageWindow() {
        const std::string longSubject = "Harbour Kayak Tours: all 2027 price lists";
        const QString longItem = QString::fromStdString(longSubject.substr(0, 37) + "...");
        const LineList head = Part("$PROFILE$DEFAULT", "city:Portsmouth");
        const LineList names = Part("$FieldNames$", "$FieldNames$");
        const LineList autumn{"$STARTAutumn offer", "MN", "Ten per cent off", "until October.",
                              "$ENDAutumn offer"};
        const LineList prices{"$START" + longSubject, "MN", "On request.", "$END" + longSubject};
        auto w = Start();
        Click(w.get(), "BitBtn17"); // "Edit File": the File tab
        auto* attached = Find<QComboBox>(w.get(), "ComboBox5");
        const auto attach = [&](const QString& subject, const QString& text) {
            OnModal([&, subject, text](QDialog* d) {
                auto* button = Find<QPushButton>(d, "Button1");
                Find<QLineEdit>(d, "Edit1")->setText(subject);
                Find<QPlainTextEdit>(d, "Memo1")->setPlainText(text);
                button->click();
                if (!d->isVisible())
                    return;
                // "Spring" begins "Spring tours 2027"
                Find<QLineEdit>(d, "Edit1")->setText(QString::fromStdString(longSubject));
                button->click();
            });
            Click(w.get(), "Button16");
        };
        attach("Spring", "On request.");
        attach("Autumn offer", "Ten per cent off\nuntil October.");
        QCOMPARE(BoxTexts(), QStringList{"There is already one message with that subject. "
                                         "Please choose another."});
        QCOMPARE(Items(attached), (QStringList{"Autumn offer", "Dots at line starts", longItem,
                                               "Spring tours 2027", "Winter storage"}));
        Click(w.get(), "BitBtn8"); // Save
        QCOMPARE(ReadBytes(sdf_), Crlf(Concat({Part("$PROFILE$DEFAULT", "$ENDWinter storage"),
                                               prices, autumn, names})));
        Select(attached, kSpring);
        QString edited; // the subject cannot be changed
        OnModal([&](QDialog* d) {
            edited = Find<QLineEdit>(d, "Edit1")->text() +
                     (Find<QLineEdit>(d, "Edit1")->isEnabled() ? "" : " fixed");
            Find<QPlainTextEdit>(d, "Memo1")->setPlainText("Season opens 1 April.");
            Click(d, "Button1");
        });
        Click(w.get(), "Button14");
        QCOMPARE(edited, "Spring tours 2027 fixed");
        const LineList spring{"$START" + kSpring, "", "Season opens 1 April.", "$END" + kSpring};
        Select(attached, "Winter storage");
        MessageBoxes::Script({Answer::No, Answer::Yes, Answer::Yes});
        Click(w.get(), "Button13"); // No
        Click(w.get(), "Button13");
        Select(attached, longItem.toStdString()); // a shortened name finds its block
        Click(w.get(), "Button13");
        QCOMPARE(BoxTexts(),
                 (QStringList{"Remove: \"Winter storage\"?", "Remove: \"Winter storage\"?",
                              "Remove: \"" + longItem + "\"?"}));
        Click(w.get(), "BitBtn8");
        QCOMPARE(ReadBytes(sdf_), Crlf(Concat({head, Part("$START" + kDots, "$END" + kDots), autumn,
                                               spring, names})));
        WriteBytes(sdf_, Crlf(Concat({head, prices, names})));
        FileDialogs::Script({QString::fromStdString(sdf_)});
        Click(w.get(), "BitBtn7");
        QCOMPARE(Items(attached), QStringList{QString::fromStdString(longSubject)});
        MessageBoxes::Script({Answer::Yes});
        Click(w.get(), "Button13");
        QCOMPARE(BoxTexts(),
                 QStringList{"Remove: \"" + QString::fromStdString(longSubject) + "\"?"});
        QVERIFY(w->document().attachmentLines().empty());
    }
};
WINDOW_TEST_AREA(BroadcastTest, "broadcast");

#include "broadcast_test.moc"
