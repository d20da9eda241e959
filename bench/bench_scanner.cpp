// Throughput of scanning an engine's page for its fields: realistic pages of growing size, and
// pages built to make the scan quadratic (those must keep their MB/s as they grow).

#include "submit/form_scanner.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <string>

namespace {

const char* const kHead = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                          "<title>Suggest a site - Directory Example</title>\n"
                          "<script src=\"/js/forms.js\"></script>\n</head>\n<body>\n";

void AppendContent(std::string& page, const std::string& n) {
    page += "<div class=\"section\" id=\"s" + n + "\">\n<h2>Category " + n +
            ": travel, sport and the outdoors</h2>\n<p>Browse the <a href=\"category/" + n +
            ".html\">listings</a>, the <A HREF=\"/top/index.html\">top</A> or our <a "
            "href=\"https://partner" +
            n + ".example/\">partner</a>.</p>\n<img src=\"images/banner" + n +
            ".png\" alt=\"Banner\" width=\"468\" height=\"60\">\n"
            "<p>Every site is reviewed by hand before it is listed; reviews take a week.\n"
            "Please read the <a href=\"guidelines.html\">guidelines</a> first.</p>\n"
            "<script>\nvar section" +
            n + " = { id: " + n + ", open: false };\n</script>\n</div>\n";
}

void AppendForm(std::string& page, const std::string& n) {
    page += "<FORM METHOD=\"post\" ACTION=\"/cgi-bin/add" + n +
            ".cgi\">\n"
            "<input type=\"hidden\" name=\"cat\" value=\"" +
            n +
            "\"><input type=hidden name=step value=2><input type=\"text\" name=\"url\" "
            "size=\"50\">\n<table>\n<tr><td>Title:</td><td><INPUT TYPE=\"text\"\n"
            "    NAME=\"title\" SIZE=\"50\"\n    MAXLENGTH=\"80\"></td></tr>\n"
            "<tr><td>E-mail:</td><td><input type=text name=email size=40></td></tr>\n"
            "<tr><td>Name:</td><td>< input name=\"contact\" size=\"40\" ></td></tr>\n"
            "<tr><td>Description:</td><td><textarea name=\"description\" rows=\"4\"\n"
            "    cols=\"50\"></textarea></td></tr>\n"
            "<tr><td>Password:</td><td><input type=\"password\" name=\"pw\"></td></tr>\n"
            "<tr><td><input type=\"checkbox\" name=\"agree\"> I agree</td></tr>\n</table>\n"
            "<p><input type=\"submit\" value=\"Add\"> <input type=\"reset\"></p>\n</FORM>\n";
}

// A realistic engine page of about `bytes` bytes: one form for every three blocks of content.
std::string RealisticPage(size_t bytes) {
    std::string page = kHead;
    for (size_t k = 0; page.size() < bytes; ++k) {
        if (k % 4 == 3)
            AppendForm(page, std::to_string(k));
        else
            AppendContent(page, std::to_string(k));
    }
    return page + "</body>\n</html>\n";
}

// One form whose one line holds `tags` tags: text boxes, text areas, hidden fields, links.
std::string TagLinePage(size_t tags) {
    std::string page = std::string(kHead) + "<form action=\"add.cgi\">";
    for (size_t i = 0; i < tags; ++i) {
        switch (i % 5) {
        case 0:
            page += "<input type=\"text\" name=\"f" + std::to_string(i) + "\" size=9>";
            break;
        case 1:
            page += "<textarea name=\"t\" rows=2></textarea>";
            break;
        case 2:
            page += "<input type=hidden name=h value=1>";
            break;
        case 3:
            page += "<a href=\"x.html\">";
            break;
        default:
            page += "<img src=\"i.gif\">";
        }
    }
    return page + "\n</form>\n</body></html>\n";
}

// One line holding `forms` small forms, as a page with its markup on a single line has; when
// it is the page's last line, it is never taken into a form.
std::string FormLinePage(size_t forms, bool lastLine) {
    std::string page = kHead;
    for (size_t i = 0; i < forms; ++i)
        page += "<form action=\"a.cgi\"><input type=\"text\" name=\"q\" size=9></form>";
    return lastLine ? page : page + "\n</body></html>\n";
}

// A text box whose ">" never comes: `lines` lines of "<input name=a ", or one line of them.
std::string UnclosedTagPage(size_t tags, bool oneLine) {
    std::string page = std::string(kHead) + "<form>\n";
    for (size_t i = 0; i < tags; ++i)
        page += oneLine ? "<input name=a " : "<input name=a \n";
    return page + "\n</body></html>\n";
}

void RunScan(benchmark::State& state, const std::string& page) {
    size_t fields = siteherald::ScanPage(page).size(); // untimed, to grow the heap
    for (auto _ : state) {
        const auto found = siteherald::ScanPage(page);
        benchmark::DoNotOptimize(found.data());
        fields = found.size();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
    state.counters["page_MB"] = double(page.size()) / 1e6;
    state.counters["fields"] = double(fields);
}

void BM_ScanPage_Realistic(benchmark::State& state) {
    RunScan(state, RealisticPage(static_cast<size_t>(state.range(0))));
}
BENCHMARK(BM_ScanPage_Realistic)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond);

// The same page minified, as sites ship them today: all of it on one line.
void BM_ScanPage_Minified(benchmark::State& state) {
    std::string page = RealisticPage(static_cast<size_t>(state.range(0)));
    std::erase(page, '\n');
    RunScan(state, page);
}
BENCHMARK(BM_ScanPage_Minified)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

void BM_ScanPage_TagLine(benchmark::State& state) {
    RunScan(state, TagLinePage(static_cast<size_t>(state.range(0))));
}
BENCHMARK(BM_ScanPage_TagLine)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

// Many forms on one line: each is taken from a position that only moves forward, so MB/s
// holds from 100 to 10,000 forms.
void BM_ScanPage_FormLine(benchmark::State& state) {
    RunScan(state, FormLinePage(static_cast<size_t>(state.range(0)), false));
}
BENCHMARK(BM_ScanPage_FormLine)->Arg(100)->Arg(10'000)->Unit(benchmark::kMillisecond);

void BM_ScanPage_FormLineLast(benchmark::State& state) {
    RunScan(state, FormLinePage(static_cast<size_t>(state.range(0)), true));
}
BENCHMARK(BM_ScanPage_FormLineLast)->Arg(100)->Arg(10'000)->Unit(benchmark::kMillisecond);

void BM_ScanPage_UnclosedTagLines(benchmark::State& state) {
    RunScan(state, UnclosedTagPage(static_cast<size_t>(state.range(0)), false));
}
BENCHMARK(BM_ScanPage_UnclosedTagLines)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

void BM_ScanPage_UnclosedTagOneLine(benchmark::State& state) {
    RunScan(state, UnclosedTagPage(static_cast<size_t>(state.range(0)), true));
}
BENCHMARK(BM_ScanPage_UnclosedTagOneLine)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

} // namespace
