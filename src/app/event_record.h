#pragma once
// The log line that records one user event so that a replay can repeat it:
// "<<< " + name + TAB + content + "|" + seven integers, each followed by "|"
// (recording context, panel, tab index, control, menu identifier, event code
// and event kind; -1 where one does not apply).

#include <QString>
#include <optional>

namespace zh {

struct EventRecord {
    QString name;     // control or menu name
    QString content;  // the field's text, the combo box's index, or empty
    int context = -1;
    int panel = -1;
    int tab = -1;
    int gadget = -1;
    int menu = -1;
    int code = -1;
    int type = -1;
};

inline constexpr const char* kEventRecordMark = "<<<";
inline constexpr const char* kCommentMark = "<<< Comment: ";
inline constexpr const char* kStartMark = "<<< Start: ";

QString formatEventRecord(const EventRecord& r);
// The record a log line holds; nothing for a line that is not one (a
// comment, a start, a trace, a line cut short). The integers are taken from
// the end, so a field text with "|" in it survives.
std::optional<EventRecord> parseEventRecord(const QString& line);

// Where the data shown came from when a recording began with data present
// (logging switched on, or the log view cleared, after a read, a file or
// New): what a replay must bring back before the first event it plays.
// "<<< Start: device", "<<< Start: file" TAB path, "<<< Start: new" TAB
// measurand TAB device configuration index.
struct RecordingStart {
    enum class Origin { Device, File, New };
    Origin origin = Origin::Device;
    QString file;       // File: the absolute path
    QString measurand;  // New
    int devIndx = -1;   // New
};

QString formatStartRecord(const RecordingStart& start);
bool isStartRecord(const QString& line);
// Nothing for a start line this program does not know or one cut short.
std::optional<RecordingStart> parseStartRecord(const QString& line);

}  // namespace zh
