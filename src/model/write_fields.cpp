#include "write_fields.h"

#include "device_model.h"
#include "device_types.h"
#include "field_twins.h"
#include "hart/display_blocks.h"
#include "read_write_sequences.h"

namespace zh {
namespace {

struct Follower {
    const char* name;
    const char* leader;
};

// Fields that show another field's value in another place; a write takes
// the value from the leader.
constexpr Follower kFollowers[] = {
    {"TMeasRangeHigh", "UpperRangeVal"}, {"TMeasRangeLow", "LowerRangeVal"},
    {"DspMBE", "UpperRangeVal"},         {"DspMBA", "LowerRangeVal"},
    {"TempUpper", "UpperRangeVal"},      {"TempLower", "LowerRangeVal"},
    {"SerialNoZEL2", "SerialNoZEL"},
};

}  // namespace

QStringList fieldsAWriteSends(const DeviceModel& m, bool transmitter, bool display) {
    QStringList names;
    if (transmitter) {
        for (const QString& f : segment1Fields() + segment2Fields())
            if (leaderOf(f).isEmpty()) names << f;
        // The display selection of the transmitter's part (CmbSelCmd) rides
        // along in its record but never goes out.
        names.removeAll(QStringLiteral("CmbSelCmd"));
        names << QStringLiteral("LowerRangeVal") << QStringLiteral("UpperRangeVal")
              << QStringLiteral("Unit") << QStringLiteral("Damping");
        for (const QString& item : optionMapOf(m.selection.DevIndx).split(QLatin1Char(';')))
            if (!item.trimmed().isEmpty()) names << item.section(QLatin1Char('='), 0, 0).trimmed();
    }
    if (display) {
        for (int block : writableBlocks())
            for (const QString& f : blockFieldsTaken(block))
                if (leaderOf(f).isEmpty()) names << f;
        // The module's measurand is the data's measurand, whatever a file says.
        names.removeAll(QStringLiteral("UnitType"));
    }
    names.removeDuplicates();
    return names;
}

QString leaderOf(const QString& name) {
    for (const Follower& f : kFollowers)
        if (name.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0)
            return QLatin1String(f.leader);
    return isTwinCopy(name) ? twinOf(name) : QString();
}

QString notWrittenText(const QStringList& names) {
    QStringList missing;
    QStringList parts;
    for (const QString& name : names) {
        const QString leader = leaderOf(name);
        if (leader.isEmpty())
            missing << name;
        else
            parts << name + QStringLiteral(" follows ") + leader;
    }
    if (!missing.isEmpty())
        parts.prepend(QStringLiteral("the device has no ") + missing.join(QStringLiteral(", ")));
    return parts.join(QStringLiteral("; "));
}

}  // namespace zh
