#pragma once

#include "mail_news.h"

#include <functional>
#include <string>

namespace siteherald {

struct SendOutcome {
    bool sent = false;
    std::string error;     // why the send failed
    bool timedOut = false; // because the server did not answer in time
    // Because of TLS or the login: the next send to this server would fail the same way.
    bool endsServer = false;
};

// One send on a worker thread of its own. Run starts it and waits for its end, calling `idle`
// on the waiting thread at least every 20 ms (a window processes its events there), so the
// caller keeps working while the server is slow.
class SendThread {
public:
    virtual ~SendThread() = default;
    SendOutcome Run(const std::function<void()>& idle);

protected:
    virtual void Execute() = 0;
};

class TEmailThread : public SendThread {
public:
    explicit TEmailThread(T_Mail& mail) : mail_(mail) {}

protected:
    void Execute() override { mail_.SendMessage(); }

private:
    T_Mail& mail_;
};

class TNewsThread : public SendThread {
public:
    explicit TNewsThread(T_News& news) : news_(news) {}

protected:
    void Execute() override { news_.SendMessage(); }

private:
    T_News& news_;
};

} // namespace siteherald
