// A new user's first export, from a fresh home folder through the real windows: the login fills
// the folders, a new partner's purchase order is opened, its map is designed (which writes the
// viewer report), and File > Export finds no export template: the real box offers to make it,
// Yes makes it and the export goes on. Tools > Designer > Export Report offers the same and shows
// the template made in the designer window; an unattended export makes nothing.

// Before any Qt header: the automation runtime uses names Qt defines as macros.
#include "platform/report/Document.h"
#include "platform/report/ReportDesigner.h"
#include "tests/maps/MapFixture.h"

#include "folders/OpenInterchange.h"
#include "maps/MapReport.h"
#include "setup/frmDesign.h"
#include "setup/frmLogin.h"
#include "tests/folders/X12Builder.h"
#include "tests/mainwindow/widgets/MainWindowFixture.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>

namespace {

namespace fs = std::filesystem;
using namespace vt;
using namespace vt::test;

// Answers the next message box with `button` once it is up and keeps what it showed.
class NextBox {
public:
    explicit NextBox(QMessageBox::StandardButton button) {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this, button] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(w);
                if (!box || !box->isVisible()) continue;
                title = box->windowTitle().toStdString();
                text = box->text().toStdString();
                icon = box->icon();
                buttons = box->standardButtons();
                timer_.stop();
                box->button(button)->click();
                return;
            }
        });
        timer_.start();
    }
    std::string title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;

private:
    QTimer timer_;
};

// HOME and the XDG folders in a folder of the test's own, so the program starts as on a new
// machine; the environment is put back afterwards.
class FreshHome : public ::testing::Test {
protected:
    static void SetUpTestSuite() { application(); }
    FreshHome() : root("fresh") {
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "VELTRANE_HOME"})
            if (const char* v = std::getenv(name)) saved[name] = v;
        home = root.path / "home";
        fs::create_directories(home);
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home / ".local" / "share").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
        ::unsetenv("VELTRANE_HOME");
        data = home / ".local" / "share" / "Veltrane";
    }
    ~FreshHome() override {
        if (core::gConnection().isOpen()) core::gConnection().close();
        core::gUserName = "System";
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "VELTRANE_HOME"})
            if (saved.count(name)) ::setenv(name, saved[name].c_str(), 1);
            else ::unsetenv(name);
    }
    std::vector<std::string> historySince(long long after) { return vt::test::historySince(after); }

    TempFolder root;
    fs::path home, data;
    std::map<std::string, std::string> saved;
};

TEST_F(FreshHome, ANewUserMakesTheFirstExportOfANewPartnersSet) {
    FileSettings settings;
    FixedClock clock{text::DateTime{2024, 3, 5, 14, 7, 9}};
    mainwindow::frmMain main(settings, clock);
    setup::frmLogin login(main.services(), [&main] {
        if (!main.Form_Load()) return false;
        main.show();
        return true;
    });
    ASSERT_TRUE(login.Form_Load());
    login.cmdOk_Click();   // the first account, its password remembered
    ASSERT_TRUE(login.loggedIn());
    ASSERT_EQ(settings.get("Folders", "Reports"), (data / "Reports").string());

    // A purchase order from a partner the program has not met; the set is registered with it.
    X12 x;
    x.isa("000000101", "ACME", "VT").gs("101");
    const fs::path file = data / "Inbound" / "ACME.EDI";
    std::ofstream(file, std::ios::binary) << x.text() + set850() + "GE*1*101~IEA*1*000000101~";
    folders::LoadInterchangeFiles(main.services(), {file}, "I");
    const std::string partner = conn().scalarText("SELECT Partner FROM Transactions WHERE \"Transaction\" = '850'");
    ASSERT_EQ(partner, "ACMEAPPSVTAPPR");   // named by its envelope's sender and receiver
    const std::string key = partner + "_850_004010_I";
    // The map designed and saved: the layout file and the viewer report (the starter report).
    maps::Map map = map850();
    map.key.partner = partner;
    maps::SaveMap(conn(), map);
    maps::WriteRecordLayout(main.services(), map.key);
    ASSERT_TRUE(maps::CreateMapReport(main.services(), map.key));
    const fs::path viewer = data / "Reports" / (key + ".RPT");
    const fs::path made = data / "Reports" / "Export" / (key + ".RPT");
    ASSERT_TRUE(fs::exists(viewer));
    ASSERT_FALSE(fs::exists(made));

    main.folderTree()->setCurrentItem(main.folderNode("Inbox"));
    QApplication::processEvents();
    main.folderList("Inbox")->selectAll();

    // File > Export: the box offers the template; Yes makes it and the file is exported.
    long long before = lastHistoryIndex();
    {
        NextBox yes(QMessageBox::Yes);
        main.runCommand("mnuExport");
        EXPECT_EQ(yes.title, "Veltrane");
        EXPECT_EQ(yes.icon, QMessageBox::Question);
        EXPECT_EQ(yes.buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(yes.text, "Export Report Not Found: " + made.string() + "\n\nCreate it from the viewer report " +
                                viewer.string() + "?");
    }
    EXPECT_TRUE(fs::exists(made));
    // The new set's export format is the first one, character-separated values.
    const fs::path exported = data / "Export" / (key + ".CHR");
    ASSERT_TRUE(fs::exists(exported));
    std::ifstream in(exported, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(bytes.find("PO-1"), std::string::npos) << bytes;
    EXPECT_EQ(historySince(before), (std::vector<std::string>{"Selected [File] - [Export]",
                                                              key + " Translated: 1 Errors: 0",
                                                              "Export Report Created: " + made.string()}));
    EXPECT_EQ(conn().scalarText("SELECT Status FROM Inbox"), "Exported");

    // Unattended, as the Integrator runs it: the History row only, nothing made.
    fs::remove(made);
    before = lastHistoryIndex();
    EXPECT_FALSE(main.ExportReport("Inbox", true));
    EXPECT_EQ(historySince(before).back(), "Export Report Not Found " + made.string());
    EXPECT_FALSE(fs::exists(made));

    // Tools > Designer > Export Report without a viewer report: made from the map and designed.
    fs::remove(viewer);
    before = lastHistoryIndex();
    {
        NextBox yes(QMessageBox::Yes);
        main.runCommand("mnuDesignExport");
        EXPECT_EQ(yes.text, "Export Report Not Found: " + made.string() + "\n\nCreate it from the map's field definitions?");
    }
    EXPECT_EQ(historySince(before), (std::vector<std::string>{"Selected [Tools] - [Designer] - [Export Report]",
                                                              "Export Report Created: " + made.string()}));
    setup::frmDesign* designer = setup::frmDesign::instance();
    ASSERT_NE(designer, nullptr);
    EXPECT_TRUE(designer->isVisible());
    const auto& doc = designer->crxDesigner()->reportObject();
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->path(), made);
    EXPECT_EQ(doc->report().section(1).objects.front().text, partner + "_850_004010");   // the map's title block
    designer->close();
    main.close();
}

}  // namespace
