#pragma once
// The rules that turn text into numbers, one for each kind of text. They
// differ on purpose:
//
//   rule                  decimal  unit or text  blanks   whole text  empty    "inf"/"nan"
//                         point    after it      around   required    text     taken
//   leadingInt            -        ignored       ignored  no          0        -
//   leadingFloat          "."      ignored       ignored  no          0        no (0)
//   unitValue             "," "."  dropped (*)   dropped  no          0        no (0)
//   parseParameterNumber  "."      ignored       leading  no          refused  no
//   numberOf              "," "."  ignored       ignored  no          refused  no
//   integerOf             -        ignored       ignored  no          refused  -
//   parseStoredNumber     "."      refused       ignored  yes         refused  yes
//   parseEnteredNumber    "," "."  refused       ignored  yes         refused  yes
//   parseUserNumber       desktop  refused       ignored  yes         refused  no
//
// (*) unitValue keeps only digits, "," "." and "-" from anywhere in the
// text, so "-2,25 bar" is -2.25 and "a1b2" is 12.
// None reads group separators: "1.500" is one and a half wherever a point
// is a decimal point, never 1500.
// Rules with a shape check of their own live with what they check: the
// entry check of a field by its type (model/type_checks.h, the window's
// decimal point) and values sent to the device (hart/wire_values.h).

#include <QString>
#include <optional>

namespace zh {

// Profile values: blanks, an optional sign and the digits at the start;
// anything after them is ignored; no digits give 0. "250ms" is 250.
long long leadingInt(const QString& text);
// The same with "." as the decimal point and an exponent: "2.5 s" is 2.5,
// whatever the desktop's locale. Out of double range gives +-infinity.
double leadingFloat(const QString& text);

// Profile values that carry units and a decimal comma ("0,5s", "105%",
// "3mA"): every character but "0123456789,.-" is dropped and "," becomes
// the decimal point; the number is single precision. No digits give 0.
float unitValue(const QString& text);

// True when `text` is one or more decimal digits and nothing else.
bool isDigits(const QString& text);

// Numbers of the unit conversions and calibration values. The leading
// number of a text, with "," read as the decimal point; unlike leadingFloat
// a text without any digit ("", "-", "abc", "nan") and a number beyond
// float range ("1e999") give no value instead of 0 or infinity: such a
// value must never reach a field or the device.
std::optional<float> numberOf(const QString& text);
// The leading integer of a text (sign and digits; anything after them is
// ignored), or nothing when there is no digit or the number overflows.
std::optional<qint64> integerOf(const QString& text);

// The leading number of a field's parameter such as "99.9s" or "-99999.":
// "." is the decimal point, no exponent ("1e3" is 1); false when the text
// does not start with a number (after blanks).
bool parseParameterNumber(const QString& text, double* value);

// A number as the program writes it (a field's content or raw value, a
// configuration record): "." is the decimal point, the whole text is the
// number (sign and exponent allowed), blanks around it are ignored. `*ok`
// false otherwise; `ok` may be null.
double parseStoredNumber(const QString& text, bool* ok);
// The same in single precision: a value beyond float range, or one too
// small to be told from 0 ("1e-50"), is refused.
float parseStoredFloat(const QString& text, bool* ok);

// A number as a person enters it into a field or a field shows it: as
// parseStoredNumber, but "," is a decimal point too ("2,5" is 2.5).
double parseEnteredNumber(const QString& text, bool* ok);
// The same in single precision, refusing as parseStoredFloat does.
float parseEnteredFloat(const QString& text, bool* ok);

// A number typed in the desktop's notation (a decimal comma under German),
// or with a decimal point; infinity and "nan" are refused.
bool parseUserNumber(const QString& text, double* value);

}  // namespace zh
