#include "ui/window/fitting_combo_box.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTextDocument>
#include <QToolTip>
#include <algorithm>

namespace zh {

bool FittingComboBox::currentTextCut() const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    return fontMetrics().horizontalAdvance(currentText()) > field.width();
}

QString FittingComboBox::shownToolTip() const {
    const QString own = toolTip();
    if (!currentTextCut()) return own;
    if (own.isEmpty()) return currentText();
    const QString ownHtml =
        Qt::mightBeRichText(own)
            ? own
            : own.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    return currentText().toHtmlEscaped() + QStringLiteral("<hr>") + ownHtml;
}

void FittingComboBox::showPopup() {
    QAbstractItemView* list = view();
    list->setMinimumWidth(std::max(
        width(), list->sizeHintForColumn(0) + style()->pixelMetric(QStyle::PM_ScrollBarExtent)));
    QComboBox::showPopup();
}

bool FittingComboBox::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip || !currentTextCut()) return QComboBox::event(event);
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), shownToolTip(), this);
    return true;
}

}  // namespace zh
