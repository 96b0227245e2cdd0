#include "wire_values.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "app/number_text.h"
#include "raw_values.h"

namespace zh {
namespace {

// No wire item is wider than 32 bits; a cap well above that keeps the
// decimal reader free of overflow without rejecting anything that matters.
constexpr qint64 kDecimalCap = qint64(1) << 53;

template <typename T>
WireValue<T> refused(WireError error, const QString& text, const QString& limits = QString()) {
    WireValue<T> v;
    v.error = error;
    v.text = text;
    v.limits = limits;
    return v;
}

template <typename T>
WireValue<T> accepted(T value) {
    WireValue<T> v;
    v.value = value;
    return v;
}

template <typename T, typename From>
WireValue<T> carry(const WireValue<From>& from, const QString& source) {
    WireValue<T> v;
    static_cast<WireStatus&>(v) = from;
    v.name = source;
    return v;
}

int digitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    return -1;
}

// An integer in the range [low, high] taken from a source.
template <typename T>
WireValue<T> takeRanged(const RawValues& values, const QString& source, qint64 low, qint64 high) {
    const WireValue<qint64> parsed = parseInteger(sourceText(values, source));
    if (!parsed.ok()) return carry<T>(parsed, source);
    if (parsed.value < low || parsed.value > high) {
        WireValue<T> v =
            refused<T>(WireError::OutOfRange, parsed.text,
                       QString::number(low) + QStringLiteral(" ... ") + QString::number(high));
        v.name = source;
        return v;
    }
    WireValue<T> v = accepted<T>(static_cast<T>(parsed.value));
    v.text = parsed.text;
    v.name = source;
    return v;
}

quint8 byteAt(const QByteArray& data, int offset) {
    return offset >= 0 && offset < data.size() ? static_cast<quint8>(data.at(offset)) : 0;
}

void putByte(QByteArray& data, int offset, quint8 value) {
    if (offset < 0) return;
    if (offset >= data.size()) data.append(QByteArray(offset + 1 - data.size(), '\0'));
    data[offset] = static_cast<char>(value);
}

}  // namespace

QString WireStatus::message() const {
    switch (error) {
        case WireError::None:
            return QString();
        case WireError::Empty:
            return QStringLiteral("No value for %1").arg(name);
        case WireError::NotANumber:
            return QStringLiteral("Invalid value '%1' for %2").arg(text, name);
        case WireError::NotFinite:
            return QStringLiteral("Value %1 for %2 is not a finite number").arg(text, name);
        case WireError::OutOfRange:
            return QStringLiteral("Value %1 for %2 out of range (%3)").arg(text, name, limits);
        case WireError::NotText:
            return QStringLiteral("Invalid characters in '%1' for %2 (printable ASCII only)")
                .arg(text, name);
    }
    return QString();
}

bool isLiteral(const QString& source) {
    return source.startsWith(QLatin1Char('#'));
}

QString sourceText(const RawValues& values, const QString& source) {
    return isLiteral(source) ? source.mid(1) : values.rawValue(source);
}

