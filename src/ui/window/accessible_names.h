#pragma once
// What a screen reader says about the window's input controls: each text
// field, combo box, button and slider is named after the caption the window
// shows beside it, in the window's language, and described by its tooltip.
// Controls that show the same caption ("On") are told apart by the caption
// of their row, their group frame or their tab.

#include "ui/window/field_binding.h"

namespace zh {

class QtGadgets;

// Names the controls of every window `gadgets` holds. `captions` are the
// fields' captions as the binding noted them. Call once the controls and
// the field table are bound, and again when the language changes; the
// descriptions follow later tooltip changes by themselves.
void nameControls(QtGadgets& gadgets, const FieldCaptions& captions);

}  // namespace zh
