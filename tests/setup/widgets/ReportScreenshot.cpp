// Pictures of the report viewer and designer windows over a purchase-order report, for looking
// at them under a virtual display:
//   vt_report_screenshot <folder>
// writes viewer.png, viewer-drilldown.png, viewer-bare.png (every Viewer switch off), viewer-1024.png
// (a window 1024 pixels wide), viewer-empty.png (no records), starter.png (a map's starter report
// with a long partner name), designer.png and report.pdf (the same report as printed, for pdftoppm).

// Before any Qt header: the automation runtime uses names Qt defines as macros.
#include "platform/automation/Recordset.h"
#include "platform/report/Document.h"
#include "platform/report/Engine.h"
#include "platform/report/ReportDesigner.h"
#include "platform/report/ReportViewer.h"

#include "maps/MapReport.h"
#include "platform/report/FieldDefs.h"
#include "platform/settings/Settings.h"
#include "setup/frmDesign.h"
#include "setup/frmReport.h"

#include <QApplication>

#include <iostream>

namespace {

using namespace vt;
using automation::Variant;

void save(QWidget& w, const std::filesystem::path& file) {
    w.show();
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    w.grab().save(QString::fromStdString(file.string()));
    std::cout << file.string() << "\n";
}

automation::Ref<automation::Recordset> orders() {
    auto rs = automation::Recordset::create();
    rs->appendField("1BEG03", automation::adtype::VarChar, 22);
    rs->appendField("4DTM02", automation::adtype::VarChar, 10);
    rs->appendField("7PO101", automation::adtype::VarChar, 6);
    rs->appendField("7PO102", automation::adtype::Integer);
    rs->appendField("7PO103", automation::adtype::VarChar, 2);
    rs->appendField("7PO104", automation::adtype::Double);
    rs->appendField("7PO107", automation::adtype::VarChar, 30);
    rs->appendField("8PID05", automation::adtype::VarChar, 40);
    rs->open();
    const char* parts[] = {"WIDGET", "GADGET", "BRACKET", "HINGE", "BOLT-M8", "WASHER", "GASKET"};
    const char* names[] = {"BLUE WIDGET", "GADGET BOX", "STEEL BRACKET 40MM", "DOOR HINGE", "HEX BOLT M8X40",
                           "FLAT WASHER M8", "RUBBER GASKET"};
    for (int po = 0; po < 9; ++po)
        for (int line = 0; line < 4 + po % 4; ++line) {
            const int k = (po * 3 + line) % 7;
            rs->addNew();
            rs->setValue(0, Variant("PO-2024-" + std::to_string(1040 + po)));
            rs->setValue(1, Variant("3/" + std::to_string(5 + po) + "/2024"));
            rs->setValue(2, Variant(std::to_string(line + 1)));
            rs->setValue(3, Variant(std::int32_t(10 * (k + 1) + line)));
            rs->setValue(4, Variant(k % 2 ? "BX" : "EA"));
            rs->setValue(5, Variant(1.25 + k * 3.1));
            rs->setValue(6, Variant(std::string(parts[k])));
            rs->setValue(7, Variant(std::string(names[k])));
            rs->update();
        }
    return rs;
}

report::Report orderReport() {
    using report::SectionKind;
    report::Report r;
    r.title = "Purchase Orders";
    r.section(SectionKind::ReportHeader).height = 700;
    auto& title = r.addTextObject(1, "ACME Purchase Orders (850)", 0, 0);
    title.width = 7000;
    title.height = 450;
    title.font.size = 18;
    title.font.bold = true;
    r.addSpecialField(1, 1, 8000, 100).width = 2700;
    r.addGroup("1BEG03");
    const char* captions[] = {"Line", "Part", "Description", "Qty", "UOM", "Price"};
    const char* fields[] = {"7PO101", "7PO107", "8PID05", "7PO102", "7PO103", "7PO104"};
    const int lefts[] = {300, 1000, 2800, 6400, 7500, 8400};
    const int widths[] = {600, 1700, 3500, 1000, 800, 1300};
    for (int i = 0; i < 6; ++i) {
        auto& c = r.addTextObject(2, captions[i], lefts[i], 60);
        c.width = widths[i];
        c.font.bold = true;
        if (i >= 3) c.align = report::Align::Right;
        auto& f = r.addFieldObject(4, fields[i], lefts[i], 0);
        f.width = widths[i];
        if (i >= 3) f.align = report::Align::Right;
        if (i == 5) f.format = "#,##0.00";
    }
    auto& rule = r.section(2).objects.emplace_back();
    rule.kind = report::ObjectKind::Line;
    rule.top = 330;
    rule.width = 10800;
    rule.height = 0;
    auto& po = r.addFieldObject(3, "1BEG03", 0, 60);
    po.width = 3000;
    po.font.bold = true;
    po.font.size = 11;
    auto& date = r.addFieldObject(3, "4DTM02", 3200, 60);
    date.width = 2000;
    r.section(3).height = 400;
    r.addSpecialField(r.sectionCount() - 1, 17, 8400, 60).width = 2400;
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: vt_report_screenshot <folder>\n";
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out);
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));

    auto doc = std::make_shared<report::ReportDocument>(orderReport());
    doc->setDataSource(orders());
    report::writePdf(*doc, out / "report.pdf");
    std::cout << (out / "report.pdf").string() << "\n";
    MemorySettings settings;
    {
        setup::frmReport* w = setup::frmReport::Show(settings, doc);
        w->resize(1100, 800);
        save(*w, out / "viewer.png");
        w->crxViewer()->drillDown(2);
        w->crxViewer()->findNext(QStringLiteral("hinge"));
        save(*w, out / "viewer-drilldown.png");
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    {
        setup::frmReport* w = setup::frmReport::Show(settings, doc);
        w->resize(1024, 700);
        save(*w, out / "viewer-1024.png");
        auto empty = std::make_shared<report::ReportDocument>(orderReport());
        auto none = orders();
        while (none->recordCount() > 0) {
            none->moveFirst();
            none->deleteCurrent();
        }
        empty->setDataSource(none);
        setup::frmReport::Show(settings, empty);
        save(*w, out / "viewer-empty.png");
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    {
        const auto fields = orders();
        const maps::MapKey key{"VOZEZIDIDIDE MANUFACTURING COMPANY", "850", "004010", "I"};
        const auto file = out / (key.text() + ".RPT");
        report::createReportOnRuntimeDS(*fields, file, out / (key.text() + ".ttx"), true, false);
        auto starter = report::ReportDocument::open(file, 1);
        maps::AddMapTitleBlock(starter->report(), key);
        starter->setDataSource(orders());
        setup::frmReport* w = setup::frmReport::Show(settings, starter);
        w->resize(1024, 700);
        save(*w, out / "starter.png");
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    {
        MemorySettings off;
        for (std::string_view key : report::ReportViewer::switchNames()) off.set("Viewer", key, "0");
        setup::frmReport w(off);
        w.Form_Load(doc);
        w.resize(900, 600);
        save(w, out / "viewer-bare.png");
    }
    {
        const auto file = out / "ACME_850_004010_I.RPT";
        report::ReportDocument(orderReport()).save(file);
        setup::frmDesign* w = setup::frmDesign::Show(report::ReportDocument::open(file, 1));
        w->resize(1200, 800);
        w->crxDesigner()->select({4, 2});
        save(*w, out / "designer.png");
        w->crxDesigner()->preview();
    }
    return 0;
}
