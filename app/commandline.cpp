#include "app/commandline.h"

#include "blocking/blockingcheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QString>
#include <QUrl>

#include <cstdio>
#include <cstring>

namespace {

QString text(const char *source)
{
    return QCoreApplication::translate("CommandLine", source);
}

void print(std::FILE *stream, const QString &line)
{
    std::fputs(line.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

QString helpText()
{
    return text("Usage: harbrow [--help | --version] [URL...]\n\n"
                "Harbrow is a private web browser and bookmark manager in one window.\n"
                "Started without options, it opens its window. The first URL opens in the\n"
                "Browser tab, the others wait in its address box. When Harbrow is already\n"
                "running, the URLs are opened there.\n\n"
                "  -h, --help     show this text and exit\n"
                "  -v, --version  show the version and exit\n"
                "  --check-blocking  read lines \"ADDRESS PAGE-ADDRESS TYPE\" and print\n"
                "                 \"block\" or \"allow\" with the rule that decided\n");
}

std::optional<int> showHelp()
{
    print(stdout, helpText());
    return 0;
}

std::optional<int> checkBlocking()
{
    return BlockingCheck::runOnStandardStreams();
}

std::optional<int> showVersion()
{
    print(stdout, QStringLiteral("Harbrow %1\n").arg(QStringLiteral(HARBROW_VERSION)));
    return 0;
}

// An option ends the program with its status; a new option is one more row.
struct Option
{
    const char *longName;
    const char *shortName;
    std::optional<int> (*run)();
};

constexpr Option Options[] = {
    {"--help", "-h", showHelp},
    {"--version", "-v", showVersion},
    {"--check-blocking", nullptr, checkBlocking},
};

const Option *findOption(const char *argument)
{
    for (const Option &option : Options) {
        if (std::strcmp(argument, option.longName) == 0 ||
            (option.shortName && std::strcmp(argument, option.shortName) == 0))
            return &option;
    }
    return nullptr;
}

bool looksLikeOption(const char *argument)
{
    return argument[0] == '-' && argument[1] != '\0';
}

} // namespace

QUrl CommandLine::openableAddress(const QString &text)
{
    const QUrl url = QUrl::fromUserInput(text.trimmed(), QDir::currentPath());
    const QString scheme = url.scheme();
    const bool openable = scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
                          scheme == QLatin1String("file");
    return url.isValid() && openable ? url : QUrl();
}

CommandLine::Request CommandLine::read(int argc, char *argv[])
{
    Request request;
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        if (!optionsEnd && std::strcmp(argument, "--") == 0) {
            optionsEnd = true;
            continue;
        }
        if (!optionsEnd && looksLikeOption(argument)) {
            if (const Option *option = findOption(argument)) {
                request.exitCode = option->run();
                if (request.exitCode)
                    return request;
                continue;
            }
            print(stderr,
                  text("harbrow: unknown option: %1\n\n").arg(QString::fromLocal8Bit(argument)));
            print(stderr, helpText());
            request.exitCode = 2;
            return request;
        }
        const QString given = QString::fromLocal8Bit(argument);
        const QUrl url = openableAddress(given);
        if (url.isValid())
            request.addresses.append(url.toString(QUrl::FullyEncoded));
        else
            print(stderr, text("harbrow: not opened, Harbrow opens only http, https and file "
                               "addresses: %1\n")
                              .arg(given));
    }
    return request;
}
