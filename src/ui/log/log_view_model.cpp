#include "ui/log/log_view_model.h"

#include <QColor>
#include <QFontMetrics>
#include <QSize>

#include "app/log_style.h"
#include "app/logger.h"
#include "ui/dialogs/progress_window.h"

namespace zh {

LogViewModel::LogViewModel(const Logger& log, QObject* parent)
    : QAbstractListModel(parent), log_(log) {
    setFont(QFont());
}

void LogViewModel::setFont(const QFont& font) {
    bold_ = font;
    bold_.setBold(true);
    const QFontMetrics metrics(bold_);
    charWidth_ = metrics.horizontalAdvance(QLatin1Char('M'));
    lineHeight_ = metrics.height() + 2;
}

void LogViewModel::measure(std::size_t from) {
    const auto& lines = log_.viewLines();
    for (std::size_t i = from; i < lines.size(); ++i) {
        const int length = static_cast<int>(lines[i].size());
        if (length > longest_) {
            longest_ = length;
            widened_ = true;
        }
    }
}

int LogViewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

QVariant LogViewModel::data(const QModelIndex& index, int role) const {
    const auto& lines = log_.viewLines();
    const auto row = static_cast<std::size_t>(index.row());
    if (!index.isValid() || row >= lines.size()) return {};
    switch (role) {
        case Qt::DisplayRole:
            return lines[row];
        case Qt::ForegroundRole:
            return colourOf(logLineStyle(lines[row], log_.viewColours()[row]).colour);
        case Qt::SizeHintRole:
            return QSize(longest_ * charWidth_ + charWidth_, lineHeight_);
        case Qt::FontRole:
            if (logLineStyle(lines[row]).bold) return bold_;
            return {};
        default:
            return {};
    }
}

bool LogViewModel::catchUp() {
    const int now = static_cast<int>(log_.viewLines().size());
    const int appended = std::exchange(pending_, 0);
    // The lines the view lost at its front: those the window knew plus
    // those appended, less those it holds now.
    const int dropped = rows_ + appended - now;
    if (dropped < 0 || dropped > rows_) {
        // Out of step (the view was filled anew without notice): start over.
        beginResetModel();
        rows_ = now;
        longest_ = 0;
        measure(0);
        endResetModel();
        return true;
    }
    if (dropped == 0 && appended == 0) return false;
    if (dropped > 0) {
        beginRemoveRows(QModelIndex(), 0, dropped - 1);
        rows_ -= dropped;
        endRemoveRows();
    }
    if (now > rows_) {
        measure(static_cast<std::size_t>(rows_));
        beginInsertRows(QModelIndex(), rows_, now - 1);
        rows_ = now;
        endInsertRows();
    }
    return true;
}

}  // namespace zh
