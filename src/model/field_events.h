#pragma once
// What the model announces about the fields it shows, by field name, when
// it changes a value, a list or a selection on its own (a device read, a
// catalogue entry, a new scale). A window binds each announcement to the
// field's control; without a window (the batch commands) nobody listens and
// the values live in the field table alone.

#include <QString>
#include <QStringList>
#include <functional>

namespace zh {

struct FieldEvents {
    // The field shows `text` now.
    std::function<void(const QString& field, const QString& text)> onText;
    // The field's list holds `items` now.
    std::function<void(const QString& field, const QStringList& items)> onItems;
    // The field's list selects item `position` now (-1: none).
    std::function<void(const QString& field, int position)> onSelection;

    void text(const QString& field, const QString& t) const {
        if (onText) onText(field, t);
    }
    void items(const QString& field, const QStringList& list) const {
        if (onItems) onItems(field, list);
    }
    void selection(const QString& field, int position) const {
        if (onSelection) onSelection(field, position);
    }
};

}  // namespace zh
