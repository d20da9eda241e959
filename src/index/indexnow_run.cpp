#include "indexnow_run.h"

#include "core/ascii.h"
#include "core/data_dir.h"
#include "core/line_file.h"
#include "core/local_time.h"
#include "core/settings_keys.h"
#include "indexnow_files.h"
#include "net/http_client.h"
#include "net/http_exception.h"
#include "net/url_parts.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>

namespace siteherald {

namespace {

using namespace std::chrono_literals;

constexpr size_t kBatch = 10000;
constexpr int kTries = 4;
// A longer Retry-After stops the run rather than keeping the user waiting.
constexpr std::chrono::seconds kLongestWait = 10min;

// Ends the run early with an outcome; caught in RunIndexNow.
struct Halt {
    IndexNowOutcome outcome;
    std::string message;
};

[[noreturn]] void Stop() {
    throw Halt{IndexNowOutcome::Stopped, "Stopped."};
}

bool IsWebAddress(const UrlParts& url) {
    const std::string scheme = LowerAscii(url.scheme);
    return (scheme == "http" || scheme == "https") && !url.host.empty();
}

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

void AppendLine(const std::string& path, const std::string& line) {
    std::FILE* file = std::fopen(path.c_str(), "ab");
    const std::string text = line + "\r\n";
    const bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int err = errno;
    if ((file && std::fclose(file) != 0) || !written) {
        const std::string reason = std::strerror(written ? errno : err);
        throw FileError("Unable to write to " + path + ": " + reason, path, reason);
    }
}

class Run {
public:
    Run(const IndexNowRequest& request, const IndexNowHooks& hooks)
        : request_(request), hooks_(hooks) {}

    void Go(IndexNowReport& report);

private:
    void Status(const std::string& text) {
        if (hooks_.status)
            hooks_.status(text);
    }
    bool Stopped() const { return hooks_.stopped && hooks_.stopped(); }
    void SetUpKey(IndexNowReport& report);
    void CheckKey(IndexNowReport& report);
    // Posts one batch, again after a 429; throws Halt when it is not accepted.
    void Submit(const std::vector<std::string>& urls, IndexNowReport& report);
    void Wait(std::chrono::milliseconds wait);
    THttpCli& Client(const std::string& url);

