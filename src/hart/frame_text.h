#pragma once
// One HART frame in words, one line for the log: the frame monitor shows
// every request the program sends and every answer it receives this way.
//
//   --> long request (0x82), to manufacturer 0x26 device type 0x7A device id 0x000123,
//       primary master, command 1, 0 bytes, check byte ok
//   <-- short response (0x06), from polling address 0, primary master, command 0,
//       14 bytes, no error, device ok, data FE 26 7A ..., check byte ok

#include <QString>
#include <cstddef>
#include <cstdint>

namespace zh {

// `sent`: the program put the frame on the line ("-->"), else it came from
// the line ("<--"). `bytes` may start with preambles. `note` (may be empty)
// is appended in brackets: why a received frame was not taken.
QString frameText(bool sent, const std::uint8_t* bytes, std::size_t size,
                  const QString& note = QString());

// The first status byte of an answer: "no error", a response code in words,
// or with bit 7 set the communication errors the device found in the request.
QString responseStatusText(std::uint8_t status1);
// The second status byte: "device ok" or its set bits in words.
QString deviceStatusText(std::uint8_t status2);

}  // namespace zh
