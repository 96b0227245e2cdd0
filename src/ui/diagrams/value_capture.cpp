#include "ui/diagrams/value_capture.h"

#include <cstring>

#include "app/dialogs.h"
#include "app/number_text.h"
#include "app/program.h"
#include "model/device_model.h"
#include "model/list_text.h"
#include "model/read_write_sequences.h"
#include "model/scaling.h"

namespace zh {

ValueCapture::ValueCapture(DeviceModel& model, DeviceSequences& sequences)
    : m_(model), sequences_(sequences) {}

void ValueCapture::setAdcValue(int button, int row) {
    m_.program.log.debugLog(
        QStringLiteral(">>> SetADC(BtnGadID=") + QString::number(button) + QLatin1Char(')'), 4);
    // Only the reading is taken from the answer: the table fields keep what
    // the person may have entered in them.
    AdcCommands& adc = sequences_.adc();
    const CommandRoutine read{
        CommandId::Com142, [&adc](int tries) { return adc.Com1420ActAdc(tries); }, {}};
    if (sequences_.actions().runCommand(read, CommandStep::Single) != 1) return;
    const QByteArray& answer = adc.buffers(142).response;
    if (answer.size() < 24) return;
    // The reading: signed 16 bits, least significant byte first.
    const auto counts = static_cast<std::int16_t>(static_cast<std::uint8_t>(answer.at(22)) |
                                                  (static_cast<std::uint8_t>(answer.at(23)) << 8));
    if (takeEntry) takeEntry(QStringLiteral("ADC") + QString::number(row), QString::number(counts));
}

void ValueCapture::setSwitchPoint() {
    Program& p = m_.program;
    p.log.debugLog(QStringLiteral(">>> SetSwitchPoint()"), 4);
    UniversalCommands& u = sequences_.universal();
    const CommandRoutine read{CommandId::Com1, [&u](int tries) { return u.Com1(tries); }, {}};
    if (sequences_.actions().runCommand(read, CommandStep::Single) != 1) return;
    const QByteArray& answer = u.buffers(1).response;
    if (answer.size() < 5) return;
    float value = 0;  // decoded in place, native order
    std::memcpy(&value, answer.constData() + 1, sizeof value);
    const int i = m_.fields.find(QStringLiteral("SwitchPoint"));
    if (i < 0) return;
    const FieldRecord& f = m_.fields.at(i);
    const QString unit = QLatin1Char('[') +
                         listTextOf(m_.cal.HartUnitsList, static_cast<std::uint8_t>(answer.at(0))) +
                         QLatin1Char(']');
    QString text = QString::number(double(value));
    if (!f.GadUnit.isEmpty() && f.GadUnit.compare(unit, Qt::CaseInsensitive) != 0)
        text = convertUnitText(m_, text, unit, f.GadUnit, f.Name);
    if (text.isEmpty()) return;  // the conversion has told the person why
    // The switch point is kept in tenths of the unit.
    if (takeEntry) takeEntry(f.Name, QString::number(parseStoredNumber(text, nullptr), 'f', 1));
}

}  // namespace zh
