#pragma once
// Answers this connection already holds. Connecting brings the device's
// identity (command 0), detection reads block 012, block 089 and the
// transmitter's configuration (command 141), and the read that follows
// asks for the same again, 141 and block 012 even twice (block 000 too, for
// a module on its own). At 1200 bit/s
// each of these frames costs 0.5 to 0.7 s of wire time; an answer kept
// here is given again instead.
//
// Kept are only successful answers (response code 0) of the few reads
// listed in answer_cache.cpp, whose data nothing but a write changes; the
// live values (commands 1, 2, 3, 142) always come from the device. Any
// command that is not a plain read forgets every answer, and so does a new
// connection or a disconnect. Answers are given out only while a sequence
// has switched serving on: the live display and single commands always
// ask the device.

#include <QByteArray>
#include <cstdint>
#include <map>

namespace zh {

class AnswerCache {
  public:
    struct Answer {
        QByteArray data;
        std::uint8_t status1 = 0;  // response code
        std::uint8_t status2 = 0;  // field device status
    };

    // Before `command` goes out: a command that may change the device
    // forgets every answer kept.
    void sending(std::uint8_t command);
    // After a successful exchange: keeps the answer when it is one worth
    // keeping.
    void keep(std::uint8_t command, const QByteArray& request, const Answer& answer);
    // The answer kept for `command` with `request` that has `expectedLength`
    // data bytes (0: any length); nullptr when there is none or serving is off.
    const Answer* find(std::uint8_t command, const QByteArray& request, int expectedLength) const;

    void setServing(bool on) { serving_ = on; }
    bool serving() const { return serving_; }
    void clear() { answers_.clear(); }
    bool empty() const { return answers_.empty(); }

  private:
    std::map<QByteArray, Answer> answers_;  // by command byte + request data
    bool serving_ = false;
};

}  // namespace zh
