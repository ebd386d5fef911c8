#include "core/ExportFormats.h"
#include "core/FolderQuery.h"
#include "core/RunError.h"
#include "tests/support/ScratchDatabase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace vt::core;

const std::vector<std::string> kInboxColumns = {"Partner", "Transaction", "SenderID", "Date", "Status"};
const std::vector<std::string> kHistoryColumns = {"Type", "Index", "Date", "Time", "User", "Description"};

TEST(BoxQuery, OrdersBySortColumnThenRowId) {
    struct Case {
        FolderList list;
        const char* sql;
    };
    const Case cases[] = {
        {{"Inbox", kInboxColumns, 2, 1}, "SELECT * FROM \"Inbox\" ORDER BY \"SenderID\" DESC, \"Id\""},
        {{"Outbox", kInboxColumns, 0, 0}, "SELECT * FROM \"Outbox\" ORDER BY \"Partner\" ASC, \"Id\""},
        {{"Sent", kInboxColumns, 1, 0}, "SELECT * FROM \"Sent\" ORDER BY \"Transaction\" ASC, \"Id\""},
        {{"recycled", {"tset"}, 0, 1}, "SELECT * FROM \"Recycled\" ORDER BY \"TSet\" DESC, \"Id\""},
        {{"History", kHistoryColumns, 1, 1}, "SELECT * FROM \"History\" ORDER BY \"Index\" DESC"},
        {{"Exchange", kHistoryColumns, 4, 0}, "SELECT * FROM \"Exchange\" ORDER BY \"User\" ASC, \"Index\""},
        {{"History", kHistoryColumns, 2, 7}, "SELECT * FROM \"History\" ORDER BY \"Date\" DESC, \"Index\""},
    };
    for (const Case& c : cases) {
        const BoxQuery q = BuildBoxQuery(c.list);
        EXPECT_EQ(q.sql, c.sql);
        EXPECT_TRUE(q.values.empty());
    }
}

TEST(BoxQuery, RefusesNamesOutsideTheFolderTables) {
    struct Case {
        FolderList list;
        long error;
    };
    const Case cases[] = {
        {{"Partner", {"Partner"}, 0, 0}, 5},
        {{"Inbox; DROP TABLE Inbox", {"Partner"}, 0, 0}, 5},
        {{"Inbox", {"Partner\" DESC; --"}, 0, 0}, 5},
        {{"Inbox", {"Index"}, 0, 0}, 5},
        {{"History", {"Partner"}, 0, 0}, 5},
        {{"Inbox", {}, 0, 0}, 9},
        {{"Inbox", kInboxColumns, 5, 0}, 9},
        {{"Inbox", kInboxColumns, -1, 0}, 9},
    };
    for (const Case& c : cases) {
        try {
            BuildBoxQuery(c.list);
            ADD_FAILURE() << c.list.table << " accepted";
        } catch (const RunError& e) {
            EXPECT_EQ(e.number(), c.error) << c.list.table;
        }
    }
}

TEST(BoxQuery, EqualKeysComeInRowOrderBothWays) {
    vt::test::ScratchDatabase t;
    for (const char* sender : {"B", "A", "B", "A", "B"}) {
        auto q = t.db.prepare("INSERT INTO Inbox (SenderID) VALUES (?1)");
        q.bind(1, sender);
        q.run();
    }
    auto ids = [&](int order) {
        auto st = BuildBoxQuery({"Inbox", kInboxColumns, 2, order}).prepare(t.db);
        std::string out;
        const int id = st.columnIndex("Id");
        while (st.step()) out += std::to_string(st.int64(id));
        return out;
    };
    EXPECT_EQ(ids(0), "24135");
    EXPECT_EQ(ids(1), "13524");
}

TEST(BoxQuery, FieldsOfTheFolderTables) {
    EXPECT_EQ(folderTableFields("Inbox").size(), 17u);
    EXPECT_EQ(folderTableFields("Exchange").size(), 6u);
    EXPECT_TRUE(folderTableFields("Partner").empty());
}

TEST(ExportFormats, TheTwentyEightFormats) {
    struct Row {
        const char *label, *extension;
        int engine;
    };
    const Row expected[] = {
        {"Character-separated values (CHR)", "CHR", 7},
        {"Comma-separated values (CSV)", "CSV", 5},
        {"Crystal Reports (RPT)", "RPT", 1},
        {"Crystal Reports 7.0 (RPT)", "RPT", 33},
        {"Data Interchange Format (DIF)", "DIF", 2},
        {"Rich Text (Exact) Format (RTF)", "RTF", 35},
        {"Excel 5.0 (XLS)", "XLS", 21},
        {"Excel 5.0 (Extended) (XLS)", "XLS", 22},
        {"Excel 7.0 (XLS)", "XLS", 27},
        {"Excel 7.0 (Extended) (XLS)", "XLS", 28},
        {"Excel 8.0 (XLS)", "XLS", 29},
        {"Excel 8.0 (Extended) (XLS)", "XLS", 30},
        {"HTML 3.2 Standard (HTM)", "HTM", 24},
        {"HTML 4.0 (HTM)", "HTM", 32},
        {"Lotus 1-2-3 (WK1)", "WK1", 12},
        {"Lotus 1-2-3 (WK3)", "WK3", 13},
        {"Lotus 1-2-3 (WKS)", "WKS", 11},
        {"No Format", "No Format", 0},
        {"ODBC", "ODBC", 23},
        {"Paginated Text (TXT)", "TXT", 10},
        {"Portable Document Format (PDF)", "PDF", 31},
        {"Record style (REC)", "REC", 3},
        {"Report definition (TXT)", "TXT", 34},
        {"Tab-separated text (TTX)", "TTX", 9},
        {"Tab-separated values (TSV)", "TSV", 6},
        {"Text (TXT)", "TXT", 8},
        {"Word for Windows document (DOC)", "DOC", 14},
        {"XML (XML)", "XML", 36},
    };
    static_assert(std::size(expected) == kExportFormatCount);
    for (int i = 0; i < kExportFormatCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(exportFormats()[size_t(i)].label, expected[i].label);
        EXPECT_EQ(GetExportFormatName(i), expected[i].extension);
        EXPECT_EQ(GetExportFormatType(i), expected[i].engine);
    }
    for (int outside : {-1, 28, 32767, -32768}) {
        EXPECT_EQ(GetExportFormatName(outside), "");
        EXPECT_EQ(GetExportFormatType(outside), 0);
    }
}

}  // namespace
