#include "blocking/filterengine.h"

#include "blocking/filterhash.h"
#include "blocking/requestview.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// What ^ stands for: anything but a letter, a digit or one of _ - . %
bool isSeparator(char c)
{
    return !((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
             || c == '-' || c == '.' || c == '%');
}

// Whether pattern (with * and ^) matches text from its first character on; to
// its end when atEnd. ^ also matches the end of the text.
bool matchesFrom(std::string_view pattern, std::string_view text, bool atEnd)
{
    size_t p = 0, s = 0;
    size_t starP = std::string_view::npos, starS = 0;
    for (;;) {
        if (p == pattern.size()) {
            if (!atEnd || s == text.size())
                return true;
        } else if (pattern[p] == '*') {
            starP = ++p;
            starS = s;
            continue;
        } else if (s < text.size()
                   && (pattern[p] == '^' ? isSeparator(text[s]) : pattern[p] == text[s])) {
            ++p;
            ++s;
            continue;
        } else if (pattern[p] == '^' && s == text.size()) {
            ++p;
            continue;
        }
        if (starP == std::string_view::npos || starS >= text.size())
            return false;
        p = starP;
        s = ++starS;
    }
}

// Characters most addresses have many of: a search starting from one of them
// stops at many places.
constexpr std::array<bool, 256> CommonChars = [] {
    std::array<bool, 256> common{};
    for (const char c : std::string_view("/.-_=&?:%0123456789etaoinsrcmplh"))
        common[quint8(c)] = true;
    return common;
}();

// Which character of needle to look for first: its first uncommon one.
size_t searchKey(std::string_view needle)
{
    for (size_t key = 0; key < needle.size(); ++key) {
        if (!CommonChars[quint8(needle[key])])
            return key;
    }
    return 0;
}

// Where needle next occurs in text from `from` on. The C library looks for the
// needle's key character; the rest is compared here, as it is short.
size_t findText(std::string_view text, std::string_view needle, size_t key, size_t from)
{
    if (needle.empty())
        return from <= text.size() ? from : std::string_view::npos;
    while (from + needle.size() <= text.size()) {
        const auto *hit = static_cast<const char *>(std::memchr(
            text.data() + from + key, needle[key], text.size() - needle.size() + 1 - from));
        if (!hit)
            break;
        const size_t at = size_t(hit - text.data()) - key;
        size_t i = 0;
        while (i < needle.size() && text[at + i] == needle[i])
            ++i;
        if (i == needle.size())
            return at;
        from = at + 1;
    }
    return std::string_view::npos;
}

bool matchesAnywhere(std::string_view pattern, std::string_view text, bool atEnd)
{
    // Jump from one place of the pattern's leading literal to the next.
    size_t leadSize = 0;
    while (leadSize < pattern.size() && pattern[leadSize] != '*' && pattern[leadSize] != '^')
        ++leadSize;
    const std::string_view lead = pattern.substr(0, leadSize);
    const size_t key = searchKey(lead);
    for (size_t at = findText(text, lead, key, 0); at != std::string_view::npos;
         at = findText(text, lead, key, at + 1)) {
        if (matchesFrom(pattern, text.substr(at), atEnd))
            return true;
        if (at == text.size())
            break;
    }
    return false;
}

// || : the pattern begins at the start of one of the host's labels. Its first
// character, never a wildcard there, turns most of them away at one look.
bool matchesHost(std::string_view pattern, std::string_view text,
                 const QVarLengthArray<quint32, 16> &labelStarts, bool atEnd)
{
    const char first = pattern.empty() ? '^' : pattern.front();
    for (const quint32 at : labelStarts) {
        if ((first == '^' || (at < text.size() && text[at] == first))
            && matchesFrom(pattern, text.substr(at), atEnd))
            return true;
    }
    return false;
}

// The longest run of characters every match of a regular expression contains,
// so most addresses are turned away before the expression runs; empty when
// none can be told (alternatives, classes only).
std::string requiredLiteral(std::string_view source)
{
    if (source.find('|') != std::string_view::npos)
        return {};
    std::string best, run;
    const auto flush = [&best, &run] {
        if (run.size() > best.size())
            best = run;
        run.clear();
    };
    int depth = 0;
    for (size_t i = 0; i < source.size(); ++i) {
        char c = source[i];
        if (c == '\\' && i + 1 < source.size()) {
            c = source[++i];
            if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
                flush();
                continue;
            }
        } else if (c == '[') {
            flush();
            for (++i; i < source.size() && source[i] != ']'; ++i)
                i += source[i] == '\\';
            continue;
        } else if (c == '(' || c == ')') {
            depth += c == '(' ? 1 : -1;
            flush();
            continue;
        } else if (c == '?' || c == '*' || c == '{') {
            if (!run.empty())
                run.pop_back();
            flush();
            continue;
        } else if (c == '.' || c == '+' || c == '^' || c == '$' || c == '}') {
            flush();
            continue;
        }
        if (depth == 0)
            run += c;
        else
            flush();
    }
    flush();
    return best;
}

