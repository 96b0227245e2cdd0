#include "field_snapshot.h"

#include <algorithm>

#include "field_table.h"

namespace zh {

FieldSnapshot FieldSnapshot::take(const FieldTable& fields) {
    FieldSnapshot s;
    s.values_.resize(static_cast<std::size_t>(fields.count()) + 1);
    for (int i = 1; i <= fields.count(); ++i) {
        const FieldRecord& f = fields.at(i);
        s.values_[static_cast<std::size_t>(i)] = {f.Content, f.RawVal,    f.BaseValue,
                                                  f.GadUnit, f.GadStatus, f.ColorIndx};
    }
    return s;
}

namespace {

void put(FieldRecord& f, const FieldSnapshot::Values& v) {
    f.Content = v.Content;
    f.RawVal = v.RawVal;
    f.BaseValue = v.BaseValue;
    f.GadUnit = v.GadUnit;
    f.GadStatus = v.GadStatus;
    f.ColorIndx = v.ColorIndx;
}

}  // namespace

void FieldSnapshot::restore(FieldTable& fields) const {
    const int n = std::min<int>(fields.count(), static_cast<int>(values_.size()) - 1);
    for (int i = 1; i <= n; ++i) put(fields.at(i), values_[static_cast<std::size_t>(i)]);
}

void FieldSnapshot::restoreUntouched(FieldTable& fields, const FieldSnapshot& since) const {
    const int n = std::min<int>(fields.count(), static_cast<int>(values_.size()) - 1);
    for (int i = 1; i <= n; ++i) {
        const Values* then = since.at(i);
        FieldRecord& f = fields.at(i);
        if (then && f.RawVal == then->RawVal && f.Content == then->Content)
            put(f, values_[static_cast<std::size_t>(i)]);
    }
}

}  // namespace zh
