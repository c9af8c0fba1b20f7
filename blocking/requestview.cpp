#include "blocking/requestview.h"

#include "blocking/filterhash.h"
#include "blocking/sitedomain.h"

#include <algorithm>

namespace {

template<qsizetype Size>
void appendLowered(QVarLengthArray<char, Size> &to, std::string_view text)
{
    const qsizetype at = to.size();
    to.resize(at + qsizetype(text.size()));
    std::transform(text.begin(), text.end(), to.data() + at, asciiLower);
}

// The characters that end a host or mark parts of it, for one look each.
enum HostMark : quint8 { HostEnd = 1, UserEnd, PortStart, AddressEnd };
constexpr std::array<quint8, 256> HostMarks = [] {
    std::array<quint8, 256> marks{};
    marks['/'] = marks['?'] = marks['#'] = HostEnd;
    marks['@'] = UserEnd;
    marks[':'] = PortStart;
    marks[']'] = AddressEnd;
    return marks;
}();

} // namespace

// One pass lowers the address and hashes its tokens.
RequestView::RequestView(std::string_view url, std::string_view pageUrl, ResourceType type,
                         std::string_view pageSite)
    : m_url(url), m_pageUrl(pageUrl), m_type(type), m_pageSite(pageSite)
{
    m_lower.resize(qsizetype(url.size()));
    char *lower = m_lower.data();
    quint32 hash = FilterHashSeed;
    bool inToken = false;
    for (size_t i = 0; i < url.size(); ++i) {
        const char c = asciiLower(url[i]);
        lower[i] = c;
        if (isTokenChar(c)) {
            hash = filterHashStep(hash, c);
            inToken = true;
        } else if (inToken) {
            m_tokens.append(hash);
            hash = FilterHashSeed;
            inToken = false;
        }
    }
    if (inToken)
        m_tokens.append(hash);

    std::tie(m_hostStart, m_hostEnd) = hostRange(lowerUrl());
    m_labelStarts.append(quint32(m_hostStart));
    for (size_t at = m_hostStart; at < m_hostEnd; ++at) {
        if (lower[at] == '.')
            m_labelStarts.append(quint32(at + 1));
    }
    // The marks hostRange looks for have no case: the page's host alone is lowered.
    const auto [pageStart, pageEnd] = hostRange(pageUrl);
    appendLowered(m_pageHost, pageStart < pageEnd ? pageUrl.substr(pageStart, pageEnd - pageStart)
                                                  : host());
}

std::pair<size_t, size_t> RequestView::hostRange(std::string_view url)
{
    size_t start = 0;
    while (start + 2 < url.size() && !(url[start] == ':' && url[start + 1] == '/' && url[start + 2] == '/'))
        ++start;
    if (start + 2 >= url.size())
        return {0, 0};
    start += 3;
    size_t end = start;
    size_t at = std::string_view::npos; // of user@, the last one
    size_t colon = std::string_view::npos;
    for (; end < url.size(); ++end) {
        const quint8 mark = HostMarks[quint8(url[end])];
        if (mark == 0)
            continue;
        if (mark == HostEnd)
            break;
        if (mark == UserEnd)
            at = end;
        else
            colon = mark == PortStart ? end : std::string_view::npos; // ] closes an IPv6 address
    }
    if (at != std::string_view::npos) {
        start = at + 1;
        if (colon < start)
            colon = std::string_view::npos;
    }
    if (colon != std::string_view::npos)
        end = colon;
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
    if (m_thirdParty < 0) {
        if (m_pageSite.empty() && host() != pageHost()) {
            m_foundPageSite = SiteDomain::registrableDomain(pageHost());
            m_pageSite = {m_foundPageSite.constData(), size_t(m_foundPageSite.size())};
        }
        m_thirdParty = host() == pageHost() || SiteDomain::isOfSite(host(), m_pageSite) ? 0 : 1;
    }
    return m_thirdParty == 1;
}
