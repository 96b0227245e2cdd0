#pragma once
// The field table as the HART commands see it: raw value texts by field
// name. Values read from the device land in the field's RawVal, and the
// wire item they came from in its Interface.

#include "hart/raw_values.h"

namespace zh {

struct DeviceModel;

class FieldRawValues final : public RawValues {
  public:
    explicit FieldRawValues(DeviceModel& model) : model_(model) {}
    QString rawValue(const QString& field) const override;
    void setRawValue(const QString& field, const QString& value, const QString& wireName) override;
    int colourIndex(const QString& field) const override;

  private:
    DeviceModel& model_;
};

}  // namespace zh