bool hasNoRules(const RuleSet &set)
{
    return set.byToken.rules().empty() && set.byDomain.rules().empty() && set.anywhere.empty();
}

} // namespace

struct FilterEngine::CompiledRegex
{
    QRegularExpression regex;
    std::string literal;
    size_t key = 0; // of the literal, for findText
};

// Regular expressions are set up here, off the main thread, so deciding needs no
// lock; each compiles when it first runs.
FilterEngine::FilterEngine(EngineData data) : m_data(std::move(data))
{
    for (quint32 id = 0; id < m_data.rules.size(); ++id) {
        const FilterRule &rule = m_data.rules[id];
        if (!(rule.flags & FilterRule::Regex))
            continue;
        const bool matchCase = rule.flags & FilterRule::MatchCase;
        const std::string_view source = pattern(rule);
        auto made = std::make_unique<CompiledRegex>(CompiledRegex{
            QRegularExpression(QString::fromUtf8(source.data(), qsizetype(source.size())),
                               matchCase ? QRegularExpression::NoPatternOption
                                         : QRegularExpression::CaseInsensitiveOption),
            requiredLiteral(source)});
        if (!matchCase)
            std::transform(made->literal.begin(), made->literal.end(), made->literal.begin(),
                           asciiLower);
        made->key = searchKey(made->literal);
        m_regexes.emplace(id, std::move(made));
    }
}

FilterEngine::FilterEngine(FilterEngine &&other) noexcept
    : m_data(std::move(other.m_data)), m_regexes(std::move(other.m_regexes))
{
}

FilterEngine &FilterEngine::operator=(FilterEngine &&other) noexcept
{
    m_data = std::move(other.m_data);
    m_regexes = std::move(other.m_regexes);
    return *this;
}

FilterEngine::~FilterEngine() = default;

BlockVerdict FilterEngine::decide(const BlockRequest &request) const
{
    const RequestView view(request.url, request.pageUrl, request.type, request.pageSite);
    if (const qint32 rule = find(m_data.important, view); rule >= 0)
        return {true, rule};
    const qint32 block = find(m_data.blocks, view);
    if (block < 0)
        return {false, -1};
    if (const qint32 rule = find(m_data.exceptions, view); rule >= 0)
        return {false, rule};
    if (request.type == ResourceType::Document) {
        if (const qint32 rule = find(m_data.pageExceptions, view); rule >= 0)
            return {false, rule};
    } else if (!request.pageUrl.empty() && !hasNoRules(m_data.pageExceptions)) {
        const RequestView page(request.pageUrl, request.pageUrl, ResourceType::Document,
                               request.pageSite);
        if (const qint32 rule = find(m_data.pageExceptions, page); rule >= 0)
            return {false, rule};
    }
    return {true, block};
}

qint32 FilterEngine::find(const RuleSet &set, const RequestView &request) const
{
    if (!set.byToken.rules().empty()) {
        for (const quint32 token : request.tokens()) {
            if (const qint32 rule = findIn(set.byToken.find(token), request); rule >= 0)
                return rule;
        }
    }
    if (!set.byDomain.rules().empty()) {
        for (const quint32 domain : request.pageDomains()) {
            if (const qint32 rule = findIn(set.byDomain.find(domain), request); rule >= 0)
                return rule;
        }
    }
    return findIn(set.anywhere, request);
}

