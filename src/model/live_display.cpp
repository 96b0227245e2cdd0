#include "live_display.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/dialogs.h"
#include "app/presence.h"
#include "app/program.h"
#include "app/test_mode.h"
#include "hart/adc_commands.h"
#include "hart/hart_session.h"
#include "hart/wire_values.h"
#include "model/device_model.h"
#include "model/list_text.h"
#include "model/read_write_sequences.h"
#include "model/scaling.h"

namespace zh {

namespace {

// Block 89, the display module's live block: the read-out's characters,
// the decimals, the dot pattern (bit 6: minus), the switch states (bit 0
// switch 1, bit 2 switch 2) and the converter value, least significant
// byte first.
constexpr int kTextOffset = 1, kTextLength = 4, kDecimalsOffset = 7, kDotsOffset = 8,
              kSwitchOffset = 10, kAdOffset = 11;
constexpr std::uint8_t kMinusBit = 0x40;

bool isNumberChar(QChar c) {
    return c.isDigit() || c == QLatin1Char(',') || c == QLatin1Char('.') || c == QLatin1Char('-');
}

std::uint8_t byteAt(const QByteArray& b, int i) {
    return i < b.size() ? static_cast<std::uint8_t>(b.at(i)) : 0;
}

}  // namespace

QString formatReadOut(const QString& text, int pars,
                      const std::function<QString(const QString&)>& translate) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return QString();
    if (std::none_of(t.begin(), t.end(), isNumberChar)) return translate(t);
    int start = 0;
    while (start < t.size() && !isNumberChar(t.at(start))) ++start;
    const QString prefix = start > 0 ? translate(t.left(start)) : QString();
    QString number = t.mid(start);
    const int d = std::abs(pars);
    // The point stands before the last d digits; a read-out shorter than
    // that keeps its digits as they are.
    if (d >= 1 && d <= 3 && number.size() > d)
        number = number.left(number.size() - d) + QLatin1Char('.') + number.right(d);
    if (pars < 0) number.prepend(QLatin1Char('-'));
    return prefix + number;
}

LiveDisplay::LiveDisplay(DeviceModel& model, HartSession& session, DeviceSequences& sequences)
    : m_(model), session_(session), sequences_(sequences) {}

QString LiveDisplay::translate(const QString& text) {
    if (text != lastWord_) {
        Program& p = m_.program;
        lastWord_ = text;
        lastTranslation_ = p.profile.readProfile(QStringLiteral("DisplayTranslation"), text, text,
                                                 p.state.ProfilePath);
    }
    return lastTranslation_;
}

void LiveDisplay::setField(const char* name, const QString& raw) {
    const int i = m_.fields.find(QLatin1String(name));
    if (i < 0) return;
    FieldRecord& f = m_.fields.at(i);
    f.RawVal = raw;
    if (f.CheckProc == Conversion::None || raw.isEmpty()) {
        f.Content = raw;
        return;
    }
    const QString shown = applyConversion(m_, f.CheckProc, raw, f.Name, ConvertTo::Content);
    f.Content = shown.section(QLatin1Char('['), 0, 0);
}

bool LiveDisplay::testMode() const {
    return isTestMode(m_.program.state.TestMode.toUpper());
}

bool LiveDisplay::startDynDisplay(Presence target) {
    Program& p = m_.program;
    AppState& s = p.state;
    p.log.debugLog(QStringLiteral(">>> StartDynDisplay()"), 3);
    if (testMode()) {
        // Values come from the "Test input" window, not from a device.
        s.ConnectionState = 1;
        s.DynamicDisplayOn = true;
        session_.LinkOpen = 1;
        if (hooks.setTestLimits)
            hooks.setTestLimits(static_cast<int>(std::lround(m_.cal.CalADlow)),
                                static_cast<int>(std::lround(m_.cal.CalADhi)));
        lastTestAD_ = -1;
        return true;
    }
    const auto fail = [&] {
        s.DynamicDisplayOn = false;
        if (s.ConnectionState != 0) session_.disconnectDevice();
        s.ConnectionState = 0;
        session_.LinkOpen = 0;
        return false;
    };
    if (s.ConnectionState == 0) {
        const bool connected = session_.connectDevice() == 1;
        sequences_.checkDeviceOfData();
        if (!connected) return fail();
        s.ConnectionState = 1;
    }
    if (s.DataTrigger < 0) {
        if (sequences_.readDevice(target) != 0) return fail();
        s.DataChanged = true;  // a connect's read asks to be saved
    }
    p.dialogs.progressClose();
    s.DynamicDisplayOn = true;
    return true;
}

