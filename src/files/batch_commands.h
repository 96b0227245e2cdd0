#pragma once
// Commands for technicians who commission many devices by script:
//   ZEL-HART read <port> <file>             read the device, store a data file
//   ZEL-HART write <file> <port> [changes]  open a data file, write it to the device
//   ZEL-HART scan <port> [--to N]           list the devices on the loop (scan_command.h)
//   ZEL-HART history <port|device-id>       the readings kept of a device (history_command.h)
// A *.hrt file holds the universal data of any HART device instead (see
// universal_batch.h). "--address N" anywhere sets the polling address 0..63.
// They run the same sequences as the window with non-interactive dialogs,
// print one summary line and end with a non-zero status on any failure.

#include <QStringList>

namespace zh {

struct AppState;
struct DeviceCore;

// True when the command line asks for one of the batch commands.
bool isBatchCommand(const QStringList& arguments);

// Takes "--address N" (polling address 0..63) out of `arguments` into the
// state the connection uses; false for a missing or bad number.
bool takeAddress(QStringList& arguments, AppState& state);

// Runs it; returns the process exit status (0 success, 1 failure, 2 usage).
int runBatchCommand(DeviceCore& core, const QStringList& arguments);

}  // namespace zh
