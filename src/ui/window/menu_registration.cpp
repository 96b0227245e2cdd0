#include "ui/window/menu_registration.h"

#include "app/menu_table.h"
#include "model/field_table.h"

namespace zh {

void registerMenuEntries(const MenuTable& table, FieldTable& fields, FieldCaptions& captions) {
    for (const MenuRegistration& r : MenuRegistrations(table)) {
        FieldRecord& record = fields[r.name];
        record.Name = r.name;
        captions.insert(r.name, r.description);
    }
}

}  // namespace zh
