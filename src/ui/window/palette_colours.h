#pragma once
// The program's fixed colours (field states, read-out, tool-bar pictures)
// drawn so that they stay readable on a dark desktop palette. On a light
// palette every colour is shown as it is given.

#include <QColor>
#include <QIcon>
#include <QPalette>

namespace zh {

// A palette whose windows are dark (a dark desktop theme).
bool isDarkPalette(const QPalette& palette);

// The colour to show for a control's text (`foreground`) or background:
// the colour itself on a light palette; on a dark one, the palette's own
// text and field colours for black text and a white field, and otherwise a
// variant of the colour's hue that keeps its meaning (red for changed,
// green for read, ...) and its contrast to the other.
QColor shownColour(const QColor& colour, bool foreground, const QPalette& palette);

// A tool-bar picture that can be seen on the palette's buttons: on a dark
// palette a dark picture gets a light outline; otherwise `icon` itself.
QIcon readableIcon(const QIcon& icon, const QPalette& palette);

// The contrast ratio of two colours, 1 (none) to 21 (black on white), as
// accessibility guidelines measure it (4.5 is enough for text).
double contrastRatio(const QColor& a, const QColor& b);

}  // namespace zh
