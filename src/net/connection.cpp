#include "connection.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace siteherald {

namespace {

std::string ErrnoText(int err) {
    return std::string(std::strerror(err)) + " (Error #" + std::to_string(err) + ")";
}

class PlainConnection : public Connection {
public:
    explicit PlainConnection(int fd) : fd_(fd) {}
    ~PlainConnection() override {
        if (fd_ >= 0)
            ::close(fd_);
    }
    // Hands the socket over, open, to a connection that takes the stream on.
    int Release() { return std::exchange(fd_, -1); }
    int fd() const override { return fd_; }
    Result Handshake() override { return {}; }

    Result Read(char* buffer, size_t size) override {
        Result r;
        const ssize_t got = ::recv(fd_, buffer, size, 0);
        if (got > 0)
            r.bytes = got;
        else if (got == 0)
            r.closed = true;
        else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
            r.want = Want::Read;
        else
            r.error = ErrnoText(errno);
        return r;
    }

    Result Write(const char* data, size_t size) override {
        Result r;
        const ssize_t put = ::send(fd_, data, size, MSG_NOSIGNAL);
        if (put >= 0)
            r.bytes = put;
        else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
            r.want = Want::Write;
        else
            r.error = ErrnoText(errno);
        return r;
    }

private:
    int fd_;
};

std::string OpenSslErrors() {
    std::string text;
    while (const unsigned long e = ERR_get_error()) {
        char buffer[256];
        ERR_error_string_n(e, buffer, sizeof buffer);
        if (!text.empty())
            text += "; ";
        text += buffer;
    }
    return text.empty() ? "unknown TLS error" : text;
}

SSL_CTX* SharedContext(std::string& error) {
    // One context for the program's life: loading the trusted certificates is the costly part.
    static SSL_CTX* context = [] {
        SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
        if (!ctx)
            return ctx;
        SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
        SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
        SSL_CTX_set_default_verify_paths(ctx);
        SSL_CTX_set_options(ctx, SSL_OP_IGNORE_UNEXPECTED_EOF);
        return ctx;
    }();
    if (!context)
        error = "TLS is not available: " + OpenSslErrors();
    return context;
}

class TlsConnection : public Connection {
public:
    TlsConnection(int fd, SSL* ssl) : fd_(fd), ssl_(ssl) {}
    ~TlsConnection() override {
        SSL_free(ssl_);
        ::close(fd_);
    }
    int fd() const override { return fd_; }

    Result Handshake() override {
        ERR_clear_error();
        const int rc = SSL_connect(ssl_);
        if (rc == 1)
            return {};
        Result r = Classify(rc);
        if (!r.error.empty() || r.closed) {
            const long verify = SSL_get_verify_result(ssl_);
            if (verify != X509_V_OK)
                r.error = std::string("certificate verification failed: ") +
                          X509_verify_cert_error_string(verify);
            else if (r.closed)
                r.error = "TLS handshake failed: the server closed the connection";
            else
                r.error = "TLS handshake failed: " + r.error;
            r.closed = false;
        }
        return r;
    }

    Result Read(char* buffer, size_t size) override {
        ERR_clear_error();
        size_t got = 0;
        if (SSL_read_ex(ssl_, buffer, size, &got) == 1) {
            Result r;
            r.bytes = static_cast<ssize_t>(got);
            return r;
        }
        return Classify(0);
    }

    Result Write(const char* data, size_t size) override {
        ERR_clear_error();
        size_t put = 0;
        if (SSL_write_ex(ssl_, data, size, &put) == 1) {
            Result r;
            r.bytes = static_cast<ssize_t>(put);
            return r;
        }
        return Classify(0);
    }

private:
    Result Classify(int rc) {
        Result r;
        const int err = SSL_get_error(ssl_, rc);
        switch (err) {
        case SSL_ERROR_WANT_READ:
            r.want = Want::Read;
            break;
        case SSL_ERROR_WANT_WRITE:
            r.want = Want::Write;
            break;
        case SSL_ERROR_ZERO_RETURN:
            r.closed = true;
            break;
        case SSL_ERROR_SYSCALL:
            if (errno == 0)
                r.closed = true;
            else
                r.error = ErrnoText(errno);
            break;
        default:
            r.error = OpenSslErrors();
            break;
        }
        return r;
    }

    int fd_;
    SSL* ssl_;
};

} // namespace

std::unique_ptr<Connection> MakePlainConnection(int fd) {
    return std::make_unique<PlainConnection>(fd);
}

std::unique_ptr<Connection> MakeTlsConnection(int fd, const std::string& host, std::string& error) {
    SSL_CTX* ctx = SharedContext(error);
    SSL* ssl = ctx ? SSL_new(ctx) : nullptr;
    if (!ssl) {
        if (error.empty())
            error = "TLS is not available: " + OpenSslErrors();
        ::close(fd);
        return nullptr;
    }
    SSL_set_fd(ssl, fd);
    unsigned char ip[16];
    const bool literal =
        inet_pton(AF_INET, host.c_str(), ip) == 1 || inet_pton(AF_INET6, host.c_str(), ip) == 1;
    if (literal) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), host.c_str());
    } else {
        SSL_set_tlsext_host_name(ssl, host.c_str());
        SSL_set1_host(ssl, host.c_str());
    }
    return std::make_unique<TlsConnection>(fd, ssl);
}

std::unique_ptr<Connection> UpgradeToTls(std::unique_ptr<Connection> plain, const std::string& host,
                                         std::string& error) {
    auto* socket = dynamic_cast<PlainConnection*>(plain.get());
    if (!socket) {
        error = "the connection is already encrypted";
        return nullptr;
    }
    return MakeTlsConnection(socket->Release(), host, error);
}

} // namespace siteherald
