// Throughput of filling a downloaded submission page: realistic engine pages of growing size,
// and pages built to make a careless search or join quadratic (those must keep their MB/s as
// they grow).

#include "core/line_file.h"
#include "submit/frame_page.h"
#include "submit/page_builder.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using siteherald::LineList;

// The record of an engine with a typical form: engine line and eight field lines, one of
// them not filled.
const LineList& Record() {
    static const LineList record = {
        "Directory Example|http://www.directory.example/cgi-bin/add.html|"
        "http://www.directory.example/about.html|",
        "url|url|",
        "title|title|",
        "email|email|",
        "description|desc1|",
        "keywords|keywo|",
        "contact|name|",
        "password||",
        "company|busna|",
    };
    return record;
}

// A submission data file as saved from the default profile, with a message attached.
const LineList& DataFile() {
    static const LineList lines = {
        "$PROFILE$DEFAULT",
        "title:Harbour Kayak Tours",
        "url:https://harbour-kayaks.example/",
        "desc1:",
        "Guided sea-kayak tours of the harbour & the islands, for beginners and \"old salts\".",
        "Half-day and full-day trips, sunset paddles and private groups.",
        "$desc1:",
        "keywo:kayak, sea kayaking, harbour tours, paddling, islands, guided tours",
        "desc2:",
        "Small-group tours every day from April to October.",
        "Boats, paddles and dry suits are included; no experience needed.",
        "$desc2:",
        "desc3:",
        "$desc3:",
        "name:Robin Fairweather",
        "email:robin@harbour-kayaks.example",
        "busna:Harbour Kayak Tours Ltd",
        "phone:+44 1632 960 123",
        "addre:3 Quay Street",
        "city:Portsmouth",
        "state:Hampshire",
        "zip:PO1 2AB",
        "count:United Kingdom",
        "Edit11:",
        "$STARTNew tours for 2024",
        "Hello,",
        "we have added two evening tours to our programme.",
        "$ENDNew tours for 2024",
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
        "state",
        "zip",
        "count",
        "None",
        "$FieldNames$",
    };
    return lines;
}

size_t PageBytes(const LineList& page) {
    size_t bytes = 0;
    for (const std::string& line : page)
        bytes += line.size() + 2;
    return bytes;
}

void AppendHead(LineList& page) {
    for (const char* line : {
             "<!DOCTYPE html>",
             "<html lang=\"en\">",
             "<head>",
             "<meta charset=\"utf-8\">",
             "<title>Add your site - Directory Example</title>",
             "<link rel=\"stylesheet\" href=\"/css/site.css\">",
             "<script src=\"/js/forms.js\"></script>",
             "</head>",
             "<body>",
         })
        page.emplace_back(line);
}

// Content without forms: text, navigation, links of every kind and images.
void AppendContentBlock(LineList& page, size_t k) {
    const std::string n = std::to_string(k);
    page.push_back("<div class=\"section\" id=\"s" + n + "\">");
    page.push_back("<h2>Category " + n + ": sites about travel, sport and the outdoors</h2>");
    page.push_back("<p>Browse the <a href=\"category/" + n + ".html\">listings of category " + n +
                   "</a>, go back to the <a href=\"/top/index.html\">top</a> or visit our "
                   "<a href=\"https://partner" +
                   n + ".example/\">partner</a>.</p>");
    page.push_back("<img src=\"images/banner" + n +
                   ".png\" alt=\"Banner\" width=\"468\" height=\"60\">");
    page.push_back("<ul class=\"nav\"><li><a href=\"#s" + n +
                   "\">Back</a></li><li><a href=\"mailto:editor@directory.example\">Write to "
                   "the editor</a></li><li><A HREF=\"/help/faq.html\">FAQ</A></li></ul>");
    page.push_back("<p>Every site is reviewed by hand before it is listed. Reviews take about a "
                   "week; sites that copy the content of others, or that");
    page.push_back("need a plug-in to show anything, are not listed. Please read the "
                   "<a href=\"guidelines.html\">guidelines</a> first.</p>");
    page.push_back("<table class=\"list\"><tr><td><img src=\"/icons/new.gif\" alt=\"\"></td>"
                   "<td><a href=\"http://www.site" +
                   n + ".example/\">Site " + n + "</a> - a listed site</td></tr></table>");
    page.push_back("<script>var section" + n + " = { id: " + n + ", open: false };</script>");
    page.push_back("</div>");
}

