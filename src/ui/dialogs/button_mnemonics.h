#pragma once
// Alt keys for the push buttons of a dialog or small window: each gets a
// letter of its caption that no other button there has.

class QWidget;

namespace zh {

// Marks the push buttons among `window`'s children; call once they all
// have their captions. Buttons marked already keep their letter where it
// is free.
void markButtons(QWidget& window);

}  // namespace zh
