#include "sitemap_parser.h"

#include "core/ascii.h"

#include <cstring>
#include <expat.h>
#include <string_view>

namespace siteherald {

namespace {

// An address is at most 2,048 characters by the protocol; far longer text is not one.
constexpr size_t kMaxFieldText = 64 * 1024;

// Elements are known by their local name, whatever namespace their prefix stands for: expat
// runs without namespace processing, which costs a third of its time.
const char* LocalName(const char* name) {
    const char* colon = std::strchr(name, ':');
    return colon ? colon + 1 : name;
}

std::string Thousands(size_t n) {
    const std::string digits = std::to_string(n);
    std::string text;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    return text;
}

} // namespace

struct SitemapParser::Expat {
    XML_Parser parser = XML_ParserCreate(nullptr);
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
            if (!error_.empty())
                throw SiteUrlsError(SiteUrlsError::Kind::Damaged,
                                    error_ + " at line " + std::to_string(errorLine_));
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

void SitemapParser::Fail(const std::string& what, unsigned long line) {
    if (error_.empty()) {
        error_ = what;
        errorLine_ = line;
    }
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
        return parser.Fail("an address longer than " + Thousands(kMaxFieldText) + " bytes",
                           parser.fieldLine_);
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
                     ">, not <urlset> or <sitemapindex>",
                 XML_GetCurrentLineNumber(expat_->parser));
    } else if (depth_ == 2) {
        inEntry_ = name == (root_ == Root::UrlSet ? "url" : "sitemap");
        entry_ = {};
    } else if (depth_ == 3 && inEntry_) {
        field_ = name == "loc"                                ? Field::Loc
                 : name == "lastmod" && root_ == Root::UrlSet ? Field::Lastmod
                                                              : Field::None;
        text_.clear();
        fieldLine_ = XML_GetCurrentLineNumber(expat_->parser);
    }
}

void SitemapParser::End() {
    if (depth_ == 3 && field_ != Field::None) {
        (field_ == Field::Loc ? entry_.loc : entry_.lastmod) = TrimmedAscii(text_);
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
                                        " addresses, the sitemaps limit",
                            XML_GetCurrentLineNumber(expat_->parser));
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
