#include "http_client.h"

#include "connection.h"
#include "core/ascii.h"
#include "core/base64.h"
#include "http_exception.h"
#include "resolver.h"
#include "tcp_connect.h"
#include "url_parts.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace siteherald {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kIdleInterval = std::chrono::milliseconds(10);
constexpr auto kPollSlice = std::chrono::milliseconds(20); // the longest the idle hook waits
constexpr size_t kReceiveBuffer = 256 * 1024;

// Raised inside a request to end it; Get turns it into the request's outcome.
struct RequestFailure {
    int status;
    std::string reason;
    int code;
};

std::string DefaultPort(const std::string& scheme) {
    return scheme == "https" ? "443" : "80";
}

// "[::1]" -> "::1" for the lookup; the Host line keeps the brackets.
std::string LookupName(const std::string& host) {
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        return host.substr(1, host.size() - 2);
    return host;
}

// "5 minutes", "30 seconds", or "300 ms" for the short time-outs tests use.
std::string DurationText(std::chrono::milliseconds d) {
    if (d.count() == 60000)
        return "1 minute";
    if (d.count() % 60000 == 0)
        return std::to_string(d.count() / 60000) + " minutes";
    if (d.count() % 1000 == 0)
        return std::to_string(d.count() / 1000) + " seconds";
    return std::to_string(d.count()) + " ms";
}

// "20 MB", or "1000 bytes" for the small limits tests use.
std::string SizeText(long long bytes) {
    constexpr long long kMB = 1024 * 1024;
    if (bytes % kMB == 0)
        return std::to_string(bytes / kMB) + " MB";
    return std::to_string(bytes) + " bytes";
}

std::string ErrnoText(int err) {
    return std::string(std::strerror(err)) + " (Error #" + std::to_string(err) + ")";
}

} // namespace

THttpCli::THttpCli() = default;
THttpCli::~THttpCli() = default;

const std::vector<std::string>& THttpCli::RcvdHeader() const {
    static const std::vector<std::string> none;
    return reader_ ? reader_->header().lines : none;
}

void THttpCli::Abort() {
    if (state_.load() == HttpState::Ready)
        return;
    wait_.Abort();
}

void THttpCli::Fail(const std::string& reason) {
    throw RequestFailure{404, reason, 404};
}

void THttpCli::FailTimedOut(const std::string& reason) {
    if (Clock::now() >= requestDeadline_)
        Fail("The server took longer than " + DurationText(Timeouts.total) + ".");
    Fail(reason);
}

void THttpCli::FailAborted() {
    throw RequestFailure{404, "Connection aborted on request", 404};
}

void THttpCli::IdleIfDue() {
    const auto now = Clock::now();
    if (now - lastIdle_ < kIdleInterval)
        return;
    lastIdle_ = now;
    if (IdleHook)
        IdleHook();
}

SocketWait THttpCli::WaitFor(int fd, short events, Clock::time_point deadline) {
    return wait_.Wait(
        fd, events, std::min(deadline, requestDeadline_), [this] { IdleIfDue(); }, kPollSlice);
}

std::string THttpCli::HeaderField(const std::string& name) const {
    std::string value;
    for (const std::string& line : RcvdHeader()) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos || !EqualsIgnoringCase(line.substr(0, colon), name))
            continue;
        value = TrimmedAscii(std::string_view(line).substr(colon + 1), " \t");
    }
    return value;
}

void THttpCli::Get() {
    if (state_.load() != HttpState::Ready)
        throw EHttpException("HTTP component is busy", 1);
    method_ = "GET";
    body_.clear();
    bodyType_.clear();
    Run();
}

void THttpCli::Post(const std::string& body, const std::string& contentType) {
    if (state_.load() != HttpState::Ready)
        throw EHttpException("HTTP component is busy", 1);
    method_ = "POST";
    body_ = body;
    bodyType_ = contentType;
    Run();
}

