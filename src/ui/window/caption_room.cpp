#include "ui/window/caption_room.h"

#include <QFontMetrics>
#include <QLabel>
#include <algorithm>

#include "ui/window/control_widgets.h"
#include "ui/window/field_controls.h"
#include "ui/window/qt_gadgets.h"
#include "ui/window/scaled_layout.h"

namespace zh {
namespace {

// Space kept between a widened caption and its neighbour.
constexpr int kGap = 2;

// A little slack for the rounding of scaled fonts.
constexpr int kSlack = 2;

QRect placeOf(const ControlInfo& c) {
    return QRect(c.x, c.y, c.width, c.height);
}

// The area a control must stay in: the innermost frame around it, else
// its tab page or the window's drawing area.
QRect boundsOf(const ControlInfo& control) {
    const QRect place = placeOf(control);
    QRect bounds;
    if (control.tab >= 0) {
        const ControlInfo* panel = findControl(kMainPanel);
        bounds = panel ? QRect(0, 0, panel->width - 4, panel->height)
                       : QRect(0, 0, kDesignWidth, kDesignHeight);
    } else {
        bounds = QRect(0, 0, kDesignWidth, kDesignHeight);
    }
    for (const ControlInfo* c = controlsBegin(); c != controlsEnd(); ++c) {
        if (c->kind != ControlKind::Frame || c->window != control.window || c->tab != control.tab)
            continue;
        const QRect frame = placeOf(*c).adjusted(0, 0, -3, 0);
        if (frame.contains(place) && frame.width() < bounds.width()) bounds = frame;
    }
    return bounds;
}

std::vector<QRect> neighboursOf(const ControlInfo& control) {
    std::vector<QRect> places;
    for (const ControlInfo* c = controlsBegin(); c != controlsEnd(); ++c) {
        if (c == &control || c->kind == ControlKind::Frame) continue;
        if (c->window == control.window && c->tab == control.tab) places.push_back(placeOf(*c));
    }
    return places;
}

// The caption's width at the layout's design scale, with what the control
// keeps around it; 0 for controls without a caption.
int neededWidth(const ScaledLayout& layout, QWidget* w, CaptionWidths& widths) {
    QString text;
    int around = kSlack;
    if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->wordWrap() || label->textFormat() != Qt::PlainText) return 0;
        text = label->text();
        around += label->width() - label->contentsRect().width();
    } else if (auto* button = dynamic_cast<FittingButton*>(w)) {
        text = button->text();
        around += button->width() - button->captionRect().width();
    }
    if (text.isEmpty()) return 0;
    return widths.of(w, text, layout.designFont(w)) + around;
}

bool sameRows(const QRect& a, const QRect& b) {
    return a.top() <= b.bottom() && b.top() <= a.bottom();
}

}  // namespace

int CaptionWidths::of(const QWidget* control, const QString& text, const QFont& font) {
    Measured& m = measured_[control];
    if (m.width < 0 || m.text != text || m.font != font)
        m = Measured{text, font, QFontMetrics(font).horizontalAdvance(text)};
    return m.width;
}

QRect roomForCaption(const QRect& place, int needed, bool centred, const QRect& bounds,
                     const std::vector<QRect>& others) {
    if (needed <= place.width()) return place;
    // The free stretch of the caption's rows around it.
    int left = bounds.left();
    int right = bounds.right();
    for (const QRect& other : others) {
        if (other == place || !sameRows(place, other)) continue;
        if (other.left() > place.left())
            right = std::min(right, other.left() - 1 - kGap);
        else if (other.right() < place.right())
            left = std::max(left, other.right() + 1 + kGap);
    }
    QRect widened = place;
    const int missing = needed - place.width();
    if (centred) {
        // Half on each side where there is room for it, the rest wherever there is.
        const int toLeft = std::clamp(missing / 2, 0, std::max(0, place.left() - left));
        const int toRight = std::clamp(missing - toLeft, 0, std::max(0, right - place.right()));
        const int moreLeft =
            std::clamp(missing - toLeft - toRight, 0, std::max(0, place.left() - toLeft - left));
        widened.setLeft(place.left() - toLeft - moreLeft);
        widened.setRight(place.right() + toRight);
    } else {
        widened.setRight(
            std::clamp(place.left() + needed - 1, place.right(), std::max(place.right(), right)));
    }
    return widened;
}

}  // namespace zh

namespace zh {

void makeRoomForCaptions(ScaledLayout& layout, QtGadgets& gadgets, int window,
                         CaptionWidths& widths) {
    for (const ControlInfo* c = controlsBegin(); c != controlsEnd(); ++c) {
        if (c->window != window || (c->kind != ControlKind::Text && c->kind != ControlKind::Button))
            continue;
        QWidget* w = gadgets.widget(c->number);
        if (!w || !layout.contains(w)) continue;
        const QRect place = placeOf(*c);
        const int needed = neededWidth(layout, w, widths);
        const QRect roomy = needed > place.width()
                                ? roomForCaption(place, needed, c->kind == ControlKind::Button,
                                                 boundsOf(*c), neighboursOf(*c))
                                : place;
        if (layout.designRect(w) != roomy) layout.setDesignRect(w, roomy);
    }
}

}  // namespace zh