// A submission form: text boxes in the forms engines use (quoted, unquoted, with old
// values, spread over lines), a text area, hidden and password boxes.
void AppendFormBlock(LineList& page, size_t k) {
    const std::string n = std::to_string(k);
    page.push_back("<form method=\"post\" action=\"/cgi-bin/add" + n + ".cgi\" name=\"f" + n +
                   "\">");
    page.push_back("<input type=\"hidden\" name=\"cat\" value=\"" + n + "\">");
    page.push_back("<table class=\"form\">");
    page.push_back("<tr><td>Address of your site:</td><td><input type=\"text\" name=\"url\" "
                   "size=\"50\" value=\"http://\"></td></tr>");
    page.push_back("<tr><td>Title:</td><td><input type=\"text\"");
    page.push_back("    name=\"title\" size=\"50\"");
    page.push_back("    maxlength=\"80\"></td></tr>");
    page.push_back("<tr><td>Your e-mail:</td><td><input type=text name=email size=40></td></tr>");
    page.push_back("<tr><td>Your name:</td><td><input name=\"contact\" size=\"40\"></td></tr>");
    page.push_back("<tr><td>Description:</td><td><textarea name=\"description\" rows=\"4\" "
                   "cols=\"50\"></textarea></td></tr>");
    page.push_back("<tr><td>Keywords:</td><td><input type=\"text\" name=\"keywords\" "
                   "size=\"50\"></td></tr>");
    page.push_back("<tr><td>Company:</td><td><input type=\"text\" name=\"company\" size=\"40\" "
                   "value=\"\"></td></tr>");
    page.push_back("<tr><td>Password:</td><td><input type=\"password\" name=\"password\" "
                   "size=\"20\"></td></tr>");
    page.push_back("<tr><td>Referred by:</td><td><input type=\"text\" name=\"ref" + n +
                   "\" size=\"30\"></td></tr>");
    page.push_back("</table>");
    page.push_back("<p><input type=\"submit\" value=\"Add my site\"> <input type=\"reset\" "
                   "value=\"Clear\"></p>");
    page.push_back("</form>");
}

// A realistic engine page of about `bytes` bytes: one form for every three blocks of content.
LineList RealisticPage(size_t bytes) {
    LineList page;
    AppendHead(page);
    size_t size = PageBytes(page);
    for (size_t k = 0; size < bytes; ++k) {
        const size_t before = page.size();
        if (k % 4 == 3)
            AppendFormBlock(page, k);
        else
            AppendContentBlock(page, k);
        for (size_t i = before; i < page.size(); ++i)
            size += page[i].size() + 2;
    }
    page.push_back("</body>");
    page.push_back("</html>");
    return page;
}

// A text box whose ">" never comes: every following line is joined into its line.
LineList UnclosedFormTagPage(size_t lines) {
    LineList page;
    AppendHead(page);
    page.push_back("<form action=\"/cgi-bin/add.cgi\"><input type=\"text\" name=\"url\" "
                   "size=\"50\"");
    for (size_t i = 0; i < lines; ++i)
        page.push_back("  data-row=\"" + std::to_string(i) +
                       "\" <a href=\"page.html\" class=\"field\" title=\"no end in sight\"");
    return page;
}

// One line holding `links` links (about 100 bytes each): relative, rooted and absolute
// anchors and images.
LineList LinkLinePage(size_t links) {
    std::string line = "<p>";
    line.reserve(links * 104);
    for (size_t i = 0; i < links; ++i) {
        const std::string n = std::to_string(i);
        switch (i % 4) {
        case 0:
            line += "<a href=\"results/page" + n + ".html\" class=\"result\" title=\"Result " + n +
                    "\">Result page number " + n + "</a> | ";
            break;
        case 1:
            line += "<a href=\"/catalogue/page" + n + ".html\" class=\"root\" title=\"Page " + n +
                    "\">Catalogue page number " + n + "</a> | ";
            break;
        case 2:
            line += "<a href=\"http://www.other-site.example/path/" + n +
                    "/\" class=\"out\">Another site, number " + n + "</a> | ";
            break;
        default:
            line += "<img src=\"images/thumbnails/p" + n + ".png\" alt=\"Thumbnail " + n +
                    "\" width=\"64\" height=\"48\"> | ";
        }
    }
    line += "</p>";
    LineList page;
    AppendHead(page);
    page.push_back(std::move(line));
    page.push_back("</body></html>");
    return page;
}

