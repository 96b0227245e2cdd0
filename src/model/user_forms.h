#pragma once
// User forms: integers shown and entered as two numbers joined by a point
// (a version 3.07 stored as 775). Fields take part through an attribute
// "userform1" .. "userform5".

#include <QString>

namespace zh {

struct DeviceModel;

// Decode: raw integer -> text; Encode: text -> raw integer as decimal
// text. Debug.log names them "decode" and "encode".
enum class FormWay { Decode, Encode };
QString convertUserForm(DeviceModel& m, FormWay way, const QString& value,
                        const QString& attributes);

}  // namespace zh