void LiveDisplay::stopDynDisplay() {
    Program& p = m_.program;
    AppState& s = p.state;
    p.log.debugLog(QStringLiteral(">>> StopDynDisplay()"), 3);
    s.DynamicDisplayOn = false;
    next_ = PollStep::Begin;
    if (testMode())
        session_.LinkOpen = 0;  // no port was opened
    else if (s.ConnectionState != 0)
        session_.disconnectDevice();
    s.ConnectionState = 0;
    state.Switch1 = state.Switch2 = -1;
    state.DisplayText.clear();
    state.DisplayPars.clear();
    state.PrimaryValue = state.LoopCurrent = std::numeric_limits<double>::quiet_NaN();
    state.PrimaryUnit.clear();
    displayMeasuredValue(QString(), QString(), QString());
}

// One cycle: the module's live block ("display"), the transmitter's
// values ("transmitter"), or both, the module first. The window is
// refreshed once, after the cycle, when anything came in.
void LiveDisplay::updateLiveDisplay() {
    next_ = PollStep::Begin;
    while (!pollStep()) {
    }
}

bool LiveDisplay::pollStep() {
    // A command between two exchanges may have ended the connection.
    const AppState& s = m_.program.state;
    if (!s.DynamicDisplayOn || s.ConnectionState == 0) next_ = PollStep::Begin;
    if (next_ == PollStep::Begin) next_ = beginPoll();
    if (next_ == PollStep::Begin) return true;  // nothing to poll
    if (next_ != PollStep::End) {
        // The window is refreshed after the poll, not by each of its exchanges.
        inCycle_ = true;
        next_ = runStep(next_);
        inCycle_ = false;
        // The exchanges left would fail unsent.
        if (session_.modemLost()) next_ = PollStep::End;
    }
    return next_ == PollStep::End ? endPoll() : false;
}

LiveDisplay::PollStep LiveDisplay::beginPoll() {
    Program& p = m_.program;
    received_ = false;
    if (!p.state.DynamicDisplayOn) return PollStep::Begin;
    // A modem lost during another operation was reported there.
    if (session_.modemLost()) {
        stopDynDisplay();
        return PollStep::Begin;
    }
    if (p.state.ConnectionState == 0) return PollStep::Begin;
    p.log.debugLog(QStringLiteral(">>> UpdDynDisplay()"), 6);
    if (testMode()) {
        inCycle_ = true;
        simulateValue();
        inCycle_ = false;
        received_ = true;
        return PollStep::End;
    }
    const Presence config = parsePresence(p.state.TransmDisplay.toLower());
    alone_ = config == Presence::Transmitter;
    both_ = !alone_ && config != Presence::Display;
    return alone_ ? PollStep::PrimaryValue : PollStep::Display;
}

// Runs the exchange of `step`; returns the step that follows it. The
// transmitter's part is its primary value (command 1), in table mode its
// converter reading (command 142) and the loop current (command 2); with
// no display module (`alone_`) the read-out shows the primary value.
LiveDisplay::PollStep LiveDisplay::runStep(PollStep step) {
    switch (step) {
        case PollStep::Display:
            received_ = pollDisplay() || received_;
            return both_ ? PollStep::PrimaryValue : PollStep::End;
        case PollStep::PrimaryValue: {
            if (!pollPrimaryValue(alone_)) return PollStep::End;
            received_ = true;
            const int i = m_.fields.find(QStringLiteral("CalcMethod"));
            const bool table = i >= 0 && m_.fields.at(i).RawVal.trimmed() == QLatin1String("1");
            return table ? PollStep::TransmitterAD : PollStep::LoopCurrent;
        }
        case PollStep::TransmitterAD:
            pollTransmitterAD(alone_);
            return PollStep::LoopCurrent;
        case PollStep::LoopCurrent:
            pollLoopCurrent();
            return PollStep::End;
        case PollStep::Begin:
        case PollStep::End:
            break;
    }
    return PollStep::End;
}

