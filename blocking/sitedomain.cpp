#include "blocking/sitedomain.h"

#include <libpsl.h>

#include <cstring>
#include <memory>

namespace {

struct PslFree
{
    void operator()(psl_ctx_t *context) const { psl_free(context); }
};

// The newest of libpsl's built-in list and the one the system ships, loaded once.
const psl_ctx_t *suffixes()
{
    static const std::unique_ptr<psl_ctx_t, PslFree> latest(psl_latest(nullptr));
    return latest ? latest.get() : psl_builtin();
}

// host copied with its terminating NUL, as libpsl wants it.
class HostText
{
public:
    explicit HostText(std::string_view host)
    {
        if (host.size() >= sizeof(m_inline)) {
            m_long.assign(host);
            m_text = m_long.c_str();
        } else {
            std::memcpy(m_inline, host.data(), host.size());
            m_inline[host.size()] = '\0';
            m_text = m_inline;
        }
        m_size = host.size();
    }

    std::string_view registrable() const
    {
        const std::string_view host(m_text, m_size);
        // Addresses have no parent domain: libpsl would cut them at a dot.
        const bool address = host.find(':') != std::string_view::npos
            || host.find_first_not_of("0123456789.") == std::string_view::npos;
        const psl_ctx_t *psl = address ? nullptr : suffixes();
        const char *domain = psl ? psl_registrable_domain(psl, m_text) : nullptr;
        if (!domain)
            return {m_text, m_size};
        return {domain, m_size - size_t(domain - m_text)};
    }

private:
    char m_inline[256];
    std::string m_long;
    const char *m_text = nullptr;
    size_t m_size = 0;
};

} // namespace

QByteArray SiteDomain::registrableDomain(std::string_view host)
{
    const HostText text(host); // the view below points into it
    const std::string_view domain = text.registrable();
    return QByteArray(domain.data(), qsizetype(domain.size()));
}

bool SiteDomain::sameSite(std::string_view a, std::string_view b)
{
    if (a == b)
        return true;
    return HostText(a).registrable() == HostText(b).registrable();
}

bool SiteDomain::isOfSite(std::string_view host, std::string_view site)
{
    if (host == site)
        return true;
    if (host.size() <= site.size() || !host.ends_with(site)
        || host[host.size() - site.size() - 1] != '.')
        return false;
    return HostText(host).registrable() == site;
}
