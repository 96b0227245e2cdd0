#pragma once
// What a device means by the response code of its answer (the first status
// byte when its bit 7 is clear), in words for the person at the tool.

#include <QString>
#include <QStringList>

namespace zh {

// The response codes the session acts on by itself.
enum ResponseCode : int {
    kResponseBusy = 32,
    kResponseDelayedInitiated = 33,
    kResponseDelayedRunning = 34,
    kResponseDelayedConflict = 36,
    kResponseNotImplemented = 64,
};

// "write protected (7)", "command not implemented (64)", ...; a code no
// table names is "response code N".
QString responseCodeText(int code);
// The same for an answer to `command`, in the words that command gives the
// code ("applied process too high (9)" for command 36).
QString responseCodeText(int code, int command);

// Response codes that come with the command done: 8 "set to nearest
// possible value" / "update failure" and 14 "span too small" for the
// writes, 24..31 the other multi-meaning warnings of the protocol. Every
// other non-zero code says the command was not done.
bool isWarningCode(int code);

// A refusal for the person at the tool: "write protected (7)", and the
// device status after it when it says anything ("write protected (7);
// device status: cold start").
QString refusalText(int code, int status);

// The field device status (second status byte) in words, most serious
// first: "malfunction, cold start"; "" for 0.
QString deviceStatusText(int status);
QStringList deviceStatusWords(int status);

// "; device status: malfunction" for the end of a summary line, "" when the
// device flagged nothing.
QString deviceStatusNote(int status);

// The status as data files keep it: "0x90 (malfunction, more status
// available)", "0x00 (ok)"; and back (-1 for anything else, a key left
// empty or missing included).
QString deviceStatusRecord(int status);
int deviceStatusOfRecord(const QString& record);

}  // namespace zh
