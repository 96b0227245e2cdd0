#include "results.h"

namespace zh {
namespace {

struct ResultName {
    int result;
    const char* text;
};

constexpr ResultName kResultNames[] = {
    {kResultOk, "done"},
    {kResultInvalidHandle, "not connected"},
    {kResultResource, "HART interface busy"},
    {kResultCommunication, "communication error"},
    {kResultNoResponse, "no answer from the device"},
    {kResultInvalidArgument, "invalid argument for the HART interface"},
    {kResultNotSupported, "not supported by the HART interface"},
    {kResultDisconnected, "the modem was disconnected"},
    {kResultCancelled, "cancelled"},
    {kResultValueRefused, "a value was refused, nothing sent"},
    {kResultRefused, "refused by the device"},
    {kResultWithheld, "not sent, the device is not one of ours"},
    {kResultNotSent, "not sent, writing is switched off"},
    {kResultWrongInterfaceVersion, "the display module speaks another interface version"},
    {kResultInvalidConfiguration, "unknown configuration"},
    {kResultStoreFailed, "written but not stored"},
    {kResultNotConnected, "no connection"},
    {kResultPartMissing, "the device lacks the part asked for"},
    {kResultOtherDevice, "the data are for another device"},
    {kResultDryRun, "dry run, nothing sent"},
    {kResultNoProfileUnits, "the profile gives no units"},
};

const char* nameOf(int result) {
    for (const ResultName& r : kResultNames)
        if (r.result == result) return r.text;
    return nullptr;
}

}  // namespace

QString resultText(int result) {
    const char* name = nameOf(result);
    return name ? QString::fromLatin1(name)
                : QStringLiteral("HART interface error ") + QString::number(result);
}

bool hasResultText(int result) {
    return nameOf(result) != nullptr;
}

QString resultWithText(int result) {
    return QStringLiteral("result ") + QString::number(result) + QStringLiteral(": ") +
           resultText(result);
}

}  // namespace zh
