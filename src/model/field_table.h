#pragma once
// The field table: every field record of the program, addressed by name or
// by further keys the window gives a record (addKey). Indices are handed
// out once, when a name is first seen, and never change or get reused, so
// callers may keep them. The table also keeps, per definition pass, the
// ordered list of the shown fields (the packed record) and the list of
// defined names.

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

#include "field_record.h"

namespace zh {

// One shown field as it was defined in the current pass. The list keeps
// the field list's order, which packed records and data files rely on.
struct PackedEntry {
    int Position = 0;  // 1-based
    QString Name, Type, Default, Params, Attributes, Access, Visibility, Content, GadUnit;
    QString RawVal;
    QString DefinedContent;  // Content when the field was defined
    QString BaseUnit, GadTTip;
    Conversion CheckProc = Conversion::None;
};

class FieldTable {
  public:
    FieldTable();

    // The index of `name`; an unknown name gets a new empty record.
    int fieldIndexOf(const QString& name);
    // Lookups that never create a record: -1 when unknown. For checks that
    // must notice a wrong name instead of making it up.
    int find(const QString& name) const;
    bool contains(const QString& name) const { return find(name) >= 0; }

    FieldRecord& at(int index) { return records_[index]; }
    const FieldRecord& at(int index) const { return records_[index]; }
    // The record of `name`, created when unknown.
    FieldRecord& operator[](const QString& name) { return records_[fieldIndexOf(name)]; }

    // Records in use (indices 1 .. count()).
    int count() const { return static_cast<int>(records_.size()) - 1; }

    // Adds `key` as a further name of record `index`.
    void addKey(const QString& key, int index) { map_.insert(key, index); }

    // Definition passes.
    void beginPass();
    void appendDefinedName(const QString& name) { definedNames_ += name + QLatin1Char(';'); }
    int appendPackedEntry(PackedEntry entry);  // returns the entry's position

    const std::vector<PackedEntry>& packedEntries() const { return packed_; }
    // Every field name followed by ";" in definition order.
    const QString& definedNames() const { return definedNames_; }

  private:
    std::vector<FieldRecord> records_;  // records_[0] is the header
    QHash<QString, int> map_;
    std::vector<PackedEntry> packed_;
    QString definedNames_;
};

}  // namespace zh
