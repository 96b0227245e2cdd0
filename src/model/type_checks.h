#pragma once
// The checks of a finished entry by the field's type: the entry against its
// character set, its digits and decimals, its minimum and maximum and the
// attribute words ("nocheck", "notzero", "blankvalid", "mustfill",
// "leadzero"). Every check answers with the accepted (normalised) value, or
// that the user chose to correct the entry, or that the entry is to be
// undone. A bad entry is reported in a message box
// titled "Data input". The window checks what is typed with them, the
// writes what they send, and the data-file load what a file holds.

#include <QString>
#include <utility>

namespace zh {

struct FieldRecord;
struct Program;

// What a check made of an entry.
class CheckResult {
  public:
    enum class Verdict { Accepted, Correct, Undo };

    // The value accepted: a check returns the value it accepts as it is.
    CheckResult(QString value) : value_(std::move(value)) {}
    // The entry stays for the user to correct it.
    static CheckResult correct() { return CheckResult(Verdict::Correct); }
    // The entry is undone.
    static CheckResult undo() { return CheckResult(Verdict::Undo); }
    // A message box answered "ok" (correct) or anything else (undo).
    static CheckResult ofAnswer(const QString& answer) {
        return answer == QLatin1String("ok") ? correct() : undo();
    }

    Verdict verdict() const { return verdict_; }
    bool failed() const { return verdict_ != Verdict::Accepted; }
    // The value accepted; "" when the check failed.
    const QString& value() const { return value_; }

  private:
    explicit CheckResult(Verdict verdict) : verdict_(verdict) {}
    Verdict verdict_ = Verdict::Accepted;
    QString value_;
};

// The arguments every check takes: the entry and the field's definition.
struct CheckArgs {
    QString text;
    QString params;
    QString attributes;
    QString name;
    QString descr;  // label used in the messages; the name when empty
    // False: a bad value is only logged and answered with Correct (values
    // the program shows, which nobody has just typed).
    bool ask = true;
};

// Also for combo boxes (`isString` false: no length limit).
CheckResult checkString(Program& p, const CheckArgs& a, bool isString = true);
CheckResult checkFloat(Program& p, const CheckArgs& a);
CheckResult checkNumber(Program& p, const CheckArgs& a);
CheckResult checkHex(Program& p, const CheckArgs& a);
CheckResult checkBinary(Program& p, const CheckArgs& a);
CheckResult checkIpAddress(Program& p, const CheckArgs& a);

// Shows "(label=entry): message detail" with OK and Cancel: Correct when
// the user chose to correct the entry, else Undo.
CheckResult rejectEntry(Program& p, const CheckArgs& a, const char* message, const QString& detail);

// The check of field `f`'s type for `text` (checkboxes pass unchecked); the
// messages name the field by `caption`, or by its name when that is empty.
CheckResult checkByType(Program& p, const FieldRecord& f, const QString& caption,
                        const QString& text, bool ask = true);

// Field 1 of float parameters: n integer digits and m decimals (-1: free).
struct FloatFormat {
    int digits = 999;
    int decimals = 0;
};
FloatFormat floatFormat(const QString& params);

}  // namespace zh
