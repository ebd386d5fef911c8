#include "Fixture.h"
#include "platform/report/Engine.h"
#include "platform/report/ReportFile.h"

#include <QImage>
#include <QPainter>
#include <QPrinterInfo>

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>

namespace vt::report::test {
namespace {

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
    o.formatType = format::WK3;
    o.diskFileName = (dir / "c.WK3").string();
    EXPECT_THROW(exportReport(*doc), ReportError);
    EXPECT_FALSE(std::filesystem::exists(dir / "c.WK3"));
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

}  // namespace
}  // namespace vt::report::test
