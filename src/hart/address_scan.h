#pragma once
// The poll-address scan: who answers on the loop. Every polling address in
// turn gets command 0 (one try, no retries: a silent address costs its
// short request on the wire and the link's quiet time, about 0.4 s); a
// device that answers is named by its identity, its tag (command 13) and,
// from HART 6 on, its long tag (command 20). Only universal commands are
// sent, so any device may be on the line.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "device_identity.h"

namespace zh {

class LinkLibrary;
class Logger;

struct ScanEntry {
    int address = 0;
    DeviceIdentity identity;
    QString tag;      // command 13, packed ASCII, blanks at the end removed
    QString longTag;  // command 20 (HART 6 and later), "" otherwise
};

// Polling addresses of HART 5 devices end at 15, those of HART 6/7 at 63.
// A scan ends at 15 unless asked for all 64: a HART 7 device found at 2
// says nothing of the addresses above 15, and 48 silent ones cost 19 s.
constexpr int kLastShortAddress = 15;
constexpr int kLastAddress = 63;

// Scans the polling addresses `from`..`to` (clamped to 0..63) of `port`,
// opened once for the whole scan and closed at its end. `progress` is asked
// before each address and stops the scan by returning false. When the port
// cannot be opened, or fails during the scan, `failure` (if given) receives
// the reason; the devices found before that are returned all the same.
QList<ScanEntry> scanAddresses(LinkLibrary& link, Logger& log, const QString& port, int from,
                               int to, const std::function<bool(int address)>& progress,
                               QString* failure = nullptr);

// The items of an entry as a list shows them: address, manufacturer, device
// type, device ID (hex: 2 digits, 4 for the 16-bit numbers of HART 7, 6 for
// the device ID), HART revision, tag, long tag.
QStringList scanEntryColumns(const ScanEntry& entry);

// "address 1: manufacturer 0x26, device type 0x06, device ID 0x12AB34,
// HART 5, tag ABC" (", long tag ..." when the device has one).
QString scanEntryText(const ScanEntry& entry);

}  // namespace zh
