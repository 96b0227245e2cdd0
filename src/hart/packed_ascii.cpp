#include "packed_ascii.h"

namespace zh {
namespace {

// The character as it travels: the upper-case form when it has one in the
// set, else nothing (-1).
int packableCode(QChar c) {
    const char16_t u = c.toUpper().unicode();
    if (u < 0x20 || u > 0x5F) return -1;
    return u & 0x3F;  // 0x40..0x5F -> 0..31, 0x20..0x3F stay
}

}  // namespace

QByteArray packAscii(const QString& text, int chars) {
    QByteArray packed;
    packed.reserve(chars * 3 / 4);
    for (int group = 0; group + 4 <= chars; group += 4) {
        quint32 bits = 0;
        for (int i = group; i < group + 4; ++i) {
            int code = i < text.size() ? packableCode(text.at(i)) : 0x20;
            if (code < 0) code = '?';
            bits = (bits << 6) | quint32(code);
        }
        packed.append(char(bits >> 16));
        packed.append(char(bits >> 8));
        packed.append(char(bits));
    }
    return packed;
}

QString unpackAscii(const QByteArray& packed) {
    QString text;
    for (int at = 0; at + 3 <= packed.size(); at += 3) {
        const quint32 bits = quint32(quint8(packed[at])) << 16 |
                             quint32(quint8(packed[at + 1])) << 8 | quint32(quint8(packed[at + 2]));
        for (int shift = 18; shift >= 0; shift -= 6) {
            const int code = int(bits >> shift) & 0x3F;
            // Codes 0..31 stand for 0x40..0x5F ('@', 'A' ... '_').
            text.append(QChar(code < 0x20 ? code + 0x40 : code));
        }
    }
    while (text.endsWith(QLatin1Char(' '))) text.chop(1);
    return text;
}

bool isPackable(const QString& text) {
    for (const QChar c : text)
        if (packableCode(c) < 0) return false;
    return true;
}

}  // namespace zh
