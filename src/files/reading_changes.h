#pragma once
// What changed from one kept reading of a device to another: field by
// field for the program's own data files (as a compare lists them, in the
// fields' units), key by key for universal data files. The batch history
// prints the list, the history window shows it; both from here.

#include <QString>
#include <vector>

namespace zh {

struct DeviceCore;
class DeviceHistory;
struct HistoryReading;

struct ReadingChange {
    QString caption;  // the field's caption, its name, or a universal file's key
    QString before;   // the value of the earlier reading, with its unit ("0.0 s")
    QString after;    // the value of the later one
};

struct ReadingChanges {
    QString failure;  // why the two cannot be compared; "" when they were
    std::vector<ReadingChange> changes;
};

// The changes from reading `a` to reading `b` of `h`. The data files are
// opened on a core of their own, built from `core`'s program: the data
// `core` holds (the window's form, unsaved edits) stay as they are.
ReadingChanges readingChanges(const DeviceCore& core, const DeviceHistory& h,
                              const HistoryReading& a, const HistoryReading& b);

// One change as the batch lists it: "Damping 0.0 s -> 2.0 s".
QString changeLine(const ReadingChange& c);

}  // namespace zh