void THttpCli::Run() {
    // Cleared before the state leaves Ready, so an Abort from another thread from then on
    // is never lost.
    wait_.Clear();
    state_ = HttpState::Starting;
    lastIdle_ = Clock::now();
    requestDeadline_ =
        Timeouts.total.count() > 0 ? lastIdle_ + Timeouts.total : Clock::time_point::max();
    overSize_ = false;
    serverRefused_ = false;
    statusCode_ = 0;
    reasonPhrase_.clear();
    requestText_.clear();
    reader_ = std::make_unique<ResponseReader>(
        [this](const char* data, size_t size) {
            // Past the limit nothing more is kept; ReadResponse ends the request.
            if (MaxBodyBytes > 0 && reader_->bodyBytes() > MaxBodyBytes)
                overSize_ = true;
            else if (ReceiveStream)
                ReceiveStream->Write(data, size);
        },
        method_ == "POST");

    const UrlParts url = SplitUrl(Url);
    scheme_ = url.scheme.empty() ? "http" : LowerAscii(url.scheme);
    hostName_ = url.host;
    path_ = url.path.empty() ? "/" : url.path;
    docName_ = DocumentName(path_);
    targetHost_ = url.host;
    targetPort_ = url.port.empty() ? DefaultPort(scheme_) : url.port;
    authorization_ = url.user.empty() && url.password.empty()
                         ? std::string()
                         : Base64(url.user + ":" + url.password);

    std::optional<RequestFailure> failure;
    bool lineTooLong = false;
    try {
        if (scheme_ != "http" && scheme_ != "https")
            Fail("unsupported address \"" + Url + "\": only http and https can be fetched");
        if (targetHost_.empty())
            throw RequestFailure{404, "DNS lookup: invalid host name.", 404};
        int redirects = 0;
        while (RunHop() == Hop::Redirect) {
            if (++redirects > MaxRedirects)
                Fail("too many redirects");
            FollowLocation(reader_->header().location);
            reader_->RestartForRedirect();
        }
    } catch (const RequestFailure& f) {
        failure = f;
        lineTooLong = f.code == 4;
    } catch (...) {
        // Something thrown from the idle hook: the client is left ready for the next request.
        connection_.reset();
        state_ = HttpState::Ready;
        wait_.Clear();
        throw;
    }
    const bool aborted = wait_.Aborted();
    if (aborted) {
        failure = RequestFailure{404, "Connection aborted on request", 404};
        lineTooLong = false;
        serverRefused_ = false;
    }
    if (failure && !lineTooLong) {
        statusCode_ = failure->status;
        reasonPhrase_ = failure->reason;
    }
    connection_.reset();
    if (reader_->bodyChunks() > 0 && OnDocEnd)
        OnDocEnd(*this);
    state_ = HttpState::Ready;
    wait_.Clear();
    if (OnRequestDone)
        OnRequestDone(*this, method_ == "POST" ? kHttpPost : kHttpGet, aborted ? kHttpAborted : 0);
    if (failure)
        throw EHttpException(failure->reason, failure->code);
    if (statusCode_ >= 400)
        throw EHttpException(reasonPhrase_, statusCode_);
}

THttpCli::Hop THttpCli::RunHop() {
    connection_.reset();
    Connect(Clock::now() + Timeouts.connect);
    SendRequest();
    return ReadResponse();
}

void THttpCli::Connect(Clock::time_point deadline) {
    state_ = HttpState::Resolving;
    const auto lookup = Resolution::Start(LookupName(targetHost_), targetPort_);
    switch (WaitFor(lookup->readyFd(), POLLIN, deadline)) {
    case SocketWait::Aborted:
        FailAborted();
    case SocketWait::TimedOut:
        FailTimedOut("can't resolve hostname to IP address: no answer within " +
                     DurationText(Timeouts.connect));
    case SocketWait::Ready:
        break;
    }
    const auto addresses = lookup->addresses();
    if (addresses.empty())
        Fail("can't resolve hostname to IP address");

    state_ = HttpState::Connecting;
    const TcpConnectResult connected = ConnectToAny(
        addresses, [&](int socket, short events) { return WaitFor(socket, events, deadline); });
    if (connected.aborted)
        FailAborted();
    const int fd = connected.fd;
    if (fd < 0 && connected.error == ETIMEDOUT)
        FailTimedOut("Connection timed out: no connection within " +
                     DurationText(Timeouts.connect));
    if (fd < 0)
        Fail("can't connect: " + ErrnoText(connected.error));

    if (scheme_ == "https") {
        std::string error;
        connection_ = MakeTlsConnection(fd, LookupName(targetHost_), error);
        if (!connection_)
            Fail(error);
        for (;;) {
            const Connection::Result r = connection_->Handshake();
            if (!r.error.empty())
                Fail(r.error);
            if (r.want == Connection::Want::Nothing)
                break;
            const SocketWait wait = WaitFor(
                connection_->fd(), r.want == Connection::Want::Read ? POLLIN : POLLOUT, deadline);
            if (wait == SocketWait::Aborted)
                FailAborted();
            if (wait == SocketWait::TimedOut)
                FailTimedOut("Connection timed out: no TLS handshake within " +
                             DurationText(Timeouts.connect));
        }
    } else {
        connection_ = MakePlainConnection(fd);
    }
    state_ = HttpState::Connected;
}

