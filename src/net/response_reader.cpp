#include "response_reader.h"

#include "core/ascii.h"

#include <cstdlib>

namespace siteherald {

namespace {

std::string_view SkipBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

long long ParseLength(std::string_view text) {
    text = SkipBlanks(text);
    long long value = 0;
    size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value > (1LL << 50))
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return i == 0 ? -1 : value;
}

} // namespace

void ResponseReader::Body(const char* data, size_t size) {
    if (size == 0)
        return;
    ++bodyChunks_;
    bodyBytes_ += static_cast<long long>(size);
    if (sink_)
        sink_(data, size);
}

ResponseReader::Step ResponseReader::Feed(const char* data, size_t size) {
    if (size > 0)
        receivedAnything_ = true;
    if (inBody_) {
        Body(data, size);
        return Step::More;
    }
    buffer_.append(data, size);
    size_t start = 0;
    for (;;) {
        const size_t lf = buffer_.find('\n', std::max(start, scanned_));
        if (lf == std::string::npos) {
            buffer_.erase(0, start);
            scanned_ = buffer_.size();
            return buffer_.size() >= kMaxHeaderLine ? Step::LineTooLong : Step::More;
        }
        if (lf - start >= kMaxHeaderLine)
            return Step::LineTooLong;
        size_t end = lf;
        if (end > start && buffer_[end - 1] == '\r')
            --end;
        const std::string line = buffer_.substr(start, end - start);
        const size_t lineStart = start;
        start = lf + 1;
        scanned_ = start;

        if (line.empty()) {
            if (wholeHeader_ && header_.statusCode >= 400)
                return Step::ErrorStatus;
            if (header_.hasLocation &&
                (!wholeHeader_ || (header_.statusCode >= 300 && header_.statusCode < 400)))
                return Step::Redirect;
            inBody_ = true;
            Body(buffer_.data() + start, buffer_.size() - start);
            buffer_.clear();
            return Step::HeaderEnded;
        }
        const Step step = HeaderLine(line, lineStart);
        if (step != Step::More)
            return step;
    }
}

ResponseReader::Step ResponseReader::HeaderLine(const std::string& line, size_t lineStart) {
    if (StartsWithIgnoringCase(line, "<html>")) {
        // A server that sends no header: the document starts here, line ends and all.
        if (header_.contentType.empty())
            header_.contentType = "text/html";
        inBody_ = true;
        Body(buffer_.data() + lineStart, buffer_.size() - lineStart);
        buffer_.clear();
        return Step::HeaderEnded;
    }
    header_.lines.push_back(line);
    if (line.rfind("HTTP/1.0", 0) == 0 || line.rfind("HTTP/1.1", 0) == 0) {
        const std::string code = line.size() > 9 ? line.substr(9, 3) : std::string();
        header_.statusCode = std::atoi(code.c_str());
        header_.reasonPhrase = line.size() > 13 ? line.substr(13) : std::string();
    } else if (const size_t colon = line.find(':'); colon != std::string::npos) {
        const std::string name = LowerAscii(std::string_view(line).substr(0, colon));
        const std::string_view value = SkipBlanks(std::string_view(line).substr(colon + 1));
        if (name == "location") {
            header_.hasLocation = true;
            header_.location = std::string(value);
        } else if (name == "content-length") {
            header_.contentLength = ParseLength(value);
        } else if (name == "content-type") {
            header_.contentType = LowerAscii(value);
        }
    }
    return header_.statusCode >= 400 && !wholeHeader_ ? Step::ErrorStatus : Step::More;
}

void ResponseReader::RestartForRedirect() {
    buffer_.clear();
    scanned_ = 0;
    inBody_ = false;
    receivedAnything_ = false;
    bodyChunks_ = 0;
    bodyBytes_ = 0;
    header_.hasLocation = false;
    header_.location.clear();
    header_.contentLength = -1;
}

} // namespace siteherald
