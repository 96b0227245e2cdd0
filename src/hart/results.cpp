#include "results.h"

namespace zh {

QString resultText(int result) {
    switch (result) {
        case kResultOk:
            return QStringLiteral("done");
        case kResultInvalidHandle:
            return QStringLiteral("not connected");
        case kResultResource:
            return QStringLiteral("HART interface busy");
        case kResultCommunication:
            return QStringLiteral("communication error");
        case kResultNoResponse:
            return QStringLiteral("no answer from the device");
        case kResultDisconnected:
            return QStringLiteral("the modem was disconnected");
        case kResultCancelled:
            return QStringLiteral("cancelled");
        case kResultValueRefused:
            return QStringLiteral("a value was refused, nothing sent");
        case kResultRefused:
            return QStringLiteral("refused by the device");
        case kResultWithheld:
            return QStringLiteral("not sent, the device is not one of ours");
        case kResultNotSent:
            return QStringLiteral("not sent, writing is switched off");
        case kResultWrongInterfaceVersion:
            return QStringLiteral("the display module speaks another interface version");
        case kResultInvalidConfiguration:
            return QStringLiteral("unknown configuration");
        case kResultStoreFailed:
            return QStringLiteral("written but not stored");
        case kResultNotConnected:
            return QStringLiteral("no connection");
        case kResultPartMissing:
            return QStringLiteral("the device lacks the part asked for");
        case kResultOtherDevice:
            return QStringLiteral("the data are for another device");
        case kResultDryRun:
            return QStringLiteral("dry run, nothing sent");
        case kResultNoProfileUnits:
            return QStringLiteral("the profile gives no units");
        default:
            return QStringLiteral("HART interface error ") + QString::number(result);
    }
}

}  // namespace zh
