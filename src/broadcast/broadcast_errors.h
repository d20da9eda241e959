#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace siteherald {

// The server's host name could not be resolved, and the base of the client's other errors.
class ETcpIpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The TCP connection to `server` ("host:port") could not be set up; ErrorCode is the errno of
// the failure.
class ESocketError : public ETcpIpError {
public:
    ESocketError(uint16_t code, const std::string& server)
        : ETcpIpError("Unable to connect to " + server), ErrorCode(code) {}
    uint16_t ErrorCode;
};

// The server gave no answer within the time allowed.
class ETimeoutError : public ETcpIpError {
public:
    using ETcpIpError::ETcpIpError;
};

// TLS could not be set up or its certificate did not verify, the password would have gone
// over an unencrypted connection, or the server refused the login. Sending to the same server
// again would fail the same way (and failed logins can lock an account), so a run ends its
// sends to that server.
class ESecurityError : public ETcpIpError {
public:
    using ETcpIpError::ETcpIpError;
};

// The server answered with an error reply; what() is the reply's text.
class EProtocolError : public ETcpIpError {
public:
    EProtocolError(std::string protocol, uint16_t code, const std::string& text)
        : ETcpIpError(text), ErrorCode(code), Protocol(std::move(protocol)) {}
    uint16_t ErrorCode;
    std::string Protocol;
};

// A readable account of a failed send, for a user or a log: the error and, for the socket and
// protocol errors, their code.
std::string DescribeSendError(const std::exception& error);

// True when the server did not answer in time: no reply, or no connection, within the time-out.
bool IsTimeOut(const std::exception& error);

} // namespace siteherald
