#pragma once
// A manual page, as the package installs it for man(1), turned into the
// HTML the program's manual window shows, so that both say the same.
// Knows the man(7) macros these pages use: .TH .SH .SS .PP .TP .RS .RE
// .nf .fi .br, the font macros (.B .I .BR .RB .BI .IB .IR .RI) and the
// escapes \f \- \( and "\ ".

#include <QString>

namespace zh {

QString manPageHtml(const QString& roff);

}  // namespace zh
