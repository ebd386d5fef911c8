// Shows the Integrator window with a result grid from a SQLite source and saves it as a PNG.
// Arguments: the file (default integrator.png), the tab (default 4) and a mode: "edit" (the first
// row in edit mode), "empty" (no transaction sets), "one" (a single row, not connected) or
// "running" (an extraction under way, with its count and Cancel). Run under a virtual display.

#include "integrator/frmIntegrator.h"
#include "tests/integrator/IntegratorFixture.h"

#include <QApplication>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>

// Lets the window paint while an extraction runs.
struct PumpingSink : vt::test::RecordingUiSink {
    void yield() override { QApplication::processEvents(); }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    vt::test::IntegratorDb t;
    {
        vt::odbc::Connection source;
        source.open("Driver=VtSQLite3;" + vt::odbc::attribute("Database", t.source.string()));
        source.execute("CREATE TABLE po (PO VARCHAR(12), Line INTEGER, Item VARCHAR(20), Qty INTEGER, Price NUMERIC(10,2), "
                       "Due DATE, Status VARCHAR(2))");
        for (int i = 1; i <= 40; ++i)
            source.execute("INSERT INTO po VALUES ('PO" + std::to_string(1000 + i / 4) + "', " + std::to_string(i % 4 + 1) +
                           ", 'WIDGET-" + std::to_string(i * 7) + "', " + std::to_string(i * 3) + ", " +
                           std::to_string(i) + ".25, '2024-03-" + std::to_string(10 + i % 15) + "', NULL)");
    }
    const QString mode = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    if (mode == QLatin1String("one")) {
        t.addRow({"ACME", "850", "004010", "I", "CheckTime = 1, Mon = 1, Wed = 1, \"Time\" = 0.3785"});
    } else if (mode != QLatin1String("empty")) {
        t.addRow({"ACME", "850", "004010", "I", "CheckTime = 1, Mon = 1, Wed = 1, \"Time\" = 0.3785"});
        t.addRow({"ACME", "855", "004010", "O",
                  t.sqliteSettings(mode == QLatin1String("running")
                                       ? "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT count(*) FROM n"
                                       : "SELECT * FROM po ORDER BY PO, Line")});
        t.addRow({"GLOBEX", "810", "004010", "O", "CheckInterval = 1, \"Interval\" = 1"});
    }
    vt::test::FakeSteps steps;
    PumpingSink sink;
    const vt::core::Services services{t.db, sink, t.clock, t.settings};
    vt::integrator::frmIntegrator w(services, steps);
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.Form_Load();
    w.show();
    const QString file = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("integrator.png");
    const int tab = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 4;
    if (mode == QLatin1String("running")) {
        w.lvwTSets_ItemClick(1);
        w.cmdConnect_Click();
        w.sstSchedule()->setCurrentIndex(tab);
        QTimer::singleShot(1500, [&] {
            w.grab().save(file);
            w.cmdCancel_Click();
        });
        w.cmdExecute_Click();
        return 0;
    }
    if (mode.isEmpty() || mode == QLatin1String("edit")) {
        w.lvwTSets_ItemClick(1);
        w.cmdConnect_Click();
        w.cmdExecute_Click();
    }
    w.sstSchedule()->setCurrentIndex(tab);
    if (mode == QLatin1String("edit")) {   // the first row in edit mode
        w.cmdDisconnect_Click();
        w.lvwTSets_ItemClick(0);
        w.cmdModify_Click();
    }
    QTimer::singleShot(300, [&] {
        w.grab().save(file);
        app.quit();
    });
    return app.exec();
}