void THttpCli::SendRequest() {
    state_ = HttpState::ReadingHeader;
    requestText_ = method_ + " " + path_ + " HTTP/1.0\r\n";
    if (!Agent.empty())
        requestText_ += "User-Agent: " + Agent + "\r\n";
    requestText_ += "Host: " + hostName_ + "\r\n";
    if (!authorization_.empty())
        requestText_ += "Authorization: Basic " + authorization_ + "\r\n";
    if (method_ == "POST")
        requestText_ += "Content-Type: " + bodyType_ +
                        "\r\nContent-Length: " + std::to_string(body_.size()) + "\r\n";
    requestText_ += "\r\n";
    if (method_ == "POST")
        requestText_ += body_;

    size_t sent = 0;
    while (sent < requestText_.size()) {
        const Connection::Result r =
            connection_->Write(requestText_.data() + sent, requestText_.size() - sent);
        if (!r.error.empty())
            Fail(r.error);
        if (r.bytes > 0) {
            sent += static_cast<size_t>(r.bytes);
            continue;
        }
        const SocketWait wait =
            WaitFor(connection_->fd(), r.want == Connection::Want::Read ? POLLIN : POLLOUT,
                    Clock::now() + Timeouts.idle);
        if (wait == SocketWait::Aborted)
            FailAborted();
        if (wait == SocketWait::TimedOut)
            FailTimedOut("the server accepted no request for " + DurationText(Timeouts.idle));
    }
}

THttpCli::Hop THttpCli::ReadResponse() {
    std::vector<char> buffer(kReceiveBuffer);
    auto lastByte = Clock::now();
    for (;;) {
        if (wait_.Aborted())
            FailAborted();
        const Connection::Result r = connection_->Read(buffer.data(), buffer.size());
        if (r.bytes > 0) {
            lastByte = Clock::now();
            ResponseReader::Step step;
            try {
                step = reader_->Feed(buffer.data(), static_cast<size_t>(r.bytes));
            } catch (const std::exception& e) {
                Fail(std::string("cannot store the document: ") + e.what());
            }
            state_ = reader_->inBody() ? HttpState::ReadingBody : HttpState::ReadingHeader;
            if (overSize_ || (step == ResponseReader::Step::HeaderEnded && MaxBodyBytes > 0 &&
                              reader_->header().contentLength > MaxBodyBytes))
                Fail("The page is larger than " + SizeText(MaxBodyBytes) + ".");
            if (Clock::now() >= requestDeadline_)
                FailTimedOut("");
            switch (step) {
            case ResponseReader::Step::Redirect:
                connection_.reset();
                return Hop::Redirect;
            case ResponseReader::Step::ErrorStatus:
                connection_.reset();
                serverRefused_ = true;
                throw RequestFailure{reader_->header().statusCode, reader_->header().reasonPhrase,
                                     reader_->header().statusCode};
            case ResponseReader::Step::LineTooLong:
                connection_.reset();
                throw RequestFailure{statusCode_, "HTTP line too long", 4};
            case ResponseReader::Step::More:
            case ResponseReader::Step::HeaderEnded:
                break;
            }
            statusCode_ = reader_->header().statusCode;
            reasonPhrase_ = reader_->header().reasonPhrase;
            IdleIfDue();
            continue;
        }
        if (r.closed)
            break;
        if (!r.error.empty())
            Fail(r.error);
        const SocketWait wait =
            WaitFor(connection_->fd(), r.want == Connection::Want::Write ? POLLOUT : POLLIN,
                    lastByte + Timeouts.idle);
        if (wait == SocketWait::Aborted)
            FailAborted();
        if (wait == SocketWait::TimedOut)
            FailTimedOut("Connection timed out: no data from the server for " +
                         DurationText(Timeouts.idle));
    }

    const ResponseHeader& header = reader_->header();
    statusCode_ = header.statusCode;
    reasonPhrase_ = header.reasonPhrase;
    if (!reader_->receivedAnything())
        Fail("the server closed the connection without an answer");
    if (!reader_->inBody()) {
        if (header.hasLocation)
            return Hop::Redirect;
        Fail("the server closed the connection before the end of the header");
    }
    if (header.contentLength >= 0 && reader_->bodyBytes() < header.contentLength)
        Fail("connection closed before the end of the document");
    return Hop::Done;
}

void THttpCli::FollowLocation(const std::string& location) {
    if (location.size() >= 2 && location[0] == '/' && location[1] == '/') {
        FollowLocation(scheme_ + ":" + location);
        return;
    }
    if (!location.empty() && location[0] == '/') {
        path_ = location;
    } else if (location.find("://") != std::string::npos) {
        const UrlParts url = SplitUrl(location);
        const std::string scheme = LowerAscii(url.scheme);
        if (scheme != "http" && scheme != "https")
            Fail("unsupported redirect to \"" + location + "\"");
        if (scheme != scheme_ && url.port.empty())
            targetPort_ = DefaultPort(scheme);
        scheme_ = scheme;
        if (!url.host.empty()) {
            targetHost_ = url.host;
            hostName_ = url.host;
        }
        if (!url.port.empty())
            targetPort_ = url.port;
        path_ = url.path.empty() ? "/" : url.path;
    } else {
        // Relative to the current document's folder.
        const size_t slash = path_.rfind('/');
        path_ = path_.substr(0, slash == std::string::npos ? 0 : slash + 1) + location;
    }
    docName_ = DocumentName(path_);
}

} // namespace siteherald
