#include "keyring.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <memory>
#include <qt6keychain/keychain.h>
#include <type_traits>

namespace siteherald {

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Starts `job` and waits for it. A job that outlives the wait is left to finish and delete
// itself: the keyring may still call back into it. Clicks and keys wait meanwhile, so that a
// second send cannot start inside the first one's password lookup.
template <class Job> KeyringResult Run(Job* job, int waitMs) {
    std::unique_ptr<QCoreApplication> ownApp;
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "siteherald";
        static char* argv[] = {name, nullptr};
        ownApp = std::make_unique<QCoreApplication>(argc, argv);
    }
    KeyringResult result;
    bool finished = false;
    QEventLoop loop; // after the two above: its end cuts the connection before theirs
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        if (job->error() == QKeychain::NoError) {
            result.status = KeyringResult::Status::Done;
            if constexpr (std::is_same_v<Job, QKeychain::ReadPasswordJob>)
                result.password = job->textData().toStdString();
        } else if (job->error() == QKeychain::EntryNotFound) {
            result.status = KeyringResult::Status::NotFound;
        } else {
            result.error = job->errorString().toStdString();
            if (result.error.empty())
                result.error = "the keyring gave no reason";
        }
        loop.quit();
    });
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
    job->start();
    if (!finished)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!finished)
        result.error =
            "the keyring did not answer within " + std::to_string(waitMs / 1000) + " seconds";
    return result;
}

} // namespace

KeyringResult ReadKeyringPassword(const std::string& account, int waitMs) {
    auto* job = new QKeychain::ReadPasswordJob(QString::fromLatin1(kKeyringService));
    job->setKey(FromUtf8(account));
    return Run(job, waitMs);
}

KeyringResult WriteKeyringPassword(const std::string& account, const std::string& password,
                                   int waitMs) {
    auto* job = new QKeychain::WritePasswordJob(QString::fromLatin1(kKeyringService));
    job->setKey(FromUtf8(account));
    job->setTextData(FromUtf8(password));
    return Run(job, waitMs);
}

KeyringResult DeleteKeyringPassword(const std::string& account, int waitMs) {
    auto* job = new QKeychain::DeletePasswordJob(QString::fromLatin1(kKeyringService));
    job->setKey(FromUtf8(account));
    return Run(job, waitMs);
}

PasswordSource::Lookup KeyringPasswordSource::Find(PasswordFor, const std::string& account) {
    const KeyringResult found = ReadKeyringPassword(account);
    if (found.Done())
        return {found.password, {}};
    std::string how = "store it in Options > Preferences > Messages";
    if (found.status == KeyringResult::Status::NotFound)
        return {std::nullopt, "none is stored in the keyring; " + how + "."};
    return {std::nullopt, "the keyring could not be read (" + found.error + "); " + how +
                              " once the keyring is available."};
}

} // namespace siteherald
