#include "broadcast_errors.h"

#include <cerrno>
#include <cstring>

namespace siteherald {

std::string DescribeSendError(const std::exception& error) {
    if (const auto* socket = dynamic_cast<const ESocketError*>(&error))
        return std::string(socket->what()) + ": " + std::strerror(socket->ErrorCode);
    if (const auto* protocol = dynamic_cast<const EProtocolError*>(&error))
        return protocol->Protocol + " server answered " + std::to_string(protocol->ErrorCode) +
               " " + protocol->what();
    return error.what();
}

bool IsTimeOut(const std::exception& error) {
    if (const auto* socket = dynamic_cast<const ESocketError*>(&error))
        return socket->ErrorCode == ETIMEDOUT;
    return dynamic_cast<const ETimeoutError*>(&error) != nullptr;
}

} // namespace siteherald
