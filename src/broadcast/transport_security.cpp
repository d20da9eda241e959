#include "transport_security.h"

#include "core/ascii.h"

namespace siteherald {

std::optional<TransportSecurity> ParseTransportSecurity(const std::string& text) {
    const std::string name = LowerAscii(text);
    if (name.empty() || name == "auto")
        return TransportSecurity::Auto;
    if (name == "starttls")
        return TransportSecurity::StartTls;
    if (name == "tls")
        return TransportSecurity::Tls;
    if (name == "none")
        return TransportSecurity::None;
    return std::nullopt;
}

const char* SecurityName(TransportSecurity security) {
    switch (security) {
    case TransportSecurity::StartTls:
        return "starttls";
    case TransportSecurity::Tls:
        return "tls";
    case TransportSecurity::None:
        return "none";
    case TransportSecurity::Auto:
        break;
    }
    return "auto";
}

uint16_t DefaultPort(TransportSecurity security, const ServicePorts& ports) {
    switch (security) {
    case TransportSecurity::StartTls:
        return ports.startTls;
    case TransportSecurity::Tls:
        return ports.tls;
    case TransportSecurity::Auto:
    case TransportSecurity::None:
        break;
    }
    return ports.plain;
}

bool UsesImplicitTls(TransportSecurity security, uint16_t port, const ServicePorts& ports) {
    return security == TransportSecurity::Tls ||
           (security == TransportSecurity::Auto && port == ports.tls);
}

} // namespace siteherald