qint32 FilterEngine::findIn(std::span<const quint32> rules, const RequestView &request) const
{
    for (const quint32 id : rules) {
        if (matches(m_data.rules[id], request))
            return qint32(id);
    }
    return -1;
}

inline bool FilterEngine::matches(const FilterRule &rule, const RequestView &request) const
{
    if (!(rule.types & quint16(request.type())))
        return false;
    const bool atEnd = rule.flags & FilterRule::EndAnchor;
    const std::string_view text =
        rule.flags & FilterRule::MatchCase ? request.url() : request.lowerUrl();
    bool found;
    if (rule.flags & FilterRule::Regex)
        found = regexMatches(quint32(&rule - m_data.rules.data()), request);
    else if (rule.flags & FilterRule::HostAnchor)
        found = matchesHost(pattern(rule), text, request.labelStarts(), atEnd);
    else if (rule.flags & FilterRule::StartAnchor)
        found = matchesFrom(pattern(rule), text, atEnd);
    else
        found = matchesAnywhere(pattern(rule), text, atEnd);
    if (!found || !domainAllows(rule, request))
        return false;
    return rule.party == FilterRule::AnyParty
        || request.isThirdParty() == (rule.party == FilterRule::ThirdParty);
}

// The most specific of the page's domains the rule names decides; a rule that
// names only exclusions applies everywhere else.
bool FilterEngine::domainAllows(const FilterRule &rule, const RequestView &request) const
{
    if (rule.domainList == 0)
        return true;
    const DomainList &list = m_data.domainLists[rule.domainList - 1];
    const quint32 *includes = m_data.domains.data() + list.start;
    const quint32 *excludes = includes + list.includes;
    for (const quint32 domain : request.pageDomains()) {
        if (std::find(excludes, excludes + list.excludes, domain) != excludes + list.excludes)
            return false;
        if (std::find(includes, includes + list.includes, domain) != includes + list.includes)
            return true;
    }
    return list.includes == 0;
}

bool FilterEngine::regexMatches(quint32 id, const RequestView &request) const
{
    const auto found = m_regexes.find(id);
    if (found == m_regexes.end())
        return false;
    const CompiledRegex &compiled = *found->second;
    const bool matchCase = m_data.rules[id].flags & FilterRule::MatchCase;
    const std::string_view text = matchCase ? request.url() : request.lowerUrl();
    if (findText(text, compiled.literal, compiled.key, 0) == std::string_view::npos || !compiled.regex.isValid())
        return false;
    const std::string_view url = request.url();
    return compiled.regex.match(QString::fromLatin1(url.data(), qsizetype(url.size()))).hasMatch();
}

QString FilterEngine::ruleText(qint32 rule) const
{
    if (rule < 0 || size_t(rule) >= m_data.rules.size())
        return {};
    const FilterRule &r = m_data.rules[size_t(rule)];
    return QString::fromUtf8(m_data.text.data() + r.text, qsizetype(r.textLength));
}

QString FilterEngine::ruleList(qint32 rule) const
{
    if (rule < 0 || size_t(rule) >= m_data.rules.size())
        return {};
    return m_data.lists.value(m_data.rules[size_t(rule)].list);
}

size_t FilterEngine::memoryUsage() const
{
    size_t bytes = m_data.rules.capacity() * sizeof(FilterRule) + m_data.text.capacity()
        + m_data.domains.capacity() * sizeof(quint32)
        + m_data.domainLists.capacity() * sizeof(DomainList);
    for (const RuleSet *set :
         {&m_data.blocks, &m_data.important, &m_data.exceptions, &m_data.pageExceptions})
        bytes += set->byToken.memoryUsage() + set->byDomain.memoryUsage()
            + set->anywhere.capacity() * sizeof(quint32);
    return bytes;
}
