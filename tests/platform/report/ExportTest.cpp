#include "Fixture.h"
#include "tests/support/FullDisk.h"
#include "platform/report/DataTable.h"
#include "platform/report/Document.h"
#include "platform/report/Export.h"
#include "platform/report/ReportFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

namespace vt::report::test {
namespace {

using vt::test::FileSizeLimit;
using vt::test::SmallFileSystem;

const RunInfo kRun{{2024, 5, 6, 14, 30, 0}, {2024, 5, 6, 9, 5, 7}};

// Runs the independent readers over a folder; sections by file name.
std::map<std::string, std::string> readBack(const std::filesystem::path& folder) {
    std::map<std::string, std::string> out;
    if (!std::filesystem::exists("/usr/bin/python3")) return out;
    const std::string cmd = "/usr/bin/python3 " VT_REPORT_READERS " '" + folder.string() + "' 2>&1";
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return out;
    std::string all;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) all.append(buf, n);
    const int rc = ::pclose(p);
    EXPECT_EQ(rc, 0) << all;
    std::string current;
    size_t pos = 0;
    while (pos < all.size()) {
        size_t eol = all.find('\n', pos);
        if (eol == std::string::npos) eol = all.size();
        std::string line = all.substr(pos, eol - pos);
        pos = eol + 1;
        if (line.rfind("== ", 0) == 0) current = line.substr(3);
        else out[current] += line + "\n";
    }
    return out;
}

struct FormatCase {
    int number;
    std::string file;
    std::string expected;   // the reader's dump
};

// What a reader that shows the texts of the report gets back.
const std::string kTexts =
    "Name|Qty|Price|Shipped|Note\n"
    "Bolt|1000000|1234.57||x\n"
    "Caf\xC3\xA9|-4|0.25|2023-12-31|\n"
    "Widget \"A\", large|12|3.50|2024-03-15|first\n";

// What a spreadsheet reader gets back: typed cells, Null as an empty cell.
const std::string kCells =
    "Name|Qty|Price|Shipped|Note\n"
    "Bolt|1000000|1234.5678||x\n"
    "Caf\xC3\xA9|-4|0.25|2023-12-31|\n"
    "Widget \"A\", large|12|3.5|2024-03-15|first\n";

// What a sheet converter shows: typed cells, its own date format.
const std::string kSheet =
    "Name|Qty|Price|Shipped|Note\n"
    "Bolt|1000000|1234.5678||x\n"
    "Caf\xC3\xA9|-4|0.25|2023/12/31|\n"
    "Widget \"A\", large|12|3.5|2024/03/15|first\n";

TEST(Export, EveryWritableFormatReadsBackWithAnIndependentReader) {
    TempDir dir;
    Report r = sampleReport();
    r.sorts.push_back({"Name", false});
    auto data = DataTable::fromRecordset(*sampleRecords());
    const FormatCase cases[] = {
        {format::CSV, "a.csv", kTexts},
        {format::TSV, "a.tsv", kTexts},
        {format::TabText, "a.ttx", kTexts},
        {format::CharSeparated, "a.chr", kTexts},
        {format::HTML32, "a32.htm", "title Sample Report\n" + kTexts},
        {format::HTML40, "a40.htm", "title Sample Report\n" + kTexts},
        {format::XML, "a.xml",
         "Name|Qty|Price|Shipped|Note\nBolt|1000000|1234.57|<Null>|x\nCaf\xC3\xA9|-4|0.25|2023-12-31|<Null>\n"
         "Widget \"A\", large|12|3.50|2024-03-15|first\n"},
        {format::Excel5, "b5.xls", kCells + "biff 50|General/0|General/0|General/0|m/d/yy/0|General/0\n"},
        {format::Excel5Extended, "b5x.xls", kCells + "biff 50|General/25|General/10|0.00/12|yyyy-mm-dd/15|General/12\n"},
        {format::Excel7, "b7.xls", kCells + "biff 50|General/0|General/0|General/0|m/d/yy/0|General/0\n"},
        {format::Excel7Extended, "b7x.xls", kCells + "biff 50|General/25|General/10|0.00/12|yyyy-mm-dd/15|General/12\n"},
        {format::Excel8, "b8.xls", kCells + "biff 80|General/0|General/0|General/0|m/d/yy/0|General/0\n"},
        {format::Excel8Extended, "b8x.xls", kCells + "biff 80|General/25|General/10|0.00/12|yyyy-mm-dd/15|General/12\n"},
        {format::WK1, "c.wk1", kSheet},
        {format::WKS, "c.wks", kSheet},
        {format::WK3, "c.wk3", kSheet},
        // DIF has no escape for a quote; the reader keeps the doubled quotes Excel writes.
        {format::DIF, "c.dif",
         "Name|Qty|Price|Shipped|Note\nBolt|1000000|1234.5678||x\nCaf\xC3\xA9|-4|0.25|2023/12/31|\n"
         "Widget \"\"A\"\", large|12|3.5|2024/03/15|first\n"},
        {format::WordDoc, "c.doc", "Sample Report\n" + kTexts},
        {format::RTF, "c.rtf",
         "Sample Report\nName\tQty\tPrice\tShipped\tNote\nBolt\t1000000\t1234.57\t\tx\n"
         "Caf\xC3\xA9\t-4\t0.25\t2023-12-31\nWidget \"A\", large\t12\t3.50\t2024-03-15\tfirst\n"},
    };
    for (auto& c : cases) {
        ExportOptions o;
        o.formatType = c.number;
        o.separator = ';';
        o.quote = '\'';
        exportData(r, data.get(), kRun, o, dir / c.file);
    }
    const auto back = readBack(dir.path());
    std::vector<std::string> skipped;
    for (auto& c : cases) {
        auto it = back.find(c.file);
        if (it == back.end() || it->second == "SKIP\n") {
            skipped.push_back(c.file);
            continue;
        }
        EXPECT_EQ(it->second, c.expected) << c.file;
    }
    if (!skipped.empty()) GTEST_SKIP() << "no reader installed for " << skipped.size() << " files";
}

TEST(Export, UnwritableFormatsAreRefusedWithoutAFile) {
    TempDir dir;
    const Report r = sampleReport();
    struct { int number; std::string name; } cases[] = {
        {format::None, "No Format"}, {format::ReportFile, "binary report file"},
        {format::ReportFile7, "version 7"}, {99, "Unknown export format 99"},
    };
    for (auto& c : cases) {
        ExportOptions o;
        o.formatType = c.number;
        const auto file = dir / ("out" + std::to_string(c.number));
        try {
            exportData(r, nullptr, kRun, o, file);
            ADD_FAILURE() << c.number;
        } catch (const ReportError& e) {
            EXPECT_NE(std::string(e.what()).find(c.name), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("no file was written"), std::string::npos) << e.what();
        }
        EXPECT_FALSE(std::filesystem::exists(file));
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));   // no temporary file left either
}


