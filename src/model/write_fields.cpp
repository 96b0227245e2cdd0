#include "write_fields.h"

#include <algorithm>

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

void keepDataOfParts(DeviceModel& m, Presence parts) {
    m.dataParts =
        parts == Presence::Transmitter || parts == Presence::Display ? parts : Presence::All;
    if (m.dataParts == Presence::All) return;
    const bool transmitter = m.dataParts == Presence::Transmitter;
    const QStringList kept = fieldsAWriteSends(m, transmitter, !transmitter);
    const QStringList other = fieldsAWriteSends(m, !transmitter, transmitter);
    if (m.loadedFields.isEmpty()) {
        for (int i = 1; i <= m.fields.count(); ++i)
            if (!m.fields.at(i).Name.isEmpty()) m.loadedFields << m.fields.at(i).Name;
    }
    m.loadedFields.erase(std::remove_if(m.loadedFields.begin(), m.loadedFields.end(),
                                        [&](const QString& name) {
                                            return other.contains(name) && !kept.contains(name);
                                        }),
                         m.loadedFields.end());
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
