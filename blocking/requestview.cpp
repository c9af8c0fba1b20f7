#include "blocking/requestview.h"

#include "blocking/filterhash.h"
#include "blocking/sitedomain.h"

namespace {

template<qsizetype Size>
void appendLowered(QVarLengthArray<char, Size> &to, std::string_view text)
{
    const qsizetype at = to.size();
    to.resize(at + qsizetype(text.size()));
    for (size_t i = 0; i < text.size(); ++i)
        to[at + qsizetype(i)] = asciiLower(text[i]);
}

} // namespace

RequestView::RequestView(std::string_view url, std::string_view pageUrl, ResourceType type)
    : m_url(url), m_pageUrl(pageUrl), m_type(type)
{
    appendLowered(m_lower, url);
    std::tie(m_hostStart, m_hostEnd) = hostRange(lowerUrl());
    // The marks hostRange looks for have no case: the page's host alone is lowered.
    const auto [pageStart, pageEnd] = hostRange(pageUrl);
    appendLowered(m_pageHost, pageStart < pageEnd ? pageUrl.substr(pageStart, pageEnd - pageStart)
                                                  : host());

    quint32 hash = 2166136261u;
    bool inToken = false;
    for (const char c : lowerUrl()) {
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
        std::string_view domain = pageHost();
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
        m_thirdParty = SiteDomain::sameSite(host(), pageHost()) ? 0 : 1;
    return m_thirdParty == 1;
}
