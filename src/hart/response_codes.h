#pragma once
// What a device means by the response code of its answer (the first status
// byte when its bit 7 is clear), in words for the person at the tool.

#include <QString>

namespace zh {

// "write protected (7)", "command not implemented (64)", ...; a code no
// table names is "response code N".
QString responseCodeText(int code);

// The field device status (second status byte) in words, most serious
// first: "malfunction, cold start"; "" for 0.
QString deviceStatusText(int status);

}  // namespace zh
