#pragma once
// What the data-file commands work on: the device model, the state of the
// current data file, and the two things they need from outside this folder:
// the window (take values, rebuild, refresh) and the device (connection test,
// write). Both are plain callbacks, so the commands do not depend on the
// window code or on the exact API of the read/write sequences; an unset
// callback means "no window" or "no device".

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

#include "model/write_scope.h"

namespace zh {

struct DeviceModel;

struct DataFileState {
    // Last file used. Relative names resolve against `currentDir`; after a
    // successful operation it holds the absolute path.
    QString currentFile = QStringLiteral("*.cfp");
    // Directory proposed by the requesters; ".\" is the program directory.
    QString currentDir = QStringLiteral(".\\");
    QString extension = QStringLiteral("cfp");
    int moduleState = 0;  // 0: not written to the device since the last load; 1: written
    // The file last loaded or saved, its bytes and the data it held then
    // (dataFileLines): saving the same data into it gives back those bytes.
    QString keptPath;
    QByteArray keptBytes;
    QStringList keptData;
};

struct DataWindowHooks {
    std::function<bool()> takeWindowValues;  // false: the window holds invalid input
    std::function<void(const QString& measurand)> rebuildWindow;
    std::function<void(const QString& measurand)> showPanels;
    std::function<void(const QString& caption)> setCaption;  // "file name - window title"
    std::function<void()> refresh;
};

struct DeviceAccess {
    // Connects to the device and disconnects again; true when it answered.
    std::function<bool()> testConnection;
    // Writes the field table to the device; true on success.
    std::function<bool(WriteScope scope)> write;
};

struct DataSession {
    explicit DataSession(DeviceModel& m) : model(m) {}
    DataSession(const DataSession&) = delete;
    DataSession& operator=(const DataSession&) = delete;

    DeviceModel& model;
    DataFileState file;
    DataWindowHooks window;
    DeviceAccess device;
};

}  // namespace zh
