#pragma once
// The checks of a finished entry by the field's type: the entry against its
// character set, its digits and decimals, its minimum and maximum and the
// attribute words ("nocheck", "notzero", "blankvalid", "mustfill",
// "leadzero"). Every check answers with the accepted (normalised) value, or
// "~~Error~~" when the user chose to correct the entry, or "~~Cancel~~"
// when the entry is to be undone. A bad entry is reported in a message box
// titled "Data input". The window checks what is typed with them, the
// writes what they send, and the data-file load what a file holds.

#include <QString>

namespace zh {

struct FieldRecord;
struct Program;

namespace check {
inline const QString kError = QStringLiteral("~~Error~~");
inline const QString kCancel = QStringLiteral("~~Cancel~~");
inline bool failed(const QString& result) {
    return result == kError || result == kCancel;
}
}  // namespace check

// The arguments every check takes: the entry and the field's definition.
struct CheckArgs {
    QString text;
    QString params;
    QString attributes;
    QString name;
    QString descr;  // label used in the messages; the name when empty
    // False: a bad value is only logged and answered with "~~Error~~"
    // (values the program shows, which nobody has just typed).
    bool ask = true;
};

// Also for combo boxes (`isString` false: no length limit).
QString CheckString(Program& p, const CheckArgs& a, bool isString = true);
QString CheckFloat(Program& p, const CheckArgs& a);
QString CheckNumber(Program& p, const CheckArgs& a);
QString CheckHex(Program& p, const CheckArgs& a);
QString CheckBinary(Program& p, const CheckArgs& a);
QString CheckIpAddress(Program& p, const CheckArgs& a);

// Shows "(label=entry): message detail" with OK and Cancel: "~~Error~~"
// when the user chose to correct the entry, else "~~Cancel~~".
QString rejectEntry(Program& p, const CheckArgs& a, const char* message, const QString& detail);

// The check of field `f`'s type for `text` (checkboxes pass unchecked); the
// messages name the field by `caption`, or by its name when that is empty.
QString checkByType(Program& p, const FieldRecord& f, const QString& caption, const QString& text,
                    bool ask = true);

// Field 1 of float parameters: n integer digits and m decimals (-1: free).
struct FloatFormat {
    int digits = 999;
    int decimals = 0;
};
FloatFormat floatFormat(const QString& params);

}  // namespace zh
