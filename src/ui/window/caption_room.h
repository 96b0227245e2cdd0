#pragma once
// Room for captions that are wider than the place the window design gives
// them (most often a translation longer than the English text). A caption
// takes the empty space beside it, never covering another control and never
// leaving its frame, before anything makes its text smaller.

#include <QFont>
#include <QHash>
#include <QRect>
#include <QString>
#include <vector>

class QWidget;

namespace zh {

// `place` widened until it is `needed` pixels wide, or as far as the free
// room goes: to the right, and for a centred caption (a button) also to the
// left. `others` are the places of the controls around it, `bounds` the
// area it must stay in (its frame or its page). Never narrower than `place`.
QRect roomForCaption(const QRect& place, int needed, bool centred, const QRect& bounds,
                     const std::vector<QRect>& others);

class QtGadgets;
class ScaledLayout;

// The design-size width of each control's caption as last measured. The
// captions are placed anew on every resize of the window, but a caption
// is only measured again when its text or font changed.
class CaptionWidths {
  public:
    int of(const QWidget* control, const QString& text, const QFont& font);

  private:
    struct Measured {
        QString text;
        QFont font;
        int width = -1;
    };
    QHash<const QWidget*, Measured> measured_;
};

// Gives every label and button of window `window` whose text is wider than
// its place in the control registry the room roomForCaption() finds, in the
// design coordinates of `layout`; the others get their registry place back.
void makeRoomForCaptions(ScaledLayout& layout, QtGadgets& gadgets, int window,
                         CaptionWidths& widths);

}  // namespace zh
