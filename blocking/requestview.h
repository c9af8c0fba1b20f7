#pragma once

#include "blocking/blockrequest.h"

#include <QByteArray>
#include <QVarLengthArray>

#include <string>
#include <string_view>

// A request taken apart once for matching: the address in lower case, its host,
// its tokens, and its page's host with that host's parent domains.
class RequestView final
{
public:
    // pageUrl empty or without a host: the request is its own page. pageSite:
    // the page host's registrable domain when known, else empty.
    RequestView(std::string_view url, std::string_view pageUrl, ResourceType type,
                std::string_view pageSite = {});
    Q_DISABLE_COPY_MOVE(RequestView)

    std::string_view url() const { return m_url; }
    std::string_view lowerUrl() const { return {m_lower.constData(), size_t(m_lower.size())}; }
    std::string_view host() const
    {
        return lowerUrl().substr(m_hostStart, m_hostEnd - m_hostStart);
    }
    size_t hostStart() const { return m_hostStart; }
    // Where each label of the host begins in the address: the host's start and
    // just after each of its dots.
    const QVarLengthArray<quint32, 16> &labelStarts() const { return m_labelStarts; }
    std::string_view pageUrl() const { return m_pageUrl; }
    ResourceType type() const { return m_type; }
    const QVarLengthArray<quint32, 64> &tokens() const { return m_tokens; }
    // Hashes of the page host and of each domain above it, the longest first.
    const QVarLengthArray<quint32, 8> &pageDomains() const;
    bool isThirdParty() const;

    // Where the host of a (lower-case) address begins and ends.
    static std::pair<size_t, size_t> hostRange(std::string_view url);

private:
    std::string_view pageHost() const { return {m_pageHost.constData(), size_t(m_pageHost.size())}; }

    std::string_view m_url;
    std::string_view m_pageUrl;
    ResourceType m_type;
    QVarLengthArray<char, 256> m_lower;
    size_t m_hostStart = 0;
    size_t m_hostEnd = 0;
    QVarLengthArray<quint32, 16> m_labelStarts;
    QVarLengthArray<char, 64> m_pageHost;
    mutable std::string_view m_pageSite;
    mutable QByteArray m_foundPageSite;
    QVarLengthArray<quint32, 64> m_tokens;
    mutable QVarLengthArray<quint32, 8> m_pageDomains;
    mutable bool m_pageDomainsDone = false;
    mutable int m_thirdParty = -1;
};
