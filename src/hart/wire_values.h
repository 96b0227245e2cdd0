#pragma once
// The conversions every HART command uses between the raw value texts of
// the field table and the data bytes of a request or response.
//
// Values come from a *source*: a field name (that field's raw value text) or
// a text starting with "#" (the literal after it, for example "#0" or
// "#%0000111111111111"). Number texts are decimal, "$" + hexadecimal digits
// or "%" + binary digits. Results go back into fields as plain decimal text
// (integers) or as float text (floatText below).
//
// Taking a value for the wire never wraps or guesses: a value that is empty,
// not a number, not finite or outside what the wire item can hold comes back
// as a refusal (WireStatus with an error and the field's name) and the
// command must send nothing. Nothing here does I/O; layouts are data
// (WireItem) walked by decodeItems / encodeItems.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

#include "results.h"

namespace zh {

class RawValues;

// A routine that returns kResultValueRefused (results.h) keeps the refusal
// (field and reason) for the caller's message and logs it.

// ---------------------------------------------------------------------------
// Refusals

enum class WireError {
    None,
    Empty,       // the source holds no text (or only "-")
    NotANumber,  // the text is no number of the kind the item needs
    NotFinite,   // NaN or an infinity
    OutOfRange,  // the number does not fit the item
    NotText,     // a text item with characters other than printable ASCII
};

struct WireStatus {
    WireError error = WireError::None;
    QString name;    // the field the value came from; the wire name for a literal
    QString text;    // the text that was refused
    QString limits;  // the accepted range, for OutOfRange ("-32768 ... 32767")