TEST(Export, TextFormatsPrintTheReportOnACharacterGrid) {
    Report r = sampleReport();
    r.sorts.push_back({"Name", false});
    auto data = DataTable::fromRecordset(*sampleRecords());
    auto bytes = [&](int number, int linesPerPage = 0) {
        ExportOptions o;
        o.formatType = number;
        o.linesPerPage = linesPerPage;
        return exportBytes(r, data.get(), kRun, o);
    };
    const std::string header = "Name                     Qty       Price       Shipped        Note\r\n";
    const std::string bolt = "Bolt                       1000000     1234.57                x\r\n";
    const std::string cafe = "Caf\xE9                            -4        0.25 2023-12-31\r\n";
    const std::string widget = "Widget \"A\", large               12        3.50 2024-03-15     first\r\n";
    EXPECT_EQ(bytes(format::Text), "Sample Report\r\n\r\n" + header + "\r\n" + bolt + cafe + widget + "Page 1 of 1\r\n");
    // Eight lines a page: the footer stands on the last line of each page.
    EXPECT_EQ(bytes(format::PaginatedText, 8), "Sample Report\r\n\r\n" + header + "\r\n" + bolt + cafe +
                                                   "Page 1 of 2\r\n\f" + header + widget +
                                                   "\r\n\r\n\r\n\r\nPage 2 of 2\r\n");
    EXPECT_EQ(bytes(format::RecordStyle),
              "Bolt                       1000000     1234.57                x\r\n"
              "Caf\xE9                            -4        0.25 2023-12-31\r\n"
              "Widget \"A\", large               12        3.50 2024-03-15     first\r\n");
    EXPECT_EQ(bytes(format::ReportDefinition), formatReport(r));
}


