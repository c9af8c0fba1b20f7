#pragma once

#include "blocking/enginedata.h"

#include <QByteArrayView>
#include <QString>

#include <string_view>
#include <utility>
#include <vector>

class FilterEngine;

// Reads filter lists in the Adblock Plus syntax (network rules and hosts-file
// lines) and compiles them into an engine.
class FilterEngineBuilder final
{
public:
    FilterEngineBuilder() = default;
    Q_DISABLE_COPY_MOVE(FilterEngineBuilder)

    void addList(const QString &name, QByteArrayView text);
    // Also adds a single line, for tests and the user's own rules.
    void addLine(std::string_view line, quint16 list);
    FilterEngine build();

private:
    struct Options
    {
        quint16 types = 0;
        quint16 notTypes = 0;
        quint8 flags = 0;
        quint8 party = FilterRule::AnyParty;
        std::vector<quint32> includes;
        std::vector<quint32> excludes;
    };

    bool addHostsLine(std::string_view line, quint16 list);
    void addNetworkRule(std::string_view line, quint16 list);
    static bool parseOptions(std::string_view text, Options &options);
    static bool parseDomains(std::string_view text, Options &options);
    quint32 storeText(std::string_view text);
    void addRule(FilterRule rule, std::vector<quint32> tokens);
    void chooseTokens();

    EngineData m_data;
    std::vector<quint32> m_tokens; // every rule's candidate tokens, one after another
    std::vector<quint32> m_tokenStarts{0};
};
