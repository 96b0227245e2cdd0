#pragma once
// The calibration header of a data file: read and checked before anything
// is applied, then applied to a device model (the program's own, or the
// scratch model a file is checked on).

#include <QString>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

namespace zh {

struct CalibrationState;
struct DeviceModel;
struct Program;

struct DataFileHeader {
    QString versionDate;  // "V 0.9.129/2024-05-01 14:30"
    QString mode, unitType, baseUnit;
    int devConfigIndex = -1, devConfig = 1, devType = 0, calcMethod = -1, intSerIO = 0;
    float nomLow = 0, nomHigh = 100, adLow = 0, adHigh = 10000, low = 0, high = 100;
    int calUnit = 0, calDecP = 0, dispUnit = 0, dispDecP = 0;
    QString calUnitName, dispUnitName;  // written after the index: "0 (bar)"
    QString adRaw;
    // The device's status when the data were read: "0x81 (malfunction,
    // primary variable out of limits)"; "" when not known (and not written).
    QString deviceStatus;
    // The parts of the device the values are of, when not both:
    // "transmitter" or "display"; "" for both (and not written).
    QString parts;
};

// Puts the calibration's nominal, AD and measuring ranges into `h`.
void putCalibrationRanges(const CalibrationState& c, DataFileHeader* h);

// The header's keys and their values as written, in the order of the file.
std::vector<std::pair<QString, QString>> dataFileHeaderKeys(const DataFileHeader& h);

// Reads the header of `section` in `path`. Returns one line per problem
// ("CalDecimalPoint=9", "IntSerIO missing"); empty when the header is sound.
// Every key this program writes and reads back must be there.
QStringList readDataFileHeader(Program& p, const QString& path, const QString& section,
                               DataFileHeader* h);

// Gives `m` the file's device configuration and calibration: the field
// table is defined anew (after `rebuildWindow`, when set) when the
// measurand or configuration differs or the table is empty. True when it was.
bool applyDataFileHeader(DeviceModel& m, const DataFileHeader& h, const QString& measurand,
                         const std::function<void(const QString& measurand)>& rebuildWindow);

// After the values are loaded: the nominal and measuring range fields work
// in the calibration unit, so values saved in another unit are converted.
void rangesToCalibrationUnit(DeviceModel& m);

}  // namespace zh
