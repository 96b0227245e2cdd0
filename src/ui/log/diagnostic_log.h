#pragma once
// The display module's diagnostic log as the report shows it: the module's
// identity (block 1), the log header (block 60) and its table of the last
// twenty errors (blocks 61 to 69), decoded from the block answers and
// written out as the lines of the diagnostics report.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

namespace zh {

struct DiagnosticLog {
    static constexpr int kEntries = 20;

    // Block 1.
    std::uint32_t uniqueId = 0;           // pc_ui32_GUID
    std::uint32_t productionCounter = 0;  // pc_ui32ProdAutoID
    // Block 60.
    int consistency = 0;  // 1 valid, 2 EEPROM copy incomplete
    std::uint32_t powerOnCount = 0;
    std::uint32_t runtimeSeconds = 0;
    int totalErrors = 0;
    int lastErrorCode = 0;
    int lastErrorIndex = 0;  // table index of the newest entry, as the module sends it
    // Blocks 61 to 69, by table index.
    std::array<std::uint32_t, kEntries> timeStamps{};
    std::array<std::uint32_t, kEntries> powerOnCounts{};
    std::array<int, kEntries> errorCodes{};
};

// Takes the items of one block answer (24 bytes, byte 0 the block number)
// into `log`: block 1, 60, or 61 to 69. False, with `log` unchanged, for
// another block or an answer of another length.
bool takeDiagnosticBlock(int number, const QByteArray& answer, DiagnosticLog& log);

// The unique identifier in upper-case hexadecimal: at least four digits
// (leading zeros), every digit kept ("0000", "5A0012AB").
QString uniqueIdText(std::uint32_t id);

// The lines of each part of the report.
QStringList identityLines(const DiagnosticLog& log);   // ">>Chunk 1", ...
QStringList logHeaderLines(const DiagnosticLog& log);  // ">>Chunk 60", ...
// The table heading and its twenty lines, oldest entry first: the entry
// after the newest one comes first (an index beyond the table counts
// round it). Each line: entry number in 3 characters, then time stamp,
// power-on count and error code in 12 each, right-aligned, TAB-separated.
QStringList errorTableLines(const DiagnosticLog& log);

}  // namespace zh
