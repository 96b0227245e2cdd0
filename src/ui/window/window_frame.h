#pragma once
// The parts of the main window that are not controls: the tabs of the tab
// panel and the fields of the status line. The Qt window implements this.

#include <QString>

namespace zh {

class WindowFrame {
  public:
    virtual ~WindowFrame() = default;

    // Removes tab `tab` (its number in the full tab list "=0;Admin=1;...")
    // from tab panel `panel`; a tab that is already gone is ignored.
    virtual void removePanelTab(int panel, int tab) = 0;
    // Field 0 to 3 of the status line.
    virtual void setStatusText(int field, const QString& text) = 0;
};

}  // namespace zh