WireValue<qint64> parseInteger(const QString& input) {
    const QString text = input.trimmed();
    if (text.isEmpty() || text == QLatin1String("-"))
        return refused<qint64>(WireError::Empty, text);
    const QChar first = text.at(0);
    if (first == QLatin1Char('$') || first == QLatin1Char('%')) {
        const int base = first == QLatin1Char('$') ? 16 : 2;
        const int maxDigits = base == 16 ? 16 : 64;
        const QString digits = text.mid(1);
        if (digits.isEmpty()) return refused<qint64>(WireError::NotANumber, text);
        if (digits.size() > maxDigits) return refused<qint64>(WireError::OutOfRange, text);
        quint64 value = 0;
        for (QChar c : digits) {
            const int d = digitValue(c);
            if (d < 0 || d >= base) return refused<qint64>(WireError::NotANumber, text);
            value = value * base + d;
        }
        if (value > quint64(std::numeric_limits<qint64>::max()))
            return refused<qint64>(WireError::OutOfRange, text);
        WireValue<qint64> v = accepted<qint64>(static_cast<qint64>(value));
        v.text = text;
        return v;
    }
    int i = 0;
    bool negative = false;
    if (first == QLatin1Char('-') || first == QLatin1Char('+')) {
        negative = first == QLatin1Char('-');
        ++i;
    }
    qint64 value = 0;
    int digits = 0;
    for (; i < text.size() && text.at(i).unicode() >= '0' && text.at(i).unicode() <= '9';
         ++i, ++digits) {
        value = value * 10 + (text.at(i).unicode() - '0');
        if (value > kDecimalCap) return refused<qint64>(WireError::OutOfRange, text);
    }
    if (digits == 0) return refused<qint64>(WireError::NotANumber, text);
    if (i < text.size() && (text.at(i) == QLatin1Char('.') || text.at(i) == QLatin1Char(','))) {
        for (++i; i < text.size() && text.at(i).unicode() >= '0' && text.at(i).unicode() <= '9';
             ++i) {
        }
    }
    if (i != text.size()) return refused<qint64>(WireError::NotANumber, text);
    WireValue<qint64> v = accepted<qint64>(negative ? -value : value);
    v.text = text;
    return v;
}

WireValue<float> parseFloat(const QString& input) {
    QString text = input.trimmed();
    if (text.isEmpty() || text == QLatin1String("-")) return refused<float>(WireError::Empty, text);
    const QString lower = text.toLower();
    for (const char* word : {"nan", "inf"}) {
        if (lower.contains(QLatin1String(word))) return refused<float>(WireError::NotFinite, text);
    }
    // Shape check first: QString::toDouble would also take forms the
    // program never writes (hex floats, blanks inside).
    int i = 0;
    if (text.at(0) == QLatin1Char('-') || text.at(0) == QLatin1Char('+')) ++i;
    int mantissaDigits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() >= '0' && c.unicode() <= '9') {
            ++mantissaDigits;
        } else if ((c == QLatin1Char('.') || c == QLatin1Char(',')) && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0) return refused<float>(WireError::NotANumber, text);
    if (i < text.size() && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        ++i;
        if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
            ++i;
        int exponentDigits = 0;
        for (; i < text.size() && text.at(i).unicode() >= '0' && text.at(i).unicode() <= '9'; ++i)
            ++exponentDigits;
        if (exponentDigits == 0) return refused<float>(WireError::NotANumber, text);
    }
    if (i != text.size()) return refused<float>(WireError::NotANumber, text);

    bool ok = false;
    const double value = parseEnteredNumber(text, &ok);
    // A value beyond double range is reported as not ok.
    if (!ok || std::fabs(value) > double(std::numeric_limits<float>::max())) {
        return refused<float>(
            WireError::OutOfRange, text,
            QStringLiteral("+-") + QString::number(double(std::numeric_limits<float>::max())));
    }
    WireValue<float> v = accepted<float>(static_cast<float>(value));
    v.text = text;
    return v;
}

WireValue<quint32> takeUnsigned(const RawValues& values, const QString& source, int n) {
    const int width = std::clamp(n, 1, 4);
    const qint64 high = (qint64(1) << (8 * width)) - 1;
    return takeRanged<quint32>(values, source, 0, high);
}

WireStatus writeUnsigned(const RawValues& values, const QString& source, int n, QByteArray& buffer,
                         int offset) {
    const WireValue<quint32> v = takeUnsigned(values, source, n);
    if (!v.ok()) return v;
    const int width = std::clamp(n, 1, 4);
    for (int i = 0; i < width; ++i)
        putByte(buffer, offset + i, static_cast<quint8>(v.value >> (8 * (width - 1 - i))));
    return v;
}

WireValue<float> takeFloat(const RawValues& values, const QString& source) {
    WireValue<float> v = parseFloat(sourceText(values, source));
    v.name = source;
    return v;
}

