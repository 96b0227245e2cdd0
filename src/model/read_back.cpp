// The check after a write: the device is asked again for exactly what the
// write sent, in the read form of each step, and nothing else. At 1200
// bit/s a full read costs some 8 s; a one-field change reads back one block.

#include <utility>

#include "app/program.h"
#include "hart/display_blocks.h"
#include "hart/hart_session.h"
#include "model/device_model.h"
#include "model/input_formats.h"
#include "model/read_write_sequences.h"
#include "model/scaling.h"

namespace zh {

namespace {

const char* const kReadBackTitle = "Read Data";

// The read steps that give back what the write steps `written` sent, in
// the order a read asks them: the transmitter's bytes (141 for 181), its
// range, unit and damping (15 for 35 and 34), its table (142 for 182), then
// every block written. The module's actions store, they send no value.
QStringList readStepsOf(const QStringList& written) {
    QStringList reads;
    if (written.contains(QLatin1String("C1810"))) reads << QStringLiteral("C1410");
    if (written.contains(QLatin1String("C35")) || written.contains(QLatin1String("C34")))
        reads << QStringLiteral("C15");
    if (written.contains(QLatin1String("C1820"))) reads << QStringLiteral("C1420");
    for (const QString& step : written)
        if (step.startsWith(QLatin1String("C190_"))) reads << step;
    return reads;
}

}  // namespace

int DeviceSequences::readBack() {
    const QStringList reads = readStepsOf(written_);
    if (reads.isEmpty()) {
        if (std::exchange(linkKept_, false)) {
            session_.disconnectDevice();
            m_.program.state.ConnectionState = 0;
        }
        return 0;
    }
    const SavedTable saved = saveTable();
    if (!open(tr(QLatin1String(kReadBackTitle)))) {
        restoreTable(saved);
        return kResultNotConnected;
    }
    values_.forgetStored();
    const int tries = m_.program.state.RequestTries;
    for (const QString& step : reads) {
        if (session_.progress().showStep(title_, step, QString(), ++stepNo_,
                                         static_cast<int>(reads.size())))
            return failRead(kResultCancelled, saved);
        int r = 0;
        if (step == QLatin1String("C1410"))
            r = adc_.Com1410(tries);
        else if (step == QLatin1String("C1420"))
            r = adc_.Com1420(tries);
        else if (step == QLatin1String("C15"))
            r = universal_.Com15(tries);
        else
            r = blocks_.readBlock(step.mid(5).toInt(), tries);
        if (r == 0 && step == QLatin1String("C15")) {
            if (session_.ResCode1 != 0)
                r = kResultUnusableAnswer;
            else
                rangeOfCommand15(unitOfCommand15());
        }
        if (r != 0) return failRead(r, saved);
    }
    // Block 2 holds the serial number's first four characters; the rest, in
    // block 3, is as the device had it (or as block 3 was just read back).
    if (reads.contains(QLatin1String("C190_002"))) joinSerialNoZEL(values_);
    close();

    // What came back shows in the fields it filled, and is what a following
    // "changes" write measures against: a value the device did not keep is
    // sent again.
    QString names;
    for (int i = 1; i <= m_.fields.count(); ++i) {
        const QString& name = m_.fields.at(i).Name;
        if (!name.isEmpty() && values_.stored(name)) names += name + QLatin1Char(';');
    }
    {
        // A value shows as it did before the write (12.800, not 12.80).
        const InputFormats kept(m_.fields);
        convertAllRawToMeasurand(m_, 1, names);
    }
    if (reads.contains(QLatin1String("C190_012"))) scaleSerialNominalRange();
    for (const QString& step : reads) {
        if (!step.startsWith(QLatin1String("C190_"))) continue;
        snapshots_.insert(QStringLiteral("Rec") + step.mid(5), blockSnapshot(step.mid(5).toInt()));
    }
    if (!reads.first().startsWith(QLatin1String("C190_"))) readRecord_ = transmitterRecord();
    m_.deviceStatus = session_.deviceStatus();
    return 0;
}

}  // namespace zh
