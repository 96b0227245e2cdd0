#pragma once
// The read and write sequences between the field table and the device:
// readDevice fills the table from the transmitter and/or the display module,
// writeDevice sends the table back, everything or only what changed since the
// last read. Change detection compares text snapshots of raw values: the
// transmitter record (three segments after "\") and one snapshot per
// display-module block, each taken after reading ("Rec") and before
// writing ("Send") from the same field list.
//
// Results: 0 success; otherwise the failing step's result (a session result
// 1..10, 3, kResultCancelled, kResultValueRefused) or one of the codes below.

#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <vector>

#include "app/presence.h"
#include "hart/adc_commands.h"
#include "hart/device_identity.h"
#include "hart/display_actions.h"
#include "hart/display_blocks.h"
#include "hart/results.h"
#include "hart/universal_commands.h"
#include "model/field_raw_values.h"
#include "model/field_record.h"
#include "model/field_snapshot.h"
#include "model/write_scope.h"

namespace zh {

struct DeviceModel;
class HartSession;
class LinkLibrary;

// The transmitter's configuration (command 181) and table (command 182)
// fields, in the order of the transmitter record.
QStringList segment1Fields();
QStringList segment2Fields();

// A value shown as `shown` stands for `value` when it is the same text
// (padding aside), or the same number to the last decimal `shown` has.
bool showsValue(const QString& shown, const QString& value);
// What the module counts by itself (power-ons, operating time, errors).
bool deviceCounts(const QString& name);

// What the window does around a sequence; unset hooks do nothing.
struct SequenceHooks {
    // Re-initialise the main data for another measurand (the window is rebuilt).
    std::function<void(const QString& measurand)> switchMeasurand;
    // The module state lamp: 1 = the device holds the data shown.
    std::function<void(int state)> setModuleState;
    // Push every field into its control and colour it ("setcolor").
    std::function<void()> refreshGadgets;
    // After a good read: the read-out (with its decimal point) and the
    // switch states as the module shows them.
    std::function<void()> showReadOut;
};

class DeviceSequences {
  public:
    DeviceSequences(DeviceModel& model, HartSession& session, LinkLibrary& link);

    // `part`: Transmitter, Display or All.
    int readDevice(Presence part);
    int writeDevice(Presence part, WriteScope scope);
    // For the next writeDevice only: when it goes through, the connection it
    // opened stays open for readBack, which closes it.
    void keepLinkForReadBack() { keepLink_ = true; }
    // Reads back, in their read form, the commands and blocks the last
    // write sent (141 for 181, 142 for 182, 15 for 35 and 34, each block
    // written), into the fields they fill; every other field keeps its
    // value. Nothing written: nothing is asked. Results as readDevice.
    int readBack();

    // The transmitter record built from the current raw values
    // ("...\seg1|seg2|seg3;"); segment 3 carries `unitCode`, or the unit
    // code of the last command 15 answer when it is -1.
    QString transmitterRecord(int unitCode = -1);
    // The record kept from the last read (or successful write).
    const QString& readRecord() const { return readRecord_; }
    // The change snapshot of display block `block` from the current raw values.
    QString blockSnapshot(int block);
    // "Rec000" ... "Rec020" after reading (and after a successful write).
    const QMap<QString, QString>& snapshots() const { return snapshots_; }

    // The three segments after "\" of a transmitter record.
    static QStringList transmitterSegments(const QString& record);

    UniversalCommands& universal() { return universal_; }
    AdcCommands& adc() { return adc_; }
    DisplayBlocks& blocks() { return blocks_; }
    DisplayActions& actions() { return actions_; }

    SequenceHooks hooks;
    // Checks every field a write would send, before anything goes out:
    // answers one line per bad field (empty: all good). Unset: no check
    // beyond the wire encoders'.
    std::function<QStringList(const QStringList& fieldNames)> checkFields;
    // After a write: what it left out because the device lacks that part
    // ("" when nothing), and the steps the device acknowledged.
    const QString& leftOut() const { return leftOut_; }
    const QStringList& written() const { return written_; }
    // The step a failed write stopped at when its request went out and no
    // usable answer came back: the device may have carried it out.
    const QStringList& mayHaveReached() const { return mayHaveReached_; }
    // The step a failed write stopped at, with the device's reason when it
    // gave one (the step named after its command, then the code in words).
    const QString& failedStep() const { return failedStep_; }
    // The fields of the data laid over the device that differ from it but
    // that the write does not send (the device has no such setting, or the
    // field follows another one).
    const QStringList& notWritten() const { return notWritten_; }
    // The fields those steps carried.
    QStringList writtenFields() const;
    int moduleState = 0;  // 1 after a successful read or write

