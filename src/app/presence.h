#pragma once
// Which parts of the device a connection looks for or found: the
// transmitter, the display module, both, or (asked only) whatever answers.
// The profile and the data files keep the words ("transmitter", "display",
// "all", "auto"); the program reads them once with parsePresence and
// compares the values.

#include <QString>

namespace zh {

enum class Presence { Unknown, Transmitter, Display, All, Auto };

// The value of a lower-case word; any other text is Unknown.
Presence parsePresence(const QString& word);
// The word of a value; "" for Unknown.
QString presenceText(Presence presence);

}  // namespace zh
