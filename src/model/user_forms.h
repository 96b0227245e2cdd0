#pragma once
// User forms: integers shown and entered as two numbers joined by a point
// (a version 3.07 stored as 775). Fields take part through an attribute
// "userform1" .. "userform5".

#include <QString>

namespace zh {

struct DeviceModel;

// `mode` "decode" (raw integer -> text) or "encode" (text -> raw integer as
// decimal text); any other mode returns `value` unchanged.
QString Userform(DeviceModel& m, const QString& mode, const QString& value,
                 const QString& attributes);

}  // namespace zh
