#pragma once
// The device history in batch use:
//   ZEL-HART history <port|device-id> [--diff A B] [--address N]
// lists the readings kept of a device (history/history_store.h), each with
// what changed since the one before; --diff A B the differences between two
// (numbers as listed, or dates). And the call the read and write make after
// their success to keep the reading.

#include <QString>
#include <QStringList>
#include <functional>

namespace zh {

struct DeviceCore;
struct DeviceIdentity;
struct Program;

// The name of a device's folder: manufacturer, device type and device ID in
// hexadecimal ("26-06-00A1B2"); "" for an identity not read.
QString historyFolderName(const DeviceIdentity& identity);

// The history folder of the device the session of `core` last connected
// to; "" while its identity is unknown.
QString deviceHistoryFolder(const DeviceCore& core);

// How many readings a device keeps, by the profile's [History] Keep; 0 when
// the history is off.
int keptReadings(Program& p);

// Keeps a reading of the device the session last connected to: `writeFile`
// writes its data file (extension `extension`). A reading that cannot be
// kept says why on stderr and in the text returned ("" when it was kept or
// the history is off), and changes nothing else: the read or write it
// follows stays a success.
QString keepHistoryReading(DeviceCore& core, const QString& what, const QString& port,
                           const QString& tag, const QString& extension,
                           const std::function<bool(const QString& path)>& writeFile);
// The same for the current data of our device, written with the data file writer.
QString keepDataReading(DeviceCore& core, const QString& what, const QString& port);

// Runs the history verb; `arguments` without "--address N". 0 listed, 1
// failure (no such device, reading or folder), 2 usage.
int runHistoryCommand(DeviceCore& core, const QStringList& arguments);

}  // namespace zh
