#pragma once

#include "blocking/blockrequest.h"
#include "blocking/enginedata.h"

#include <QRegularExpression>
#include <QString>

#include <memory>
#include <unordered_map>

class RequestView;

// Decides requests against compiled filter rules. A decision looks only at the
// rules filed under the request's tokens and its page's domains, so its cost
// does not grow with the lists. Decisions may come from any thread.
class FilterEngine final
{
public:
    FilterEngine() = default;
    explicit FilterEngine(EngineData data);
    FilterEngine(FilterEngine &&other) noexcept;
    FilterEngine &operator=(FilterEngine &&other) noexcept;
    ~FilterEngine();

    // Exceptions win over blocking rules, except over those marked important.
    BlockVerdict decide(const BlockRequest &request) const;

    // The rule as its list writes it, and the list's name.
    QString ruleText(qint32 rule) const;
    QString ruleList(qint32 rule) const;

    bool isEmpty() const { return m_data.rules.empty(); }
    const FilterCounts &counts() const { return m_data.counts; }
    const EngineData &data() const { return m_data; }
    // Bytes the compiled rules take.
    size_t memoryUsage() const;

private:
    qint32 find(const RuleSet &set, const RequestView &request) const;
    qint32 findIn(std::span<const quint32> rules, const RequestView &request) const;
    bool matches(const FilterRule &rule, const RequestView &request) const;
    bool domainAllows(const FilterRule &rule, const RequestView &request) const;
    bool regexMatches(quint32 id, const RequestView &request) const;
    std::string_view pattern(const FilterRule &rule) const
    {
        return {m_data.text.data() + rule.pattern, rule.patternLength};
    }

    struct CompiledRegex;

    EngineData m_data;
    std::unordered_map<quint32, std::unique_ptr<CompiledRegex>> m_regexes;
};
