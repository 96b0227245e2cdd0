#pragma once
// How a line of the log view is coloured: by its first characters, first
// match wins. Kept as data so the log view and the saved-log reader agree.

#include <QString>

namespace zh {

struct LogLineStyle {
    int colour;  // rgb()
    bool bold;
};

// `callerColour` (-1 for none) is used for lines no prefix rule matches.
LogLineStyle logLineStyle(const QString& line, int callerColour = -1);

}  // namespace zh