// Past 7 MB a compound file needs more FAT sectors than its header lists (DIFAT sectors).
TEST(Export, LargeWorkbooksReadBackAndRowLimitsAreRefused) {
    TempDir dir;
    Report r;
    auto data = std::make_shared<DataTable>();
    for (int c = 0; c < 3; ++c) data->columns.push_back({"C" + std::to_string(c), adtype::VarChar, 50});
    for (int i = 0; i < 65000; ++i) {
        std::vector<Variant> row;
        for (int c = 0; c < 3; ++c) row.push_back(Variant(std::string(40, char('a' + (i + c) % 26)) + std::to_string(i)));
        data->rows.push_back(std::move(row));
    }
    ExportOptions o;
    o.formatType = format::Excel8;
    exportData(r, data.get(), kRun, o, dir / "big.xls");
    ASSERT_GT(std::filesystem::file_size(dir / "big.xls"), 7u << 20);
    const auto back = readBack(dir.path());
    if (back.empty() || back.begin()->second == "SKIP\n") GTEST_SKIP() << "xlrd is not installed";
    const std::string& dump = back.at("big.xls");
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 65002);
    const std::string last = std::string(40, char('a' + (64999 + 2) % 26)) + "64999";
    EXPECT_NE(dump.find("|" + last + "\nbiff 80"), std::string::npos);

    // One record more than a sheet holds under its header row.
    data->rows.resize(65536, data->rows.front());
    try {
        exportData(r, data.get(), kRun, o, dir / "over.xls");
        ADD_FAILURE();
    } catch (const ReportError& e) {
        EXPECT_NE(std::string(e.what()).find("holds at most 65535"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "over.xls"));
}


std::string fileText(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(folder)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

// Enough records that no format fits in the room a full disk leaves.
std::shared_ptr<DataTable> manyRecords(int count) {
    auto data = DataTable::fromRecordset(*sampleRecords());
    const auto rows = data->rows;
    for (int i = 3; i < count; ++i) data->rows.push_back(rows[size_t(i % 3)]);
    return data;
}

// Every writable format written where the disk fills up half-way: the error names the file and
// says why, the previous file stays as it was and no temporary file is left.
void expectEveryFormatFails(const std::filesystem::path& folder, const std::string& why,
                            const std::function<void(const std::function<void()>&)>& whileFull) {
    const Report r = sampleReport();
    const auto data = manyRecords(1500);
    for (const FormatInfo& f : formatTable()) {
        // The template text is too short to fill the disk; PDF and ODBC have tests of their own.
        if (!f.writable || f.number == format::PDF || f.number == format::ODBC || f.number == format::ReportDefinition)
            continue;
        SCOPED_TRACE(f.name);
        const auto file = folder / ("previous." + std::string(f.extension));
        { std::ofstream(file, std::ios::binary) << "the previous good file"; }
        ExportOptions o;
        o.formatType = f.number;
        whileFull([&] {
            try {
                exportData(r, data.get(), kRun, o, file);
                ADD_FAILURE() << "the export reported success";
            } catch (const ReportError& e) {
                EXPECT_EQ(std::string(e.what()), "Cannot write \"" + file.string() + "\": " + why);
            }
        });
        EXPECT_EQ(fileText(file), "the previous good file");
        for (const std::string& name : namesIn(folder))
            EXPECT_EQ(name.rfind(".vt-write-", 0), std::string::npos) << name;
        std::filesystem::remove(file);
    }
}

TEST(Export, OnAFullDiskEveryFormatFailsAndKeepsThePreviousFile) {
    SmallFileSystem disk(256 * 1024);
    if (!disk.ready()) GTEST_SKIP() << "no small file system could be mounted here (" << disk.reason() << ")";
    expectEveryFormatFails(disk.path(), std::strerror(ENOSPC), [&](const std::function<void()>& run) {
        disk.fill(8 * 1024);
        run();
        std::filesystem::remove(disk / "filler");
    });
}

TEST(Export, AWriteThatFailsPartWayFailsTheExport) {
    TempDir dir;
    expectEveryFormatFails(dir.path(), std::strerror(EFBIG), [](const std::function<void()>& run) {
        FileSizeLimit limit(8 * 1024);
        run();
    });
}

TEST(Export, AReadOnlyFileIsRefusedAndALinkWritesTheFileItNames) {
    TempDir dir;
    const Report r = sampleReport();
    auto data = DataTable::fromRecordset(*sampleRecords());
    ExportOptions o;
    o.formatType = format::CSV;
    { std::ofstream(dir / "locked.csv") << "kept"; }
    std::filesystem::permissions(dir / "locked.csv", std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                                         std::filesystem::perms::others_read);
    try {
        exportData(r, data.get(), kRun, o, dir / "locked.csv");
        ADD_FAILURE() << "a read-only file was replaced";
    } catch (const ReportError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot write \"" + (dir / "locked.csv").string() + "\": " + std::strerror(EACCES));
    }
    EXPECT_EQ(fileText(dir / "locked.csv"), "kept");
    EXPECT_EQ(std::filesystem::status(dir / "locked.csv").permissions() & std::filesystem::perms::owner_write,
              std::filesystem::perms::none);

    // A target whose folder is a file, or is missing.
    for (const auto& [target, err] : {std::pair{dir / "locked.csv" / "out.csv", ENOTDIR},
                                      std::pair{dir / "none" / "out.csv", ENOENT}}) {
        try {
            exportData(r, data.get(), kRun, o, target);
            ADD_FAILURE() << target;
        } catch (const ReportError& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot write \"" + target.string() + "\": " + std::strerror(err));
        }
    }

    std::filesystem::create_directory(dir / "real");
    { std::ofstream(dir / "real" / "out.csv") << "old"; }
    std::filesystem::create_symlink(dir / "real" / "out.csv", dir / "link.csv");
    exportData(r, data.get(), kRun, o, dir / "link.csv");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.csv"));
    EXPECT_EQ(fileText(dir / "real" / "out.csv").substr(0, 26), "Name,Qty,Price,Shipped,Not");
}


