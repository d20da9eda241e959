#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace siteherald {

// How a mail or news connection is protected, as the "MailSecurity" and "NewsSecurity"
// settings name it.
enum class TransportSecurity {
    Auto,     // implicit TLS on the service's TLS port, else STARTTLS when offered, else plain
    StartTls, // plain, then STARTTLS; a server that does not offer it is refused
    Tls,      // TLS from the first byte
    None,     // plain
};

// "auto", "starttls", "tls" or "none", in any case; empty reads as "auto". Nothing for any
// other text.
std::optional<TransportSecurity> ParseTransportSecurity(const std::string& text);
const char* SecurityName(TransportSecurity security);

// The well-known ports of a service: plain, submission with STARTTLS, and implicit TLS; and
// what messages call its server.
struct ServicePorts {
    uint16_t plain;
    uint16_t startTls;
    uint16_t tls;
    const char* kind;
};
inline constexpr ServicePorts kSmtpPorts{25, 587, 465, "mail"};
inline constexpr ServicePorts kNntpPorts{119, 119, 563, "news"};

// The port used when the server setting names none. "auto" keeps the plain port, so
// settings written before the security settings keep working.
uint16_t DefaultPort(TransportSecurity security, const ServicePorts& ports);

// True when the connection starts with a TLS handshake.
bool UsesImplicitTls(TransportSecurity security, uint16_t port, const ServicePorts& ports);

} // namespace siteherald
