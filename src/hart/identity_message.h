#pragma once
// A device's identity as a message to translate.

#include <QString>

namespace zh {

struct DeviceIdentity;

// identityText as the English pattern with "{...}" placeholders and `rest`
// appended, then the values, TAB-separated (see Messages::lookupMessage).
QString identityMessage(const DeviceIdentity& identity, const QString& tag = QString(),
                        const QString& rest = QString());

}  // namespace zh
