#pragma once
// HART packed ASCII: six bits a character, four characters in three bytes,
// the characters 0x20 ... 0x5F (space, digits, upper-case letters and the
// common signs). Tags, descriptors and messages travel this way.

#include <QByteArray>
#include <QString>

namespace zh {

// `chars` characters (a multiple of 4) in chars * 3 / 4 bytes. Lower case is
// folded to upper case; a shorter text is filled with blanks, a longer one
// cut; a character outside the set becomes '?'.
QByteArray packAscii(const QString& text, int chars);

// The characters of `packed` (4 for every 3 bytes; a last incomplete group
// is ignored), trailing blanks removed.
QString unpackAscii(const QByteArray& packed);

// True when every character of `text` has a packed form (after folding to
// upper case), so packAscii keeps it as it is.
bool isPackable(const QString& text);

}  // namespace zh
