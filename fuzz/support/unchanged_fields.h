#pragma once
// Whether a field table still holds the values of a snapshot: the check
// for the loaders that promise to change nothing when they refuse.

#include "model/field_snapshot.h"
#include "model/field_table.h"

namespace zh::fuzz {

inline bool unchangedFields(const FieldTable& fields, const FieldSnapshot& before,
                            int countBefore) {
    if (fields.count() != countBefore) return false;
    for (int i = 1; i <= fields.count(); ++i) {
        const FieldSnapshot::Values* v = before.at(i);
        const FieldRecord& f = fields.at(i);
        if (!v || v->Content != f.Content || v->RawVal != f.RawVal || v->BaseValue != f.BaseValue ||
            v->GadUnit != f.GadUnit || v->GadStatus != f.GadStatus || v->ColorIndx != f.ColorIndx)
            return false;
    }
    return true;
}

}  // namespace zh::fuzz
