#include "app/commandline.h"

#include "blocking/blockingcheck.h"

#include <QCoreApplication>
#include <QString>

#include <cstdio>
#include <cstring>

namespace {

QString text(const char *source)
{
    return QCoreApplication::translate("CommandLine", source);
}

void print(const QString &line)
{
    std::fputs(line.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

} // namespace

std::optional<int> CommandLine::answer(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0) {
            print(QStringLiteral("Harbrow %1\n").arg(QStringLiteral(HARBROW_VERSION)));
            return 0;
        }
        if (std::strcmp(argv[i], "--check-blocking") == 0)
            return BlockingCheck::runOnStandardStreams();
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            print(text("Usage: harbrow [--help | --version]\n\n"
                       "Harbrow is a private web browser and bookmark manager in one window.\n"
                       "Started without options, it opens its window.\n\n"
                       "  -h, --help     show this text and exit\n"
                       "  -v, --version  show the version and exit\n"
                       "  --check-blocking  read lines \"ADDRESS PAGE-ADDRESS TYPE\" and print\n"
                       "                 \"block\" or \"allow\" with the rule that decided\n"));
            return 0;
        }
    }
    return std::nullopt;
}