WireValue<qint16> takeSigned16(const RawValues& values, const QString& source) {
    return takeRanged<qint16>(values, source, std::numeric_limits<qint16>::min(),
                              std::numeric_limits<qint16>::max());
}

WireValue<quint16> takeUnsigned16(const RawValues& values, const QString& source) {
    return takeRanged<quint16>(values, source, 0, std::numeric_limits<quint16>::max());
}

WireValue<qint32> takeInt32(const RawValues& values, const QString& source) {
    const WireValue<qint64> wide = takeRanged<qint64>(
        values, source, std::numeric_limits<qint32>::min(), std::numeric_limits<quint32>::max());
    if (!wide.ok()) return carry<qint32>(wide, source);
    WireValue<qint32> v = carry<qint32>(wide, source);
    v.value = static_cast<qint32>(static_cast<quint32>(wide.value));
    return v;
}

WireValue<QByteArray> takeText(const RawValues& values, const QString& source, int n) {
    const QString text = sourceText(values, source);
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E) {
            WireValue<QByteArray> v = refused<QByteArray>(WireError::NotText, text);
            v.name = source;
            return v;
        }
    }
    QByteArray bytes = text.toLatin1().left(std::max(0, n));
    bytes.append(QByteArray(std::max(0, n) - bytes.size(), '\0'));
    WireValue<QByteArray> v = accepted<QByteArray>(bytes);
    v.text = text;
    v.name = source;
    return v;
}

quint32 readUnsigned(const QByteArray& data, int offset, int n) {
    quint32 value = 0;
    for (int i = 0; i < std::clamp(n, 1, 4); ++i) value = (value << 8) | byteAt(data, offset + i);
    return value;
}

float readHartFloat(const QByteArray& data, int offset) {
    const quint32 bits = readUnsigned(data, offset, 4);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

QString readText(const QByteArray& data, int offset, int n) {
    QByteArray bytes;
    for (int i = 0; i < n; ++i) {
        const quint8 b = byteAt(data, offset + i);
        if (b == 0) break;
        bytes.append(static_cast<char>(b));
    }
    return QString::fromLatin1(bytes);
}

QString floatText(float value) {
    if (std::isnan(value)) return QStringLiteral("NaN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("+Infinity") : QStringLiteral("-Infinity");
    // QString::number is locale-independent: raw values always use ".".
    QString text = QString::number(double(value), 'f', 10);
    if (text.count(QLatin1Char('.')) == 1) {
        while (text.size() > 2 && text.endsWith(QLatin1Char('0'))) text.chop(1);
        if (text.endsWith(QLatin1Char('.'))) text += QLatin1Char('0');
    }
    return text;
}

qint64 hexTextValue(const QString& input) {
    const QString text = input.trimmed();
    if (text.size() > 8) return -1;
    qint64 value = 0;
    for (QChar c : text) {
        const int d = digitValue(c);
        if (d < 0) return -1;
        value = value * 16 + d;
    }
    return value;
}

qint64 unsigned32View(qint32 value) {
    return static_cast<qint64>(static_cast<quint32>(value));
}

QString hexText(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex().toUpper());
}

void storeInteger(RawValues& values, const QString& field, const QString& wireName, qint64 value) {
    values.setRawValue(field, QString::number(value), wireName);
}

void storeFloat(RawValues& values, const QString& field, const QString& wireName, float value) {
    values.setRawValue(field, floatText(value), wireName);
}

void storeText(RawValues& values, const QString& field, const QString& wireName,
               const QString& text) {
    values.setRawValue(field, text, wireName);
}

void putHartFloat(QByteArray& data, int offset, float value) {
    quint32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 4; ++i)
        putByte(data, offset + i, static_cast<quint8>(bits >> (8 * (3 - i))));
}

void putNativeFloat(QByteArray& data, int offset, float value) {
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    for (int i = 0; i < int(sizeof value); ++i)
        putByte(data, offset + i, static_cast<quint8>(bytes[i]));
}