// A number, a date, a date-time or a time wider than its field is printed whole and pushes the
// rest of its line to the right, keeping a blank before it; a text is still cut to its field.
TEST(Export, TextExportsNeverCutANumberOrADate) {
    TempDir dir;
    Report r;
    struct Col { const char* field; int type; int left, width; Align align; const char* format; };
    // The date field is one character narrower than its values and the date-time field follows
    // it with one cell between them; the time field's neighbour touches it.
    const Col cols[] = {{"ID", adtype::Integer, 0, 480, Align::Right, ""},
                        {"Qty", adtype::Integer, 600, 600, Align::Right, ""},
                        {"Amount", adtype::Double, 1320, 960, Align::Right, "#,##0.00"},
                        {"Name", adtype::VarChar, 2400, 720, Align::Left, ""},
                        {"Shipped", adtype::Date, 3240, 1080, Align::Left, "yyyy-mm-dd"},
                        {"Stamp", adtype::Date, 4440, 1200, Align::Left, ""},
                        {"At", adtype::DBTime, 5760, 480, Align::Left, "hh:mm:ss"},
                        {"Note", adtype::VarChar, 6240, 480, Align::Left, ""}};
    auto data = std::make_shared<DataTable>();
    for (const Col& c : cols) {
        auto& f = r.addFieldObject(3, c.field, c.left, 0);
        f.width = c.width;
        f.align = c.align;
        f.format = c.format;
        data->columns.push_back({c.field, c.type, 8});
    }
    // 36760 is 2000-08-22, 44854 is 2022-10-20.
    const double stamp = 44854 + (16 * 3600 + 5 * 60 + 6) / 86400.0, at = (9 * 3600 + 8 * 60 + 7) / 86400.0;
    data->rows.push_back({Variant(std::int32_t(10000)), Variant(std::int32_t(-8914)), Variant(-199877.39),
                          Variant("Longername"), Variant(automation::Date{36760}), Variant(automation::Date{stamp}),
                          Variant(automation::Date{at}), Variant("Textual")});
    data->rows.push_back({Variant(std::int32_t(7)), Variant(std::int32_t(12)), Variant(1.5), Variant("Bo"),
                          Variant::null(), Variant::null(), Variant::null(), Variant("T")});
    for (int number : {format::Text, format::PaginatedText}) {
        ExportOptions o;
        o.formatType = number;
        exportData(r, data.get(), kRun, o, dir / (number == format::Text ? "plain.txt" : "paged.txt"));
    }
    const auto back = readBack(dir.path());
    // Under the empty page header.
    const std::string lines = "\n10000 -8914 -199,877.39 Longer 2000-08-22 10/20/2022 4:05:06 PM 09:08:07 Text\n"
                              "   7    12     1.50 Bo" + std::string(30, ' ') + "T\n";
    EXPECT_EQ(back.at("plain.txt"), lines);
    EXPECT_EQ(back.at("paged.txt"), lines);
}


