#pragma once

#include "abortable_wait.h"
#include "body_stream.h"
#include "response_reader.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace siteherald {

class Connection;

enum class HttpState {
    Ready = 0,
    Starting = 1,
    Connected = 2,
    Resolving = 3,
    Connecting = 4,
    ReadingHeader = 5,
    ReadingBody = 6,
    Aborting = 7,
};

inline constexpr int kHttpGet = 1;
inline constexpr int kHttpPost = 2;
inline constexpr int kHttpAborted = 3; // the request-done error of an aborted request

struct HttpTimeouts {
    std::chrono::milliseconds connect{30000}; // name lookup, connect and TLS handshake
    std::chrono::milliseconds idle{60000};    // longest wait for the next byte
    // The whole request, redirects included; zero for none.
    std::chrono::milliseconds total{std::chrono::minutes(5)};
};

// The HTTP/1.0 client: one GET or POST at a time, body into ReceiveStream, blocking Get that keeps
// the caller alive through IdleHook (called at least every 20 ms while it waits).
// Abort may be called from the hook or from any other thread.
class THttpCli {
public:
    THttpCli();
    ~THttpCli();
    THttpCli(const THttpCli&) = delete;
    THttpCli& operator=(const THttpCli&) = delete;

    std::string Url;
    BodyStream* ReceiveStream = nullptr;
    std::string Agent = "Siteherald/1.75";
    HttpTimeouts Timeouts;
    int MaxRedirects = 10;
    // The longest body taken; a longer one fails the request. Zero for no limit.
    long long MaxBodyBytes = 20LL * 1024 * 1024;

    std::function<void()> IdleHook;
    std::function<void(THttpCli&)> OnDocEnd;
    std::function<void(THttpCli&, int requestKind, int error)> OnRequestDone;

    // Fetches Url. Returns when the document is complete; throws EHttpException when the
    // client is busy, the request failed, was aborted, or the status is 400 or more.
    // OnRequestDone has run by then.
    void Get();
    // Sends `body` to Url as a POST with the given Content-Type, and reads the answer as Get
    // does, except that the whole header of an answer of 400 or more is read (HeaderField
    // gives its fields) and a redirect (3xx with Location) posts the body again there.
    void Post(const std::string& body, const std::string& contentType);
    void Abort();

    HttpState State() const { return state_.load(); }
    int StatusCode() const { return statusCode_; }
    const std::string& ReasonPhrase() const { return reasonPhrase_; }
    long long ContentLength() const { return reader_ ? reader_->header().contentLength : -1; }
    std::string ContentType() const { return reader_ ? reader_->header().contentType : ""; }
    long long BytesReceived() const { return reader_ ? reader_->bodyBytes() : 0; }
    const std::vector<std::string>& RcvdHeader() const;
    // The value of the last answer's header field `name` (any case), blanks trimmed; empty
    // when it has none.
    std::string HeaderField(const std::string& name) const;
    const std::string& DocName() const { return docName_; }
    // The request text of the last hop, as sent.
    const std::string& RequestText() const { return requestText_; }
    // The last request failed because the server answered with a status of 400 or more
    // (StatusCode), rather than by a network failure, a time-out, a limit or an abort.
    bool ServerRefused() const { return serverRefused_; }
    // Why the last request failed, for the user: the server's status and reason ("404 Not
    // Found"), or the client's own reason when no answer came.
    std::string FailureReason() const {
        return serverRefused_ ? std::to_string(statusCode_) + " " + reasonPhrase_ : reasonPhrase_;
    }

private:
    enum class Hop { Done, Redirect };
    struct Failure {
        int status;
        std::string reason;
        int code; // what Get throws with
    };

    void Run();
    Hop RunHop();
    void Connect(std::chrono::steady_clock::time_point deadline);
    void SendRequest();
    Hop ReadResponse();
    void FollowLocation(const std::string& location);
    SocketWait WaitFor(int fd, short events, std::chrono::steady_clock::time_point deadline);
    void IdleIfDue();
    [[noreturn]] void Fail(const std::string& reason);
    // `reason` unless the whole request has run out of time.
    [[noreturn]] void FailTimedOut(const std::string& reason);
    [[noreturn]] void FailAborted();

    std::atomic<HttpState> state_{HttpState::Ready};
    AbortableWait wait_;

    std::string scheme_;
    std::string hostName_;
    std::string targetHost_;
    std::string targetPort_;
    std::string path_;
    std::string docName_;
    std::string authorization_;
    std::string method_ = "GET";
    std::string body_;
    std::string bodyType_;
    std::string requestText_;
    int statusCode_ = 0;
    std::string reasonPhrase_;
    std::unique_ptr<ResponseReader> reader_;
    std::unique_ptr<Connection> connection_;
    std::chrono::steady_clock::time_point lastIdle_;
    std::chrono::steady_clock::time_point requestDeadline_;
    bool overSize_ = false;
    bool serverRefused_ = false;
};

} // namespace siteherald
