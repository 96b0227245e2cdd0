#pragma once
// The data commands of the File menu: New, Open and Store (save, save as,
// and storing to the device module).

#include <QString>

#include "data_session.h"

namespace zh {

struct Program;

// The measurand whose data files have the extension `ext` ("cfp"), by the
// profile's file patterns; "" for none.
QString measurandOfExtension(const Program& p, const QString& ext);
// The extension of `measurand`'s data files; "" for none.
QString extensionOfMeasurand(const Program& p, const QString& measurand);

// Opens a data file chosen in the open requester: checks it completely
// (section, transmitter/display mode, header and every value) before
// anything changes, tests the device connection through
// s.device.testConnection when set, rebuilds the field table when the
// measurand or device configuration differs, and loads all values.
// 1 when loaded; 0 when cancelled or refused (a message said why; data and
// current file unchanged).
int chooseAndOpenData(DataSession& s);
// Opens `path` without asking for it (relative to the current data folder); 1 loaded.
int openDataFile(DataSession& s, const QString& path);
// Asks for a data file as Open does, without loading it or making it the
// current file; empty when cancelled or not readable.
QString chooseDataFile(DataSession& s);

// Where Store puts the current data: the current file (asking for a name
// when there is none), a file named anew, or the device.
enum class StoreTarget { File, FileAs, Module };
// "save", "saveas", "module": the words Debug.log shows.
QString toLogWord(StoreTarget target);

// File and FileAs write the current data to a file (through fileOperation
// and writeDataFile); Module writes them to the device through
// s.device.write(WriteScope::All). 1 on success, 0 otherwise.
int storeData(DataSession& s, StoreTarget target);

// Starts a new, empty data set for `measurand` ("Pressure"). 1 on success,
// 0 when the user kept the unsaved data.
int startNewData(DataSession& s, const QString& measurand);

}  // namespace zh
