#include "field_snapshot.h"

#include <algorithm>

#include "field_table.h"

namespace zh {

FieldSnapshot FieldSnapshot::take(const FieldTable& fields) {
    FieldSnapshot s;
    s.values_.resize(static_cast<std::size_t>(fields.count()) + 1);
    for (int i = 1; i <= fields.count(); ++i) {
        const FieldRecord& f = fields.at(i);
        s.values_[static_cast<std::size_t>(i)] = {f.Content, f.RawVal, f.BaseValue, f.GadUnit, f.GadStatus, f.ColorIndx};
    }
    return s;
}

void FieldSnapshot::restore(FieldTable& fields) const {
    const int n = std::min<int>(fields.count(), static_cast<int>(values_.size()) - 1);
    for (int i = 1; i <= n; ++i) {
        FieldRecord& f = fields.at(i);
        const Values& v = values_[static_cast<std::size_t>(i)];
        f.Content = v.Content;
        f.RawVal = v.RawVal;
        f.BaseValue = v.BaseValue;
        f.GadUnit = v.GadUnit;
        f.GadStatus = v.GadStatus;
        f.ColorIndx = v.ColorIndx;
    }
}

}  // namespace zh
