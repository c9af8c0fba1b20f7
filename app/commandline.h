#pragma once

#include <optional>

// The few command-line questions Harbrow answers without opening a window.
namespace CommandLine {

// Prints the answer to --help or --version and returns the exit code; returns
// nothing when the command line asks neither, so the program starts as usual.
std::optional<int> answer(int argc, char *argv[]);

} // namespace CommandLine
