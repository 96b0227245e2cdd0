// The history folder of one device: readings numbered in order, the oldest
// dropped beyond the count kept, and a folder that cannot be written
// leaving the index as it was.

#include "history/history_store.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <vector>

namespace {

struct KeepRow {
    const char* name;
    int keep;
    int readings;             // taken one after another
    std::vector<int> listed;  // the numbers the index lists afterwards
    QStringList files;        // the folder's files afterwards
    bool blocked = false;     // a file stands where the folder would go
};

class HistoryKeep : public ::testing::TestWithParam<KeepRow> {};

bool writeText(const QString& path, const QByteArray& text) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

TEST_P(HistoryKeep, ListsTheNewestReadingsAndDropsTheOldestFiles) {
    const KeepRow& row = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("26-06-0012AB"));
    if (row.blocked) {
        ASSERT_TRUE(writeText(folder, "not a folder"));
    }
    zh::DeviceHistory h(folder);
    for (int i = 1; i <= row.readings; ++i) {
        zh::HistoryReading r;
        r.when = QDateTime(QDate(2026, 12, i), QTime(10, 15));
        r.what = QStringLiteral("read");
        r.port = QStringLiteral("/dev/tty\tUSB0");
        r.tag = QStringLiteral("PT-1");
        QString error;
        const bool kept = h.add(
            r, QStringLiteral("cfp"),
            [i](const QString& path) { return writeText(path, QByteArray::number(i)); }, row.keep,
            &error);
        EXPECT_EQ(kept, !row.blocked) << error.toStdString();
        EXPECT_EQ(error.isEmpty(), !row.blocked) << error.toStdString();
    }
    std::vector<int> listed;
    for (const zh::HistoryReading& r : h.readings()) {
        listed.push_back(r.number);
        EXPECT_EQ(r.port, QStringLiteral("/dev/tty USB0"));
        EXPECT_EQ(r.when.date().day(), r.number);
        QFile data(h.pathOf(r));
        ASSERT_TRUE(data.open(QIODevice::ReadOnly)) << r.file.toStdString();
        EXPECT_EQ(data.readAll(), QByteArray::number(r.number));
    }
    EXPECT_EQ(listed, row.listed);
    if (!row.blocked) {
        EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name), row.files);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HistoryKeep,
    ::testing::Values(
        KeepRow{"AllWithinTheCount",
                50,
                3,
                {1, 2, 3},
                {"0001-read.cfp", "0002-read.cfp", "0003-read.cfp", "readings.txt"}},
        KeepRow{"OldestGoFirst", 2, 4, {3, 4}, {"0003-read.cfp", "0004-read.cfp", "readings.txt"}},
        KeepRow{"NoneKeptWhenOff", 0, 2, {}, {}},
        KeepRow{"UnwritableFolderKeepsNothing", 50, 2, {}, {}, true}),
    [](const ::testing::TestParamInfo<KeepRow>& info) { return std::string(info.param.name); });

// A reading is found by its number, by its day (the last of that day) or by
// a time (the last up to it).
TEST(HistoryFind, ByNumberDayOrTime) {
    std::vector<zh::HistoryReading> list(3);
    const QDateTime times[] = {QDateTime(QDate(2026, 12, 8), QTime(9, 0)),
                               QDateTime(QDate(2026, 12, 9), QTime(10, 15)),
                               QDateTime(QDate(2026, 12, 9), QTime(14, 30))};
    for (int i = 0; i < 3; ++i) {
        list[i].number = i + 4;
        list[i].when = times[i];
    }
    const auto numberOf = [&list](const char* key) {
        const zh::HistoryReading* r = zh::findReading(list, QLatin1String(key));
        return r ? r->number : 0;
    };
    EXPECT_EQ(numberOf("5"), 5);
    EXPECT_EQ(numberOf("1"), 0);
    EXPECT_EQ(numberOf("2026-12-09"), 6);
    EXPECT_EQ(numberOf("2026-12-08"), 4);
    EXPECT_EQ(numberOf("2026-12-09T12:00"), 5);
    EXPECT_EQ(numberOf("2026-12-10"), 0);
}

}  // namespace
