#include "blocking/requestview.h"

#include "blocking/filterhash.h"
#include "blocking/sitedomain.h"

namespace {

std::string lowered(std::string_view text)
{
    std::string lower(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i)
        lower[i] = asciiLower(text[i]);
    return lower;
}

} // namespace

RequestView::RequestView(std::string_view url, std::string_view pageUrl, ResourceType type)
    : m_url(url), m_pageUrl(pageUrl), m_type(type), m_lower(lowered(url))
{
    std::tie(m_hostStart, m_hostEnd) = hostRange(m_lower);
    const std::string pageLower = lowered(pageUrl);
    const auto [pageStart, pageEnd] = hostRange(pageLower);
    m_pageHost = pageStart < pageEnd ? pageLower.substr(pageStart, pageEnd - pageStart)
                                     : std::string(host());

    quint32 hash = 2166136261u;
    bool inToken = false;
    for (const char c : m_lower) {
        if (isTokenChar(c)) {
            hash = (hash ^ quint8(c)) * 16777619u;
            inToken = true;
        } else if (inToken) {
            m_tokens.append(hash);
            hash = 2166136261u;
            inToken = false;
        }
    }
    if (inToken)
        m_tokens.append(hash);
}

std::pair<size_t, size_t> RequestView::hostRange(std::string_view url)
{
    const size_t scheme = url.find("://");
    if (scheme == std::string_view::npos)
        return {0, 0};
    size_t start = scheme + 3;
    size_t end = std::min(url.find_first_of("/?#", start), url.size());
    if (const size_t at = url.substr(start, end - start).rfind('@'); at != std::string_view::npos)
        start += at + 1;
    const size_t port = url.substr(start, end - start).rfind(':');
    if (port != std::string_view::npos && url.substr(start, end - start).find(']', port) == std::string_view::npos)
        end = start + port;
    return {start, end};
}

const QVarLengthArray<quint32, 8> &RequestView::pageDomains() const
{
    if (!m_pageDomainsDone) {
        m_pageDomainsDone = true;
        std::string_view domain = m_pageHost;
        while (!domain.empty()) {
            m_pageDomains.append(filterHash(domain));
            const size_t dot = domain.find('.');
            domain = dot == std::string_view::npos ? std::string_view() : domain.substr(dot + 1);
        }
    }
    return m_pageDomains;
}

bool RequestView::isThirdParty() const
{
    if (m_thirdParty < 0)
        m_thirdParty = SiteDomain::sameSite(host(), m_pageHost) ? 0 : 1;
    return m_thirdParty == 1;
}
