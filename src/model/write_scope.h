#pragma once
// What a write sends of the parts it writes: every setting, or only those
// that differ from what the device holds.

#include <QString>

#include "app/presence.h"

namespace zh {

enum class WriteScope { All, Changes };

// The word Debug.log and the data hooks use: "all" / "changes".
inline QString toLogWord(WriteScope scope) {
    return scope == WriteScope::Changes ? QStringLiteral("changes") : QStringLiteral("all");
}

// "transmitter all", "display changes", ...: how a read or write names
// the part and the scope in Debug.log.
inline QString toLogWord(Presence part, WriteScope scope) {
    return presenceText(part) + QLatin1Char(' ') + toLogWord(scope);
}

}  // namespace zh
