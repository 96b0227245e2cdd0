#pragma once
// The history of one device: every good read and write of it, each as the
// data file the program saved for it plus a line in the folder's index
// (readings.txt). One folder per device, named by its identity, under
// historyRoot(). Only Qt Core: the batch commands and the window share it.
//
// The index holds one reading per line, tab-separated and oldest first:
//   number  date-time (ISO, local)  read|write  port  tag  file name
// It is replaced whole (QSaveFile) on every change, so a reader never sees
// half a line; a data file whose line is missing is simply not listed. A
// lock file (readings.lock) lets one program at a time take a reading.

#include <QDateTime>
#include <QString>
#include <functional>
#include <vector>

namespace zh {

struct AppState;

struct HistoryReading {
    int number = 0;  // 1, 2, ... in the order taken; never reused in a folder
    QDateTime when;  // local time of the reading
    QString what;    // "read" or "write"
    QString port;    // as given ("/dev/ttyUSB0", "Sim")
    QString tag;     // the device's tag then, may be empty
    QString file;    // the data file's name in the device's folder
};

// Where the device folders go: $XDG_DATA_HOME/zel-hart/history when that
// variable is set, ~/.local/share/zel-hart/history for an installed program,
// and a "History" folder beside a program that keeps its files beside itself.
QString historyRoot(const AppState& s);

// How many readings a device keeps, from the profile's [History] Keep
// (`keepText`, "" for the default 50); 0 turns the history off.
int historyKeep(const QString& keepText);

class DeviceHistory {
  public:
    // `folder` is the device's own folder (root + "/" + device id).
    explicit DeviceHistory(QString folder);

    const QString& folder() const { return folder_; }

    // The readings listed in the index, oldest first; empty when there is none.
    std::vector<HistoryReading> readings() const;

    // Takes a reading: `writeFile` writes the data into the path it is given
    // (a file of `extension` in the folder), then the index gets its line and
    // the oldest readings beyond `keep` go. False with `error` saying why when
    // the folder, the file or the index could not be written; the index then
    // stays as it was.
    bool add(HistoryReading reading, const QString& extension,
             const std::function<bool(const QString& path)>& writeFile, int keep, QString* error);

    // The full path of a reading's data file.
    QString pathOf(const HistoryReading& r) const;

  private:
    bool writeIndex(const std::vector<HistoryReading>& list, QString* error) const;

    QString folder_;
};

// The reading of `list` named `key`: its number as listed, or a date
// ("2026-12-09": the last reading that day; "2026-12-09T10:15": the last
// one up to then). nullptr when none fits.
const HistoryReading* findReading(const std::vector<HistoryReading>& list, const QString& key);

}  // namespace zh
