#pragma once
// The connection probe: the program started once more as "<program> Connect
// <port>", so that a modem that hangs in the serial driver hangs that
// process, not the window. Waited for with a time-out and killed after it.

#include <QString>
#include <QStringList>

namespace zh {

class Dialogs;

class ConnectionProbe {
  public:
    enum class Outcome { Ended, TimedOut, NotStarted, Cancelled };

    virtual ~ConnectionProbe() = default;
    // Runs one probe on `port`, waiting at most `timeoutMs`.
    virtual Outcome run(const QString& port, int timeoutMs) = 0;

    // The polling address the probe asks for (0 until set).
    void setPollingAddress(int address) { pollingAddress_ = address; }
    int pollingAddress() const { return pollingAddress_; }

  private:
    int pollingAddress_ = 0;
};

// The probe as a child process: `program` with `leadingArguments`, then
// "Connect", the port and, when it is not 0, the polling address. Window
// events are served while it runs; Cancel kills it.
class ProcessProbe final : public ConnectionProbe {
  public:
    ProcessProbe(Dialogs& dialogs, QString program, QStringList leadingArguments = {});
    Outcome run(const QString& port, int timeoutMs) override;

    const QString& program() const { return program_; }

  private:
    Dialogs& dialogs_;
    QString program_;
    QStringList leadingArguments_;
};

}  // namespace zh
