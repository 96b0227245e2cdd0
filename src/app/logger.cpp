#include "logger.h"

#include <QFile>

#include "dialogs.h"

namespace zh {

Logger::Logger(Dialogs& dialogs) : dialogs_(dialogs) {}

void Logger::debugLog(const QString& text, int level, int colour) {
    if (threshold_ == 0) return;
    if (level != -1 && level > threshold_) return;
    if (!viewExists_ && file_.isEmpty()) return;

    if (text == QLatin1String("!")) {
        // Progress marks grow on the view's last line and never reach the file.
        QString mark = QStringLiteral("!");
        if (!view_.empty() && view_.back().startsWith(QLatin1Char('!'))) mark = view_.back() + mark;
        if (viewExists_) appendToView(mark, colour);
        return;
    }

    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char('#'));
    line.replace(QLatin1Char('\r'), QLatin1Char('^'));
    if (viewExists_) appendToView(line, colour);
    if (!file_.isEmpty()) appendToFile(line);
    if (level == 7) dialogs_.messageBox(QStringLiteral("Logio"), line, mb::Ok);
}

void Logger::openView(int debugLevel) {
    viewExists_ = true;
    clearView();
    appendToView(QStringLiteral("[Open_LogIO]: Test/Debug level is ") + QString::number(debugLevel),
                 -1);
}

QString Logger::viewText() const {
    QString all;
    for (const QString& line : view_) {
        all += line;
        all += QLatin1Char('\n');
    }
    return all;
}

void Logger::appendToView(const QString& line, int colour) {
    if (view_.size() >= kMaxViewLines) {
        view_.pop_front();
        viewColours_.pop_front();
    }
    view_.push_back(line);
    viewColours_.push_back(colour);
    if (onViewAppend) onViewAppend(line, colour);
}

void Logger::appendToFile(const QString& line) {
    // A file that cannot be opened leaves the line in the view only.
    QFile f(file_);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) return;
    f.write(line.toUtf8());
    f.write("\n", 1);
}

}  // namespace zh