float nativeFloatAt(const QByteArray& data, int offset) {
    char bytes[sizeof(float)];
    for (int i = 0; i < int(sizeof bytes); ++i)
        bytes[i] = static_cast<char>(byteAt(data, offset + i));
    float value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

quint16 getLE16(const QByteArray& data, int offset) {
    return static_cast<quint16>(byteAt(data, offset) | (byteAt(data, offset + 1) << 8));
}

qint16 getLE16Signed(const QByteArray& data, int offset) {
    return static_cast<qint16>(getLE16(data, offset));
}

quint32 getLE32(const QByteArray& data, int offset) {
    return quint32(getLE16(data, offset)) | (quint32(getLE16(data, offset + 2)) << 16);
}

qint32 getLE32Signed(const QByteArray& data, int offset) {
    return static_cast<qint32>(getLE32(data, offset));
}

void putLE16(QByteArray& data, int offset, quint16 value) {
    putByte(data, offset, static_cast<quint8>(value & 0xFF));
    putByte(data, offset + 1, static_cast<quint8>(value >> 8));
}

void putLE32(QByteArray& data, int offset, quint32 value) {
    putLE16(data, offset, static_cast<quint16>(value & 0xFFFF));
    putLE16(data, offset + 2, static_cast<quint16>(value >> 16));
}

std::vector<WireLogLine> decodeItems(const std::vector<WireItem>& items, QByteArray& data,
                                     RawValues& values, const QString& indent) {
    std::vector<WireLogLine> lines;
    lines.reserve(items.size());
    for (const WireItem& item : items) {
        QString shown;
        switch (item.encoding) {
            case WireEncoding::Unsigned: {
                shown = QStringLiteral("=0x") + hexText(data.mid(item.offset, item.width));
                if (!item.source.isEmpty()) {
                    storeInteger(values, item.source, item.name,
                                 readUnsigned(data, item.offset, item.width));
                }
                break;
            }
            case WireEncoding::HartFloat: {
                const float value = readHartFloat(data, item.offset);
                shown = QLatin1Char('=') + floatText(value);
                if (!item.source.isEmpty()) storeFloat(values, item.source, item.name, value);
                putNativeFloat(data, item.offset, value);
                break;
            }
            case WireEncoding::Signed16LE: {
                const qint16 value = getLE16Signed(data, item.offset);
                shown = QLatin1Char('=') + QString::number(value);
                if (!item.source.isEmpty()) storeInteger(values, item.source, item.name, value);
                break;
            }
        }
        lines.push_back({indent + item.name + shown + QStringLiteral("; "), -1});
    }
    return lines;
}

EncodedItems encodeItems(const std::vector<WireItem>& items, const RawValues& values,
                         QByteArray& request, const QString& indent) {
    EncodedItems out;
    for (const WireItem& item : items) {
        WireStatus status;
        QString shown;
        switch (item.encoding) {
            case WireEncoding::Unsigned:
                status = writeUnsigned(values, item.source, item.width, request, item.offset);
                if (status.ok())
                    shown = QStringLiteral("=0x") + hexText(request.mid(item.offset, item.width));
                break;
            case WireEncoding::HartFloat: {
                const WireValue<float> v = takeFloat(values, item.source);
                status = v;
                if (!v.ok()) break;
                putHartFloat(request, item.offset, v.value);
                shown = QLatin1Char('=') + floatText(v.value);
                break;
            }
            case WireEncoding::Signed16LE: {
                const WireValue<qint16> v = takeSigned16(values, item.source);
                status = v;
                if (!v.ok()) break;
                putLE16(request, item.offset, static_cast<quint16>(v.value));
                shown = QLatin1Char('=') + QString::number(v.value);
                break;
            }
        }
        if (!status.ok()) {
            // A literal is a value the command was given: name it as the wire item.
            if (isLiteral(item.source)) status.name = item.name;
            out.status = status;
            return out;
        }
        const int colour = isLiteral(item.source) ? -1 : values.colourIndex(item.source);
        out.lines.push_back({indent + item.name + shown + QStringLiteral("; "), colour});
    }
    return out;
}

}  // namespace zh
