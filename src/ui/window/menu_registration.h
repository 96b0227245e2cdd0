#pragma once
// The menus in the field table: one record per menu entry, pop-up entry and
// tool-bar button, named "MenuID-" + identifier, with its symbolic name and
// the kind "MenuItem", and its caption among the captions. The user-mode
// rules find commands there by symbolic name, and event records name them
// by it.

#include "ui/window/field_binding.h"

namespace zh {

class FieldTable;
struct MenuTable;

void registerMenuEntries(const MenuTable& table, FieldTable& fields, FieldCaptions& captions);

}  // namespace zh