    bool ok() const { return error == WireError::None; }
    // One line for the log and the error message, naming the field.
    QString message() const;
};

// A value taken for the wire: `value` is meaningful only when ok().
template <typename T>
struct WireValue : WireStatus {
    T value{};
};

// ---------------------------------------------------------------------------
// Sources and number texts

bool isLiteral(const QString& source);
// The text a source stands for: the literal after "#", else the field's raw value.
QString sourceText(const RawValues& values, const QString& source);

// An integer text: blanks around it, then "$" + 1..16 hexadecimal digits,
// "%" + 1..64 binary digits, or an optional sign and decimal digits. A
// decimal fraction (after "." or ",") is dropped towards zero, as the
// program's numeric reader always has. Decimal values beyond +-2^53 are
// OutOfRange (no item is that wide).
WireValue<qint64> parseInteger(const QString& text);

// A floating-point text: optional sign, digits with at most one "." or ","
// and an optional exponent. "NaN", "Infinity" and the like are NotFinite;
// a value beyond single precision is OutOfRange.
WireValue<float> parseFloat(const QString& text);

// ---------------------------------------------------------------------------
// Writers: take a source's value in the form a wire item needs. The
// refusal's name is the source's field name (or the literal text).

// 0 ... 2^(8n) - 1, for n = 1 ... 4.
WireValue<quint32> takeUnsigned(const RawValues& values, const QString& source, int n);
// Writes the value of `source` into buffer[offset ... offset + n - 1], most
// significant byte first; the buffer is left unchanged on a refusal.
WireStatus writeUnsigned(const RawValues& values, const QString& source, int n, QByteArray& buffer,
                         int offset);
// A finite single-precision value.
WireValue<float> takeFloat(const RawValues& values, const QString& source);
// -32768 ... 32767.
WireValue<qint16> takeSigned16(const RawValues& values, const QString& source);
// 0 ... 65535.
WireValue<quint16> takeUnsigned16(const RawValues& values, const QString& source);
// -2^31 ... 2^32 - 1: the device's 32-bit items are read back as signed
// numbers but some are counters shown unsigned (unsigned32View), so both
// spellings of the same 32 bits are taken; the result is those bits.
WireValue<qint32> takeInt32(const RawValues& values, const QString& source);
// Exactly n bytes of printable ASCII (0x20 ... 0x7E): a longer text is cut,
// a shorter one filled with 0 bytes. Other characters are refused (NotText).
WireValue<QByteArray> takeText(const RawValues& values, const QString& source, int n);

// ---------------------------------------------------------------------------
// Readers. Bytes past the end of `data` read as 0.

// n = 1 ... 4 bytes, most significant first (01 00 is 256).
quint32 readUnsigned(const QByteArray& data, int offset, int n);
// 4 bytes, most significant first, as IEEE 754 single precision (HART order).
float readHartFloat(const QByteArray& data, int offset);
// n bytes as text, up to the first 0 byte.
QString readText(const QByteArray& data, int offset, int n);

// The float text of a raw value: "%.10f", then trailing zeros dropped while
// more than two characters remain and "0" added after a final ".":
// 12.5 -> "12.5", 3 -> "3.0"; "+Infinity", "-Infinity", "NaN".
QString floatText(float value);

// A text of hexadecimal digits (blanks around it ignored, any case) as a
// number; -1 for any other character or for more than 8 digits (it would
// not fit 32 bits). An empty text is 0.
qint64 hexTextValue(const QString& text);
// A 32-bit value as unsigned (zero-extended), for display.
qint64 unsigned32View(qint32 value);

// Upper-case hexadecimal digits of the bytes, two per byte, no blanks.
QString hexText(const QByteArray& bytes);

// Stores into a field's raw value; `wireName` becomes its Interface.
void storeInteger(RawValues& values, const QString& field, const QString& wireName, qint64 value);
void storeFloat(RawValues& values, const QString& field, const QString& wireName, float value);
void storeText(RawValues& values, const QString& field, const QString& wireName,
               const QString& text);

// ---------------------------------------------------------------------------
// Byte placement. Writing past the end grows the buffer with 0 bytes.

// Most significant byte first (the universal commands).
void putHartFloat(QByteArray& data, int offset, float value);
// The float's bytes in this machine's order: decoded floats replace their
// wire bytes in a command's response buffer for later readers of it.
void putNativeFloat(QByteArray& data, int offset, float value);
float nativeFloatAt(const QByteArray& data, int offset);

// Least significant byte first: the 16-bit and 32-bit items of the display
// module's blocks and of the transmitter's ADC configuration commands.
quint16 getLE16(const QByteArray& data, int offset);
qint16 getLE16Signed(const QByteArray& data, int offset);
quint32 getLE32(const QByteArray& data, int offset);
qint32 getLE32Signed(const QByteArray& data, int offset);
void putLE16(QByteArray& data, int offset, quint16 value);
void putLE32(QByteArray& data, int offset, quint32 value);

// ---------------------------------------------------------------------------
// Layouts as data

enum class WireEncoding {
    Unsigned,    // width 1 ... 4 bytes, most significant first; logged "=0x" + hex
    HartFloat,   // 4 bytes, most significant first; logged "=" + float text
    Signed16LE,  // 2 bytes, least significant first; logged "=" + decimal
};

struct WireItem {
    int offset;
    int width;
    WireEncoding encoding;
    QString name;    // wire name: the log label and the field's Interface
    QString source;  // reading: the field stored into ("" logs only);
                     // writing: a source (field or "#" literal)
};

struct WireLogLine {
    QString text;
    int colour = -1;  // the source field's colour index; -1 none
};

// Decodes every item of `data` into its field (items without a field are
// only logged); a HART float's native value then replaces its wire bytes in
// `data`. Returns one log line per item: indent + name + "=" value + "; ".
std::vector<WireLogLine> decodeItems(const std::vector<WireItem>& items, QByteArray& data,
                                     RawValues& values, const QString& indent);

struct EncodedItems {
    WireStatus status;               // the first refusal; the items after it are not encoded
    std::vector<WireLogLine> lines;  // one per item encoded, coloured by the field
};
// Encodes every item from its source into `request` (grown to fit).
EncodedItems encodeItems(const std::vector<WireItem>& items, const RawValues& values,
                         QByteArray& request, const QString& indent);

}  // namespace zh
