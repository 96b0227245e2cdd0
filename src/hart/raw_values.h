#pragma once
// How the HART commands reach the device values they send and receive:
// the raw value text of a named field. The command codecs see the field
// table only through this interface (the model implements it), so they can
// be tested byte for byte against a plain map.

#include <QHash>
#include <QString>

namespace zh {

class RawValues {
  public:
    virtual ~RawValues() = default;
    // The raw value text of `field` ("" for an unknown field).
    virtual QString rawValue(const QString& field) const = 0;
    // Stores a value read from the device; `wireName` names the wire item
    // it came from ("ADCByte0", "mp_SP_1") and becomes the field's Interface.
    virtual void setRawValue(const QString& field, const QString& value,
                             const QString& wireName) = 0;
    // The field's colour state, for the colour of its log line (-1: none).
    virtual int colourIndex(const QString& field) const = 0;
};

// A plain map, for tests and for tools without a field table.
class RawValueMap final : public RawValues {
  public:
    QString rawValue(const QString& field) const override { return values.value(field); }
    void setRawValue(const QString& field, const QString& value, const QString& wireName) override {
        values.insert(field, value);
        wireNames.insert(field, wireName);
    }
    int colourIndex(const QString&) const override { return -1; }

    QHash<QString, QString> values;
    QHash<QString, QString> wireNames;
};

}  // namespace zh
