#pragma once
// Decoding of the text files people edit by hand: UTF-8 (with or without a
// byte-order mark), UTF-16 with a mark, and anything else as Windows-1252,
// the code page such files were written in before. Encoding writes the text
// back in the form it was read in, so a file never changes its encoding.

#include <QByteArray>
#include <QString>

namespace zh {

enum class TextEncoding { Utf8, Utf8Bom, Utf16Le, Utf16Be, Windows1252 };

struct DecodedText {
    QString text;
    TextEncoding encoding = TextEncoding::Utf8;
};

DecodedText decodeText(const QByteArray& bytes);
// Characters Windows-1252 cannot hold are written as "?".
QByteArray encodeText(const QString& text, TextEncoding encoding);

}  // namespace zh
