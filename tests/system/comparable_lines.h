#pragma once
// A data file's lines as two reads of one device must give them alike: its
// lines without the section name, the save time and the values that move
// by themselves (operating time, live read-out and trailing pointers).
// Empty when the file cannot be read.

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

inline QStringList comparableLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    static const QRegularExpression moving(
        QStringLiteral("^(\\[|(Version/Date|Display|ADactRaw|HiTrail|LoTrail|pc_ui32OPseconds)=)"));
    QStringList lines;
    for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n')))
        if (!moving.match(line).hasMatch()) lines << line;
    return lines;
}
