#pragma once
// The data file: one INI section named after the file, the calibration
// header, and one key per saved field of the field table.
//
// Value forms: a combobox field is saved as "index (option text)"; a field of
// the measurand list as BaseValue followed by BaseUnit ("250.0[bar]"); another
// field with a unit as Content followed by GadUnit; anything else as Content.
//
// Values that are not numbers ("NaN", "inf", "-", "abc" in a number field)
// never reach a file: in a field the user can edit they refuse the save with
// a message naming the field (the previous file stays); in a read-out
// (displayonly: never written to a device) the key is left out.

#include <QString>
#include <QStringList>
#include <vector>

#include "data_session.h"

namespace zh {

struct DeviceModel;
struct FieldRecord;

// Writes the data file into `path` with its section named after the file
// `name` (the file it is saved as, folder aside: fileOperation passes a
// temporary file); without
// `name`, the section is named after `path` without a ".tmp" ending. 1 on
// success; 0 when any value could not be written, nothing was written, a
// value was refused, or the user abandoned the save at the write-access
// question.
int writeDataFile(DataSession& s, const QString& path, const QString& name = QString());

// Loads the saved fields of the list of defined names from `section` of
// `path` into the field table. Every value is checked first: on any absurd
// value the table is left untouched, a message names the field, and 0 is
// returned. 1 on success.
int readDataFile(DataSession& s, const QString& path, const QString& section);

// The lines a data file of the current data holds ("key=value"), apart
// from its date stamp and the administrator's copies of fields (the same
// values again); nothing is shown or written. Empty when a value could not
// be saved.
QStringList dataFileLines(DataSession& s);

// The saved form of one field.
QString dataFileValue(DataSession& s, const FieldRecord& f);
// Whether `f` is saved under the current transmitter/display mode and measurand kind.
bool isSavedField(DataSession& s, const FieldRecord& f);

// One value read from a file, split into its parts.
struct LoadedValue {
    int index = 0;  // field index
    QString value;  // number or text, without unit or option text
    QString unit;   // "[bar]" or ""
};
// Reads and checks the saved fields; one line per absurd value ("name=value"),
// empty when all are sound. Nothing is changed.
QStringList collectDataFileValues(DataSession& s, const QString& path, const QString& section,
                                  std::vector<LoadedValue>* out);
// Puts collected values into the model's fields (as a data file's, not the device's).
void storeDataFileValues(DeviceModel& m, const std::vector<LoadedValue>& values);
// A read-out number field whose key the writer leaves out when it shows no number.
bool mayBeLeftOut(const FieldRecord& f);

// The first "[section]" of a data file's bytes; false with `why` for a
// binary, cut-off or section-less file.
bool dataFileSection(const QByteArray& bytes, QString* section, QString* why);

}  // namespace zh
