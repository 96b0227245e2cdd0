#include "field_table.h"

namespace zh {

FieldTable::FieldTable() {
    records_.reserve(400);
    records_.emplace_back();  // header record
}

int FieldTable::fieldIndexOf(const QString& name) {
    const auto it = map_.constFind(name);
    if (it != map_.constEnd()) return *it;
    // Grown in steps so that the usual table of some 300 fields needs no
    // copying while it is defined.
    if (records_.size() == records_.capacity()) records_.reserve(records_.size() + 101);
    const int index = static_cast<int>(records_.size());
    records_.emplace_back();
    map_.insert(name, index);
    return index;
}

int FieldTable::find(const QString& name) const {
    return map_.value(name, -1);
}

void FieldTable::beginPass() {
    packed_.clear();
    definedNames_.clear();
}

int FieldTable::appendPackedEntry(PackedEntry entry) {
    entry.Position = static_cast<int>(packed_.size()) + 1;
    packed_.push_back(std::move(entry));
    return packed_.back().Position;
}

}  // namespace zh
