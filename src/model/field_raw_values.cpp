#include "field_raw_values.h"

#include "device_model.h"

namespace zh {

QString FieldRawValues::rawValue(const QString& field) const {
    const int i = model_.fields.find(field);
    return i < 0 ? QString() : model_.fields.at(i).RawVal;
}

void FieldRawValues::setRawValue(const QString& field, const QString& value,
                                 const QString& wireName) {
    // A value from the device is kept even for a name the table does not
    // define yet, as every lookup by name does.
    FieldRecord& r = model_.fields[field];
    r.RawVal = value;
    r.Interface = wireName;
    stored_.insert(field);
}

int FieldRawValues::colourIndex(const QString& field) const {
    const int i = model_.fields.find(field);
    return i < 0 ? -1 : model_.fields.at(i).ColorIndx;
}

}  // namespace zh