// The poll is over (or none ran): a lost modem ends the live display,
// else what came in is shown.
bool LiveDisplay::endPoll() {
    Program& p = m_.program;
    next_ = PollStep::Begin;
    if (session_.modemLost()) {
        stopDynDisplay();
        p.messages.showMessageBox(QStringLiteral("Error"),
                                  session_.progress().errorText(kResultDisconnected, QString()),
                                  mb::Ok | mb::IconError);
        return true;
    }
    if (received_) shown();
    return true;
}

void LiveDisplay::shown() {
    if (!inCycle_ && hooks.showValues) hooks.showValues();
}

bool LiveDisplay::pollDisplay() {
    Program& p = m_.program;
    DisplayBlocks& blocks = sequences_.blocks();
    const int r = blocks.readBlock(89, 1);
    if (r != 0) {
        p.log.debugLog(QStringLiteral("C190_089_Response returned=") + QString::number(r), 1);
        return false;
    }
    showLiveBlock();
    return true;
}

// The last live block read (by a poll or a read of the device), shown as
// the module shows it, without asking the device again.
void LiveDisplay::showLiveBlock() {
    Program& p = m_.program;
    const QByteArray b = sequences_.blocks().image(89);
    if (b.size() <= kAdOffset + 1 || static_cast<std::uint8_t>(b.at(0)) != 89) return;
    const QString text = QString::fromLatin1(b.mid(kTextOffset, kTextLength)).remove(QChar(0));
    state.Switch1 = byteAt(b, kSwitchOffset) & 0x01 ? 1 : 0;
    state.Switch2 = byteAt(b, kSwitchOffset) & 0x04 ? 1 : 0;
    const qint16 ad =
        qFromLittleEndian<qint16>(reinterpret_cast<const uchar*>(b.constData()) + kAdOffset);
    QString pars = (byteAt(b, kDotsOffset) & kMinusBit) ? QStringLiteral("-") : QString();
    pars += QString::number(byteAt(b, kDecimalsOffset));
    displayMeasuredValue(text, QString::number(ad), pars);
    p.log.debugLog(QStringLiteral("DynDisplay=") + text + QStringLiteral(" sw0=") +
                       QString::number(state.Switch1) + QStringLiteral(" sw1=") +
                       QString::number(state.Switch2) + QStringLiteral(" dispvalpars=") + pars,
                   4);
}

// Whether universal command `command`, sent with result `result`, was
// answered with success and at least `size` bytes; a poll that was not is
// logged with the library's result or the device's response code.
bool LiveDisplay::answered(int result, int command, int size) {
    const int code = result != 0 ? result : session_.ResCode1;
    if (code == 0 &&
        sequences_.universal().buffers(static_cast<std::uint8_t>(command)).response.size() >= size)
        return true;
    m_.program.log.debugLog(
        QStringLiteral("C%1_Response returned=").arg(command) + QString::number(code), 1);
    return false;
}

bool LiveDisplay::pollPrimaryValue(bool alone) {
    UniversalCommands& u = sequences_.universal();
    if (!answered(u.Com1(1), 1, 5)) return false;
    const QByteArray pv = u.buffers(1).response;
    state.PrimaryValue = nativeFloatAt(pv, 1);  // decoded in place by the command
    state.PrimaryUnit = listTextOf(m_.cal.HartUnitsList, byteAt(pv, 0));
    if (!alone) return true;
    state.Switch1 = state.Switch2 = 0;
    state.ActADvalue = 0;
    state.OnlineLit = !state.OnlineLit;
    state.DisplayText = QString::number(state.PrimaryValue, 'f', 2);
    const QString unit = state.PrimaryUnit;
    state.Shown = state.DisplayText +
                  (unit.isEmpty() ? QString() : QStringLiteral(" [") + unit + QLatin1Char(']'));
    setField("Display", state.DisplayText);
    return true;
}

bool LiveDisplay::pollTransmitterAD(bool alone) {
    Program& p = m_.program;
    AdcCommands& adc = sequences_.adc();
    int r = adc.Com1420ActAdc(1);
    const QByteArray b = adc.buffers(142).response;
    if (r == 0 && (session_.ResCode1 != 0 || b.size() < 24))
        r = session_.ResCode1 ? session_.ResCode1 : kResultUnusableAnswer;
    p.log.debugLog(QStringLiteral("C1420_Response returned=") + QString::number(r), r == 0 ? 4 : 1);
    if (r != 0) return false;
    state.TransmitterAD = getLE16Signed(b, 22);
    if (alone) state.ActADvalue = state.TransmitterAD;
    return true;
}