// One line holding `tags` tags: form fields (the first of them filled), text areas, links,
// images and plain markup.
LineList TagLinePage(size_t tags) {
    std::string line;
    line.reserve(tags * 40);
    line += "<form action=\"add.cgi\"><input type=\"text\" name=\"url\" value=\"old\">";
    for (size_t i = 1; i < tags; ++i) {
        switch (i % 6) {
        case 0:
            line += "<input type=\"text\" name=\"f" + std::to_string(i) + "\">";
            break;
        case 1:
            line += "<textarea name=\"t\">";
            break;
        case 2:
            line += "</textarea>";
            break;
        case 3:
            line += "<a href=\"x.html\">";
            break;
        case 4:
            line += "<img src=\"i.gif\">";
            break;
        default:
            line += "<b>";
            break;
        }
    }
    LineList page;
    AppendHead(page);
    page.push_back(std::move(line));
    page.push_back("</form></body></html>");
    return page;
}

// EditHTML rewrites its page in place, so every iteration needs a fresh copy. Copies are
// made in batches with the timer stopped, so neither copying nor the pause itself weighs on
// the figure.
class PageCopies {
public:
    explicit PageCopies(LineList page)
        : page_(std::move(page)), bytes_(PageBytes(page_)),
          copies_(std::clamp<size_t>((size_t{64} << 20) / bytes_, 3, 64)) {
        Refill();
    }

    LineList& Next(benchmark::State& state) {
        if (used_ == copies_.size()) {
            state.PauseTiming();
            Refill();
            state.ResumeTiming();
        }
        return copies_[used_++];
    }

    void Refill() {
        for (LineList& copy : copies_)
            copy = page_;
        used_ = 0;
    }

    LineList& Spare() { return copies_[used_++]; }

    size_t bytes() const { return bytes_; }

private:
    LineList page_;
    size_t bytes_;
    std::vector<LineList> copies_;
    size_t used_ = 0;
};

void RunEditHTML(benchmark::State& state, LineList page) {
    PageCopies copies(std::move(page));
    const LineList& record = Record();
    const LineList& data = DataFile();
    // Untimed runs first, so that the heap has grown to what the page needs.
    for (int i = 0; i < 2; ++i)
        siteherald::EditHTML(copies.Spare(), record, data);
    for (auto _ : state) {
        LineList& lines = copies.Next(state);
        siteherald::EditHTML(lines, record, data);
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * copies.bytes()));
    state.counters["page_MB"] = double(copies.bytes()) / 1e6;
}

void BM_EditHTML_Realistic(benchmark::State& state) {
    RunEditHTML(state, RealisticPage(static_cast<size_t>(state.range(0))));
}
BENCHMARK(BM_EditHTML_Realistic)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond);

// The same page minified, as sites ship them today: all of it on one line.
void BM_EditHTML_Minified(benchmark::State& state) {
    std::string line;
    for (const std::string& text : RealisticPage(static_cast<size_t>(state.range(0))))
        line += text;
    RunEditHTML(state, LineList{std::move(line)});
}
BENCHMARK(BM_EditHTML_Minified)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

// What a submission does in memory with a downloaded body: split it, fill it, wrap it in the
// frame page and render both pages.
void BM_SubmissionPage_Realistic(benchmark::State& state) {
    const std::string body =
        siteherald::JoinLines(RealisticPage(static_cast<size_t>(state.range(0))));
    const LineList banner = siteherald::MakeAdBanner("Directory Example");
    const auto build = [&] {
        LineList lines;
        siteherald::LoadStringListFromMemoryStream(lines, body);
        siteherald::EditHTML(lines, Record(), DataFile());
        const std::string main = siteherald::JoinLines(lines);
        const std::string frame = siteherald::JoinLines(siteherald::MakePage(
            siteherald::kMainPageName, siteherald::kAdPageName, banner, lines));
        benchmark::DoNotOptimize(main.data());
        benchmark::DoNotOptimize(frame.data());
    };
    build(); // untimed, to grow the heap
    for (auto _ : state)
        build();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_SubmissionPage_Realistic)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond);

void BM_EditHTML_UnclosedFormTag(benchmark::State& state) {
    RunEditHTML(state, UnclosedFormTagPage(static_cast<size_t>(state.range(0))));
}
BENCHMARK(BM_EditHTML_UnclosedFormTag)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Arg(200'000)
    ->Unit(benchmark::kMillisecond);

void BM_EditHTML_LinkLine(benchmark::State& state) {
    RunEditHTML(state, LinkLinePage(static_cast<size_t>(state.range(0))));
}
BENCHMARK(BM_EditHTML_LinkLine)
    ->Arg(5'000)
    ->Arg(50'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond);

void BM_EditHTML_TagLine(benchmark::State& state) {
    RunEditHTML(state, TagLinePage(static_cast<size_t>(state.range(0))));
}
BENCHMARK(BM_EditHTML_TagLine)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Arg(200'000)
    ->Unit(benchmark::kMillisecond);

} // namespace
