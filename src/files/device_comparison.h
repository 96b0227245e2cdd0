#pragma once
// Compares a device with a data set: the values a data file holds (or a
// write sent) against what the device holds after one read. Differences
// that are not real are left out: numbers the device stores as the same
// value, texts that differ only in padding, read-outs, and every field a
// write would not send to this device (its parts and class): a comparison
// lists exactly what a write of the data would change.

#include <QString>
#include <QStringList>
#include <vector>

namespace zh {

struct DeviceCore;
struct DeviceModel;
struct FieldRecord;

struct FieldDifference {
    QString name;     // field name ("SetPoint1")
    QString caption;  // the label the window shows ("Set point 1"), or the name
    // Both in `unit` and in the field's notation (its decimals, its digits);
    // where the two count as one value, both read as the device has it.
    QString fileValue;    // as the data set holds it
    QString deviceValue;  // as the device holds it
    QString unit;         // "bar", "s", "" for none
    bool differs = true;  // false only in a list of every field (fieldValues)
};

struct Comparison {
    bool opened = false;  // the file was opened: its data are the data shown
    int result = 0;       // hart result of the device read (kResultOk...)
    QString failure;      // what went wrong when the file could not be opened or the read failed
    std::vector<FieldDifference> differences;
};

// The data set `expected` (a model holding the file's or the written values)
// against the device values now in `device` (just read). Only fields the
// device holds for its configuration; numbers equal within one device count
// (whole numbers in the field's base); texts equal apart from padding, even
// where they read as numbers.
// `device` is not const: a value in another unit is converted by its
// calibration.
// With `sentRawValues` the expected raw values are the ones a write sent,
// and a field the device gives back with the same raw value holds it,
// however the two show it (a switch point sent as 9.6 bar on a scale whose
// next count is 9.5996 bar).
std::vector<FieldDifference> compareFields(const DeviceModel& expected, DeviceModel& device,
                                           bool sentRawValues = false);

// Every field compareFields looks at, equal ones included (differs false):
// the whole configuration side by side, `expected`'s value as fileValue.
std::vector<FieldDifference> fieldValues(const DeviceModel& expected, DeviceModel& device);

// Opens data file `path` as the data shown (its values, the window's title)
// and compares the device, read once beside it, with them; the data shown
// stay the file's.
Comparison compareDeviceWithFile(DeviceCore& core, const QString& path);

// Two data files of one device, `before` against `after`, as a compare of
// `before` with a device holding `after` lists them (fileValue is before's,
// deviceValue after's). Leaves `after` as the data shown. No connection.
Comparison compareDataFiles(DeviceCore& core, const QString& before, const QString& after);

// After a successful write: reads back what the write sent (its commands
// and blocks, in their read form) and compares it with the values sent
// (the program's model as the write left it). A write told beforehand
// (DeviceSequences::keepLinkForReadBack) is read back in its own connection.
Comparison verifyWrite(DeviceCore& core);

// A value as a person reads it: an option with its text ("0 (bar)"),
// padding removed.
QString shownValue(const FieldRecord& f, const QString& content);

// One line per difference, "Caption (Name): file 1.5 bar, device 2.0 bar";
// for batch output, the window's "Save as text" and a failed verify's message.
QStringList differenceLines(const std::vector<FieldDifference>& d);
// The fields' names, separated by spaces ("Damping SetPoint1").
QString differenceNames(const std::vector<FieldDifference>& d);

}  // namespace zh
