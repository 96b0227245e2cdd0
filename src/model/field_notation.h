#pragma once
// A field's values as its control shows them and as the device stores them:
// two texts of one value ("9.6" and "9.600", binary "00" and "0000") are
// shown alike and count as the same value, while texts that only read as
// the same number ("0011" and "11" in a tag) stay different.

#include <QString>

namespace zh {

struct FieldRecord;

// The decimals of a float field's format (its parameters); -1 for any
// other field and for a free format.
int floatDecimals(const FieldRecord& f);

// `value` as field `f`'s control shows it: a float with `decimals` (-1:
// the field's own), a hexadecimal or binary number with all its digits, a
// whole number without leading zeros; anything else, and a value that is
// no number of the field's kind, as it stands without padding.
QString fieldNotation(const FieldRecord& f, const QString& value, int decimals = -1);

// `shown` stands for `value` in field `f`: texts (strings, IP addresses)
// the same apart from padding; whole numbers (decimal, hexadecimal,
// binary) the same number in the field's base; floats and options the same
// number to the last decimal `shown` has (showsValue).
bool holdsSameValue(const FieldRecord& f, const QString& shown, const QString& value);

}  // namespace zh
