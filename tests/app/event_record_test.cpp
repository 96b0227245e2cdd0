// Event records: what the log writes for a user event reads back as the
// same event, and lines that are no event record are refused.

#include "app/event_record.h"

#include <gtest/gtest.h>

namespace zh {
namespace {

TEST(EventRecordTest, RoundTripsAndRefusals) {
    struct Row {
        EventRecord record;
        const char* line;
    };
    const Row rows[] = {
        {{"UpdateDisplay", "", 11, 19, 1, -1, -1, 0, 0}, "<<< UpdateDisplay\t|11|19|1|-1|-1|0|0|"},
        {{"FldTagName", "PUMP|2", 1, 19, 0, 123, -1, 14001, 13100},
         "<<< FldTagName\tPUMP|2|1|19|0|123|-1|14001|13100|"},
        {{"#MenuWriteAll", "", 2, -1, -1, -1, 2005, -1, 13058},
         "<<< #MenuWriteAll\t|2|-1|-1|-1|2005|-1|13058|"},
        {{"FldDamping", "1,5", 1, 19, 2, 77, -1, 14001, 13100},
         "<<< FldDamping\t1,5|1|19|2|77|-1|14001|13100|"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(formatEventRecord(row.record), QString::fromUtf8(row.line));
        const std::optional<EventRecord> back = parseEventRecord(QString::fromUtf8(row.line));
        ASSERT_TRUE(back) << row.line;
        EXPECT_EQ(formatEventRecord(*back), QString::fromUtf8(row.line));
        EXPECT_EQ(back->content, row.record.content);
        EXPECT_EQ(back->gadget, row.record.gadget);
    }
    for (const char* bad : {"<<< Comment: Schritt", "<<< Gadget 5 = 3", "<<< Fld\t|1|2|3|",
                            "--> Com1", "<<< Fld\tx|1|2|3|4|5|6|z|"})
        EXPECT_FALSE(parseEventRecord(QString::fromUtf8(bad))) << bad;
}

}  // namespace
}  // namespace zh
