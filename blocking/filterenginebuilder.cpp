#include "blocking/filterenginebuilder.h"

#include "blocking/filterengine.h"
#include "blocking/filterhash.h"

#include <QHash>

#include <algorithm>
#include <array>

namespace {

using namespace std::string_view_literals;

struct TypeName
{
    std::string_view name;
    ResourceType type;
};

constexpr std::array<TypeName, 16> TypeNames{{
    {"script"sv, ResourceType::Script},
    {"image"sv, ResourceType::Image},
    {"stylesheet"sv, ResourceType::Stylesheet},
    {"css"sv, ResourceType::Stylesheet},
    {"object"sv, ResourceType::Object},
    {"xmlhttprequest"sv, ResourceType::XmlHttpRequest},
    {"xhr"sv, ResourceType::XmlHttpRequest},
    {"subdocument"sv, ResourceType::Subdocument},
    {"frame"sv, ResourceType::Subdocument},
    {"media"sv, ResourceType::Media},
    {"font"sv, ResourceType::Font},
    {"websocket"sv, ResourceType::WebSocket},
    {"ping"sv, ResourceType::Ping},
    {"other"sv, ResourceType::Other},
    {"document"sv, ResourceType::Document},
    {"doc"sv, ResourceType::Document},
}};

// Tokens nearly every address has: a rule filed under one would be tried for all.
constexpr std::array<std::string_view, 14> CommonTokens{
    "http"sv, "https"sv, "www"sv, "com"sv, "net"sv, "org"sv, "js"sv,
    "html"sv, "php"sv, "jpg"sv, "png"sv, "gif"sv, "css"sv, "cdn"sv};

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isCosmetic(std::string_view line)
{
    for (size_t at = line.find('#'); at != std::string_view::npos; at = line.find('#', at + 1)) {
        const std::string_view rest = line.substr(at + 1);
        for (const std::string_view marker :
             {"#"sv, "@#"sv, "?#"sv, "$#"sv, "@?#"sv, "@$#"sv, "%#"sv, "@%#"sv}) {
            if (rest.starts_with(marker))
                return true;
        }
    }
    return false;
}

bool isAddress(std::string_view word)
{
    if (word.empty())
        return false;
    const bool v6 = word.find(':') != std::string_view::npos;
    return std::all_of(word.begin(), word.end(), [v6](char c) {
        return (c >= '0' && c <= '9') || c == '.' || (v6 && (c == ':' || isTokenChar(c)));
    });
}

bool isHostName(std::string_view word)
{
    return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
        return isTokenChar(c) || c == '.' || c == '-' || c == '_';
    });
}

std::string lowered(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), asciiLower);
    return lower;
}

// Tokens of a pattern that are whole tokens of every address it matches: not
// touching a wildcard, and at either end only where an anchor closes it.
std::vector<quint32> patternTokens(std::string_view pattern, quint8 flags)
{
    std::vector<quint32> tokens;
    if (flags & FilterRule::Regex)
        return tokens;
    const bool openStart = !(flags & (FilterRule::HostAnchor | FilterRule::StartAnchor));
    const bool openEnd = !(flags & FilterRule::EndAnchor);
    for (size_t at = 0; at < pattern.size();) {
        if (!isTokenChar(pattern[at])) {
            ++at;
            continue;
        }
        size_t end = at;
        while (end < pattern.size() && isTokenChar(pattern[end]))
            ++end;
        const bool closedBefore = at == 0 ? !openStart : pattern[at - 1] != '*';
        const bool closedAfter = end == pattern.size() ? !openEnd : pattern[end] != '*';
        if (closedBefore && closedAfter)
            tokens.push_back(filterHash(lowered(pattern.substr(at, end - at))));
        at = end;
    }
    return tokens;
}

bool isPlainHost(std::string_view pattern)
{
    if (pattern.ends_with('^'))
        pattern.remove_suffix(1);
    return pattern.find('.') != std::string_view::npos && isHostName(pattern);
}

} // namespace

void FilterEngineBuilder::addList(const QString &name, QByteArrayView text)
{
    const auto list = quint16(m_data.lists.size());
    m_data.lists << name;
    const std::string_view all(text.data(), size_t(text.size()));
    for (size_t at = 0; at < all.size();) {
        size_t end = all.find('\n', at);
        if (end == std::string_view::npos)
            end = all.size();
        addLine(all.substr(at, end - at), list);
        at = end + 1;
    }
}

void FilterEngineBuilder::addLine(std::string_view line, quint16 list)
{
    line = trimmed(line);
    if (line.empty() || line.front() == '!' || line.front() == '[')
        return;
    if (isCosmetic(line)) {
        ++m_data.counts.cosmetic;
        return;
    }
    if (line.front() == '#') // a hosts file's comment
        return;
    if (addHostsLine(line, list))
        return;
    addNetworkRule(line, list);
}

