#pragma once
// The manual inside the program ("?" > "Manual", F1): the user part of the
// README and the manual pages of ZEL-HART, hartsim and hartcmd, from the
// same files the package installs, in a browser window.

#include <QDialog>

class QTextBrowser;
class QTextDocument;

namespace zh {

// Fills `doc` with the whole manual: contents, guide, manual pages.
void fillManual(QTextDocument& doc);

class ManualWindow final : public QDialog {
  public:
    explicit ManualWindow(QWidget* parent);
    QTextBrowser* browser() const { return browser_; }

  private:
    QTextBrowser* browser_;
};

// Shows the manual window of `parent` (one per parent, made on first use)
// under `title` and brings it to the front.
ManualWindow* showManual(QWidget* parent, const QString& title);
// The manual window of `parent`; nullptr before the first showManual.
ManualWindow* manualOf(const QWidget* parent);

}  // namespace zh
