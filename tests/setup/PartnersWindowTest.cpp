// The partner window over partners that the interchange reader registered.

#include "core/Globals.h"
#include "folders/InterchangeReader.h"
#include "platform/automation/ClassRegistry.h"
#include "setup/Login.h"
#include "setup/PluginChoice.h"
#include "setup/frmPartners.h"
#include "setup/frmStandard.h"
#include "tests/folders/X12Builder.h"
#include "tests/setup/PartnersFixture.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>

namespace {

namespace fs = std::filesystem;
using vt::setup::frmPartners;
using vt::setup::frmStandard;

QApplication& application() {
    static int argc = 1;
    static char name[] = "test_setup_widgets";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class ScriptedPartners : public frmPartners {
public:
    using frmPartners::frmPartners;
    std::function<int(QDialog&)> onDialog;
    std::vector<std::string> dialogs;

protected:
    int execDialog(QDialog& dialog) override {
        dialogs.push_back(dialog.objectName().toStdString());
        if (onDialog) return onDialog(dialog);
        dialog.close();
        return QDialog::Rejected;
    }
};

std::string interchange(const std::string& sender, const std::string& app, const std::string& icn) {
    vt::test::X12 x;
    x.isa(icn, sender, "VT").gs("1", "PO", "20240305", "1407", "004010", app, "HQ").po("0001").ge().iea();
    return x.text("~\n");
}

class PartnersWindow : public vt::test::SetupTest {
protected:
    static void SetUpTestSuite() { application(); }
    PartnersWindow() {
        for (const char* f : {"Export", "Import"}) {
            fs::create_directories(scratch.folder() / f);
            scratch.settings.set("Folders", f, (scratch.folder() / f).string());
        }
    }
    void receive(const std::string& sender, const std::string& app, const std::string& icn) {
        const fs::path file = scratch.folder() / (sender + ".EDI");
        std::ofstream(file, std::ios::binary) << interchange(sender, app, icn);
        ASSERT_EQ(vt::folders::LoadBox(s, file, "I"), "");
    }
    frmPartners& open() {
        window = std::make_unique<ScriptedPartners>(s, registry);
        window->Form_Load();
        return *window;
    }
    QPushButton* button(const char* name) { return static_cast<QPushButton*>(window->control(name)); }
    std::string title() { return window->windowTitle().toStdString(); }

    vt::automation::ClassRegistry registry;
    std::unique_ptr<ScriptedPartners> window;
};

TEST_F(PartnersWindow, ShowsAPartnerTheReaderRegistered) {
    receive("ACME", "SUPPLY", "000000101");
    frmPartners& w = open();
    EXPECT_EQ(title(), "Partner 1 of 1 -- ACMESUPPLYVTHQ");
    EXPECT_EQ(w.fieldText("txtPartner"), "ACMESUPPLYVTHQ");
    EXPECT_EQ(w.fieldText("cboPartnerSt"), "126 -- (~)");
    EXPECT_EQ(w.fieldText("cboPartnerEd"), "042 -- (*)");
    EXPECT_EQ(w.fieldText("cboPartnerSed"), "062 -- (>)");
    EXPECT_EQ(w.fieldText("txtISA08"), vt::test::pad("ACME", 15));
    EXPECT_EQ(w.fieldText("txtISA06"), vt::test::pad("VT", 15));
    EXPECT_EQ(w.fieldText("txtGS03"), "SUPPLY");
    EXPECT_EQ(w.fieldText("cboIntAck"), "No");
    EXPECT_EQ(w.fieldText("cboTestIndicator"), "Production");
    // The reader stores the version without its list position.
    EXPECT_EQ(w.fieldText("cboISAVersion"), "004010");
    EXPECT_EQ(w.fieldText("txtISA09"), "240305");
    EXPECT_EQ(w.fieldText("txtISA10"), "1407");
    // The reader's set is listed with the control number it last read, and previewed; its version
    // dates groups with eight digits.
    ASSERT_EQ(w.transactionList(0)->topLevelItemCount(), 1);
    EXPECT_EQ(w.transactionList(0)->topLevelItem(0)->text(0), QStringLiteral("850"));
    EXPECT_EQ(w.fieldText("txtGS08"), "004010");
    EXPECT_EQ(w.fieldText("txtGS04"), "20240305");
    EXPECT_EQ(w.fieldText("txtGS05"), "140709");
    EXPECT_EQ(w.fieldText("lblInboundDesc"), "850: Purchase Order");
    const std::string preview = w.fieldText("txtPreview");
    EXPECT_EQ(preview.substr(0, preview.find("\r\n")),
              "ISA*00*" + std::string(10, ' ') + "*00*" + std::string(10, ' ') + "*ZZ*" + vt::test::pad("ACME", 15) +
                  "*ZZ*" + vt::test::pad("VT", 15) + "*240305*1407*U*00401*000000000*0*P*>~");
    EXPECT_NE(preview.find("\r\n\tGS*PO*SUPPLY*HQ*20240305*140709*000000000*X*004010~\r\n\t\tST*850*000000001~"),
              std::string::npos);
    EXPECT_FALSE(w.control("txtISA06")->isEnabled());
    EXPECT_TRUE(w.mnuEditPartner()->isEnabled());
}

TEST_F(PartnersWindow, EditModeEnablesTheFieldsAndStopsNavigation) {
    receive("ACME", "SUPPLY", "000000101");
    receive("NORTH", "WIND", "000000102");
    frmPartners& w = open();
    QTest::keyClick(button("cmdMoveNext"), Qt::Key_N);
    EXPECT_EQ(title(), "Partner 2 of 2 -- NORTHWINDVTHQ");
    QTest::keyClick(w.sstPartner()->tabBar(), Qt::Key_P);
    EXPECT_EQ(title(), "Partner 1 of 2 -- ACMESUPPLYVTHQ");

    w.mnuEditPartner_Click();
    EXPECT_TRUE(w.control("txtISA06")->isEnabled());
    EXPECT_FALSE(w.control("txtISA09")->isEnabled());
    EXPECT_FALSE(button("cmdMoveNext")->isEnabled());
    EXPECT_FALSE(w.mnuAddPartner()->isEnabled());
    EXPECT_EQ(w.mnuEditPartner()->text(), QStringLiteral("&Save"));
    w.NavigateByKey('>');
    EXPECT_EQ(title(), "Partner 1 of 2 -- ACMESUPPLYVTHQ");

    // Choosing a version sets ISA12; No drops the edits.
    auto* version = static_cast<QComboBox*>(w.control("cboISAVersion"));
    version->setCurrentIndex(2);
    EXPECT_EQ(w.fieldText("txtISA12"), "00501");
    static_cast<QLineEdit*>(w.control("txtPartner"))->setText(QStringLiteral("RENAMED1"));
    ui.boxAnswers = {vt::core::vbNo};
    w.mnuEditPartner_Click();
    EXPECT_EQ(w.fieldText("txtPartner"), "ACMESUPPLYVTHQ");
    EXPECT_EQ(w.fieldText("txtISA12"), "00401");
    EXPECT_FALSE(w.control("txtISA06")->isEnabled());
    EXPECT_TRUE(button("cmdMoveNext")->isEnabled());
}

TEST_F(PartnersWindow, AddsASetPickedInTheStandardList) {
    receive("ACME", "SUPPLY", "000000101");
    ScriptedPartners& w = static_cast<ScriptedPartners&>(open());
    w.sstPartner()->setCurrentIndex(2);
    w.sstTransaction()->setCurrentIndex(1);
    EXPECT_EQ(w.transactionList(1)->topLevelItemCount(), 0);
    EXPECT_FALSE(w.control("cmdSaveOutbound")->isEnabled());
    EXPECT_TRUE(w.control("cmdAddOutbound")->isEnabled());

    // Closed by its close box: nothing chosen.
    vt::core::gCancel = false;
    w.cmdAdd_Click(1);
    EXPECT_EQ(w.dialogs, std::vector<std::string>{"frmStandard"});
    EXPECT_EQ(w.transactionList(1)->topLevelItemCount(), 0);

    w.onDialog = [](QDialog& d) {
        auto& picker = static_cast<frmStandard&>(d);
        EXPECT_EQ(picker.cboVersion()->currentText(), QStringLiteral("003020"));
        EXPECT_EQ(picker.lvwStandard()->topLevelItem(0)->text(0), QStringLiteral("810"));
        picker.cboVersion()->setCurrentIndex(1);
        picker.lvwStandard()->setCurrentItem(picker.lvwStandard()->topLevelItem(2));   // 856
        picker.cmdOK()->click();
        return int(QDialog::Accepted);
    };
    w.cmdAdd_Click(1);
    ASSERT_EQ(w.transactionList(1)->topLevelItemCount(), 1);
    EXPECT_EQ(w.transactionList(1)->topLevelItem(0)->text(0), QStringLiteral("856"));
    EXPECT_EQ(w.fieldText("lblOutboundDesc"), "856: Ship Notice/Manifest");
    EXPECT_TRUE(w.control("cmdSaveOutbound")->isEnabled());
    EXPECT_TRUE(fs::exists(scratch.folder() / "Import" / "ACMESUPPLYVTHQ_856_004010_O.IMP"));
    EXPECT_NE(w.fieldText("txtPreview").find("\tGS*SH*HQ*SUPPLY*"), std::string::npos);

    // Delete with Yes empties the tab again.
    w.cmdDelete_Click(1);
    EXPECT_EQ(w.transactionList(1)->topLevelItemCount(), 0);
    EXPECT_EQ(w.fieldText("txtPreview"), "");
    EXPECT_FALSE(w.control("cmdDeleteOutbound")->isEnabled());
}

TEST_F(PartnersWindow, APickerWithoutVersionsSaysSo) {
    db.exec("DELETE FROM Version");
    frmStandard picker(s);
    picker.Form_Load();
    EXPECT_EQ(picker.cboVersion()->count(), 0);
    EXPECT_EQ(picker.lvwStandard()->topLevelItemCount(), 0);
    EXPECT_FALSE(picker.cmdOK()->isEnabled());
    EXPECT_EQ(ui.eventsStartingWith("box").size(), 1u);
}

TEST_F(PartnersWindow, OnlyTheActiveXHeaderAsksForAPluginLibrary) {
    receive("ACME", "SUPPLY", "000000101");
    db.exec("UPDATE Transactions SET ActiveX = 'Kept.ACMESUPPLYVTHQ_850_004010_I'");
    scratch.settings.set("Folders", "ActiveX", scratch.folder().string());
    frmPartners& w = open();
    w.sstPartner()->setCurrentIndex(2);
    w.lvw_ColumnClick(0, 1);
    EXPECT_TRUE(ui.eventsStartingWith("open").empty());
    w.lvw_ColumnClick(0, 3);   // cancelled
    EXPECT_EQ(ui.eventsStartingWith("open"),
              std::vector<std::string>{"open : " + scratch.folder().string() + " [ActiveX Files(*.so)|*.so]"});
    EXPECT_EQ(w.transactionList(0)->topLevelItem(0)->text(3), QStringLiteral("Kept.ACMESUPPLYVTHQ_850_004010_I"));
    ui.boxAnswers = {vt::core::vbYes};
    w.mnuClearActiveX_Click(0);
    EXPECT_EQ(w.transactionList(0)->topLevelItem(0)->text(3), QString());
    EXPECT_EQ(vt::test::rows(db, "Transactions", "ActiveX"), std::vector<std::string>{""});
}

// After a first start the plug-in choice opens the ActiveX folder the login stored, where the
// delivered library already is, and choosing it gives the set its class.
TEST_F(PartnersWindow, AfterAFirstStartThePluginChoiceFindsTheDeliveredLibrary) {
    const fs::path home = scratch.folder() / "home";
    ::setenv("VELTRANE_HOME", home.c_str(), 1);
    struct Unset {
        ~Unset() { ::unsetenv("VELTRANE_HOME"); }
    } unset;
    vt::core::databaseFolder(scratch.settings);   // the data folder, as the start makes it
    vt::core::installDeliveredPlugin(scratch.settings);
    ASSERT_TRUE(vt::setup::CompleteLogin(s));
    const fs::path folder = scratch.settings.get("Folders", "ActiveX");
    EXPECT_EQ(folder, home / "ActiveX");
    ASSERT_TRUE(fs::is_regular_file(folder / "Brackwen.so"));

    vt::test::addPartnerRow(db, "Vozezididide");
    vt::test::addSetRows(db, "Vozezididide", "862", "003020", "I");
    registry.setPluginFolder([this] { return vt::setup::pluginFolder(scratch.settings); });
    frmPartners& w = open();
    w.sstPartner()->setCurrentIndex(2);
    ASSERT_EQ(w.transactionList(0)->topLevelItemCount(), 1);
    w.transactionList(0)->setCurrentItem(w.transactionList(0)->topLevelItem(0));
    ui.fileAnswers = {{folder / "Brackwen.so"}};
    w.lvw_ColumnClick(0, 3);
    EXPECT_EQ(ui.eventsStartingWith("open"),
              std::vector<std::string>{"open : " + folder.string() + " [ActiveX Files(*.so)|*.so]"});
    EXPECT_EQ(w.transactionList(0)->topLevelItem(0)->text(3), QStringLiteral("Brackwen.Vozezididide_862_003020_I"));
    EXPECT_EQ(vt::test::rows(db, "Transactions", "ActiveX"),
              std::vector<std::string>{"Brackwen.Vozezididide_862_003020_I"});
}

TEST_F(PartnersWindow, ANewPartnerHasUsableEnvelopesAndARefusedNameStaysToBeCorrected) {
    ScriptedPartners& w = static_cast<ScriptedPartners&>(open());
    ui.inputAnswers = {std::string("NEW 01"), std::string("NEWONE1")};
    w.mnuAddPartner_Click();
    EXPECT_EQ(ui.eventsStartingWith("input"),
              (std::vector<std::string>{"input Veltrane: Enter Trading Partner Name: []",
                                        "input Veltrane: Enter Trading Partner Name: [NEW 01]"}));
    EXPECT_EQ(title(), "Partner 1 of 1 -- NEWONE1");
    EXPECT_EQ(w.fieldText("cboPartnerSt"), "126 -- (~)");
    EXPECT_EQ(w.fieldText("cboPartnerEd"), "042 -- (*)");
    EXPECT_EQ(w.fieldText("cboPartnerSed"), "062 -- (>)");

    // An envelope built before the separators are edited reads as X12.
    w.sstPartner()->setCurrentIndex(2);
    w.onDialog = [](QDialog& d) {
        auto& picker = static_cast<frmStandard&>(d);
        picker.lvwStandard()->setCurrentItem(picker.lvwStandard()->topLevelItem(0));
        picker.cmdOK()->click();
        return int(QDialog::Accepted);
    };
    w.cmdAdd_Click(0);
    const std::string preview = w.fieldText("txtPreview");
    ASSERT_FALSE(preview.empty());
    EXPECT_EQ(preview.substr(0, 4), "ISA*");
    EXPECT_EQ(preview.substr(preview.find("\r\n") - 2, 2), ">~");

    // Edit, a name Save refuses: the name and the other edits stay in edit mode, to be corrected.
    w.mnuEditPartner_Click();
    auto* name = static_cast<QLineEdit*>(w.control("txtPartner"));
    name->setText(QStringLiteral("NEW/ONE 1"));
    static_cast<QLineEdit*>(w.control("txtISA06"))->setText(QStringLiteral("OURS"));
    ui.boxAnswers = {vt::core::vbYes};
    w.mnuEditPartner_Click();
    EXPECT_EQ(ui.eventsStartingWith("box").back(), "box 16 Veltrane: Invalid Trading Partner Name!");
    EXPECT_EQ(w.fieldText("txtPartner"), "NEW/ONE 1");
    EXPECT_EQ(w.fieldText("txtISA06"), "OURS");
    EXPECT_TRUE(name->isEnabled());
    EXPECT_EQ(w.mnuEditPartner()->text(), QStringLiteral("&Save"));
    name->setText(QStringLiteral("NEWONE2"));
    ui.boxAnswers = {vt::core::vbYes};
    w.mnuEditPartner_Click();
    EXPECT_EQ(title(), "Partner 1 of 1 -- NEWONE2");
    EXPECT_EQ(vt::test::rows(db, "Partner", "Partner, ISA06"), std::vector<std::string>{"NEWONE2|OURS"});
}

// Alt with a letter reaches one control, whichever tab is in front.
TEST_F(PartnersWindow, AccessKeysOfWhatIsShownAreUnique) {
    receive("ACME", "SUPPLY", "000000001");
    frmPartners& w = open();
    w.show();
    auto key = [](QString text) {
        const int at = text.indexOf(QLatin1Char('&'));
        return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toUpper() : QChar();
    };
    for (int page = 0; page < 3; ++page)
        for (int inner = 0; inner < 2; ++inner) {
            w.sstPartner()->setCurrentIndex(page);
            w.sstTransaction()->setCurrentIndex(inner);
            std::map<QChar, QString> seen;
            auto claim = [&](const QString& text) {
                const QChar k = key(text);
                if (k.isNull()) return;
                EXPECT_TRUE(seen.emplace(k, text).second)
                    << text.toStdString() << " and " << seen[k].toStdString() << " on tab " << page << "/" << inner;
            };
            for (QMenu* m : w.findChildren<QMenu*>())
                if (m->menuAction()->isVisible() && m->parent() != nullptr && qobject_cast<QMenuBar*>(m->parent()))
                    claim(m->title());
            for (QAbstractButton* b : w.findChildren<QAbstractButton*>())
                if (b->isVisible()) claim(b->text());
            for (QLabel* l : w.findChildren<QLabel*>())
                if (l->isVisible() && l->buddy()) claim(l->text());
        }
}

TEST_F(PartnersWindow, EmptyTableShowsTheSetupTitle) {
    frmPartners& w = open();
    EXPECT_EQ(title(), "Trading Partner Setup");
    auto* name = static_cast<QLineEdit*>(w.control("txtPartner"));
    EXPECT_FALSE(name->placeholderText().isEmpty());   // the empty window says what to do
    EXPECT_FALSE(w.mnuEditPartner()->isEnabled());
    EXPECT_FALSE(w.mnuRemovePartner()->isEnabled());
    EXPECT_TRUE(w.mnuAddPartner()->isEnabled());
    EXPECT_FALSE(w.tmrDateTime()->isActive());
    EXPECT_FALSE(button("cmdMoveNext")->isEnabled());
    w.cmdAdd_Click(0);
    EXPECT_TRUE(static_cast<ScriptedPartners&>(w).dialogs.empty());
    ui.inputAnswers = {std::string("FIRST01")};
    w.mnuAddPartner_Click();
    EXPECT_EQ(title(), "Partner 1 of 1 -- FIRST01");
    EXPECT_TRUE(name->placeholderText().isEmpty());
    EXPECT_TRUE(w.tmrDateTime()->isActive());
    EXPECT_TRUE(button("cmdMoveNext")->isEnabled());
}

}  // namespace
