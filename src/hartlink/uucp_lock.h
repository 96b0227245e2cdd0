#pragma once
// UUCP lock files for serial ports, the convention minicom, picocom, cu and
// ModemManager follow: a file "LCK.." + the device's base name in
// /run/lock (or /var/lock) holding the owner's PID as ten ASCII digits and
// a newline. A lock whose PID is alive keeps us off the port (a terminal
// program talking on the line would garble our frames and we theirs); one
// whose process has ended is left over from a crash and is removed.
//
// Where the lock folder cannot be written (a user outside the groups that
// own it) the port is used without a lock of our own, but the locks of
// others are still honoured.

#include <sys/types.h>

#include <string>
#include <vector>

#include "hartlink/transport.h"

namespace hartlink {

// "/run/lock" and "/var/lock", the folders other programs use.
std::vector<std::string> defaultLockFolders();

// The lock file name of a device: "LCK..ttyUSB0" for /dev/ttyUSB0, and,
// like the others, the base name for a pseudo-terminal ("LCK..3" for
// /dev/pts/3). Links are followed first, so /dev/serial/by-id/... locks
// the same file as the device it points to.
std::string lockNameOf(const std::string& devicePath);

class UucpLock {
  public:
    explicit UucpLock(const std::vector<std::string>& folders = defaultLockFolders());
    ~UucpLock();
    UucpLock(const UucpLock&) = delete;
    UucpLock& operator=(const UucpLock&) = delete;

    // Takes the lock of `devicePath` for this process. Fails when a live
    // process holds it (the error names the port, the process and the lock
    // file) or the lock cannot be read; succeeds without a lock where none
    // can be written. A path that does not exist is not locked (opening it
    // fails anyway, with its own message).
    IoStatus acquire(const std::string& devicePath);

    // Removes the lock file this object wrote; nothing when it wrote none.
    void release();

    // The lock file held, empty when none.
    const std::string& heldFile() const { return held_; }

  private:
    std::vector<std::string> folders_;
    std::string held_;
};

}  // namespace hartlink
