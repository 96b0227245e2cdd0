#pragma once
// The transmitter's sensor configuration behind its device-specific
// commands: the ADC configuration (22 configuration bytes and the nominal
// range; read 141, write 181) and the AGW table (eleven signed 16-bit
// values; read 142, write 182). Their 16-bit values are least significant
// byte first, unlike the universal commands.
//
// Results as for every command routine (universal_commands.h): the
// SendRequest result, 1 for a write while NoWrite is "ON", or
// kResultValueRefused when a field's value does not fit its byte or 16-bit
// item (nothing sent; lastRefusal() names the field).

#include "universal_commands.h"

namespace zh {

class AdcCommands : public CommandRoutines {
  public:
    using CommandRoutines::CommandRoutines;

    // ADCByte0 ... ADCByte21, TNomRangeHigh ("iMBE"), TNomRangeLow ("iMBA").
    int Com1410(int tries);
    // AGW0 ... AGW10; the current ADC reading ("ActADC") is only logged.
    int Com1420(int tries);
    // Command 142 for the live display: only the current ADC reading is
    // taken (response bytes 22-23); the AGW fields keep what they hold.
    int Com1420ActAdc(int tries);
    // The same fields back, in the layout of command 141.
    int Com1810(int tries);
    // AGW0 ... AGW10; the ActADC word of the request is always 0.
    int Com1820(int tries);
};

}  // namespace zh
