#include "text_codec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace zh {
namespace {

// Windows-1252 bytes 0x80..0x9F. The five bytes the code page leaves
// undefined map to the C1 control of the same number, as the platform's own
// conversion does, so that every byte survives a read and a write.
const char16_t k1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString decode1252(const QByteArray& bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *dst++ = (b >= 0x80 && b <= 0x9F) ? QChar(k1252High[b - 0x80]) : QChar(b);
    }
    return out;
}

QByteArray encode1252(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.append(static_cast<char>(u));
            continue;
        }
        char b = '?';
        for (int i = 0; i < 32; ++i) {
            if (k1252High[i] == u) {
                b = static_cast<char>(0x80 + i);
                break;
            }
        }
        out.append(b);
    }
    return out;
}

bool startsWith(const QByteArray& bytes, const char* mark, int n) {
    return bytes.size() >= n && memcmp(bytes.constData(), mark, n) == 0;
}

// Decodes with `codec`; false when the bytes are not valid in it. The
// caller has taken off the byte-order mark; a second one (a tool that
// added its mark to a file that had one) stays text, or a write would
// drop it.
bool tryDecode(QStringDecoder::Encoding codec, const QByteArray& bytes, QString* out) {
    QStringDecoder dec(codec,
                       QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    *out = dec(bytes);
    return !dec.hasError();
}

}  // namespace

DecodedText decodeText(const QByteArray& bytes) {
    // A byte-order mark decides, as long as the rest is valid in that form;
    // anything that is not valid text is taken byte for byte as Windows-1252,
    // which maps every byte to one character, so no byte is ever lost.
    QString text;
    if (startsWith(bytes, "\xEF\xBB\xBF", 3)) {
        if (tryDecode(QStringDecoder::Utf8, bytes.mid(3), &text))
            return {text, TextEncoding::Utf8Bom};
    } else if (startsWith(bytes, "\xFF\xFE", 2)) {
        if (bytes.size() % 2 == 0 && tryDecode(QStringDecoder::Utf16LE, bytes.mid(2), &text)) {
            return {text, TextEncoding::Utf16Le};
        }
    } else if (startsWith(bytes, "\xFE\xFF", 2)) {
        if (bytes.size() % 2 == 0 && tryDecode(QStringDecoder::Utf16BE, bytes.mid(2), &text)) {
            return {text, TextEncoding::Utf16Be};
        }
    } else if (tryDecode(QStringDecoder::Utf8, bytes, &text)) {
        return {text, TextEncoding::Utf8};
    }
    return {decode1252(bytes), TextEncoding::Windows1252};
}

QByteArray encodeText(const QString& text, TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Utf8:
            return text.toUtf8();
        case TextEncoding::Utf8Bom:
            return QByteArray("\xEF\xBB\xBF", 3) + text.toUtf8();
        case TextEncoding::Utf16Le: {
            QStringEncoder enc(QStringEncoder::Utf16LE);
            return QByteArray("\xFF\xFE", 2) + QByteArray(enc(text));
        }
        case TextEncoding::Utf16Be: {
            QStringEncoder enc(QStringEncoder::Utf16BE);
            return QByteArray("\xFE\xFF", 2) + QByteArray(enc(text));
        }
        case TextEncoding::Windows1252:
            return encode1252(text);
    }
    return text.toUtf8();
}

}  // namespace zh