// Dates keep their day in spreadsheets (also before March 1900, where the readers count the day
// that never was) and date-times and times open with a format that shows the time.
TEST(Export, SpreadsheetDatesAreTheDaysAndTimesTheReadersShow) {
    TempDir dir;
    Report r;
    auto data = std::make_shared<DataTable>();
    data->columns = {{"When", adtype::Date, 8}};
    const double noonish = (14 * 3600 + 30 * 60 + 5) / 86400.0;
    for (double d : {2.0, 60.0, 61.0, 45366.0, 45366.0 + noonish, 0.75, 1.0})
        data->rows.push_back({Variant(automation::Date{d})});
    for (int number : {format::Excel5, format::Excel8Extended, format::WK1, format::WKS, format::WK3}) {
        ExportOptions o;
        o.formatType = number;
        const FormatInfo& f = *findFormat(number);
        exportData(r, data.get(), kRun, o, dir / ("fmt_" + std::to_string(number) + "." + std::string(f.extension)));
    }
    const auto back = readBack(dir.path());
    if (back.empty() || back.begin()->second == "SKIP\n") GTEST_SKIP() << "no spreadsheet reader is installed";
    // 1899-12-31 has no day number in a sheet: it is written as its text.
    const std::string xls =
        "When {General}\n1900-01-01 {m/d/yy}\n1900-02-28 {m/d/yy}\n1900-03-01 {m/d/yy}\n2024-03-15 {m/d/yy}\n"
        "2024-03-15 14:30:05 {m/d/yy h:mm:ss}\n18:00:00 {h:mm:ss}\n12/31/1899 {General}\n";
    for (const char* file : {"fmt_21.xls", "fmt_30.xls"}) {
        SCOPED_TRACE(file);
        const std::string& dump = back.at(file);
        EXPECT_EQ(dump.substr(0, dump.find("biff")), xls);
    }
    // The sheet converter prints the value in its own form: the time is there.
    for (const char* file : {"fmt_12.wk1", "fmt_11.wks", "fmt_13.wk3"})
        EXPECT_EQ(back.at(file), "When\n1900/01/01\n1900/02/28\n1900/03/01\n2024/03/15\n2024/03/15 14:30:05\n18:00:00\n"
                                 "12/31/1899\n")
            << file;
}


// Labels of Release 3 sheets keep tabs, line breaks and other control characters.
TEST(Export, Wk3LabelsKeepTabsAndLineBreaks) {
    TempDir dir;
    Report r;
    auto data = std::make_shared<DataTable>();
    data->columns = {{"Note", adtype::VarChar, 40}};
    for (const char* text : {"tab\there", "two\r\nlines", "lf\nonly", "bell\x07" "x"})
        data->rows.push_back({Variant(text)});
    ExportOptions o;
    o.formatType = format::WK3;
    exportData(r, data.get(), kRun, o, dir / "controls.wk3");
    const auto back = readBack(dir.path());
    if (back.at("controls.wk3") == "SKIP\n") GTEST_SKIP() << "gnumeric is not installed";
    EXPECT_EQ(back.at("controls.wk3"), "Note\ntab\there\ntwo\\r\\nlines\nlf\\nonly\nbell\x07x\n");
}


// Many paragraphs take many formatting pages; the word processor reads every record.
TEST(Export, ALongWordDocumentReadsBackWhole) {
    TempDir dir;
    Report r;
    auto data = std::make_shared<DataTable>();
    data->columns = {{"N", adtype::Integer, 4}, {"Text", adtype::VarChar, 40}};
    for (int i = 0; i < 500; ++i)
        data->rows.push_back({Variant(std::int32_t(i)), Variant("line\r\nbreak \xE9 " + std::to_string(i))});
    ExportOptions o;
    o.formatType = format::WordDoc;
    exportData(r, data.get(), kRun, o, dir / "long.doc");
    const auto back = readBack(dir.path());
    if (back.at("long.doc") == "SKIP\n") GTEST_SKIP() << "LibreOffice is not installed";
    std::string expected = "N|Text\n";
    // The manual line break inside a value comes out as a line of its own in plain text.
    for (int i = 0; i < 500; ++i) expected += std::to_string(i) + "|line\nbreak \xC3\xA9 " + std::to_string(i) + "\n";
    EXPECT_EQ(back.at("long.doc"), expected);
}

}  // namespace
}  // namespace vt::report::test
