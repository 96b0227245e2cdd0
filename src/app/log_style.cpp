#include "log_style.h"

#include "gadgets.h"

namespace zh {
namespace {

struct PrefixRule {
    const char* prefix;
    int colour;
    bool bold;
};

// Longer prefixes first where one begins another (">>>" before ">>" before ">").
const PrefixRule kRules[] = {
    {"-->", rgb(0, 185, 0), true},  // HART request traces
    {"<--", rgb(0, 185, 0), true},  // HART response traces
    {"<<< Comment: ", rgb(0, 136, 0), true},
    {"<<<", rgb(100, 0, 100), true},  // recorded user events
    {">>>", rgb(0, 0, 255), false},   // procedure entries
    {">>", rgb(0, 0, 255), true},
    {">", rgb(255, 0, 0), true},
};

}  // namespace

LogLineStyle logLineStyle(const QString& line, int callerColour) {
    for (const PrefixRule& rule : kRules) {
        if (line.startsWith(QLatin1String(rule.prefix))) return {rule.colour, rule.bold};
    }
    return {callerColour == -1 ? rgb(0, 0, 0) : callerColour, false};
}

}  // namespace zh
