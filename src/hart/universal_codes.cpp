#include "universal_codes.h"

namespace zh {
namespace {

struct CodeName {
    int code;
    const char* name;
};

// The codes every table of the protocol shares for "no value".
constexpr CodeName kNoValue[] = {
    {250, "not used"}, {251, "none"}, {252, "unknown"}, {253, "special"}};

template <std::size_t N>
QString nameIn(const CodeName (&table)[N], int code, const char* unknown) {
    for (const CodeName& c : table)
        if (c.code == code) return QString::fromLatin1(c.name);
    for (const CodeName& c : kNoValue)
        if (c.code == code) return QString::fromLatin1(c.name);
    return QString::fromLatin1(unknown) + QLatin1Char(' ') + QString::number(code);
}

constexpr CodeName kTransferFunctions[] = {
    {0, "linear"},
    {1, "square root"},
    {2, "square root third power"},
    {3, "square root fifth power"},
    {4, "special curve"},
    {5, "square"},
};

constexpr CodeName kAlarmSelections[] = {{0, "high"}, {1, "low"}, {239, "hold last output value"}};

constexpr CodeName kWriteProtect[] = {{0, "no"}, {1, "yes"}};

// Command 48: byte 6 is the extended device status, byte 8 the first
// standardized status byte; bytes 10 and 13 hold a bit per analog channel
// (bit 0 = channel 1) saturated and fixed.
struct StatusBit {
    int byte;
    int mask;
    const char* words;
};
constexpr StatusBit kStatusBits[] = {
    {6, 0x01, "maintenance required"},        {6, 0x02, "device variable alert"},
    {6, 0x04, "critical power failure"},      {6, 0x08, "failure"},
    {6, 0x10, "outside rated conditions"},    {6, 0x20, "function check"},
    {8, 0x01, "simulation active"},           {8, 0x02, "non-volatile memory defect"},
    {8, 0x04, "volatile memory defect"},      {8, 0x08, "watchdog reset executed"},
    {8, 0x10, "supply voltage out of range"}, {8, 0x20, "environmental conditions out of range"},
    {8, 0x40, "electronic defect"},           {8, 0x80, "device configuration locked"},
};

void channelWords(const QByteArray& status, int byte, const char* state, QStringList* words) {
    if (status.size() <= byte) return;
    const int bits = quint8(status[byte]);
    for (int channel = 0; channel < 8; ++channel) {
        if (bits & (1 << channel))
            *words << QStringLiteral("analog channel %1 %2")
                          .arg(channel + 1)
                          .arg(QLatin1String(state));
    }
}

}  // namespace

QString transferFunctionName(int code) {
    return nameIn(kTransferFunctions, code, "transfer function");
}

QString alarmSelectionName(int code) {
    return nameIn(kAlarmSelections, code, "alarm selection");
}

QString writeProtectName(int code) {
    return nameIn(kWriteProtect, code, "write protect");
}

QStringList additionalStatusWords(const QByteArray& status) {
    QStringList words;
    for (const StatusBit& b : kStatusBits) {
        if (status.size() > b.byte && (quint8(status[b.byte]) & b.mask))
            words << QLatin1String(b.words);
    }
    channelWords(status, 10, "saturated", &words);
    channelWords(status, 13, "fixed", &words);
    return words;
}

}  // namespace zh
