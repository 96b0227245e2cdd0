#pragma once
// Small text tools for the list strings fields and profiles carry:
// "text=value;" combobox lists, "[unit]" brackets, ";"-separated lists.

#include <QString>

namespace zh {

// Combobox lists: either "text=value;..." items or plain "a;b;c" items.
// listTextOf returns the text for `value` (for a plain list the item at
// position `value`); listValueOf the value for `text` (a text with "[...]"
// is compared by the part inside the brackets). Not found: "" and -1.
QString listTextOf(const QString& list, int value);
int listValueOf(const QString& list, const QString& text);

// The text between the first `open` and the following `close` ("" if either is missing).
QString bracketTextOf(const QString& s, const QString& open, const QString& close);
// open + bracketTextOf + close, or "" when that text is empty.
QString bracketPartOf(const QString& s, const QString& open, const QString& close);
// With an empty `sep`: `item` occurs in `s`; otherwise one `sep`-field of `s` equals `item`.
bool isInList(const QString& s, const QString& item, const QString& sep);
// 0 for an empty text, else the number of separators once a trailing one is ensured.
int countFields(const QString& s, const QString& sep);
// Field `n` (1-based) of `s` split at `sep`; "" past the end.
QString stringFieldOf(const QString& s, int n, const QString& sep);

}  // namespace zh
