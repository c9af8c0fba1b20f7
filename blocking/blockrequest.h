#pragma once

#include <QtGlobal>

#include <string_view>

// What a request fetches, as filter options name it; one bit each so a rule's
// types are a mask.
enum class ResourceType : quint16 {
    Other = 1 << 0,
    Script = 1 << 1,
    Image = 1 << 2,
    Stylesheet = 1 << 3,
    Object = 1 << 4,
    XmlHttpRequest = 1 << 5,
    Subdocument = 1 << 6,
    Media = 1 << 7,
    Font = 1 << 8,
    WebSocket = 1 << 9,
    Ping = 1 << 10,
    Document = 1 << 11,
};

namespace ResourceTypes {
inline constexpr quint16 All = 0x0fff;
// What a rule without type options applies to: every subresource, not whole pages.
inline constexpr quint16 Subresources = All & ~quint16(ResourceType::Document);
} // namespace ResourceTypes

// One request to decide. The addresses are encoded URLs (ASCII), as the web engine
// hands them over; pageUrl is the address of the page that asked for it.
// pageSite, when not empty, is the registrable domain of the page's host (a
// page's requests share it, so callers work it out once per page); it is
// worked out when needed otherwise.
struct BlockRequest
{
    std::string_view url;
    std::string_view pageUrl;
    ResourceType type = ResourceType::Other;
    std::string_view pageSite = {};
};

// The outcome: rule is the index of the deciding rule, or -1 when none did.
struct BlockVerdict
{
    bool blocked = false;
    qint32 rule = -1;
};
