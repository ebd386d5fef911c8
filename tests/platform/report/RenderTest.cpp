#include "Fixture.h"
#include "tests/support/FullDisk.h"
#include "platform/report/Engine.h"
#include "platform/report/FieldDefs.h"
#include "platform/report/ReportFile.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPrinterInfo>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/stat.h>

namespace vt::report::test {
namespace {

using vt::test::FileSizeLimit;
using vt::test::SmallFileSystem;

// pdftotext's reading of a PDF, one trimmed line per text line; "" when it is not installed.
std::string pdfText(const std::filesystem::path& pdf) {
    if (!std::filesystem::exists("/usr/bin/pdftotext")) return "";
    const std::string cmd = "/usr/bin/pdftotext -layout '" + pdf.string() + "' - 2>&1";
    FILE* p = ::popen(cmd.c_str(), "r");
    std::string all;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) all.append(buf, n);
    ::pclose(p);
    std::string out, line;
    for (char c : all) {
        if (c == '\n' || c == '\f') {
            std::string squeezed;
            for (size_t i = 0; i < line.size(); ++i)
                if (line[i] != ' ' || (!squeezed.empty() && squeezed.back() != ' ')) squeezed += line[i];
            while (!squeezed.empty() && squeezed.back() == ' ') squeezed.pop_back();
            if (!squeezed.empty()) out += squeezed + "\n";
            if (c == '\f') out += "--\n";
            line.clear();
        } else {
            line += c;
        }
    }
    return out;
}

class Render : public ::testing::Test {
protected:
    TempDir dir;

