#pragma once
// A connection probe that ends at once, for tests about what follows the
// probe (the real one starts the program a second time). It remembers the
// ports it was asked about.

#include <QStringList>

#include "hart/connection_probe.h"

namespace zh::test {

class EndingProbe final : public ConnectionProbe {
  public:
    Outcome run(const QString& port, int) override {
        ports << port;
        return outcome;
    }
    Outcome outcome = Outcome::Ended;
    QStringList ports;
};

}  // namespace zh::test
