#pragma once
// Numbers in profile values and other texts people write.

#include <QString>

namespace zh {

// The leading-number rule: blanks, an optional sign and the digits at the
// start; anything after them is ignored; no digits give 0. "250ms" is 250.
long long leadingInt(const QString& text);
double leadingFloat(const QString& text);

// The rule for values that carry units and a decimal comma ("0,5s", "105%",
// "3mA"): every character but "0123456789,.-" is dropped and "," becomes the
// decimal point; the number is single precision. No digits give 0.
float unitValue(const QString& text);

// True when `text` is one or more decimal digits and nothing else.
bool isDigits(const QString& text);

}  // namespace zh
