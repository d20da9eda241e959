#include "sitemap_parser.h"

#include <cstring>
#include <expat.h>
#include <string_view>

namespace siteherald {

namespace {

// Expat joins a namespace and a local name with this byte; it cannot occur in either.
constexpr char kNamespaceEnd = '\n';

// An address is at most 2,048 characters by the protocol; far longer text is not one.
constexpr size_t kMaxFieldText = 64 * 1024;

const char* LocalName(const char* name) {
    const char* end = std::strrchr(name, kNamespaceEnd);
    return end ? end + 1 : name;
}

std::string Trimmed(const std::string& text) {
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string Thousands(size_t n) {
    std::string digits = std::to_string(n);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(static_cast<size_t>(i), ",");
    return digits;
}

} // namespace

struct SitemapParser::Expat {
    XML_Parser parser = XML_ParserCreateNS(nullptr, kNamespaceEnd);
    ~Expat() { XML_ParserFree(parser); }
};

SitemapParser::SitemapParser() : expat_(std::make_unique<Expat>()) {
    if (!expat_->parser)
        throw std::bad_alloc();
    XML_SetUserData(expat_->parser, this);
    XML_SetElementHandler(expat_->parser, &OnStart, &OnEnd);
    XML_SetCharacterDataHandler(expat_->parser, &OnText);
}

SitemapParser::~SitemapParser() = default;

void SitemapParser::Write(const char* data, size_t size) {
    Feed(data, size, false);
}

void SitemapParser::Finish() {
    Feed("", 0, true);
}

void SitemapParser::Feed(const char* data, size_t size, bool final) {
    XML_Parser parser = expat_->parser;
    while (size > 0 || final) {
        const int part = static_cast<int>(std::min<size_t>(size, 1 << 30));
        const bool last = final && static_cast<size_t>(part) == size;
        if (XML_Parse(parser, data, part, last) != XML_STATUS_OK) {
            const auto line = XML_GetCurrentLineNumber(parser);
            const std::string where = " at line " + std::to_string(line);
            if (!error_.empty())
                throw SiteUrlsError(SiteUrlsError::Kind::Damaged, error_ + where);
            throw SiteUrlsError(SiteUrlsError::Kind::Damaged,
                                std::string("bad XML at line ") + std::to_string(line) + ": " +
                                    XML_ErrorString(XML_GetErrorCode(parser)));
        }
        data += part;
        size -= static_cast<size_t>(part);
        if (last)
            break;
    }
}

void SitemapParser::Fail(const std::string& what) {
    if (error_.empty())
        error_ = what;
    XML_StopParser(expat_->parser, XML_FALSE);
}

void SitemapParser::OnStart(void* self, const char* name, const char**) {
    static_cast<SitemapParser*>(self)->Start(LocalName(name));
}

void SitemapParser::OnEnd(void* self, const char*) {
    static_cast<SitemapParser*>(self)->End();
}

void SitemapParser::OnText(void* self, const char* text, int length) {
    auto& parser = *static_cast<SitemapParser*>(self);
    if (parser.field_ == Field::None)
        return;
    if (parser.text_.size() + static_cast<size_t>(length) > kMaxFieldText)
        return parser.Fail("an address longer than " + Thousands(kMaxFieldText) + " bytes");
    parser.text_.append(text, static_cast<size_t>(length));
}

void SitemapParser::Start(const char* local) {
    const std::string_view name(local);
    ++depth_;
    if (depth_ == 1) {
        if (name == "urlset")
            root_ = Root::UrlSet;
        else if (name == "sitemapindex")
            root_ = Root::Index;
        else
            Fail("not a sitemap: its root element is <" + std::string(name) +
                 ">, not <urlset> or <sitemapindex>");
    } else if (depth_ == 2) {
        inEntry_ = name == (root_ == Root::UrlSet ? "url" : "sitemap");
        entry_ = {};
    } else if (depth_ == 3 && inEntry_) {
        field_ = name == "loc"                                ? Field::Loc
                 : name == "lastmod" && root_ == Root::UrlSet ? Field::Lastmod
                                                              : Field::None;
        text_.clear();
    }
}

void SitemapParser::End() {
    if (depth_ == 3 && field_ != Field::None) {
        (field_ == Field::Loc ? entry_.loc : entry_.lastmod) = Trimmed(text_);
        field_ = Field::None;
        text_.clear();
    } else if (depth_ == 2 && inEntry_) {
        inEntry_ = false;
        if (!entry_.loc.empty()) {
            const bool index = root_ == Root::Index;
            const size_t limit = index ? kMaxIndexSitemaps : kMaxSitemapUrls;
            if (++count_ > limit) {
                --depth_;
                return Fail(index ? "an index of more than " + Thousands(limit) +
                                        " sitemaps, the sitemaps limit"
                                  : "more than " + Thousands(limit) +
                                        " addresses, the sitemaps limit");
            }
            if (index) {
                if (onSitemap)
                    onSitemap(std::move(entry_.loc));
            } else if (onUrl) {
                onUrl(std::move(entry_));
            }
        }
        entry_ = {};
    }
    --depth_;
}

} // namespace siteherald
