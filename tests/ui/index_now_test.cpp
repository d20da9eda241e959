// The "Index Now" tab against a loopback site that is its own IndexNow endpoint: the site taken
// from the current submission file, a first run refused until the key file is served, a run
// that submits, one with nothing new, and Stop, a second start and closing during a run.

#include "window_test_support.h"

#include <mutex>

namespace {

const char* const kSitemap = R"(<urlset xmlns="http://www.sitemaps.org/schemas/sitemap/0.9">
<url><loc>SITE/a</loc><lastmod>2026-11-01</lastmod></url><url><loc>SITE/b</loc></url>
<url><loc>http://other.example/c</loc></url></urlset>)";

// robots.txt absent, a sitemap of two pages and one of another host (held back `pauseMs`), the
// key file once `key` is set, and the endpoint at /indexnow.
class Site {
public:
    std::string url(const std::string& path = "/") const { return server_.url(path); }
    std::vector<std::string> requests() const { return server_.requests(); }
    void Set(const std::string& key, int pauseMs) {
        const std::lock_guard lock(mutex_);
        key_ = key, pauseMs_ = pauseMs;
    }

private:
    void Serve(ScriptedServer& s, int fd) {
        std::string in;
        while (in.find("\r\n\r\n") == std::string::npos || in.size() < Length(in))
            if (!s.Read(fd, in))
                return;
        const std::string path = in.substr(in.find(' ') + 1, in.find(" HTTP/") - in.find(' ') - 1);
        std::unique_lock lock(mutex_);
        const std::string key = key_;
        const int pauseMs = pauseMs_;
        lock.unlock();
        if (path == "/indexnow")
            s.Write(fd, "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n");
        else if (path == "/sitemap.xml" && s.Pause(pauseMs))
            s.Write(fd, Http("200 OK",
                             QString(kSitemap).replace("SITE/", url().c_str()).toStdString()));
        else if (!key.empty() && path == "/" + key + ".txt")
            s.Write(fd, Http("200 OK", key));
        else
            s.Write(fd, Http("404 Not Found", "not here"));
    }
    // The whole request's size, as far as its head tells.
    static size_t Length(const std::string& in) {
        const size_t head = in.find("\r\n\r\n") + 4, at = in.find("Content-Length: ");
        return at < head ? head + std::stoul(in.substr(at + 16)) : head;
    }

    std::mutex mutex_;
    std::string key_;
    int pauseMs_ = 0;
    ScriptedServer server_{[this](ScriptedServer& s, int fd, size_t) { Serve(s, fd); }};
};

QString Label(const MainWindow& w, const char* name) {
    return Find<QLabel>(&w, name)->text();
}

} // namespace

class IndexNowTest : public WindowTest {
    Q_OBJECT

private slots:
    void submitsChangedPages() {
        Site site;
        sandbox_->Settings("[IndexNow]\nEndpoint=" + site.url("/indexnow") + "\n");
        std::string sdf = ReadBytes(kFixtures + "/harbour_kayaks.sdf");
        sdf.replace(sdf.find("url:") + 4, sdf.find("\r\n", sdf.find("url:")) - sdf.find("url:") - 4,
                    site.url());
        WriteBytes(At("site.sdf"), sdf);
        KnownFiles({At("site.sdf")});
        auto w = Start();
        auto* siteEdit = Find<QLineEdit>(w.get(), "IndexNowSite");
        QCOMPARE(siteEdit->text().toStdString(), site.url());

        // The key file is not served yet: it is written to the data folder for uploading.
        QTest::keyClick(siteEdit, Qt::Key_Return);
        std::string key;
        for (const auto& entry : fs::directory_iterator(At("")))
            if (entry.path().extension() == ".txt")
                key = ReadBytes(entry.path());
        QCOMPARE(key.size(), size_t(32));
        const QString keyUrl = QString::fromStdString(site.url("/" + key + ".txt"));
        QVERIFY(BoxTexts().size() == 1 && BoxTexts()[0].contains(keyUrl));
        QVERIFY(Label(*w, "IndexNowStatus") == BoxTexts()[0]);
        QVERIFY(Label(*w, "IndexNowKeyFile").contains(keyUrl) &&
                Label(*w, "IndexNowKeyFile").contains(QString::fromStdString(At(key + ".txt"))));

        site.Set(key, 0);
        Click(w.get(), "SubmitChangedButton");
        QCOMPARE(Label(*w, "IndexNowCounts"),
                 "New: 2, changed: 0, unchanged: 0, other hosts: 1; submitted: 2");
        QVERIFY(Label(*w, "IndexNowKey").contains("live at " + keyUrl));
        QCOMPARE(Items(Find<QListWidget>(w.get(), "IndexNowSitemaps")),
                 QStringList{QString::fromStdString(site.url("/sitemap.xml"))});
        const std::string post = site.requests().back();
        QVERIFY(post.starts_with("POST /indexnow") &&
                post.find(site.url("/b")) != std::string::npos);
        Click(w.get(), "SubmitChangedButton");
        QCOMPARE(Label(*w, "IndexNowCounts"),
                 "New: 0, changed: 0, unchanged: 2, other hosts: 1; submitted: 0");
        const QString log = Find<QPlainTextEdit>(w.get(), "IndexNowLog")->toPlainText();
        QVERIFY2(log.count('\n') == 0 && log.contains("200"), qPrintable(log));

        // During a slow run: closing is asked about and refused, a second start does nothing,
        // Stop ends the run; then closing answered Yes stops it too.
        site.Set(key, 3000);
        const size_t before = site.requests().size();
        MessageBoxes::Script({Answer::No, Answer::Yes});
        bool closed = true;
        QTimer::singleShot(200, [&] {
            closed = w->close();
            Click(w.get(), "SubmitChangedButton");
            QTest::keyClick(siteEdit, Qt::Key_Return);
            Click(w.get(), "IndexNowStop");
        });
        QElapsedTimer timer;
        timer.start();
        Click(w.get(), "SubmitChangedButton");
        QVERIFY(!closed && timer.elapsed() < 2500);
        QCOMPARE(site.requests().size(), before + 2); // robots.txt and the sitemap
        QCOMPARE(Label(*w, "IndexNowStatus"), "Stopped.");
        QVERIFY(Label(*w, "IndexNowKey").contains("live at " + keyUrl)); // as last checked
        QTimer::singleShot(200, [&] { closed = w->close(); });
        Click(w.get(), "SubmitChangedButton");
        QVERIFY(closed && !w->isVisible() && timer.elapsed() < 5000);
        QCOMPARE(BoxTexts().size(), 2);
    }
};
WINDOW_TEST_AREA(IndexNowTest, "index_now");

#include "index_now_test.moc"
