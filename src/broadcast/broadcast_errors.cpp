#include "broadcast_errors.h"

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

} // namespace siteherald
