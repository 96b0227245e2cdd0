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
    records_[0].GadInd = index;
    map_.insert(name, index);
    return index;
}

int FieldTable::fieldIndexOfGadget(int gadget) {
    return fieldIndexOf(QString::number(gadget));
}

int FieldTable::find(const QString& name) const {
    return map_.value(name, -1);
}

int FieldTable::findGadget(int gadget) const {
    return find(QString::number(gadget));
}

void FieldTable::beginPass() {
    gadgetList_.clear();
    definedNames_.clear();
}

int FieldTable::appendGadgetEntry(GadgetEntry entry) {
    entry.Position = static_cast<int>(gadgetList_.size()) + 1;
    gadgetList_.push_back(std::move(entry));
    return gadgetList_.back().Position;
}

}  // namespace zh