    // Data read from one device are not another's: when the device that
    // answered the last connection is not the one the data shown were read
    // from, nothing shows as just read or updated, the module is "not
    // updated", and a write reads the device first.
    void checkDeviceOfData();
    // Whether the last successful read read the display module (its live
    // block among its blocks).
    bool displayRead() const { return displayRead_; }

  private:
    // The display module's scale in the calibration unit, as its blocks
    // give it (each value with whether it was a number).
    struct DisplayScale {
        float lower = 0, upper = 0, nomLow = 0, nomHigh = 0;
        bool ok[4] = {};  // lower, upper, nomLow, nomHigh
    };

    struct SavedTable {
        int dataTrigger = -1;
        bool dataChanged = false;
        QString measurand;
        QString baseUnit;
        FieldSnapshot values;
        Presence dataParts = Presence::All;
    };

    // Link handling: opens when needed and remembers whether this sequence did.
    bool open(const QString& title);
    void close(bool failed = false);

    int readTransmitter(Presence config);
    int readDisplay(bool transmitterRead);
    int readDisplayVersion();
    int readBlocks(std::initializer_list<int> blocks);
    int moduleOnTransmitter(bool* onTransmitter);
    void keepUnreadDisplayValues(const SavedTable& saved, Presence connected);
    void forgetLiveValues();
    void applyOutputSettings();
    QString unitOfCommand15();
    void rangeOfCommand15(const QString& rangeUnit);
    DisplayScale calibrateDisplay();
    void applyDisplayCalibration();
    void completeRead();
    void followTransmitterRange();
    void scaleSerialNominalRange();
    int serialNominalDecimals();
    static bool isNominalRange(const QString& field);
    int failRead(int result, const SavedTable& saved);

    int writeTransmitter(Presence part, WriteScope scope);
    int checkInterfaceVersion(int tries);
    int writeStepOutcome(const QString& name, int r, const WireStatus& refusal, bool noWrite);
    bool showWriteStep(const char* name);
    int writeRange(const QString& readSegment, const QString& sendSegment, WriteScope scope);
    QStringList checkWriteValues(bool withTransmitter, bool withDisplay);
    Presence writeTarget(Presence asked);
    int completeWrite(bool withTransmitter, bool noWrite, const QString& sendRecord, bool keepLink);
    int writeDisplay(WriteScope scope);
    int failWrite(int result);
    void noteFailedStep(const QString& name, int result, const QString& detail);
    QString badRawValue(const QString& fields);
    int prepareOutputSettings(QString* why);
    QString hartUnits();
    int hartUnitCode(const QString& unitName);

    QString raw(const QString& field);
    void setRaw(const QString& field, const QString& value);
    QString measurandOfKey(int key, QString* baseUnit);
    bool configurationKnown(int key);
    QString tr(const QString& text);
    Presence partsPresent(Presence asked) const;
    QString missingPartText();
    bool refusedForProfile();
    int readDeviceUnderData(Presence target);
    void layDataOverDevice(const FieldSnapshot& data, const QStringList& loaded, Presence target);
    QStringList checkBeforeWrite(bool withTransmitter, bool withDisplay);
    QStringList rangeProblems();
    QStringList tableProblems();
    void changedContentsToRaw();
    void followChangedValues(bool withDisplay);
    int refuseWrite(const QStringList& why);

    SavedTable saveTable() const;
    void restoreTable(const SavedTable& saved);

    DeviceModel& m_;
    HartSession& session_;
    FieldRawValues values_;
    UniversalCommands universal_;
    AdcCommands adc_;
    DisplayBlocks blocks_;
    DisplayActions actions_;

    bool openedHere_ = false;
    bool keepLink_ = false;  // the next write leaves its connection for readBack
    bool linkKept_ = false;  // a write left its connection open for readBack
    bool inWrite_ = false;   // a read inside the connection of a running write
    QString title_;
    int stepNo_ = 0;
    FieldSnapshot defined_;  // the table as the transmitter read defined it anew
    QString readRecord_;
    Presence missingPart_ = Presence::Unknown;  // the part asked for that the device lacks
    QStringList written_;         // the steps of the running write the device acknowledged
    QStringList mayHaveReached_;  // the step that went out without a usable answer
    QString failedStep_;          // the step a write stopped at, with the reason
    QString leftOut_;             // the part of the data a write left out (the device lacks it)
    QStringList notWritten_;      // fields of the data a write did not send
    int sendUnitCode_ = -1;       // the unit code a write sends with the range (-1: as read)
    QMap<QString, QString> snapshots_;
    bool displayRead_ = false;
    DeviceIdentity dataDevice_;        // the device the data shown were read from
    QHash<QString, QString> notRead_;  // display fields a read left out, by raw value then
};

}  // namespace zh
