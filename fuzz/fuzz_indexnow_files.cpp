// The readers of IndexNow's files and answers, each given the whole input: a ledger and
// indexnow.dat read back as saved once saved; a Retry-After is never a negative wait nor over
// a year; a JSON string literal holds no raw control character and only known escapes; the
// header of an answer to a POST stops at ErrorStatus only for 400 or more, and redirects only
// for a 3xx.

#include "fuzz_check.h"
#include "index/indexnow_files.h"
#include "net/response_reader.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace siteherald;

namespace {

bool SameRecords(const std::vector<IndexNowKeyRecord>& a, const std::vector<IndexNowKeyRecord>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].host != b[i].host || a[i].key != b[i].key || a[i].keyLocation != b[i].keyLocation)
            return false;
    return true;
}

void CheckJson(std::string_view in) {
    const std::string json = JsonString(in);
    Check(json.size() >= 2 && json.front() == '"' && json.back() == '"');
    for (size_t i = 1; i + 1 < json.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(json[i]);
        Check(c >= 0x20 && c != '"');
        if (c != '\\')
            continue;
        Check(i + 2 < json.size());
        const char e = json[++i];
        Check(std::string_view("\"\\nrtu").find(e) != std::string_view::npos);
        if (e == 'u') {
            Check(i + 5 < json.size());
            for (int k = 1; k <= 4; ++k)
                Check(std::string_view("0123456789abcdef").find(json[i + k]) !=
                      std::string_view::npos);
            i += 4;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const LineList lines = SplitLines(in);

    const LineList ledgerLines = LedgerLines(ParseLedger(lines));
    Check(LedgerLines(ParseLedger(ledgerLines)) == ledgerLines);

    const std::vector<IndexNowKeyRecord> records =
        ParseKeyRecords(KeyRecordLines(ParseKeyRecords(lines)));
    Check(SameRecords(ParseKeyRecords(KeyRecordLines(records)), records));
    for (const IndexNowKeyRecord& r : records)
        Check(ValidIndexNowKey(r.key));

    if (const auto wait = ParseRetryAfter(in, 1765000000))
        Check(wait->count() >= 0 && wait->count() <= 365LL * 86400);

    CheckJson(in);

    ResponseReader reader(nullptr, true);
    const ResponseReader::Step step = reader.Feed(in.data(), in.size());
    const int status = reader.header().statusCode;
    if (step == ResponseReader::Step::ErrorStatus)
        Check(status >= 400);
    if (step == ResponseReader::Step::Redirect)
        Check(status >= 300 && status < 400);
    return 0;
}
