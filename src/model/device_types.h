#pragma once
// Device types and the catalogue of transmitter configurations kept in the
// profile: building the device-type and calculation-method selections,
// loading a configuration into the field table, storing the current one,
// mapping configuration bytes onto the option fields, and completing the
// linearisation point table.

#include <QString>
#include <QStringList>

namespace zh {

struct DeviceModel;

// A record of [DeviceConfigurations]: five fields separated by "|", each
// a list of items separated by ";".
struct ConfigurationRecord {
    QString description;
    QStringList range;      // lower range; upper range; lower nominal; upper nominal; unit
    QStringList bytes;      // 22 configuration bytes, hexadecimal
    QStringList agw;        // AGW0..AGW10 of transmitter variants
    QStringList agwSwitch;  // AGW0..AGW10 of switch variants

    // The stored text; a ":" in it counts as "|", missing fields are empty
    // lists, and the empty item after a closing ";" is no item.
    static ConfigurationRecord fromText(const QString& text);
    // The text stored for the record.
    QString toText() const;
};

// Classes of the device index (configuration byte 16).
enum class DeviceClass { All, Switch, Transmitter };
DeviceClass deviceClassOf(int devIndx);  // 1, 2: Switch; 0, 4, 16: Transmitter; else All

// The option-field maps ("destination=source;").
extern const char* const kSwitchAgwMap;
extern const char* const kSwitchByteMap;
extern const char* const kTransmitterMap;

// The record text stored under `key` (hexadecimal, upper case) in
// [DeviceConfigurations]; for key 0 the default record built from the
// current range fields.
QString configurationRecordText(DeviceModel& m, int key);

void updateDeviceTypeSelection(DeviceModel& m, int devIndx);
// What a change of the device type does with the values: New keeps the
// defaults of a new data set, Keep the values read from the device, File
// as Keep, and an option field a data file gave a value keeps it (the file
// may have been edited there rather than in the configuration byte);
// Catalogue loads the catalogue entry and shows it (after a selection).
enum class TypeUpdate { New, Keep, File, Catalogue };
// "new", "keep", "file", "update": the words Debug.log shows.
QString toLogWord(TypeUpdate mode);
void updateDeviceType(DeviceModel& m, int devIndx, int devType, int calcMeth, TypeUpdate mode);
// False when the record could not be loaded (logged; fields unchanged).
bool updateTransmitterConfig(DeviceModel& m, int devIndx, int devType);
void syncTransmitterConfigFields(DeviceModel& m, const QString& map, TypeUpdate mode);
// The option fields a device class keeps in its configuration bytes and
// table ("CurrentOff=AGW4;...", option=place), "" for a class without any.
QString optionMapOf(int devIndx);
// The way back of syncTransmitterConfigFields for a write: every option field of
// the current class that changed puts its raw value into its byte or table
// value, which then counts as changed too.
void optionsIntoConfiguration(DeviceModel& m);
void updateCalcMethod(DeviceModel& m, int calcMeth);
// Writes the current configuration into the catalogue after the person
// agreed to a question naming the entry (and, for one the catalogue holds,
// the range it replaces); false when the person said no, and (with a
// message) when the key or description is invalid or a list was too long
// to be read whole.
bool storeConfiguration(DeviceModel& m, const QString& description);
// Completes the adjustment table between its known points: the rows
// holding both values that rise (or fall) from 0 % to 100 % with the
// table's ends. The other rows between them take their share of the way
// (a value set between its neighbours stays) and the counts on that line.
// False (and a message) with fewer than two known points; nothing changes.
bool fillAdcTable(DeviceModel& m);
// The adjustment table clearAdcTable sets: the default one, or the catalogue
// entry's of the current device type (for the transmitter or the
// configuration); Debug.log names them "default", "transmitter", "config".
enum class AdcTable { Default, Transmitter, Config };
// Whether clearAdcTable shows the table in the controls; "noupdate" in Debug.log
// when it does not.
enum class AdcShown { Controls, NoUpdate };
void clearAdcTable(DeviceModel& m, AdcTable source, AdcShown shown);
// The adjustment table as the catalogue entry of the current key stores
// it, each row's value at its tenth of the nominal range.
void clearAdjustmentTable(DeviceModel& m);

}  // namespace zh
