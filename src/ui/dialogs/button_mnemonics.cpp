#include "ui/dialogs/button_mnemonics.h"

#include <QPushButton>
#include <QStringList>

#include "app/mnemonics.h"

namespace zh {

void markButtons(QWidget& window) {
    const QList<QPushButton*> buttons = window.findChildren<QPushButton*>();
    QStringList captions;
    for (const QPushButton* b : buttons) captions << b->text();
    giveMnemonics(captions);
    for (int i = 0; i < buttons.size(); ++i) buttons.at(i)->setText(captions.at(i));
}

}  // namespace zh
