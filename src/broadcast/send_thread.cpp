#include "send_thread.h"

#include "broadcast_errors.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace siteherald {

SendOutcome SendThread::Run(const std::function<void()>& idle) {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    SendOutcome outcome;
    std::thread worker([&] {
        SendOutcome result;
        try {
            Execute();
            result.sent = true;
        } catch (const std::exception& error) {
            result.error = DescribeSendError(error);
            result.timedOut = IsTimeOut(error);
            result.endsServer = result.timedOut || dynamic_cast<const ESecurityError*>(&error);
        } catch (...) {
            result.error = "Unknown error";
        }
        const std::lock_guard lock(mutex);
        outcome = std::move(result);
        done = true;
        ended.notify_one();
    });
    for (;;) {
        {
            std::unique_lock lock(mutex);
            if (ended.wait_for(lock, std::chrono::milliseconds(20), [&] { return done; }))
                break;
        }
        if (idle)
            idle();
    }
    worker.join();
    return outcome;
}

} // namespace siteherald
