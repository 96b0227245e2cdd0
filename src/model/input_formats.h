#pragma once
// The input format of each field (the "w.d" before the first ';' of its
// parameters) at one moment. Showing a converted value re-derives a field's
// format from the text; a write and its read-back convert values back and
// forth, and must leave the form showing them, and taking input, as before.

#include <QHash>
#include <QString>

namespace zh {

class FieldTable;

class InputFormats {
  public:
    explicit InputFormats(FieldTable& fields);
    // Puts the formats back when the scope ends.
    ~InputFormats();
    InputFormats(const InputFormats&) = delete;
    InputFormats& operator=(const InputFormats&) = delete;

  private:
    FieldTable& fields_;
    QHash<int, QString> formats_;  // field index -> format
};

}  // namespace zh
