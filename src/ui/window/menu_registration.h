#pragma once
// The menus in the field table: one record per menu entry, pop-up entry and
// tool-bar button, named "MenuID-" + identifier, and its caption among the
// captions.

#include "ui/window/field_binding.h"

namespace zh {

class FieldTable;
struct MenuTable;

void registerMenuEntries(const MenuTable& table, FieldTable& fields, FieldCaptions& captions);

}  // namespace zh
