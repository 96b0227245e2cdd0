#pragma once
// The codes of the universal commands in words: transfer function, alarm
// selection, write protection and the standard bits of the additional
// device status (command 48).

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace zh {

// "linear", "square root", ...; "transfer function N" for one not known.
QString transferFunctionName(int code);
// "high", "low", "hold", "none", ...; "alarm selection N" for one not known.
QString alarmSelectionName(int code);
// "no", "yes", "none"; "write protect N" for one not known.
QString writeProtectName(int code);
// The standard bits of command 48 that are set, in words ("maintenance
// required", "non-volatile memory defect", ...). Bytes 0-5 and 14 onwards
// are the maker's own and are not named.
QStringList additionalStatusWords(const QByteArray& status);

}  // namespace zh
