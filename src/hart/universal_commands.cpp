#include "universal_commands.h"

#include "app/program.h"
#include "raw_values.h"
#include "request_sender.h"

namespace zh {
namespace {

constexpr int kItemLevel = 1;
const QString kReadIndent = QStringLiteral("    ");
const QString kWriteIndent = QStringLiteral("   ");

WireItem byte(int offset, const char* name, const char* field = "") {
    return {offset, 1, WireEncoding::Unsigned, QString::fromLatin1(name),
            QString::fromLatin1(field)};
}

WireItem hartFloat(int offset, const char* name, const QString& source = QString()) {
    return {offset, 4, WireEncoding::HartFloat, QString::fromLatin1(name), source};
}

// A program value as a "#" literal source; 9 significant digits give back
// the same single-precision value.
QString literal(float value) {
    return QLatin1Char('#') + QString::number(double(value), 'g', 9);
}

QString literal(unsigned value) {
    return QLatin1Char('#') + QString::number(value);
}

// The response layouts. Labels (wire names) are the device's; the fields
// named are the ones the read sequence takes on.
const CommandLayout& com0() {
    static const CommandLayout layout{
        0,
        QStringLiteral("<-- Read Com0"),
        0,
        12,
        {byte(0, "TransmitterType"),
         byte(1, "ManufakturerID", "CmbManufact"),
         byte(2, "ManufakturerDeviveTypeCode", "DevType"),
         byte(3, "NumberOfRequestPreambles"),
         byte(4, "HARTCommandSpecification"),
         byte(5, "TransmitterSpecificRevision"),
         byte(6, "SoftwareVersion"),
         byte(7, "HardwareVersion"),
         byte(8, "flags"),
         {9, 3, WireEncoding::Unsigned, QStringLiteral("DeviceID"), QString()}}};
    return layout;
}

const CommandLayout& com1() {
    static const CommandLayout layout{
        1, QStringLiteral("<-- Read Com1"), 0, 5, {byte(0, "PVUnitsCode"), hartFloat(1, "PV")}};
    return layout;
}

const CommandLayout& com2() {
    static const CommandLayout layout{2,
                                      QStringLiteral("<-- Read Com2"),
                                      0,
                                      8,
                                      {hartFloat(0, "Current"), hartFloat(4, "PercentRange")}};
    return layout;
}

const CommandLayout& com15() {
    static const CommandLayout layout{
        15,
        QStringLiteral("<-- Read Com15"),
        0,
        17,
        {byte(0, "AlarmSelectCode"), byte(1, "TransferFunctionCode"), byte(2, "PVRangeUnitCode"),
         hartFloat(3, "UpperRangeValue", QStringLiteral("TMeasRangeHigh")),
         hartFloat(7, "LowerRangeValue", QStringLiteral("TMeasRangeLow")),
         hartFloat(11, "DampingValue", QStringLiteral("Damping")), byte(15, "WriteProtectCode"),
         byte(16, "PrivatLabelDistriCode")}};
    return layout;
}

const CommandLayout& com151() {
    static const CommandLayout layout{151,
                                      QStringLiteral("<-- Read Com151"),
                                      0,
                                      2,
                                      {byte(0, "SoftwareVersion"), byte(1, "HardwareVersion")}};
    return layout;
}

}  // namespace

CommandRoutines::CommandRoutines(Program& program, RequestSender& sender, RawValues& values)
    : p_(program), sender_(sender), values_(values) {}

const CommandBuffers& CommandRoutines::buffers(std::uint8_t command) const {
    static const CommandBuffers kNone;
    const auto it = buffers_.find(command);
    return it == buffers_.end() ? kNone : it->second;
}

int CommandRoutines::runRead(const CommandLayout& layout, int tries) {
    Logger& log = p_.log;
    log.debugLog(layout.logLine, -1);
    const QByteArray request(layout.requestLength, '\0');
    QByteArray response;
    const int result =
        sender_.sendRequest(layout.command, request, layout.expectedLength, &response, tries);
    if (result != 0) return result;
    const QString routine = QStringLiteral("Com") + QString::number(layout.command);
    if (response.size() < layout.expectedLength) {
        // The sender promises the expected length on success; a short answer
        // must not be decoded from bytes that are not there.
        log.debugLog(
            QStringLiteral("+++ ") + routine + QStringLiteral(": short response, nothing stored"),
            -1);
        return kResultUnusableAnswer;
    }
    if (sender_.resCode1() != 0) {
        // An answer with an error code carries no valid data.
        log.debugLog(QStringLiteral("+++ ") + routine + QStringLiteral(": ResCode1=") +
                         QString::number(sender_.resCode1()) + QStringLiteral(", nothing stored"),
                     -1);
        return result;
    }
    for (const WireLogLine& line : decodeItems(layout.items, response, values_, kReadIndent)) {
        log.debugLog(line.text, kItemLevel, line.colour);
    }
    CommandBuffers& own = buffers(layout.command);
    own.request = request;
    own.response = response;
    return 0;
}

int CommandRoutines::runWrite(const CommandLayout& layout, int tries) {
    Logger& log = p_.log;
    QByteArray request(layout.requestLength, '\0');
    const EncodedItems encoded = encodeItems(layout.items, values_, request, kWriteIndent);
    if (encodeOnly) {
        refusal_ = encoded.status;
        return encoded.status.ok() ? 0 : kResultValueRefused;
    }
    log.debugLog(layout.logLine, -1);
    for (const WireLogLine& line : encoded.lines) log.debugLog(line.text, kItemLevel, line.colour);
    if (!encoded.status.ok()) {
        refusal_ = encoded.status;
        log.debugLog(QStringLiteral("+++ Com") + QString::number(layout.command) +
                         QStringLiteral(": ") + refusal_.message() +
                         QStringLiteral(", nothing sent"),
                     -1);
        return kResultValueRefused;
    }
    CommandBuffers& own = buffers(layout.command);
    own.request = request;
    if (writesSwitchedOff(p_.state.NoWrite)) return kResultNotSent;
    QByteArray response;
    const int result =
        sender_.sendRequest(layout.command, request, layout.expectedLength, &response, tries);
    if (result == 0) own.response = response;
    return result;
}

int UniversalCommands::Com0(int tries) {
    return runRead(com0(), tries);
}

int UniversalCommands::Com1(int tries) {
    return runRead(com1(), tries);
}

int UniversalCommands::Com2(int tries) {
    return runRead(com2(), tries);
}

int UniversalCommands::Com15(int tries) {
    return runRead(com15(), tries);
}

int UniversalCommands::Com151(int tries) {
    return runRead(com151(), tries);
}

int UniversalCommands::Com34(int tries) {
    static const CommandLayout layout{34,
                                      QStringLiteral("--> Write Com34"),
                                      4,
                                      0,
                                      {hartFloat(0, "DampingValue", QStringLiteral("Damping"))}};
    return runWrite(layout, tries);
}

int UniversalCommands::Com35(int tries) {
    const CommandLayout layout{35,
                               QStringLiteral("--> Write Com35"),
                               9,
                               0,
                               {{0, 1, WireEncoding::Unsigned, QStringLiteral("RangeUnitsCode"),
                                 literal(unsigned(inputs.rangeUnitsCode))},
                                hartFloat(1, "UpperRangeValue", QStringLiteral("TMeasRangeHigh")),
                                hartFloat(5, "LowerRangeValue", QStringLiteral("TMeasRangeLow"))}};
    return runWrite(layout, tries);
}

int UniversalCommands::Com36(int tries) {
    static const CommandLayout layout{36, QStringLiteral("--> Write Com36"), 0, 0, {}};
    return runWrite(layout, tries);
}

int UniversalCommands::Com37(int tries) {
    static const CommandLayout layout{37, QStringLiteral("--> Write Com37"), 0, 0, {}};
    return runWrite(layout, tries);
}

int UniversalCommands::Com40(int tries) {
    const CommandLayout layout{40,
                               QStringLiteral("--> Write Com40"),
                               4,
                               4,
                               {hartFloat(0, "Current", literal(inputs.fixedCurrent))}};
    return runWrite(layout, tries);
}

int UniversalCommands::Com45(int tries) {
    const CommandLayout layout{45,
                               QStringLiteral("--> Write Com45"),
                               4,
                               4,
                               {hartFloat(0, "measuredCurrent", literal(inputs.measuredCurrent))}};
    return runWrite(layout, tries);
}

int UniversalCommands::Com46(int tries) {
    const CommandLayout layout{46,
                               QStringLiteral("--> Write Com46"),
                               4,
                               4,
                               {hartFloat(0, "measuredCurrent", literal(inputs.measuredCurrent))}};
    return runWrite(layout, tries);
}

}  // namespace zh
