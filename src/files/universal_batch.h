#pragma once
// The batch commands for any HART device's universal data file (*.hrt):
//   ZEL-HART read <port> <file>.hrt    read the universal data, store the file
//   ZEL-HART write <file>.hrt <port>   write what differs from the device
// Both connect without looking for our parts, so they serve every device,
// ours included, and print one summary line.

#include <QString>

namespace zh {

struct DeviceCore;
struct UniversalData;

// True for a file name with the universal data file's extension.
bool isUniversalFile(const QString& file);

// Connects to the device at `port` as to any HART device and reads its
// universal data into `data`; false with `failure` saying why in words.
bool readUniversalData(DeviceCore& core, const QString& port, UniversalData* data,
                       QString* failure);

// The universal data just read or written as a reading of the device's
// history (files/history_command.h): "" when kept, else why not.
QString keepUniversalReading(DeviceCore& core, const QString& what, const QString& port,
                             const UniversalData& data);

// Each returns the process exit status (0 success, 1 failure).
int readUniversalCommand(DeviceCore& core, const QString& port, const QString& file);
// Reads the device first and writes only the items whose value differs from
// the file, then reads them back.
int writeUniversalCommand(DeviceCore& core, const QString& file, const QString& port);

}  // namespace zh
