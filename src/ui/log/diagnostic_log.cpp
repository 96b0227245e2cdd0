#include "ui/log/diagnostic_log.h"

#include "hart/wire_values.h"

namespace zh {
namespace {

constexpr int kBlockSize = 24;
// Blocks 61..64 and 65..68 carry five 32-bit values each, at 1, 5, ... 17.
constexpr int kValuesPerBlock = 5;
constexpr int kFirstTimeBlock = 61;
constexpr int kFirstPowerOnBlock = 65;
constexpr int kCodeBlock = 69;

QString column(std::uint32_t value, int width) {
    return QString::number(value).rightJustified(width, QLatin1Char(' '));
}

}  // namespace

bool takeDiagnosticBlock(int number, const QByteArray& answer, DiagnosticLog& log) {
    if (answer.size() != kBlockSize || static_cast<std::uint8_t>(answer.at(0)) != number)
        return false;
    const auto byteAt = [&answer](int offset) {
        return static_cast<int>(static_cast<std::uint8_t>(answer.at(offset)));
    };
    if (number == 1) {
        log.uniqueId = getLE32(answer, 13);
        log.productionCounter = getLE32(answer, 17);
    } else if (number == 60) {
        log.consistency = getLE16(answer, 7);
        log.powerOnCount = getLE32(answer, 9);
        log.runtimeSeconds = getLE32(answer, 13);
        log.totalErrors = getLE16(answer, 17);
        log.lastErrorCode = byteAt(19);
        log.lastErrorIndex = byteAt(20);
    } else if (number >= kFirstTimeBlock && number < kCodeBlock) {
        const bool times = number < kFirstPowerOnBlock;
        const auto block = static_cast<std::size_t>((number - kFirstTimeBlock) % 4);
        const std::size_t first = block * kValuesPerBlock;
        auto& values = times ? log.timeStamps : log.powerOnCounts;
        for (int i = 0; i < kValuesPerBlock; ++i)
            values[first + static_cast<std::size_t>(i)] = getLE32(answer, 1 + 4 * i);
    } else if (number == kCodeBlock) {
        for (int i = 0; i < DiagnosticLog::kEntries; ++i)
            log.errorCodes[static_cast<std::size_t>(i)] = byteAt(1 + i);
    } else {
        return false;
    }
    return true;
}

QString uniqueIdText(std::uint32_t id) {
    return QString::number(id, 16).toUpper().rightJustified(4, QLatin1Char('0'));
}

QStringList identityLines(const DiagnosticLog& log) {
    return {QStringLiteral(">>Chunk 1"), QStringLiteral("Unique ID: ") + uniqueIdText(log.uniqueId),
            QStringLiteral("Production Counter: ") + QString::number(log.productionCounter)};
}

QStringList logHeaderLines(const DiagnosticLog& log) {
    return {QStringLiteral(">>Chunk 60"),
            QStringLiteral("Log Data Consistency (1=valid / 2=eeprom copy incomplete): ") +
                QString::number(log.consistency),
            QStringLiteral("PowerOnCount: ") + QString::number(log.powerOnCount),
            QStringLiteral("Total Runtime (s): ") + QString::number(log.runtimeSeconds),
            QStringLiteral("Total errors Display: ") + QString::number(log.totalErrors),
            QStringLiteral("Last Error Code: ") + QString::number(log.lastErrorCode),
            QStringLiteral(">>>Table Index of Last Error: ") + QString::number(log.lastErrorIndex)};
}

QStringList errorTableLines(const DiagnosticLog& log) {
    QStringList lines{
        QStringLiteral("\tTimeStamp(s)\tPower on count\tError code (Display hardware only")};
    const QChar tab = QLatin1Char('\t');
    // The module's index counts round the table: one beyond 19 names an
    // entry too, never a place outside it.
    const int newest = log.lastErrorIndex % DiagnosticLog::kEntries;
    for (int i = 0; i < DiagnosticLog::kEntries; ++i) {
        const auto n = static_cast<std::size_t>((i + newest + 1) % DiagnosticLog::kEntries);
        lines << column(static_cast<std::uint32_t>(n), 3) + tab + column(log.timeStamps[n], 12) +
                     tab + column(log.powerOnCounts[n], 12) + tab +
                     column(static_cast<std::uint32_t>(log.errorCodes[n]), 12);
    }
    return lines;
}

}  // namespace zh
