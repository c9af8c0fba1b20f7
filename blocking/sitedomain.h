#pragma once

#include <QByteArray>

#include <string_view>

// Registrable domains ("example.co.uk") from the system's public suffix list
// through libpsl, for third-party decisions and per-site settings.
namespace SiteDomain {

// The registrable domain of a lower-case host, or the host itself when it has
// none (an address, a bare suffix, a name without dots).
QByteArray registrableDomain(std::string_view host);

// Whether two lower-case hosts belong to the same registrable domain.
bool sameSite(std::string_view a, std::string_view b);

// Whether a lower-case host's registrable domain is site. Only a host ending in
// site can be of it, so most hosts of other sites are told apart without the
// suffix list.
bool isOfSite(std::string_view host, std::string_view site);

} // namespace SiteDomain
