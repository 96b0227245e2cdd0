#pragma once
// The values of every field record at one moment, to be put back later:
// a read that fails half way gives back the data set it started from, and a
// rebuild of the window keeps the data shown. Records keep their indices
// when the table is defined anew, so the values go back by index.

#include <QString>
#include <vector>

namespace zh {

class FieldTable;

class FieldSnapshot {
  public:
    static FieldSnapshot take(const FieldTable& fields);
    // Puts the values back into the records that exist (all of them, unless
    // the table shrank).
    void restore(FieldTable& fields) const;
    bool empty() const { return values_.empty(); }
    // Puts the values back only into the records that still hold what
    // `since` holds (raw value and content): what happened in between did
    // not touch them.
    void restoreUntouched(FieldTable& fields, const FieldSnapshot& since) const;

    struct Values {
        QString Content, RawVal, BaseValue, GadUnit, GadStatus;
        short ColorIndx = 0;
    };
    // The values of field `index`, or null when the snapshot has none.
    const Values* at(int index) const {
        return index > 0 && index < static_cast<int>(values_.size())
                   ? &values_[static_cast<std::size_t>(index)]
                   : nullptr;
    }

  private:
    std::vector<Values> values_;  // index = field index; 0 unused
};

}  // namespace zh
