#pragma once
// The window that lists the fields in which the device and a data set
// differ: a table of the fields, a button that saves the list as a text
// file and one that closes the window.

#include <QDialog>
#include <functional>

#include "app/dialogs.h"

namespace zh {

class DifferencesDialog : public QDialog {
  public:
    // `askPath` asks for the file to save to (empty: cancelled); `tell`
    // reports a file that could not be written.
    DifferencesDialog(QWidget* parent, const DifferenceList& list, std::function<QString()> askPath,
                      std::function<void(const QString&)> tell);

  private:
    void save();

    QStringList lines_;
    std::function<QString()> askPath_;
    std::function<void(const QString&)> tell_;
};

}  // namespace zh