    const IndexNowRequest& request_;
    const IndexNowHooks& hooks_;
    std::string dataDir_;
    std::string endpoint_;
    std::unique_ptr<THttpCli> client_;
};

THttpCli& Run::Client(const std::string& url) {
    client_ = std::make_unique<THttpCli>();
    client_->Url = url;
    client_->MaxBodyBytes = 1024 * 1024;
    client_->Timeouts.total = 2min;
    FollowFetchHooks(*client_, hooks_);
    return *client_;
}

void Run::SetUpKey(IndexNowReport& report) {
    const std::string datPath = JoinPath(dataDir_, "indexnow.dat");
    LineList lines;
    LoadLineFile(datPath, lines);
    std::vector<IndexNowKeyRecord> records = ParseKeyRecords(lines);
    auto record = std::find_if(records.begin(), records.end(), [&](const IndexNowKeyRecord& r) {
        return EqualsIgnoringCase(r.host, report.host);
    });
    IndexNowKeyRecord wanted = record != records.end() ? *record : IndexNowKeyRecord{};
    wanted.host = report.host;
    if (!request_.key.empty() && request_.key != wanted.key) {
        if (!ValidIndexNowKey(request_.key))
            throw Halt{IndexNowOutcome::KeyNotServed,
                       "\"" + request_.key +
                           "\" is not an IndexNow key: 8 to 128 letters, digits or '-'."};
        wanted.key = request_.key;
        wanted.keyLocation.clear();
    }
    if (wanted.key.empty())
        wanted.key = NewIndexNowKey();
    if (!request_.keyLocation.empty()) {
        const UrlParts location = SplitUrl(request_.keyLocation);
        if (!IsWebAddress(location) || !EqualsIgnoringCase(location.host, report.host) ||
            request_.keyLocation.find_first_of("\t\r\n") != std::string::npos)
            throw Halt{IndexNowOutcome::KeyNotServed, "The key location " + request_.keyLocation +
                                                          " is not an http or https address on " +
                                                          report.host + "."};
        wanted.keyLocation = request_.keyLocation;
    }
    if (record == records.end() || record->key != wanted.key ||
        record->keyLocation != wanted.keyLocation) {
        if (record == records.end())
            records.push_back(wanted);
        else
            *record = wanted;
        SaveLineFile(datPath, KeyRecordLines(records));
    }

    report.key = wanted.key;
    std::string site = request_.sources.site;
    if (site.empty() || site.back() != '/')
        site += '/';
    report.keyUrl = wanted.keyLocation.empty() ? site + wanted.key + ".txt" : wanted.keyLocation;
    report.keyFile = JoinPath(dataDir_, wanted.key + ".txt");
    std::string current;
    if (!ReadFileBytes(report.keyFile, current) || current != wanted.key)
        WriteFileAtomic(report.keyFile, wanted.key);
}

void Run::CheckKey(IndexNowReport& report) {
    Status("Checking the key file at " + report.keyUrl);
    THttpCli& client = Client(report.keyUrl);
    client.MaxBodyBytes = 64 * 1024;
    MemoryStream body;
    client.ReceiveStream = &body;
    std::string found;
    try {
        client.Get();
        std::string text = body.data();
        if (text.rfind("\xEF\xBB\xBF", 0) == 0)
            text.erase(0, 3);
        text = std::string(TrimmedAscii(text));
        if (text == report.key) {
            report.keyLive = true;
            return;
        }
        if (text.empty())
            found = "an empty file";
        else if (text.size() > 64 || text.find_first_of("\r\n<") != std::string::npos)
            found = "a file that does not hold the key";
        else
            found = "\"" + text + "\"";
    } catch (const EHttpException& e) {
        if (Stopped())
            Stop();
        found = e.what();
    }
    throw Halt{IndexNowOutcome::KeyNotServed, "The key file is not served at " + report.keyUrl +
                                                  " (found: " + found + "). Upload " +
                                                  report.keyFile + " so that it is served at " +
                                                  report.keyUrl + ", then submit again."};
}

void Run::Wait(std::chrono::milliseconds wait) {
    if (hooks_.wait) {
        hooks_.wait(wait);
    } else {
        const auto until = std::chrono::steady_clock::now() + wait;
        while (std::chrono::steady_clock::now() < until) {
            if (Stopped())
                Stop();
            if (hooks_.idle)
                hooks_.idle();
            std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
                20ms, until - std::chrono::steady_clock::now()));
        }
    }
    if (Stopped())
        Stop();
}

void Run::Submit(const std::vector<std::string>& urls, IndexNowReport& report) {
    const std::string body = IndexNowBody(report.host, report.key, report.keyUrl, urls);
    const std::string count = std::to_string(urls.size());
    std::chrono::milliseconds doubling = 1s;
    for (int attempt = 1;; ++attempt) {
        Status("Submitting " + count + " addresses to " + endpoint_);
        THttpCli& client = Client(endpoint_);
        client.Timeouts.total = 5min;
        MemoryStream answer;
        client.ReceiveStream = &answer;
        int status = 0;
        std::string said;
        try {
            client.Post(body, "application/json; charset=utf-8");
            status = client.StatusCode();
        } catch (const EHttpException& e) {
            if (Stopped())
                Stop();
            if (client.ServerRefused())
                status = client.StatusCode();
            else
                said = e.what();
        }
        const bool accepted = status == 200 || status == 202;
        const std::string meaning =
            status ? IndexNowStatusText(status, client.ReasonPhrase()) : "not sent: " + said;
        const std::string line =
            "Submitted " + count + " addresses to " + endpoint_ + ": " + meaning;
        AppendLine(JoinPath(dataDir_, kIndexNowLog),
                   LocalTimeText(std::time(nullptr), "%Y-%m-%d %H:%M:%S") + "\t" + endpoint_ +
                       "\t" + request_.sources.site + "\t" + count + " addresses\t" + meaning);
        report.requestLines.push_back(line);
        if (hooks_.request)
            hooks_.request(line);
        if (accepted)
            return;
        if (!status)
            throw Halt{IndexNowOutcome::EndpointRefused,
                       "Could not reach the IndexNow endpoint " + endpoint_ + ": " + said};
        if (status != 429)
            throw Halt{IndexNowOutcome::EndpointRefused, "The IndexNow endpoint " + endpoint_ +
                                                             " refused the addresses: " + meaning +
                                                             "."};
        if (attempt == kTries)
            throw Halt{IndexNowOutcome::EndpointRefused,
                       "The IndexNow endpoint " + endpoint_ + " answered 429 Too Many Requests " +
                           std::to_string(kTries) + " times; try again later."};
        std::chrono::milliseconds wait = doubling;
        if (const auto retryAfter =
                ParseRetryAfter(client.HeaderField("Retry-After"), std::time(nullptr))) {
            if (*retryAfter > kLongestWait)
                throw Halt{IndexNowOutcome::EndpointRefused,
                           "The IndexNow endpoint " + endpoint_ + " asks to wait " +
                               std::to_string(retryAfter->count()) +
                               " seconds before the next request; try again later."};
            wait = *retryAfter;
        }
        doubling *= 2;
        Status("Waiting " + std::to_string((wait.count() + 999) / 1000) +
               " s before sending again");
        Wait(wait);
    }
}

