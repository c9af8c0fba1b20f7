#pragma once

#include <QStringList>
#include <QUrl>

#include <optional>

// Harbrow's command line: options it answers without opening a window, and
// the web addresses the window should open.
namespace CommandLine {

struct Request
{
    // Set when the program ends at once with this status (--help, --version,
    // an unknown option); nothing else is to be done then.
    std::optional<int> exitCode;
    // The addresses given, in order, as full URLs (http, https or file only).
    QStringList addresses;
};

// Reads the command line; prints what it answers to standard output and what
// it refuses to standard error.
Request read(int argc, char *argv[]);

// The address a person or another program gave, as Harbrow opens it; an
// invalid URL when it is not an http, https or file address.
QUrl openableAddress(const QString &text);

} // namespace CommandLine
