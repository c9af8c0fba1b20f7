#include "blocking/blockingcheck.h"

#include "blocking/blockingloader.h"
#include "blocking/enginecache.h"
#include "blocking/filterengine.h"

#include <QHash>
#include <QTextStream>

namespace {

const QHash<QString, ResourceType> &typeNames()
{
    static const QHash<QString, ResourceType> names{
        {QStringLiteral("script"), ResourceType::Script},
        {QStringLiteral("image"), ResourceType::Image},
        {QStringLiteral("stylesheet"), ResourceType::Stylesheet},
        {QStringLiteral("object"), ResourceType::Object},
        {QStringLiteral("xmlhttprequest"), ResourceType::XmlHttpRequest},
        {QStringLiteral("xhr"), ResourceType::XmlHttpRequest},
        {QStringLiteral("subdocument"), ResourceType::Subdocument},
        {QStringLiteral("media"), ResourceType::Media},
        {QStringLiteral("font"), ResourceType::Font},
        {QStringLiteral("websocket"), ResourceType::WebSocket},
        {QStringLiteral("ping"), ResourceType::Ping},
        {QStringLiteral("other"), ResourceType::Other},
        {QStringLiteral("document"), ResourceType::Document},
    };
    return names;
}

} // namespace

int BlockingCheck::run(const FilterEngine *engine, QTextStream &in, QTextStream &out)
{
    int unread = 0;
    QString line;
    while (in.readLineInto(&line)) {
        const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty())
            continue;
        const auto type = words.size() == 3 ? typeNames().constFind(words[2].toLower())
                                            : typeNames().constEnd();
        if (type == typeNames().constEnd()) {
            out << "error: expected ADDRESS PAGE-ADDRESS TYPE: " << line << '\n';
            ++unread;
            continue;
        }
        const std::string url = words[0].toStdString();
        const std::string page = words[1].toStdString();
        const BlockVerdict verdict =
            engine ? engine->decide({url, page, *type}) : BlockVerdict{};
        out << (verdict.blocked ? "block" : "allow") << ' '
            << (verdict.rule >= 0 ? engine->ruleText(verdict.rule) + QStringLiteral(" (")
                        + engine->ruleList(verdict.rule) + QLatin1Char(')')
                                  : QStringLiteral("(none)"))
            << '\n';
        out.flush();
    }
    return unread;
}

int BlockingCheck::runOnStandardStreams()
{
    QTextStream in(stdin);
    QTextStream out(stdout);
    bool cached = false;
    const QList<FilterListFile> lists = FilterLists::find();
    const std::shared_ptr<const FilterEngine> engine =
        BlockingLoader::make(lists, EngineCache::filePath(), &cached);
    if (!engine) {
        QTextStream(stderr) << "harbrow: no lists of trackers and ads found in "
                            << FilterLists::systemFolder() << " or " << FilterLists::userFolder()
                            << ": nothing is blocked\n";
    }
    return run(engine.get(), in, out) == 0 ? 0 : 1;
}
