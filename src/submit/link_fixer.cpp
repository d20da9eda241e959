#include "link_fixer.h"

#include "core/ascii.h"

#include <cstring>

namespace siteherald {

namespace {

constexpr size_t kKeptScratch = 1 << 20;

// The first occurrence of a pattern at or after `from`; memmem skips ahead faster than a
// search that stops at every "<" of a page.
size_t FindPattern(std::string_view text, std::string_view pattern, size_t from = 0) {
    if (from >= text.size())
        return std::string::npos;
    const void* at = memmem(text.data() + from, text.size() - from, pattern.data(), pattern.size());
    return at == nullptr ? std::string::npos : static_cast<const char*>(at) - text.data();
}

// Splits "scheme://rest" into the scheme prefix to keep and the rest; any other address is
// taken as a bare "host/path" under http.
std::pair<std::string, std::string_view> SplitScheme(std::string_view url) {
    if (StartsWithIgnoringCase(url, "https://"))
        return {"https://", url.substr(8)};
    if (StartsWithIgnoringCase(url, "http://"))
        return {"http://", url.substr(7)};
    return {"http://", url};
}

bool IsSchemeChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '-' || c == '.';
}

// True for "scheme:..." addresses (http:, https:, mailto:, javascript:, data:, ...).
bool HasScheme(std::string_view text, size_t at) {
    if (at >= text.size())
        return false;
    const char first = text[at];
    if (!((first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z')))
        return false;
    for (size_t i = at + 1; i < text.size(); ++i) {
        if (text[i] == ':')
            return true;
        if (!IsSchemeChar(text[i]))
            return false;
    }
    return false;
}

// One pass over the line for one pattern, as the page's links are rewritten: each
// occurrence gets the root or directory inserted after it and its marker character replaced
// by a placeholder, so that the restoring pass at the end turns it back. `lower` is kept
// as the lower-case twin of `text`.
void FixPattern(std::string& text, std::string& lower, std::string_view pattern,
                std::string_view placeholder, bool emptyGetsSubmission, const LinkBase& base) {
    size_t pos = FindPattern(lower, pattern);
    if (pos == std::string::npos)
        return;
    // Scratch buffers kept between calls: swapped with the line below, so a page is
    // rewritten without an allocation per line.
    thread_local std::string out;
    thread_local std::string outLower;
    out.clear();
    outLower.clear();
    size_t copied = 0;
    while (pos != std::string::npos) {
        const size_t q = pos + pattern.size();
        out.append(text, copied, pos - copied);
        outLower.append(lower, copied, pos - copied);
        out += placeholder;
        outLower += placeholder;
        out.append(text, pos + 1, q - pos - 1);
        outLower.append(lower, pos + 1, q - pos - 1);

        std::string_view insert;
        const char at = q < text.size() ? text[q] : '\0';
        const bool protocolRelative = at == '/' && q + 1 < text.size() && text[q + 1] == '/';
        if (at == '"' && emptyGetsSubmission)
            insert = base.submission;
        else if (at == '#')
            insert = base.self;
        else if (at == '?')
            insert = base.document;
        else if (HasScheme(text, q) || protocolRelative)
            insert = {};
        else if (at == '/')
            insert = base.root;
        else
            insert = base.directory;
        out += insert;
        outLower += LowerAscii(insert);

        copied = q;
        pos = FindPattern(lower, pattern, q);
    }
    out.append(text, copied);
    outLower.append(lower, copied);
    text.swap(out);
    lower.swap(outLower);
    if (out.capacity() > kKeptScratch) {
        out = std::string(); // the buffers of one huge line are not kept for the next page
        outLower = std::string();
    }
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           EqualsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

// False when the text holds neither a placeholder nor a pattern: every pattern is a stem
// and `="`, so only the `="` of the text need a closer look.
bool MayNeedFixing(std::string_view text) {
    if (text.find('^') != std::string::npos || text.find('$') != std::string::npos)
        return true;
    for (size_t q = text.find('"'); q != std::string::npos; q = text.find('"', q + 1)) {
        if (q == 0 || text[q - 1] != '=')
            continue;
        const std::string_view stem = text.substr(0, q - 1);
        if (EndsWithIgnoringCase(stem, "<a href") || EndsWithIgnoringCase(stem, "<img src") ||
            EndsWithIgnoringCase(stem, "action"))
            return true;
    }
    return false;
}

void ReplaceAll(std::string& text, std::string_view search, std::string_view replacement) {
    size_t pos = text.find(search);
    if (pos == std::string::npos)
        return;
    std::string out;
    out.reserve(text.size());
    size_t copied = 0;
    while (pos != std::string::npos) {
        out.append(text, copied, pos - copied);
        out += replacement;
        copied = pos + search.size();
        pos = text.find(search, copied);
    }
    out.append(text, copied);
    text = std::move(out);
}

} // namespace

LinkBase MakeLinkBase(std::string_view submissionUrl, std::string_view pageAddress) {
    const auto [scheme, rest] = SplitScheme(submissionUrl);
    LinkBase base;
    base.submission = std::string(submissionUrl);
    base.self = std::string(pageAddress);
    base.root = scheme + std::string(rest.substr(0, rest.find('/')));
    base.document = scheme + std::string(rest.substr(0, rest.find_first_of("?#")));
    if (!rest.empty() && rest.back() == '/')
        base.directory = scheme + std::string(rest);
    else if (const size_t slash = rest.rfind('/'); slash != std::string_view::npos)
        base.directory = scheme + std::string(rest.substr(0, slash + 1));
    else
        base.directory = scheme + std::string(rest) + "/";
    return base;
}

void FixLinksInPlace(std::string& text, const LinkBase& base) {
    if (!MayNeedFixing(text))
        return;
    thread_local std::string lower;
    lower.assign(text);
    for (char& c : lower)
        c = LowerAscii(c);
    if (lower.find('<') != std::string::npos) {
        FixPattern(text, lower, "<a href=\"", "^&^", false, base);
        FixPattern(text, lower, "<img src=\"", "^&^", false, base);
    }
    FixPattern(text, lower, "action=\"", "$%$", true, base);
    // Every placeholder goes back, also one that stood in the page already, as the
    // rewriting always did.
    ReplaceAll(text, "^&^", "<");
    ReplaceAll(text, "$%$", "a");
    if (lower.capacity() > kKeptScratch)
        lower = std::string();
}

std::string FixLinks(std::string_view line, const LinkBase& base) {
    std::string text(line);
    FixLinksInPlace(text, base);
    return text;
}

void SearchAndReplace(std::string& text, std::string_view search, std::string_view replacement) {
    const size_t pos = text.find(search);
    if (pos != std::string::npos)
        text.replace(pos, search.size(), replacement);
}

} // namespace siteherald
