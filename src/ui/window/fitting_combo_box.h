#pragma once
// A combo box whose entries may be wider than the box (a device type such
// as "T Pt100 0...150 °C, ADC table", longer still in German): the open
// list is as wide as its widest entry, and pointing at the closed box shows
// the whole entry above the tooltip the program gave it.

#include <QComboBox>

namespace zh {

class FittingComboBox : public QComboBox {
  public:
    using QComboBox::QComboBox;

    // The current entry does not fit in the box.
    bool currentTextCut() const;
    // The tooltip shown when pointed at.
    QString shownToolTip() const;

    void showPopup() override;

  protected:
    bool event(QEvent* event) override;
};

}  // namespace zh
