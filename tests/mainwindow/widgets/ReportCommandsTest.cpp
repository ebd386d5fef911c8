// View > Report Viewer and Tools > ActiveX from the main window over a real 850 in the Inbox: the
// translated rows, then the plug-in's own record set, shown in the one viewer window, which closes
// with the main window; File > Print sends the selection's report where Print Setup said.

// Before any Qt header: the automation runtime uses names Qt defines as macros.
#include "platform/report/Document.h"
#include "platform/report/ReportViewer.h"
#include "tests/maps/MapFixture.h"

#include "setup/frmReport.h"
#include "tests/mainwindow/widgets/MainWindowFixture.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

namespace {

namespace fs = std::filesystem;
using namespace vt;
using namespace vt::test;

void saveTemplate(const fs::path& file, std::initializer_list<const char*> fields) {
    report::Report r;
    int left = 0;
    for (const char* f : fields) {
        r.addFieldObject(3, f, left, 0);
        left += 1800;
    }
    report::ReportDocument(r).save(file);
}

class ReportCommands : public MainWindow {
protected:
    const fs::path activeX = home.path / "ActiveX", reports = home.path / "Reports";
    // An 850 of two PO1 lines in the Inbox, its map, record layout and viewer template; selected.
    // `more` writes further rows before the window loads.
    void startWithASelectedOrder(const std::function<void(db::Database&)>& more = {}) {
        fs::create_directories(activeX);
        fs::create_directories(reports);
        settings.set("Folders", "ActiveX", activeX.string());
        settings.set("Folders", "Reports", reports.string());
        saveTemplate(reports / "ACME_850_004010_I.RPT", {"1BEG03", "7PO101", "7PO102"});
        before([&](db::Database& db) {
            maps::Map map = map850();
            maps::SaveMap(db, map);
            auto q = db.prepare("INSERT INTO Inbox (Partner, \"Transaction\", Version, Direction, Status, TSet) VALUES "
                                "('ACME', '850', '004010', 'I', 'Closed', ?1)");
            q.bind(1, set850());
            q.run();
            if (more) more(db);
        });
        start();
        maps::WriteRecordLayout(main->services(), k850);
        click("Inbox");
        main->lvw_ItemClick("Inbox", 0);
    }
};

// pdftotext's reading of a PDF.
std::string pdfText(const fs::path& pdf) {
    std::string out;
    if (FILE* p = ::popen(("/usr/bin/pdftotext '" + pdf.string() + "' - 2>&1").c_str(), "r")) {
        char buffer[4096];
        while (const size_t n = std::fread(buffer, 1, sizeof buffer, p)) out.append(buffer, n);
        ::pclose(p);
    }
    return out;
}

// File > Print goes where the real Print Setup dialog said: here printing to a PDF file, which the
// print then writes with the selection's report.
TEST_F(ReportCommands, PrintGoesWherePrintSetupSaid) {
    startWithASelectedOrder();
    const fs::path pdf = home.path / "printed.pdf";
    main->realPrinterDialog = true;
    bool chosen = false;
    main->onDialog = [&](QDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), QStringLiteral("frmPrintSetup"));
        dialog.show();   // the dialog lists its printers when it comes up
        QApplication::processEvents();
        auto* printers = dialog.findChild<QComboBox*>(QStringLiteral("printers"));
        auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
        if (!printers || !file) return int(QDialog::Rejected);
        const int toFile = printers->findText(QStringLiteral("PDF"), Qt::MatchContains);
        if (toFile < 0) return int(QDialog::Rejected);
        printers->setCurrentIndex(toFile);
        file->setText(QString::fromStdString(pdf.string()));
        chosen = true;
        dialog.accept();
        return int(QDialog::Accepted);
    };
    main->runCommand("mnuPrintSetup");
    ASSERT_TRUE(chosen) << "the dialog offers no printing to a file";
    EXPECT_EQ(main->printerChoice().outputFile, pdf.string());
    EXPECT_FALSE(fs::exists(pdf));   // Print Setup prints nothing itself

    main->runCommand("mnuPrint");
    EXPECT_TRUE(main->boxes.empty()) << main->boxes.front();
    ASSERT_TRUE(fs::exists(pdf));
    const std::string text = pdfText(pdf);
    // One line per translated row, each with its order number.
    const size_t first = text.find("PO-1");
    ASSERT_NE(first, std::string::npos) << text;
    EXPECT_NE(text.find("PO-1", first + 1), std::string::npos) << text;
}

TEST_F(ReportCommands, ViewerAndPluginCommandsShowTheirReportsInTheOneViewerWindow) {
    fs::create_directories(activeX);
    fs::create_directories(reports / "ActiveX");
    fs::copy_file(fs::path(VT_REPORT_PLUGIN_FOLDER) / "VtReportPlugin.so", activeX / "VtReportPlugin.so");
    saveTemplate(reports / "ActiveX" / "ACME_850_004010_I.RPT", {"Key", "Rows", "Previous"});
    startWithASelectedOrder([](db::Database& db) {
        db.exec("INSERT INTO Transactions (Partner, \"Transaction\", Version, Direction, ActiveX) VALUES ('ACME', "
                "'850', '004010', 'I', 'VtReportPlugin.Replace')");
    });
    folders::FolderSelection inbox = main->folderSelection("Inbox");
    ASSERT_EQ(inbox.ids.size(), 1u);
    inbox.selected = {true};
    main->applySelection(inbox);

    main->runCommand("mnuReportViewer");
    setup::frmReport* w = setup::frmReport::instance();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    auto doc = w->crxViewer()->reportSource();
    ASSERT_TRUE(doc && doc->data());
    EXPECT_EQ(doc->data()->rows.size(), 2u);
    const int po = doc->data()->find("1BEG03");
    ASSERT_GE(po, 0);
    EXPECT_EQ(automation::toText(doc->data()->rows[0][size_t(po)]), "PO-1");

    main->runCommand("mnuActiveX");
    EXPECT_EQ(setup::frmReport::instance(), w);
    doc = w->crxViewer()->reportSource();
    ASSERT_TRUE(doc && doc->data());
    ASSERT_EQ(doc->data()->rows.size(), 1u);
    EXPECT_EQ(automation::toText(doc->data()->rows[0][0]), "ACME_850_004010_I");
    EXPECT_EQ(automation::toText(doc->data()->rows[0][1]), "2");
    EXPECT_TRUE(main->boxes.empty());
    doc.reset();

    main->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(setup::frmReport::instance(), nullptr);
}

}  // namespace
