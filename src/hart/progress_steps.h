#pragma once
// The progress window's steps as the HART operations show them: the step
// being worked on, the check of its result, retries, and error messages.
// Each returns 1 when the operation must stop (Cancel pressed, or the step
// failed), else 0.

#include <QString>

#include "results.h"

namespace zh {

struct Program;

class ProgressSteps {
  public:
    explicit ProgressSteps(Program& p) : p_(p) {}

    int showStep(const QString& stepName, const QString& text, const QString& detail, int step,
                 int steps);
    // A failed step shows its error until OK is pressed. The last argument,
    // a display time the callers pass, no longer shortens that: an error
    // that vanishes by itself is an error nobody read.
    int checkStep(int result, int okValue, const QString& text, const QString& detail,
                  int wait = -1);
    int showRetry(const QString& text, int attempt, int tries);
    void showErrorMessage(int result, const QString& function, const QString& detail = QString());

    // The message showErrorMessage shows for `result` of `function`.
    QString errorText(int result, const QString& function) const;
    // The last error shown, as shown ("" before the first).
    const QString& lastError() const { return lastError_; }

    // The port the messages name.
    void setPort(const QString& port) { port_ = port; }
    // What the device said when it last refused a request (errorText of
    // kResultRefused).
    void setRefusal(const QString& text) { refusal_ = text; }
    // What went wrong on the line in the last request that failed there
    // ("answer broke off", "bad check byte", "answer with 11 data bytes, 12
    // expected"); "" when the last request did not fail on the line.
    void setLinkFault(const QString& text) { linkFault_ = text; }
    const QString& linkFault() const { return linkFault_; }

  private:
    QString tr(const QString& text) const;
    void showError(const QString& text);

    Program& p_;
    QString port_;
    QString refusal_;
    QString linkFault_;
    QString lastError_;
};

}  // namespace zh
