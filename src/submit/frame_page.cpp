#include "frame_page.h"

#include "core/data_dir.h"
#include "page_builder.h"

namespace siteherald {

LineList MakePage(std::string_view mainPage, std::string_view adPage, const LineList& adPageLines,
                  const LineList& pageLines) {
    LineList page;
    page.reserve(adPageLines.size() + pageLines.size() + 12);
    page.push_back("<frameset rows=\"80,*\">");
    page.push_back("<frame name=\"Ad\" src=\"" + std::string(adPage) +
                   "\" marginwidth=\"10\" marginheight=\"10\" scrolling=\"no\" frameborder=\"no\" "
                   "noresize>");
    page.push_back("<frame name=\"Main\" src=\"" + std::string(mainPage) +
                   "\" marginwidth=\"10\" marginheight=\"10\" scrolling=\"auto\" "
                   "frameborder=\"no\" noresize>");
    page.push_back("<noframes>");
    page.push_back("<html>");
    page.push_back("<body>");
    page.insert(page.end(), adPageLines.begin(), adPageLines.end());
    page.push_back("<br><hr align=\"CENTER\" size=\"2\" width=\"100%\" noshade><p>");
    page.insert(page.end(), pageLines.begin(), pageLines.end());
    for (const char* closing : {"</body>", "</html>", "</noframes>", "</frameset>"})
        page.push_back(closing);
    return page;
}

LineList MakeAdBanner(std::string_view engineName) {
    const std::string name = EscapeHtml(engineName);
    return {
        "<meta charset=\"utf-8\">",
        "<title>Siteherald: " + name + "</title>",
        "<div style=\"font-family: sans-serif; font-size: 14px; padding: 6px 10px; "
        "background: #eef3fa; border: 1px solid #b8c8e0; border-radius: 4px\">",
        "<b>Siteherald</b> has filled in the submission form of <b>" + name + "</b> below.",
        "Check every field, then press the engine's own submit button.",
        "</div>",
    };
}

std::string SaveSubmissionPages(const std::string& dir, const LineList& pageLines,
                                const LineList& adPageLines) {
    SaveLineFile(JoinPath(dir, std::string(kMainPageName)), pageLines);
    const std::string framePath = JoinPath(dir, std::string(kFramePageName));
    SaveLineFile(framePath, MakePage(kMainPageName, kAdPageName, adPageLines, pageLines));
    return framePath;
}

} // namespace siteherald
