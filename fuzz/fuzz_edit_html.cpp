// Fills a page the way a submission does, all in memory. The input holds up to three parts,
// each ended by a line "%%":
//
//   engine line and field lines of the record
//   %%
//   lines of the submission data file
//   %%
//   the downloaded page (the rest of the input, bytes as they come)
//
// Without a "%%" line the whole input is the page, filled with a built-in record and data
// file; with one, the record comes from the input and the data file is built in.

#include "core/line_file.h"
#include "core/pipe_record.h"
#include "submit/clipboard_value.h"
#include "submit/frame_page.h"
#include "submit/page_builder.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using siteherald::LineList;

namespace {

const LineList kRecord = {
    "Demo Engine|http://search.example/cgi-bin/add.html|http://search.example/about.html|",
    "url|url|",
    "title|title|",
    "email|email|",
    "description|desc1|",
    "contact|name|",
    "password||",
};

const LineList kDataFile = {
    "$PROFILE$DEFAULT",
    "title:Harbour Kayak Tours",
    "url:https://harbour-kayaks.example/",
    "desc1:",
    "",
    "Guided tours of the harbour & the islands, for \"old salts\" <and> beginners.",
    "Boats included.",
    "$desc1:",
    "name:Robin Fairweather",
    "email:robin@harbour-kayaks.example",
    "$FieldNames$",
    "title",
    "url",
    "desc1",
    "name",
    "email",
    "$FieldNames$",
};

// Takes the text up to the first line that is exactly "%%" (LF or CR LF ended) off the
// front of `rest`; false, leaving `rest` alone, when there is no such line.
bool TakePart(std::string_view& rest, std::string_view& part) {
    for (size_t at = 0; at < rest.size();) {
        const size_t end = rest.find('\n', at);
        if (end == std::string_view::npos)
            break;
        std::string_view line = rest.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line == "%%") {
            part = rest.substr(0, at);
            rest.remove_prefix(end + 1);
            return true;
        }
        at = end + 1;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    LineList record = kRecord;
    LineList dataFile = kDataFile;
    std::string_view part;
    if (TakePart(rest, part)) {
        record = siteherald::SplitLines(part);
        if (TakePart(rest, part))
            dataFile = siteherald::SplitLines(part);
    }
    LineList page;
    siteherald::LoadStringListFromMemoryStream(page, rest);

    // Field tags over several lines are joined, and a value never splits a line in memory.
    const size_t lines = page.size();
    siteherald::EditHTML(page, record, dataFile);
    if (page.size() > lines)
        std::abort();

    for (size_t j = 1; j < record.size(); ++j)
        siteherald::GetClipboard(dataFile, siteherald::PipeField(record[j], 2));
    const std::string name = record.empty() ? std::string() : siteherald::PipeField(record[0], 1);
    const LineList frame = siteherald::MakePage(siteherald::kMainPageName, siteherald::kAdPageName,
                                                siteherald::MakeAdBanner(name), page);
    siteherald::JoinLines(frame);
    return 0;
}