bool FilterEngineBuilder::addHostsLine(std::string_view line, quint16 list)
{
    const size_t gap = line.find_first_of(" \t");
    if (gap == std::string_view::npos || !isAddress(line.substr(0, gap)) || line.size() > 0xffff)
        return false;
    const quint32 text = storeText(line);
    std::string_view hosts = line.substr(0, line.find('#')).substr(gap);
    while (!(hosts = trimmed(hosts)).empty()) {
        const size_t end = std::min(hosts.find_first_of(" \t"), hosts.size());
        const std::string host = lowered(hosts.substr(0, end));
        hosts.remove_prefix(end);
        if (!isHostName(host) || host == "localhost" || host == "localhost.localdomain"
            || host == "local" || host == "broadcasthost" || host == "0.0.0.0")
            continue;
        FilterRule rule;
        rule.text = text;
        rule.textLength = quint16(line.size());
        rule.pattern = storeText(host + '^');
        rule.patternLength = quint16(std::min<size_t>(host.size() + 1, 0xffff));
        rule.types = ResourceTypes::All;
        rule.flags = FilterRule::HostAnchor;
        rule.list = list;
        addRule(rule, patternTokens(host, rule.flags | FilterRule::EndAnchor));
    }
    return true;
}

void FilterEngineBuilder::addNetworkRule(std::string_view line, quint16 list)
{
    FilterRule rule;
    rule.list = list;
    std::string_view pattern = line;
    if (pattern.starts_with("@@")) {
        rule.flags |= FilterRule::Exception;
        pattern.remove_prefix(2);
    }
    Options options;
    const bool bareRegex = pattern.size() > 2 && pattern.starts_with('/') && pattern.ends_with('/');
    if (const size_t dollar = pattern.rfind('$'); !bareRegex && dollar != std::string_view::npos) {
        if (!parseOptions(pattern.substr(dollar + 1), options)) {
            ++m_data.counts.unsupported;
            return;
        }
        pattern = pattern.substr(0, dollar);
    }
    quint16 types = options.types ? options.types : ResourceTypes::Subresources;
    types &= ~options.notTypes;
    if (types == 0 || options.includes.size() > 0xffff || options.excludes.size() > 0xffff
        || line.size() > 0xffff) {
        ++m_data.counts.unsupported;
        return;
    }

    if (pattern.size() > 2 && pattern.starts_with('/') && pattern.ends_with('/')) {
        rule.flags |= FilterRule::Regex;
        pattern = pattern.substr(1, pattern.size() - 2);
    } else {
        if (pattern.starts_with("||")) {
            rule.flags |= FilterRule::HostAnchor;
            pattern.remove_prefix(2);
        } else if (pattern.starts_with('|')) {
            rule.flags |= FilterRule::StartAnchor;
            pattern.remove_prefix(1);
        }
        if (pattern.ends_with('|')) {
            rule.flags |= FilterRule::EndAnchor;
            pattern.remove_suffix(1);
        }
        if (pattern.starts_with('*'))
            rule.flags &= ~(FilterRule::StartAnchor | FilterRule::HostAnchor);
        if (pattern.ends_with('*'))
            rule.flags &= ~FilterRule::EndAnchor;
        while (pattern.starts_with('*'))
            pattern.remove_prefix(1);
        while (pattern.ends_with('*'))
            pattern.remove_suffix(1);
    }
    // A plain host rule keeps whole pages of that host away too.
    if (!options.types && !options.notTypes && rule.flags == FilterRule::HostAnchor
        && isPlainHost(pattern))
        types |= quint16(ResourceType::Document);

    rule.flags |= options.flags;
    rule.party = options.party;
    rule.types = types;
    rule.text = storeText(line);
    rule.textLength = quint16(line.size());
    const size_t inLine = size_t(pattern.data() - line.data());
    if ((rule.flags & FilterRule::MatchCase) || lowered(pattern) == pattern)
        rule.pattern = rule.text + quint32(inLine);
    else
        rule.pattern = storeText(lowered(pattern));
    rule.patternLength = quint16(pattern.size());
    if (!options.includes.empty() || !options.excludes.empty()) {
        m_data.domainLists.push_back({quint32(m_data.domains.size()),
                                      quint16(options.includes.size()),
                                      quint16(options.excludes.size())});
        rule.domainList = quint32(m_data.domainLists.size());
    }
    m_data.domains.insert(m_data.domains.end(), options.includes.begin(), options.includes.end());
    m_data.domains.insert(m_data.domains.end(), options.excludes.begin(), options.excludes.end());
    addRule(rule, patternTokens(pattern, rule.flags));
}

