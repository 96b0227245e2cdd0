#pragma once
// Small text tools for the list strings fields and profiles carry:
// "text=value;" combobox lists, "[unit]" brackets, ";"-separated lists.

#include <QString>

namespace zh {

// Combobox lists: either "text=value;..." items or plain "a;b;c" items.
// ListTextOf returns the text for `value` (for a plain list the item at
// position `value`); ListValueOf the value for `text` (a text with "[...]"
// is compared by the part inside the brackets). Not found: "" and -1.
QString ListTextOf(const QString& list, int value);
int ListValueOf(const QString& list, const QString& text);

// The text between the first `open` and the following `close` ("" if either is missing).
QString BracketText(const QString& s, const QString& open, const QString& close);
// open + BracketText + close, or "" when that text is empty.
QString BracketPart(const QString& s, const QString& open, const QString& close);
// With an empty `sep`: `item` occurs in `s`; otherwise one `sep`-field of `s` equals `item`.
bool InList(const QString& s, const QString& item, const QString& sep);
// 0 for an empty text, else the number of separators once a trailing one is ensured.
int FieldCount(const QString& s, const QString& sep);
// Field `n` (1-based) of `s` split at `sep`; "" past the end.
QString StringField(const QString& s, int n, const QString& sep);

}  // namespace zh
