#include "presence.h"

namespace zh {
namespace {

struct PresenceWord {
    Presence presence;
    const char* word;
};

constexpr PresenceWord kWords[] = {
    {Presence::Transmitter, "transmitter"},
    {Presence::Display, "display"},
    {Presence::All, "all"},
    {Presence::Auto, "auto"},
};

}  // namespace

Presence parsePresence(const QString& word) {
    for (const PresenceWord& w : kWords)
        if (word == QLatin1String(w.word)) return w.presence;
    return Presence::Unknown;
}

QString presenceText(Presence presence) {
    for (const PresenceWord& w : kWords)
        if (w.presence == presence) return QString::fromLatin1(w.word);
    return QString();
}

}  // namespace zh
