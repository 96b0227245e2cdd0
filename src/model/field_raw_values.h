#pragma once
// The field table as the HART commands see it: raw value texts by field
// name. Values read from the device land in the field's RawVal, and the
// wire item they came from in its Interface.

#include <QSet>

#include "hart/raw_values.h"

namespace zh {

struct DeviceModel;

class FieldRawValues final : public RawValues {
  public:
    explicit FieldRawValues(DeviceModel& model) : model_(model) {}
    QString rawValue(const QString& field) const override;
    void setRawValue(const QString& field, const QString& value, const QString& wireName) override;
    int colourIndex(const QString& field) const override;

    // The fields a value from the device was stored into since the last
    // forgetStored() (noteStored adds one the caller set from such a value).
    bool stored(const QString& field) const { return stored_.contains(field); }
    void noteStored(const QString& field) { stored_.insert(field); }
    void forgetStored() { stored_.clear(); }

  private:
    DeviceModel& model_;
    QSet<QString> stored_;
};

}  // namespace zh
