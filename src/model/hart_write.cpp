// writeDevice: the transmitter part (commands 181, 182, 35, 34) and the
// display part (block writes, then the EEPROM copy and the limit-switch
// re-initialisation), each sending only what changed in a "changes" mode.

#include <cmath>
#include <utility>

#include "app/dialogs.h"
#include "app/number_text.h"
#include "app/presence.h"
#include "app/program.h"
#include "hart/hart_session.h"
#include "hart/response_codes.h"
#include "model/device_model.h"
#include "model/device_types.h"
#include "model/input_formats.h"
#include "model/list_text.h"
#include "model/read_write_sequences.h"
#include "model/scaling.h"
#include "model/write_fields.h"

namespace zh {

namespace {

const char* const kWriteTitle = "Data transfer ...";

bool numericType(const FieldRecord& f) {
    const QString t = f.type();
    return t == QLatin1String("number") || t == QLatin1String("float") ||
           t == QLatin1String("combobox") || t == QLatin1String("hexadecimal") ||
           t == QLatin1String("binary");
}

}  // namespace

// The first field of `fields` whose raw value cannot be sent (an empty
// numeric value, "-", NaN or infinite), or "".
QString DeviceSequences::badRawValue(const QString& fields) {
    for (const QString& name : fields.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int i = m_.fields.find(name);
        if (i < 0) continue;
        const FieldRecord& f = m_.fields.at(i);
        const QString v = f.RawVal.trimmed();
        if (!numericType(f)) continue;
        if (v.isEmpty() && !f.is(FlagBlankValid)) return name;
        if (v == QLatin1String("-")) return name;
        bool ok = false;
        const double d = parseStoredNumber(v, &ok);
        if (ok && !std::isfinite(d)) return name;
        if (!ok && (v.contains(QLatin1String("nan"), Qt::CaseInsensitive) ||
                    v.contains(QLatin1String("inf"), Qt::CaseInsensitive))) {
            return name;
        }
    }
    return QString();
}

// A write that stopped: the module is not up to date, and the person is
// told which steps reached the device and which did not.
int DeviceSequences::failWrite(int result) {
    Program& p = m_.program;
    p.log.debugLog(QStringLiteral("HartWrite failed: ") + QString::number(result), 1);
    const QString done = written_.join(QStringLiteral(", "));
    const QString reached = mayHaveReached_.join(QStringLiteral(", "));
    if (!done.isEmpty())
        p.log.debugLog(QStringLiteral("HartWrite: written before the failure: ") + done, 1);
    if (!reached.isEmpty())
        p.log.debugLog(QStringLiteral("HartWrite: may have reached the device: ") + reached, 1);
    // The step that failed is "not written" only when it cannot have
    // reached the device.
    QString text;
    if (!reached.isEmpty() && !done.isEmpty()) {
        text = tr(QStringLiteral("The write was not completed. Written to the device: {done}. May "
                                 "have reached the device (no usable answer): {step}. Not "
                                 "written: everything after it.\t") +
                  done + QLatin1Char('\t') + failedStep_);
    } else if (!reached.isEmpty()) {
        text = tr(QStringLiteral("The write was not completed. May have reached the device (no "
                                 "usable answer): {step}. Not written: everything after it.\t") +
                  failedStep_);
    } else if (!done.isEmpty()) {
        text = tr(QStringLiteral(
                      "The write was not completed. Written to the device: {done}. Not written: "
                      "{failed} and everything after it.\t") +
                  done + QLatin1Char('\t') + failedStep_);
    }
    if (!text.isEmpty())
        p.messages.showMessageBox(tr(QStringLiteral("Error")), text, mb::Ok | mb::IconError,
                                  MsgText::AsIs);
    close(true);
    moduleState = 0;
    if (hooks.setModuleState) hooks.setModuleState(0);
    return result;
}

// Contents the user changed (colour state "changed") are turned into raw
// values; every other field goes out exactly as it was read. A content ->
// raw pass over everything would re-round values nobody touched (set points
// shown with fewer decimals than their counts), and "changes only" would
// then resend blocks that did not change.
void DeviceSequences::changedContentsToRaw() {
    const int nominalDecimals = serialNominalDecimals();
    for (int i = 1; i <= m_.fields.count(); ++i) {
        FieldRecord& r = m_.fields.at(i);
        if (r.ColorIndx != ColourChanged) continue;
        r.RawVal = rawOfContent(m_, r, r.Content);
        // The module keeps that nominal range with its decimal point (see
        // scaleSerialNominalRange).
        bool ok = false;
        const double v = parseStoredNumber(r.RawVal, &ok);
        if (nominalDecimals > 0 && isNominalRange(r.Name) && ok)
            r.RawVal = QString::number(std::llround(v * std::pow(10.0, nominalDecimals)));
    }
}

// One message naming every field that stops a write before it starts.
int DeviceSequences::refuseWrite(const QStringList& why) {
    Program& p = m_.program;
    p.messages.showMessageBox(tr(QStringLiteral("Error")),
                              tr(QStringLiteral("Nothing was written. Invalid values: {fields}\t") +
                                 why.join(QStringLiteral("; "))),
                              mb::Ok | mb::IconExclamation, MsgText::AsIs);
    p.log.debugLog(QStringLiteral("HartWrite refused: ") + why.join(QStringLiteral("; ")), 1);
    return kResultValueRefused;
}

// Every value the write may send turned into raw values and checked: the
// fields that stop it ("" when none). Fixes the unit code the range goes
// out with.
QStringList DeviceSequences::checkWriteValues(bool withTransmitter, bool withDisplay) {
    changedContentsToRaw();
    followChangedValues(withDisplay);
    QStringList bad = checkBeforeWrite(withTransmitter, withDisplay);
    sendUnitCode_ = -1;
    QString why;
    if (bad.isEmpty() && withTransmitter && prepareOutputSettings(&why) != 0) bad << why;
    return bad;
}

// The parts of the device the data go to: `asked` or what of it the device
// has ("" and a message when it has none of it).
Presence DeviceSequences::writeTarget(Presence asked) {
    Program& p = m_.program;
    const Presence target = partsPresent(asked);
    if (target == Presence::Unknown) {
        missingPart_ = asked;
        p.messages.showMessageBox(tr(QStringLiteral("Error")), missingPartText(),
                                  mb::Ok | mb::IconError, MsgText::AsIs);
        return target;
    }
    if (target != asked) {
        // The data hold a part the device lacks: that part is left out.
        leftOut_ = target == Presence::Transmitter ? QStringLiteral("display module")
                                                   : QStringLiteral("transmitter");
        p.log.debugLog(QStringLiteral("HartWrite: the device has no ") + leftOut_ +
                           QStringLiteral("; its data are not written"),
                       1);
    }
    return target;
}

// The link closed after a write that went through (or a dry run).
int DeviceSequences::completeWrite(bool withTransmitter, bool noWrite, const QString& sendRecord,
                                   bool keepLink) {
    Program& p = m_.program;
    if (noWrite) {
        // A dry run: every request was built and logged, none was sent.
        p.dialogs.progressSetStatus(
            tr(QStringLiteral("NoWrite is ON: nothing was sent to the device")), 0);
        close();
        return kResultDryRun;
    }
    if (withTransmitter) readRecord_ = sendRecord;
    QString done = written_.isEmpty()
                       ? tr(QStringLiteral("Nothing to write: the device holds these data"))
                       : tr(QStringLiteral("Data transmitted"));
    if (!notWritten_.isEmpty())
        done += QStringLiteral("; ") +
                tr(QStringLiteral("not written: {fields}\t") + notWrittenText(notWritten_));
    p.dialogs.progressSetStatus(done, 0);
    if (keepLink) linkKept_ = std::exchange(openedHere_, false);  // close() leaves it open
    close();
    m_.fromDevice = true;
    m_.loadedFields.clear();
    m_.deviceStatus = session_.deviceStatus();
    moduleState = 1;  // the device now holds what is shown
    if (hooks.setModuleState) hooks.setModuleState(1);
    if (hooks.refreshGadgets) hooks.refreshGadgets();
    return 0;
}

int DeviceSequences::writeDevice(Presence asked, WriteScope scope) {
    Program& p = m_.program;
    p.log.debugLog(
        QStringLiteral(">> HartWrite(mode.s=") + toLogWord(asked, scope) + QLatin1Char(')'), 4);
    if (refusedForProfile()) return kResultNoProfileUnits;
    const bool noWrite = writesSwitchedOff(p.state.NoWrite);
    const bool keepLink = std::exchange(keepLink_, false);
    written_.clear();
    mayHaveReached_.clear();
    leftOut_.clear();
    notWritten_.clear();
    failedStep_.clear();

    // Checked before the first frame: every value the write may send.
    const QStringList bad =
        checkWriteValues(asked != Presence::Display, asked != Presence::Transmitter);
    if (!bad.isEmpty()) return refuseWrite(bad);

    if (!open(tr(QLatin1String(kWriteTitle)))) return kResultNotConnected;
    // The device read under the data converts the fields' values back and
    // forth; the form shows them, and takes input, as before the write.
    const InputFormats kept(m_.fields);
    checkDeviceOfData();  // data read from another device are laid over this one's
    const Presence part = writeTarget(asked);
    if (part == Presence::Unknown) return failWrite(kResultPartMissing);
    const bool withTransmitter = part != Presence::Display;
    const bool withDisplay = part != Presence::Transmitter;

    // Data from a file or new data: the device is read first in this
    // connection, and the data are laid over what it holds.
    if (!m_.fromDevice) {
        const int r = readDeviceUnderData(part);
        if (r != 0) return failWrite(r);
        const QStringList overBad = checkWriteValues(withTransmitter, withDisplay);
        if (!overBad.isEmpty()) {
            close();
            return refuseWrite(overBad);
        }
    }

    p.log.debugLog(QStringLiteral("TM-R-Rec: ") + readRecord_, 2);
    const QString sendRecord = transmitterRecord(sendUnitCode_);
    p.log.debugLog(QStringLiteral("TM-S-Rec: ") + sendRecord, 2);

    if (withTransmitter) {
        const int r = writeTransmitter(part, scope);
        if (r != 0) return failWrite(r);
    }
    if (withDisplay && !noWrite) {
        const int r = writeDisplay(scope);
        if (r != 0) return failWrite(r);
    }
    return completeWrite(withTransmitter, noWrite, sendRecord, keepLink);
}

QStringList DeviceSequences::writtenFields() const {
    QStringList fields;
    for (const QString& step : written_) {
        if (step == QLatin1String("C1810"))
            fields << segment1Fields();
        else if (step == QLatin1String("C1820"))
            fields << segment2Fields();
        else if (step == QLatin1String("C35"))
            fields << QStringLiteral("TMeasRangeLow") << QStringLiteral("TMeasRangeHigh")
                   << QStringLiteral("LowerRangeVal") << QStringLiteral("UpperRangeVal")
                   << QStringLiteral("Unit");
        else if (step == QLatin1String("C34"))
            fields << QStringLiteral("Damping");
        else if (step.startsWith(QLatin1String("C190_")))
            fields << blockFields(step.mid(5).toInt());
    }
    fields.removeDuplicates();
    return fields;
}

// The HART code of a unit name; the names of the unit lists and of the
// HART list may differ in case ("MPa", "mpa").
int DeviceSequences::hartUnitCode(const QString& unitName) {
    for (const QString& item : hartUnits().split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int eq = item.lastIndexOf(QLatin1Char('='));
        if (eq > 0 && item.left(eq).trimmed().compare(unitName, Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const int code = item.mid(eq + 1).trimmed().toInt(&ok);
            if (ok && code >= 0 && code <= 255) return code;
        }
    }
    return -1;
}

// The transmitter's range goes out in the unit whose code is sent with it
// (never the base unit's numbers with the shown unit's code).
// Only a range or unit the user changed is recomputed; values as read go
// back as read, so a rounding of the shown range never moves the device's.
int DeviceSequences::prepareOutputSettings(QString* why) {
    const auto changed = [&](const char* name) {
        const int i = m_.fields.find(QLatin1String(name));
        return i >= 0 && m_.fields.at(i).ColorIndx == ColourChanged;
    };
    const bool unitChanged = changed("Unit");
    if (!unitChanged && !changed("LowerRangeVal") && !changed("UpperRangeVal")) return 0;

    const QString unitName = listTextOf(m_.cal.UnitsList, raw(QStringLiteral("Unit")).toInt());
    const int code = hartUnitCode(unitName);
    if (code < 0) {
        *why = tr(QStringLiteral("No HART unit code for {unit}\t") + unitName);
        return kResultValueRefused;
    }
    const QString target = QLatin1Char('[') + unitName + QLatin1Char(']');
    const std::pair<const char*, const char*> ranges[] = {{"TMeasRangeLow", "LowerRangeVal"},
                                                          {"TMeasRangeHigh", "UpperRangeVal"}};
    QString values[2];
    int n = 0;
    for (const auto& [dest, source] : ranges) {
        const FieldRecord& f = m_.fields[QLatin1String(source)];
        const QString unit = f.GadUnit.isEmpty() ? m_.cal.DispUnit : f.GadUnit;
        const QString v = unit == target ? f.Content.trimmed()
                                         : convertUnitText(m_, f.Content, unit, target, f.Name);
        bool ok = false;
        const double d = parseStoredNumber(v, &ok);
        if (!ok || !std::isfinite(d)) {
            *why = tr(QStringLiteral("Invalid value: {field}\t") + QLatin1String(source));
            return kResultValueRefused;
        }
        values[n++] = trimTrailingZeros(QString::number(d, 'f', 4));
    }
    setRaw(QStringLiteral("TMeasRangeLow"), values[0]);
    setRaw(QStringLiteral("TMeasRangeHigh"), values[1]);
    sendUnitCode_ = code;
    return 0;
}

// Before a transmitter write through the display module: the module must
// speak our interface version.
int DeviceSequences::checkInterfaceVersion(int tries) {
    Program& p = m_.program;
    ProgressSteps& ps = session_.progress();
    const int r = blocks_.readBlock12Logged(tries);
    if (r != 0) {
        ps.checkStep(r, 0, tr(QStringLiteral("Data transfer interrupted")), QString(), -1);
        return r;
    }
    const QString version = QString::number(
        static_cast<std::uint8_t>(blocks_.loggedImage().size() > block::kVersionOffset
                                      ? blocks_.loggedImage()[block::kVersionOffset]
                                      : char(0)));
    p.log.debugLog(QStringLiteral("<-- VersNo = ") + version, 1);
    if (!p.state.DisplayInterfaceVersion.contains(version)) {
        ps.showErrorMessage(kResultWrongInterfaceVersion, QStringLiteral("HartWrite"),
                            QStringLiteral("Incompatible PC-software (") +
                                p.state.DisplayInterfaceVersion +
                                QStringLiteral(") And display-firmware (") + version +
                                QStringLiteral(") versions! ("));
        return kResultWrongInterfaceVersion;
    }
    return 0;
}

// One write step's outcome: 0 go on, else the sequence's result.
int DeviceSequences::writeStepOutcome(const QString& name, int r, const WireStatus& refusal,
                                      bool noWrite) {
    if (r == 0 && session_.ResCode1 == 0) {
        written_ << name;
        return 0;
    }
    if (r == kResultNotSent && noWrite) return 0;
    QString detail = name;
    if (r == 0 || r == kResultRefused) {
        // The device answered and refused: its own reason.
        if (r == 0) r = kResultUnusableAnswer;
        detail = name + QStringLiteral(": ") + responseCodeText(session_.ResCode1);
    }
    if (r == kResultValueRefused) detail = refusal.message();
    noteFailedStep(name, r, detail);
    session_.progress().checkStep(r, 0, tr(QStringLiteral("Data transfer interrupted")), detail,
                                  -1);
    return r;
}

// The step a write stops at, and whether its request may have reached the
// device although no usable answer came back.
void DeviceSequences::noteFailedStep(const QString& name, int result, const QString& detail) {
    failedStep_ = detail;
    if (mayHaveReachedDevice(result, session_.requestFate())) mayHaveReached_ << name;
}

// Shows a write step in the progress window; true when the person cancelled.
bool DeviceSequences::showWriteStep(const char* name) {
    session_.forgetRequestFate();
    return session_.progress().showStep(title_, QLatin1String(name), QString(), ++stepNo_, 20);
}

int DeviceSequences::writeTransmitter(Presence part, WriteScope scope) {
    Program& p = m_.program;
    ProgressSteps& ps = session_.progress();
    const int tries = p.state.RequestTries;
    const bool noWrite = writesSwitchedOff(p.state.NoWrite);
    const bool changesOnly = scope == WriteScope::Changes;

    if (part != Presence::Transmitter && !noWrite &&
        p.state.TransmDisplay.toLower() != QLatin1String("transmitter")) {
        const int r = checkInterfaceVersion(tries);
        if (r != 0) return r;
    }

    const QStringList readSeg = transmitterSegments(readRecord_);
    const QStringList sendSeg = transmitterSegments(transmitterRecord(sendUnitCode_));
    // The text stays in the progress window while the module's part runs;
    // holding the line for it would only make the write slower.
    if (changesOnly && readSeg == sendSeg) {
        p.dialogs.progressSetStatus(tr(QStringLiteral("No transmitter changes!")), 0);
        return 0;
    }
    const int key = raw(QStringLiteral("ADCByte20")).toInt();
    if (!noWrite && !configurationKnown(key)) {
        // Nothing was sent, so the write failed and the read record stays.
        ps.checkStep(1, 0, tr(QStringLiteral("Invalid transmitter configuration!")), QString(),
                     3000);
        return kResultInvalidConfiguration;
    }
    p.dialogs.progressSetStatus(tr(QStringLiteral("Writing transmitter ...")), 0);

    int r = 0;
    if (!changesOnly || readSeg[0] != sendSeg[0]) {
        if (showWriteStep("C1810")) return kResultCancelled;
        if ((r = writeStepOutcome(QStringLiteral("C1810"), adc_.Com1810(tries), adc_.lastRefusal(),
                                  noWrite)) != 0)
            return r;
    }
    if (!changesOnly || readSeg[1] != sendSeg[1]) {
        if (showWriteStep("C1820")) return kResultCancelled;
        if ((r = writeStepOutcome(QStringLiteral("C1820"), adc_.Com1820(tries), adc_.lastRefusal(),
                                  noWrite)) != 0)
            return r;
    }
    if (!changesOnly || readSeg[2] != sendSeg[2]) return writeRange(readSeg[2], sendSeg[2], scope);
    return 0;
}

// Commands 35 (range and unit) and 34 (damping) from the record's third
// segment; damping only when it changed, when only changes are written.
int DeviceSequences::writeRange(const QString& readSegment, const QString& sendSegment,
                                WriteScope scope) {
    Program& p = m_.program;
    const int tries = p.state.RequestTries;
    const bool noWrite = writesSwitchedOff(p.state.NoWrite);
    const bool changesOnly = scope == WriteScope::Changes;
    const QStringList items = sendSegment.split(QLatin1Char(';'));
    const QString oldCode = readSegment.split(QLatin1Char(';')).value(2);
    if (!oldCode.isEmpty() && oldCode != items.value(2)) {
        p.log.debugLog(QStringLiteral(">>Einheit alt: ") + oldCode +
                           QStringLiteral(", Einheit neu: ") + items.value(2),
                       1);
    }
    universal_.inputs.rangeUnitsCode = static_cast<std::uint8_t>(items.value(2).toInt());
    if (showWriteStep("C35")) return kResultCancelled;
    int r = writeStepOutcome(QStringLiteral("C35"), universal_.Com35(tries),
                             universal_.lastRefusal(), noWrite);
    if (r != 0) return r;
    if (!changesOnly || readSegment.split(QLatin1Char(';')).value(3) != items.value(3)) {
        if (showWriteStep("C34")) return kResultCancelled;
        r = writeStepOutcome(QStringLiteral("C34"), universal_.Com34(tries),
                             universal_.lastRefusal(), noWrite);
        if (r != 0) return r;
    }
    return 0;
}

int DeviceSequences::writeDisplay(WriteScope scope) {
    Program& p = m_.program;
    ProgressSteps& ps = session_.progress();
    const int tries = p.state.RequestTries;
    const bool changesOnly = scope == WriteScope::Changes;
    setRaw(QStringLiteral("VersCheck"), p.state.SetDisplayInterfaceVersion);
    // Block 000 carries the measurand the module is set up for.
    const int measurand = listValueOf(p.state.Measurands, m_.cal.Measurand);
    if (measurand >= 0) setRaw(QStringLiteral("UnitType"), QString::number(measurand));

    QMap<QString, QString> send;
    for (int block : writableBlocks()) {
        const QString n = QStringLiteral("%1").arg(block, 3, 10, QLatin1Char('0'));
        send.insert(QStringLiteral("Send") + n, blockSnapshot(block));
        p.log.debugLog(QStringLiteral("Rec") + n + QStringLiteral("  = ") +
                           snapshots_.value(QStringLiteral("Rec") + n),
                       1);
        p.log.debugLog(QStringLiteral("Send") + n + QStringLiteral(" = ") +
                           send.value(QStringLiteral("Send") + n),
                       1);
    }
    bool any = false, block10 = false, block11 = false;
    for (int block : writableBlocks()) {
        const QString n = QStringLiteral("%1").arg(block, 3, 10, QLatin1Char('0'));
        if (changesOnly &&
            send.value(QStringLiteral("Send") + n) == snapshots_.value(QStringLiteral("Rec") + n))
            continue;
        session_.forgetRequestFate();
        if (ps.showStep(title_, QStringLiteral("C190_") + n, QString(), ++stepNo_, 20))
            return kResultCancelled;
        int r = blocks_.writeBlock(block, tries);
        if (r != 0) {
            QString detail = QStringLiteral("C190_") + n;
            if (r == kResultValueRefused) detail = blocks_.lastRefusal().message();
            if ((r == kResultUnusableAnswer || r == kResultRefused) && session_.ResCode1 != 0)
                detail += QStringLiteral(": ") + responseCodeText(session_.ResCode1);
            noteFailedStep(QStringLiteral("C190_") + n, r, detail);
            ps.checkStep(r, 0, tr(QStringLiteral("Data transfer interrupted")), detail, -1);
            return r;
        }
        written_ << QStringLiteral("C190_") + n;
        any = true;
        block10 = block10 || block == 10;
        block11 = block11 || block == 11;
    }
    // The blocks count as written only when the module stored them. The
    // actions are steps of their own ("C192_5" the EEPROM copy, "C192_20"
    // and "C192_21" the limit switches' re-initialisation).
    QList<int> actionsDone;
    const bool stored = !any || actions_.storeWrittenBlocks(block10, block11, &actionsDone);
    for (int code : actionsDone) written_ << QStringLiteral("C192_") + QString::number(code);
    if (!stored) {
        noteFailedStep(
            QStringLiteral("C192_") + QString::number(actions_.Aktion), kResultStoreFailed,
            tr(QStringLiteral("the copy of the written blocks into the module's EEPROM")));
        return kResultStoreFailed;
    }
    for (auto it = send.cbegin(); it != send.cend(); ++it)
        snapshots_.insert(QStringLiteral("Rec") + it.key().mid(4), it.value());
    return 0;
}

}  // namespace zh
