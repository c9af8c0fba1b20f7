#pragma once

class FilterEngine;
class QIODevice;
class QTextStream;

// `harbrow --check-blocking`: reads lines "ADDRESS PAGE-ADDRESS TYPE" and prints
// for each "block" or "allow" with the rule that decided, or "(none)". Returns
// the number of lines that could not be read.
namespace BlockingCheck {

int run(const FilterEngine *engine, QTextStream &in, QTextStream &out);
// With the user's lists (through the compiled cache), on standard input and output.
int runOnStandardStreams();

} // namespace BlockingCheck
