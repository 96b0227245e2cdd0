#pragma once
// "Device history": the readings kept of the device the window shows (by
// its identity from the last connection), newest first, each with its date,
// read or write, port and tag; two of them chosen show what changed from
// one to the other, field by field in its unit.

class QDialog;
class QWidget;

namespace zh {

struct DeviceCore;

// Opens the history window over `parent`, or brings it to the front; it
// lists the readings of the device `core` last connected to, or says that
// no device has been read yet or none of its readings are kept.
void showDeviceHistory(QWidget* parent, DeviceCore& core);

// The history window shown over `parent`; nullptr before the first.
QDialog* deviceHistoryOf(const QWidget* parent);

}  // namespace zh
