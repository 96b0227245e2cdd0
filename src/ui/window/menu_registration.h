#pragma once
// The menus in the field table: one record per menu entry, pop-up entry and
// tool-bar button, named "MenuID-" + identifier, with its symbolic name, its
// caption as description and the kind "MenuItem". The user-mode rules find
// commands there by symbolic name, and event records name them by it.

namespace zh {

class FieldTable;
struct MenuTable;

void registerMenuEntries(const MenuTable& table, FieldTable& fields);

}  // namespace zh
