#include "response_codes.h"

#include <QStringList>

namespace zh {

namespace {

// The response codes every HART device shares for its configuration
// commands (common tables of the protocol); codes 1, 8 and 24..31 are
// warnings, but a write that got one did not complete as asked.
struct CodeText {
    int code;
    const char* text;
};
constexpr CodeText kCodes[] = {
    {1, "undefined"},
    {2, "invalid selection"},
    {3, "passed parameter too large"},
    {4, "passed parameter too small"},
    {5, "too few data bytes received"},
    {6, "device-specific command error"},
    {7, "write protected"},
    {8, "update failure"},
    {9, "lower range value too high"},
    {10, "lower range value too low"},
    {11, "upper range value too high"},
    {12, "upper range value too low"},
    {13, "both range values out of limits"},
    {14, "span too small"},
    {15, "invalid analog channel code"},
    {16, "access restricted"},
    {17, "invalid device variable index"},
    {18, "invalid units code"},
    {32, "busy"},
    {33, "delayed response initiated"},
    {34, "delayed response running"},
    {35, "delayed response dead"},
    {36, "delayed response conflict"},
    {64, "command not implemented"},
};

// What the range and loop-current commands mean by the codes they give a
// meaning of their own (common-practice command tables), and what our
// display module means by its action's codes.
struct CommandCodeText {
    int command;
    int code;
    const char* text;
};
constexpr CommandCodeText kCommandCodes[] = {
    {35, 14, "span too small, device accuracy may be impaired"},
    {35, 29, "invalid span"},
    {36, 9, "applied process too high"},
    {36, 10, "applied process too low"},
    {36, 14, "span too small, device accuracy may be impaired"},
    {36, 29, "invalid span"},
    {37, 9, "applied process too high"},
    {37, 10, "applied process too low"},
    {37, 14, "new lower range value pushed the upper range value"},
    {37, 29, "invalid span"},
    {40, 11, "in multidrop mode"},
    {45, 9, "incorrect loop current mode or value"},
    {45, 11, "in multidrop mode"},
    {46, 9, "incorrect loop current mode or value"},
    {46, 11, "in multidrop mode"},
    // The display module's teach actions: the loop current present.
    {192, 9, "input too high"},
    {192, 10, "input too low"},
};

QString withCode(const char* text, int code) {
    return QString::fromLatin1(text) + QStringLiteral(" (") + QString::number(code) +
           QLatin1Char(')');
}

}  // namespace

QString responseCodeText(int code) {
    for (const CodeText& c : kCodes)
        if (c.code == code) return withCode(c.text, code);
    return QStringLiteral("response code ") + QString::number(code);
}

QString responseCodeText(int code, int command) {
    for (const CommandCodeText& c : kCommandCodes)
        if (c.command == command && c.code == code) return withCode(c.text, code);
    return responseCodeText(code);
}

bool isWarningCode(int code) {
    return code == 8 || code == 14 || (code >= 24 && code <= 31);
}

QString refusalText(int code, int status) {
    const QString words = deviceStatusText(status);
    return responseCodeText(code) +
           (words.isEmpty() ? QString() : QStringLiteral("; device status: ") + words);
}

QStringList deviceStatusWords(int status) {
    // Bit 7 down to bit 0.
    static const char* const kBits[] = {"malfunction",
                                        "configuration changed",
                                        "cold start",
                                        "more status available",
                                        "loop current fixed",
                                        "loop current saturated",
                                        "non-primary variable out of limits",
                                        "primary variable out of limits"};
    QStringList words;
    if (status < 0) return words;  // not known
    for (int bit = 7; bit >= 0; --bit)
        if (status & (1 << bit)) words << QString::fromLatin1(kBits[7 - bit]);
    return words;
}

QString deviceStatusText(int status) {
    return deviceStatusWords(status).join(QStringLiteral(", "));
}

QString deviceStatusNote(int status) {
    const QString words = deviceStatusText(status);
    return words.isEmpty() ? QString() : QStringLiteral("; device status: ") + words;
}

QString deviceStatusRecord(int status) {
    if (status < 0 || status > 0xFF) return QString();
    const QString words = deviceStatusText(status);
    return QStringLiteral("0x") +
           QStringLiteral("%1").arg(status, 2, 16, QLatin1Char('0')).toUpper() +
           QStringLiteral(" (") + (words.isEmpty() ? QStringLiteral("ok") : words) +
           QLatin1Char(')');
}

int deviceStatusOfRecord(const QString& record) {
    const QString number = record.section(QLatin1Char('('), 0, 0).trimmed();
    bool ok = false;
    const int status = number.toInt(&ok, 0);
    return ok && status >= 0 && status <= 0xFF ? status : -1;
}

}  // namespace zh