    std::shared_ptr<ReportDocument> openSample() {
        saveReport(sampleReport(), dir / "Sample.RPT");
        auto doc = ReportDocument::open(dir / "Sample.RPT", 1, &fixedClock());
        doc->report().sorts.push_back({"Qty", false});
        doc->setDataSource(sampleRecords());
        return doc;
    }
};

TEST_F(Render, TemplateToPdfReadsBackInOrder) {
    auto doc = openSample();
    doc->exportOptions().formatType = format::PDF;
    doc->exportOptions().diskFileName = (dir / "out.PDF").string();
    exportReport(*doc);
    const std::string text = pdfText(dir / "out.PDF");
    if (text.empty()) GTEST_SKIP() << "pdftotext is not installed";
    EXPECT_EQ(text,
              "Sample Report\n"
              "Name Qty Price Shipped Note\n"
              "Caf\xC3\xA9 -4 0.25 2023-12-31\n"
              "Widget \"A\", large 12 3.50 2024-03-15 first\n"
              "Bolt 1000000 1234.57 x\n"
              "Page 1 of 1\n--\n");
}

TEST_F(Render, ManyRecordsPaginateWithPageNofM) {
    auto doc = openSample();
    auto data = std::make_shared<DataTable>(*doc->data());
    for (int i = 0; i < 200; ++i) data->rows.push_back(data->rows[size_t(i % 3)]);
    doc->setDataSource(data);
    const Layout layout = paginate(*doc);
    ASSERT_GE(layout.pages.size(), 3u);
    writePdf(*doc, dir / "many.pdf");
    const std::string text = pdfText(dir / "many.pdf");
    if (text.empty()) GTEST_SKIP() << "pdftotext is not installed";
    const std::string pages = std::to_string(layout.pages.size());
    for (size_t p = 1; p <= layout.pages.size(); ++p)
        EXPECT_NE(text.find("Page " + std::to_string(p) + " of " + pages + "\n--\n"), std::string::npos) << p;
}

TEST_F(Render, PrintsCopiesWithoutADialogAndRefusesWithoutAPrinter) {
    auto doc = openSample();
    PrintOptions o;
    o.copies = 2;
    o.outputFile = (dir / "printed.pdf").string();
    printOut(*doc, o);
    const std::string text = pdfText(dir / "printed.pdf");
    if (!text.empty()) {
        size_t copies = 0;
        for (size_t at = 0; (at = text.find("Page 1 of 1", at)) != std::string::npos; ++at) ++copies;
        EXPECT_EQ(copies, 2u);
    }
    o.outputFile.clear();
    o.printerName = "No Such Printer";
    try {
        printOut(*doc, o);
        ADD_FAILURE();
    } catch (const ReportError& e) {
        EXPECT_STREQ(e.what(), "The printer \"No Such Printer\" does not exist; the report was not printed");
    }
    o.copies = 0;
    EXPECT_THROW(printOut(*doc, o), ReportError);
    if (QPrinterInfo::defaultPrinter().isNull()) {
        o = {};
        try {
            printOut(*doc, o);
            ADD_FAILURE();
        } catch (const ReportError& e) {
            EXPECT_STREQ(e.what(), "No printer is installed; the report was not printed");
        }
    }
}

TEST_F(Render, ExportGoesToTheXmlFileAndRefusesUnwritableFormats) {
    auto doc = openSample();
    auto& o = doc->exportOptions();
    o.formatType = format::XML;
    o.diskFileName = (dir / "a.XML").string();
    o.xmlFileName = (dir / "b.XML").string();
    exportReport(*doc);
    EXPECT_TRUE(std::filesystem::exists(dir / "b.XML"));
    EXPECT_FALSE(std::filesystem::exists(dir / "a.XML"));
    o.formatType = format::ReportFile;
    o.diskFileName = (dir / "c.RPT").string();
    EXPECT_THROW(exportReport(*doc), ReportError);
    EXPECT_FALSE(std::filesystem::exists(dir / "c.RPT"));
    o.formatType = format::CSV;
    o.destinationType = 2;
    EXPECT_THROW(exportReport(*doc), ReportError);
}

TEST_F(Render, ExportsAndTemplatesAreTheOwnersAloneOrKeepTheReplacedMode) {
    auto doc = openSample();
    auto modeOf = [](const std::filesystem::path& p) {
        struct stat st {};
        return ::stat(p.c_str(), &st) == 0 ? unsigned(st.st_mode & 07777) : 0xFFFFu;
    };
    const struct { const char* file; int format; } cases[] = {
        {"out.pdf", format::PDF}, {"out.csv", format::CSV}, {"out.xls", format::Excel8Extended}, {"saved.RPT", 0}};
    const mode_t mask = ::umask(022);
    for (auto& c : cases) {
        const auto file = dir / c.file;
        auto write = [&] {
            if (!c.format) return doc->save(file, 2048);
            doc->exportOptions().formatType = c.format;
            doc->exportOptions().diskFileName = file.string();
            exportReport(*doc);
        };
        write();
        EXPECT_EQ(modeOf(file), 0600u) << c.file;
        ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
        write();
        EXPECT_EQ(modeOf(file), 0640u) << c.file << " replaced";
    }
    ::umask(mask);
}

// PDF export and printing to a file where the disk fills up: a failure with the system's text,
// the previous file whole, no temporary file left.
void expectPdfWritesFail(const ReportDocument& doc, const std::filesystem::path& folder, const std::string& why,
                         const std::function<void(const std::function<void()>&)>& whileFull) {
    const auto file = folder / "report.pdf";
    for (bool print : {false, true}) {
        SCOPED_TRACE(print ? "print to a file" : "export");
        { std::ofstream(file, std::ios::binary) << "the previous good file"; }
        whileFull([&] {
            try {
                if (print) {
                    PrintOptions o;
                    o.outputFile = file.string();
                    printOut(doc, o);
                } else {
                    writePdf(doc, file);
                }
                ADD_FAILURE() << "the write reported success";
            } catch (const ReportError& e) {
                EXPECT_EQ(std::string(e.what()), "Cannot write \"" + file.string() + "\": " + why);
            }
        });
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        EXPECT_EQ(text.str(), "the previous good file");
        for (const auto& e : std::filesystem::directory_iterator(folder))
            EXPECT_EQ(e.path().filename().string().rfind(".vt-write-", 0), std::string::npos) << e.path();
    }
}

TEST_F(Render, OnAFullDiskAPdfFailsAndKeepsThePreviousFile) {
    auto doc = openSample();
    auto data = std::make_shared<DataTable>(*doc->data());
    for (int i = 0; i < 300; ++i) data->rows.push_back(data->rows[size_t(i % 3)]);
    doc->setDataSource(data);
    SmallFileSystem disk(256 * 1024);
    if (disk.ready()) {
        expectPdfWritesFail(*doc, disk.path(), std::strerror(ENOSPC), [&](const std::function<void()>& run) {
            disk.fill(8 * 1024);
            run();
            std::filesystem::remove(disk / "filler");
        });
    }
    expectPdfWritesFail(*doc, dir.path(), std::strerror(EFBIG), [](const std::function<void()>& run) {
        FileSizeLimit limit(8 * 1024);
        run();
    });
    if (!disk.ready()) GTEST_SKIP() << "no small file system could be mounted here (" << disk.reason() << ")";
}

TEST_F(Render, APdfOntoAReadOnlyFileIsRefusedAndALinkWritesItsFile) {
    auto doc = openSample();
    { std::ofstream(dir / "locked.pdf") << "kept"; }
    ASSERT_EQ(::chmod((dir / "locked.pdf").c_str(), 0444), 0);
    try {
        writePdf(*doc, dir / "locked.pdf");
        ADD_FAILURE() << "a read-only file was replaced";
    } catch (const ReportError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot write \"" + (dir / "locked.pdf").string() + "\": " + std::strerror(EACCES));
    }
    struct stat st {};
    ASSERT_EQ(::stat((dir / "locked.pdf").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_EQ(st.st_size, 4);
    std::filesystem::create_directory(dir / "real");
    std::filesystem::create_symlink(dir / "real" / "out.pdf", dir / "link.pdf");
    writePdf(*doc, dir / "link.pdf");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.pdf"));
    const std::string text = pdfText(dir / "real" / "out.pdf");
    if (!text.empty()) {
        EXPECT_EQ(text.substr(0, 14), "Sample Report\n");
    }
}

// A field that does not grow shows only the lines that fit in it whole.
TEST_F(Render, AFieldThatDoesNotGrowShowsWholeLinesOnly) {
    Report r;
    auto& f = r.addTextObject(3, "First line\nsecond line\nthird", 0, 0);
    const double line = QFontMetricsF(qtFont(f.font)).lineSpacing();
    f.height = int(line * 1.7);   // room for one line and most of another
    f.width = 4000;
    r.section(SectionKind::Details).height = 2000;
    ReportDocument doc(r, &fixedClock());
    doc.setDataSource(sampleRecords());
    const Layout layout = paginate(doc);
    const double scale = 0.1;   // 144 dots an inch
    QImage image(int(r.page.width * scale), int(r.page.height * scale), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    drawPage(p, layout, 0, scale);
    p.end();
    const PlacedItem& it = layout.pages[0].items.front();
    auto inked = [&](double top, double bottom) {
        for (int y = int(std::ceil(top * scale)); y < int(bottom * scale); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != qRgb(255, 255, 255)) return true;
        return false;
    };
    EXPECT_TRUE(inked(it.y, it.y + line));
    EXPECT_FALSE(inked(it.y + line + 1, it.y + 2000));
}

// A huge value in a growing field is cut to what one object shows and grows to a page at most.
TEST_F(Render, AHugeValueInAGrowingFieldGrowsToAPageAtMost) {
    Report r;
    auto& f = r.addFieldObject(3, "Name", 0, 0);
    f.canGrow = true;
    f.width = 3000;
    ReportDocument doc(r, &fixedClock());
    auto data = std::make_shared<DataTable>();
    data->columns = {{"Name", adtype::VarChar, 0}};
    for (int i = 0; i < 3; ++i) {
        std::string words;
        for (int w = 0; w < (2 << 20); ++w) words += std::string(4, char('a' + i)) + ' ';
        data->rows.push_back({Variant(words)});   // 10 MB
    }
    doc.setDataSource(data);
    const Layout layout = paginate(doc);
    ASSERT_EQ(layout.pages.size(), 3u);
    for (const Page& page : layout.pages) {
        ASSERT_EQ(page.items.size(), 1u);
        EXPECT_EQ(page.items[0].text.size(), kMaxShownText);
        EXPECT_LE(page.items[0].height, r.page.height - r.page.marginTop - r.page.marginBottom);
    }
    writePdf(doc, dir / "huge.pdf");
    const std::string text = pdfText(dir / "huge.pdf");
    if (!text.empty()) {
        EXPECT_NE(text.find("aaaa"), std::string::npos);
        EXPECT_NE(text.find("cccc"), std::string::npos);
    }
}

TEST_F(Render, DrawsAPageOnTheScreenAtAZoom) {
    auto doc = openSample();
    const Layout layout = paginate(*doc);
    QImage image(612, 792, QImage::Format_RGB32);   // a Letter page at 72 dpi
    image.fill(Qt::white);
    QPainter p(&image);
    drawPage(p, layout, 0, 72.0 / 1440);
    p.end();
    // The title's row is inked; the bottom margin is not.
    auto inked = [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != qRgb(255, 255, 255)) return true;
        return false;
    };
    EXPECT_TRUE(inked(36, 56));
    EXPECT_FALSE(inked(760, 792));
}

// A starter report prints every caption whole, whatever the field's own size: the bold caption
// is measured with the font the page is drawn with.
TEST_F(Render, AStarterReportsCaptionsFitTheirBoxes) {
    std::vector<Column> fields;
    for (const char* name : {"1BEG0301", "1BEG0302", "1XX0101", "7PO10201", "2MWMW0101", "ID"})
        fields.push_back({name, adtype::VarChar, 2});
    fields.push_back({"1DTM0201", adtype::Date, 8});
    fields.push_back({"WWWWWWWW", adtype::Double, 8});
    const Report r = starterReport(fields, "Captions");
    int captions = 0;
    for (const ReportObject& o : r.section(SectionKind::PageHeader).objects) {
        ASSERT_EQ(o.kind, ObjectKind::Text);
        ++captions;
        // The page is laid out in twips: a font of n points is 20n twips high.
        EXPECT_LE(QFontMetricsF(qtFont(o.font)).horizontalAdvance(QString::fromLatin1(o.text.c_str())), o.width)
            << o.text;
    }
    EXPECT_EQ(captions, int(fields.size()));
}

}  // namespace
}  // namespace vt::report::test