void Run::Go(IndexNowReport& report) {
    dataDir_ = request_.dataDir.empty() ? ResolveDataDir() : request_.dataDir;
    endpoint_ = request_.endpoint.empty() ? Read(settings::IndexNowEndpoint) : request_.endpoint;
    const UrlParts site = SplitUrl(request_.sources.site);
    if (!IsWebAddress(site))
        throw Halt{IndexNowOutcome::SitemapFailed,
                   "\"" + request_.sources.site + "\" is not an http or https site address."};
    report.host = LowerAscii(site.host);
    SetUpKey(report);

    SiteUrls found;
    try {
        found = ReadSiteUrls(request_.sources, hooks_);
    } catch (const SiteUrlsError& e) {
        using Kind = SiteUrlsError::Kind;
        throw Halt{e.kind == Kind::LocalFile ? IndexNowOutcome::LocalFileFailed
                   : e.kind == Kind::Stopped ? IndexNowOutcome::Stopped
                                             : IndexNowOutcome::SitemapFailed,
                   e.what()};
    }
    report.sitemaps = found.sitemaps;

    const std::string ledgerPath = JoinPath(dataDir_, LedgerFileName(report.host));
    LineList ledgerLines;
    LoadLineFile(ledgerPath, ledgerLines);
    Ledger ledger = ParseLedger(ledgerLines);
    ledgerLines.clear();

    std::vector<const SitemapUrl*> chosen;
    for (const SitemapUrl& url : found.urls) {
        const UrlParts parts = SplitUrl(url.loc);
        if (!IsWebAddress(parts) || !EqualsIgnoringCase(parts.host, report.host)) {
            ++report.otherHosts;
            continue;
        }
        const auto known = ledger.find(url.loc);
        if (known == ledger.end())
            ++report.newCount;
        else if (known->second.lastmod != LedgerText(url.lastmod))
            ++report.changedCount;
        else
            ++report.unchanged;
        if (request_.all || known == ledger.end() ||
            known->second.lastmod != LedgerText(url.lastmod))
            chosen.push_back(&url);
    }

    CheckKey(report);
    if (hooks_.progress)
        hooks_.progress(0, chosen.size());
    for (size_t begin = 0; begin < chosen.size(); begin += kBatch) {
        if (Stopped())
            Stop();
        const size_t end = std::min(chosen.size(), begin + kBatch);
        std::vector<std::string> urls;
        urls.reserve(end - begin);
        for (size_t i = begin; i < end; ++i)
            urls.push_back(chosen[i]->loc);
        Submit(urls, report);
        const std::string now = UtcNow();
        for (size_t i = begin; i < end; ++i)
            ledger[chosen[i]->loc] = LedgerEntry{LedgerText(chosen[i]->lastmod), now};
        SaveLineFile(ledgerPath, LedgerLines(ledger));
        report.submitted = end;
        if (hooks_.progress)
            hooks_.progress(end, chosen.size());
    }
}

} // namespace

IndexNowReport RunIndexNow(const IndexNowRequest& request, const IndexNowHooks& hooks) {
    IndexNowReport report;
    try {
        Run(request, hooks).Go(report);
    } catch (const Halt& halt) {
        report.outcome = halt.outcome;
        report.message = halt.message;
    } catch (const FileError& e) {
        report.outcome = IndexNowOutcome::LocalFileFailed;
        report.message = e.what();
    } catch (const std::exception& e) {
        report.outcome = IndexNowOutcome::LocalFileFailed;
        report.message = e.what();
    }
    return report;
}

} // namespace siteherald
