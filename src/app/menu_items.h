#pragma once
// The menu entries, pop-up entries and tool-bar buttons addressed by their
// command identifier (menu_ids.h), as the user-mode rules switch them. The
// window's menus implement it; rules can be tested against a plain double.
// Every operation on an identifier without an entry does nothing and reads
// as false.

#include <QString>

namespace zh {

class MenuItems {
  public:
    virtual ~MenuItems() = default;

    virtual bool hasItem(int id) const = 0;
    virtual void setItemEnabled(int id, bool enabled) = 0;
    virtual bool isItemEnabled(int id) const = 0;
    // Why a disabled entry is off, in the person's language ("" for none):
    // its tooltip and, when it is pointed at or reached by key, the status
    // line say it. An enabled entry shows no reason.
    virtual void setItemReason(int id, const QString& reason) = 0;
    virtual QString itemReason(int id) const = 0;
    virtual void setItemChecked(int id, bool checked) = 0;
    virtual bool isItemChecked(int id) const = 0;
    virtual void setItemHidden(int id, bool hidden) = 0;
    virtual bool isItemHidden(int id) const = 0;
};

}  // namespace zh