void LiveDisplay::pollLoopCurrent() {
    Program& p = m_.program;
    UniversalCommands& u = sequences_.universal();
    if (!answered(u.Com2(1), 2, 4)) return;
    const QByteArray current = u.buffers(2).response;
    state.LoopCurrent = nativeFloatAt(current, 0);
    p.log.debugLog(QStringLiteral("DynDisplay=") + QString::number(state.PrimaryValue, 'f', 2) +
                       QStringLiteral(" Current=") + QString::number(state.LoopCurrent, 'f', 2) +
                       QStringLiteral(" [mA]"),
                   4);
}

// Test mode: the converter value comes from the "Test input" window, from
// whichever of its two controls the person changed last (the text field
// when both changed), and is shown as the module would show it.
void LiveDisplay::simulateValue() {
    const TestInput input = hooks.readTestInput ? hooks.readTestInput() : TestInput{};
    bool typed = false;
    const int fromText = input.text.trimmed().toInt(&typed);
    const int fromSlider = input.slider;
    // The converter value is a signed 16-bit number.
    const int ad = std::clamp(
        typed && (fromText != lastTestAD_ || fromSlider == lastTestAD_) ? fromText : fromSlider,
        -32768, 32767);
    const QString value = applyConversion(m_, Conversion::ADToMeasurand, QString::number(ad),
                                          QStringLiteral("Display"), ConvertTo::Content)
                              .section(QLatin1Char('['), 0, 0)
                              .trimmed();
    // The module's read-out: its digits, and the decimals and sign apart.
    QString digits = value;
    const bool negative = digits.startsWith(QLatin1Char('-'));
    if (negative) digits.remove(0, 1);
    const int point = digits.indexOf(QLatin1Char('.'));
    const int decimals = point < 0 ? 0 : static_cast<int>(digits.size()) - point - 1;
    digits.remove(QLatin1Char('.'));
    const bool numeric = !digits.isEmpty() && std::all_of(digits.begin(), digits.end(),
                                                          [](QChar c) { return c.isDigit(); });
    displayMeasuredValue(
        numeric ? digits : value, QString::number(ad),
        (negative ? QStringLiteral("-") : QString()) + QString::number(numeric ? decimals : 0));
}

void LiveDisplay::displayMeasuredValue(const QString& text, const QString& adText,
                                       const QString& pars) {
    Program& p = m_.program;
    p.log.debugLog(QStringLiteral(">>> DispMVal(displayvalp.s=") + text +
                       QStringLiteral(", displayadvalp.s=") + adText + QLatin1Char(')'),
                   6);
    state.DisplayText = text.trimmed();
    state.DisplayPars = pars;
    bool parsOk = false;
    const int d = pars.toInt(&parsOk);
    state.Shown =
        formatReadOut(text, parsOk ? d : 0, [this](const QString& t) { return translate(t); });
    if (!state.DisplayText.isEmpty()) state.OnlineLit = !state.OnlineLit;

    bool adOk = false;
    const int ad = adText.trimmed().toInt(&adOk);
    // The trailing pointers follow the converter value while the module
    // shows a number; an error word ("Er12") leaves them. An empty pointer
    // starts from the first value.
    const bool numeric = !state.DisplayText.isEmpty() && isNumberChar(state.DisplayText.at(0));
    if (adOk) {
        state.ActADvalue = ad;
        if (numeric) {
            for (const auto& [name, lower] :
                 {std::pair{"LoTrail", true}, std::pair{"HiTrail", false}}) {
                const int i = m_.fields.find(QLatin1String(name));
                if (i < 0) continue;
                bool ok = false;
                const int held = m_.fields.at(i).RawVal.trimmed().toInt(&ok);
                const int next = !ok ? ad : lower ? std::min(held, ad) : std::max(held, ad);
                setField(name, QString::number(next));
            }
        }
    }
    setField("Display", state.Shown);
    setField("ADactRaw", adOk ? QString::number(ad) : QString());
    if (adOk && testMode()) {
        // The "Test input" window follows the value shown.
        if (hooks.showTestValue) hooks.showTestValue(ad);
        lastTestAD_ = ad;
    }
    shown();
}

}  // namespace zh
