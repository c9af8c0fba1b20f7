#pragma once

#include "blocking/tokenindex.h"

#include <QStringList>

#include <string>
#include <vector>

// The domains of one rule's domain= option: hashes in EngineData::domains,
// includes first, then excludes.
struct DomainList
{
    quint32 start = 0;
    quint16 includes = 0;
    quint16 excludes = 0;
};

// One network rule, compiled. Texts live in EngineData::text.
struct FilterRule
{
    enum Flag : quint8 {
        Exception = 1,
        Important = 2,
        HostAnchor = 4,
        StartAnchor = 8,
        EndAnchor = 16,
        Regex = 32,
        MatchCase = 64,
    };
    enum Party : quint8 { AnyParty, FirstParty, ThirdParty };

    quint32 text = 0;    // the rule as written in its list
    quint32 pattern = 0; // lower case unless MatchCase, anchors and outer * removed
    quint32 domainList = 0; // 1 + its index in EngineData::domainLists; 0: no domain=
    quint16 textLength = 0;
    quint16 patternLength = 0;
    quint16 types = 0;
    quint16 list = 0;
    quint8 flags = 0;
    quint8 party = AnyParty;
};

// The rules of one kind, reachable by a token of their pattern, else by the
// domains their domain= option names, else from a short list tried every time.
struct RuleSet
{
    TokenIndex byToken;
    TokenIndex byDomain;
    std::vector<quint32> anywhere;
};

// What was read, for the indicator's details.
struct FilterCounts
{
    quint32 rules = 0;
    quint32 cosmetic = 0;    // element hiding and scripts: not applied
    quint32 unsupported = 0; // network rules with options not implemented: skipped whole

    friend bool operator==(const FilterCounts &, const FilterCounts &) = default;
};

// Everything a compiled engine holds; plain arrays, so it can be stored and read back.
struct EngineData
{
    std::vector<FilterRule> rules;
    std::string text;
    std::vector<quint32> domains;
    std::vector<DomainList> domainLists;
    RuleSet blocks;
    RuleSet important;
    RuleSet exceptions;
    RuleSet pageExceptions; // @@ rules for whole pages ($document)
    QStringList lists;
    FilterCounts counts;
};
