#pragma once
// The devices the scan of the loop found, one row each (polling address,
// manufacturer, device type, device ID, HART revision, tag, long tag); the
// person picks one to talk to from now on ("Use address") or closes it.

#include <QDialog>
#include <QList>
#include <functional>

#include "hart/address_scan.h"

class QTableWidget;

namespace zh {

class ScanListDialog final : public QDialog {
  public:
    // `tr` gives the texts (column heads, "Use address", "Close") in the
    // window's language.
    ScanListDialog(const QList<ScanEntry>& entries, const QString& title,
                   const std::function<QString(const char*)>& tr, QWidget* parent = nullptr);

    // The polling address of the row chosen with "Use address" or a double
    // click; -1 when none was.
    int chosenAddress() const { return chosen_; }
    QTableWidget* table() const { return table_; }
    // Takes row `row` as if it had been chosen.
    void choose(int row);

  private:
    QList<ScanEntry> entries_;
    QTableWidget* table_;
    int chosen_ = -1;
};

}  // namespace zh
