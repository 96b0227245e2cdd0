#pragma once
// The window for any HART device, ours or another maker's: what the
// universal and common-practice commands tell (identity, primary value and
// loop current, dynamic variables, tag, descriptor, message, date, long tag,
// sensor limits, range, transfer function, damping, final assembly number,
// device status and additional status in words), with the items a
// technician may change editable. Read connects for any device (no look for
// our parts); Write sends only the items edited since the last read or
// open, each refusal confirmed with its meaning, and reads the device back.

#include <QDialog>
#include <QHash>
#include <QString>
#include <functional>

#include "hart/universal_device.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace zh {

struct Program;
class HartSession;

class UniversalWindow final : public QDialog {
  public:
    UniversalWindow(Program& program, HartSession& session, QWidget* parent = nullptr);

    // Connects (the port stays as it was found: a link the live display
    // holds is used and left open), reads everything and shows it. False
    // when the device could not be read; what came before a failure shows.
    bool read();
    // Writes the edited items (none: nothing is sent). Returns the number
    // of items the device did not take; -1 when an entry is not valid (a
    // box names it, nothing sent) or the device could not be reached.
    int write();
    // Shows `data` as read, every editor unedited.
    void showData(const UniversalData& data);
    const UniversalData& data() const { return data_; }
    // After a good read ("read") or a write the device took at least in
    // part ("write"): data() holds what the device holds now.
    std::function<void(const QString& what)> deviceShown;

    // An editor by its item name: "tag", "descriptor", "date", "message",
    // "longTag", "damping", "upperRange", "lowerRange", "pvUnit"; a shown
    // value by its name: "identity", "pv", "loopCurrent", "dynamic",
    // "sensor", "output", "deviceStatus", "additionalStatus",
    // "finalAssembly". Null for another name.
    QLineEdit* editor(const QString& name) const;
    QLabel* value(const QString& name) const;

    // Saves what the window shows, edits included, into a ".hrt" file
    // (`path` empty: the person chooses it). Returns the path written, ""
    // when nothing was.
    QString save(const QString& path = QString());
    // Takes the items of a ".hrt" file into the editors (`path` empty: the
    // person chooses it); Write then sends those that differ from the
    // device. False when the file was not taken (a box says why).
    bool openFile(const QString& path = QString());

  private:
    QString tr(const char* text) const;
    // A word of the protocol's tables (a code's name, a status bit) in the
    // person's language; a name made with a number (an unknown code, a
    // channel) stays as it is.
    QString word(const QString& english) const;
    QStringList words(const QStringList& english) const;
    // Manufacturer, device type, revisions and device ID, translated.
    QString identityLine(const DeviceIdentity& id) const;
    void fitValues();
    QLineEdit* addEditor(const char* name, int maxLength);
    QLabel* addValue(const char* name);
    bool edited(const QString& name) const;
    // The editors' values over what was read; the labels of entries that
    // are not valid go into `wrong`.
    UniversalData edits(QStringList* wrong) const;
    // Shows the entries that are not valid; true when there were any.
    bool refuseWrong(const QStringList& wrong);
    bool openLink();
    void closeLink();
    // Reads `commands` (all when empty) and shows what the device holds.
    void readInto(const std::vector<std::uint8_t>& commands = {});

    Program& p_;
    HartSession& session_;
    UniversalDevice device_;
    UniversalData data_;
    int deviceStatus_ = 0;
    bool openedHere_ = false;
    QHash<QString, QLineEdit*> editors_;
    QHash<QString, QString> shown_;  // editor texts as last read or opened
    QHash<QString, QLabel*> values_;
    QLabel* rangeUnit_ = nullptr;
    int rangeUnitCode_ = 0;  // the unit of the range editors
    QPushButton* save_ = nullptr;
    QPushButton* open_ = nullptr;
};

}  // namespace zh