bool FilterEngineBuilder::parseOptions(std::string_view text, Options &options)
{
    while (!text.empty()) {
        const size_t comma = std::min(text.find(','), text.size());
        std::string option = lowered(trimmed(text.substr(0, comma)));
        text.remove_prefix(std::min(comma + 1, text.size()));
        const bool negated = option.starts_with('~');
        const std::string_view name = std::string_view(option).substr(negated ? 1 : 0);
        const auto type = std::find_if(TypeNames.begin(), TypeNames.end(),
                                       [name](const TypeName &t) { return t.name == name; });
        if (type != TypeNames.end()) {
            (negated ? options.notTypes : options.types) |= quint16(type->type);
        } else if (name == "third-party" || name == "3p") {
            options.party = negated ? FilterRule::FirstParty : FilterRule::ThirdParty;
        } else if (name == "first-party" || name == "1p") {
            options.party = negated ? FilterRule::ThirdParty : FilterRule::FirstParty;
        } else if (!negated && name == "match-case") {
            options.flags |= FilterRule::MatchCase;
        } else if (!negated && name == "important") {
            options.flags |= FilterRule::Important;
        } else if (!negated && name.starts_with("domain=")) {
            if (!parseDomains(name.substr(7), options))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

bool FilterEngineBuilder::parseDomains(std::string_view text, Options &options)
{
    while (!text.empty()) {
        const size_t bar = std::min(text.find('|'), text.size());
        std::string_view domain = text.substr(0, bar);
        text.remove_prefix(std::min(bar + 1, text.size()));
        const bool excluded = domain.starts_with('~');
        if (excluded)
            domain.remove_prefix(1);
        // Entity forms (example.*) and regular expressions are not implemented.
        if (!isHostName(domain))
            return false;
        (excluded ? options.excludes : options.includes).push_back(filterHash(domain));
    }
    return !options.includes.empty() || !options.excludes.empty();
}

quint32 FilterEngineBuilder::storeText(std::string_view text)
{
    const auto at = quint32(m_data.text.size());
    m_data.text.append(text);
    return at;
}

void FilterEngineBuilder::addRule(FilterRule rule, std::vector<quint32> tokens)
{
    m_data.rules.push_back(rule);
    m_tokens.insert(m_tokens.end(), tokens.begin(), tokens.end());
    m_tokenStarts.push_back(quint32(m_tokens.size()));
}

FilterEngine FilterEngineBuilder::build()
{
    m_data.counts.rules = quint32(m_data.rules.size());
    chooseTokens();
    m_tokens = {};
    m_tokenStarts = {0};
    m_data.text.shrink_to_fit();
    m_data.rules.shrink_to_fit();
    m_data.domains.shrink_to_fit();
    m_data.domainLists.shrink_to_fit();
    return FilterEngine(std::move(m_data));
}

// Files each rule under the candidate token fewest rules share, so the rules
// tried for any one token stay few.
void FilterEngineBuilder::chooseTokens()
{
    QHash<quint32, quint32> uses;
    uses.reserve(qsizetype(m_tokens.size()));
    for (const quint32 token : m_tokens)
        ++uses[token];
    for (const std::string_view common : CommonTokens)
        uses[filterHash(common)] += 1u << 24;

    struct Entries
    {
        std::vector<std::pair<quint32, quint32>> byToken, byDomain;
        std::vector<quint32> anywhere;
    };
    Entries blocks, important, exceptions, pageExceptions;
    const auto file = [this](Entries &entries, quint32 id, const quint32 *begin,
                             const quint32 *end, const QHash<quint32, quint32> &uses) {
        if (begin != end) {
            const quint32 *best = std::min_element(begin, end, [&uses](quint32 a, quint32 b) {
                return uses.value(a) < uses.value(b);
            });
            entries.byToken.emplace_back(*best, id);
            return;
        }
        const FilterRule &rule = m_data.rules[id];
        const DomainList domains =
            rule.domainList ? m_data.domainLists[rule.domainList - 1] : DomainList();
        for (quint32 i = 0; i < domains.includes; ++i)
            entries.byDomain.emplace_back(m_data.domains[domains.start + i], id);
        if (domains.includes == 0)
            entries.anywhere.push_back(id);
    };
    for (quint32 id = 0; id < m_data.rules.size(); ++id) {
        const FilterRule &rule = m_data.rules[id];
        const quint32 *begin = m_tokens.data() + m_tokenStarts[id];
        const quint32 *end = m_tokens.data() + m_tokenStarts[id + 1];
        if (rule.flags & FilterRule::Exception) {
            if (rule.types & quint16(ResourceType::Document))
                file(pageExceptions, id, begin, end, uses);
            if (rule.types & ResourceTypes::Subresources)
                file(exceptions, id, begin, end, uses);
        } else {
            file(rule.flags & FilterRule::Important ? important : blocks, id, begin, end, uses);
        }
    }
    const auto set = [](Entries &entries) {
        return RuleSet{TokenIndex(std::move(entries.byToken)),
                       TokenIndex(std::move(entries.byDomain)), std::move(entries.anywhere)};
    };
    m_data.blocks = set(blocks);
    m_data.important = set(important);
    m_data.exceptions = set(exceptions);
    m_data.pageExceptions = set(pageExceptions);
}
