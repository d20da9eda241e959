#pragma once

#include <memory>
#include <string>
#include <sys/types.h>

namespace siteherald {

// One non-blocking TCP connection, plain or TLS. The caller waits on fd() with poll for what
// the last call asked for.
class Connection {
public:
    enum class Want { Nothing, Read, Write };
    struct Result {
        ssize_t bytes = 0;   // > 0 bytes moved
        bool closed = false; // the peer closed the connection in order
        Want want = Want::Nothing;
        std::string error; // non-empty: the connection failed
    };

    virtual ~Connection() = default;
    virtual int fd() const = 0;
    // For TLS, the handshake; call until it wants nothing and has no error.
    virtual Result Handshake() = 0;
    virtual Result Read(char* buffer, size_t size) = 0;
    virtual Result Write(const char* data, size_t size) = 0;
};

// Takes over a connected socket.
std::unique_ptr<Connection> MakePlainConnection(int fd);

// Takes over a connected socket and starts TLS to `host`, verifying the server's certificate
// and host name against the system's trusted certificates (SSL_CERT_FILE and SSL_CERT_DIR
// are honoured).
std::unique_ptr<Connection> MakeTlsConnection(int fd, const std::string& host, std::string& error);

// Starts TLS on a plain connection, as MakeTlsConnection does (STARTTLS). Nothing, with
// `error` set, when `plain` is not a plain connection or TLS is not available.
std::unique_ptr<Connection> UpgradeToTls(std::unique_ptr<Connection> plain, const std::string& host,
                                         std::string& error);

} // namespace siteherald
