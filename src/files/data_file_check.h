#pragma once
// The whole check of a data file before it is loaded, for the window's Open
// and the batch write alike: a file that fails it changes nothing and is
// never written to a device.

#include <QString>
#include <QStringList>

#include "data_session.h"

namespace zh {

struct DataFileHeader;
struct Program;

// Loads `section` of `path` into a scratch model of the file's own
// configuration and checks it there: every key the writer saves for the
// file's transmitter/display mode and measurand is present, every value
// parses and passes its field's checks, every option is one of its list.
// One line per problem ("AGW1 missing", "Unit=77"); empty when sound.
QStringList checkDataFile(DataSession& s, const QString& path, const QString& section,
                          const DataFileHeader& h, const QString& measurand);

// path + ": " + the translated "invalid value" message naming the problems.
QString dataFileProblemsText(Program& p, const QString& path, const QStringList& problems);

}  // namespace zh
