#include "platform/automation/ClassRegistry.h"
#include "platform/automation/Recordset.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

namespace {

using namespace vt::automation;
namespace fs = std::filesystem;

class FakeHost final : public HostServices {
public:
    std::string setting(std::string_view section, std::string_view key, std::string_view def) const override {
        auto it = values.find(std::string(section) + "/" + std::string(key));
        return it == values.end() ? std::string(def) : it->second;
    }
    ObjectRef database() const override { return {}; }
    std::map<std::string, std::string> values;
};

class Marker final : public Dispatch<Marker> {
public:
    static const Members<Marker>& members() {
        static const Members<Marker> m("Marker");
        return m;
    }
};

class ClassRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.values["Folders/Import"] = "/data/import";
        registry.setHostServices(&host);
        registry.setPluginFolder([this] { return folder; });
    }

    // The error a creation gives, as "<number> <description>".
    std::string failure(std::string_view progId) {
        try {
            registry.create(progId);
        } catch (const Error& e) {
            return std::to_string(e.number) + " " + e.description;
        }
        return "created";
    }

    FakeHost host;
    ClassRegistry registry;
    fs::path folder = VT_TEST_PLUGIN_FOLDER;
};

TEST_F(ClassRegistryTest, BuiltinClassesByNameWithoutRegardToCase) {
    registry.registerBuiltin("Scripting.Marker", [] { return ObjectRef(makeRef<Marker>()); });
    EXPECT_TRUE(registry.hasBuiltin("scripting.marker"));
    const ObjectRef o = registry.create("SCRIPTING.MARKER");
    ASSERT_TRUE(o);
    EXPECT_EQ(o->className(), "Marker");
}

TEST_F(ClassRegistryTest, PluginLoadedByNameAndCalledWithByReferenceArguments) {
    const Variant handler(registry.create("VtTestPlugin.Echo"));
    ASSERT_FALSE(handler.isNothing());
    EXPECT_EQ(typeName(handler), "Echo");

    auto translated = Recordset::create();
    translated->appendField("1BFR11", adtype::VarChar, 30);
    translated->open();
    translated->addNew();
    translated->update();
    std::vector<Variant> vars{Variant(translated), Variant::nothing(), Variant("ACME"), Variant("830"),
                              Variant("002000"), Variant("I")};
    std::vector<Variant*> slots;
    for (Variant& v : vars) slots.push_back(&v);
    const Variant ok = handler.object()->invoke("activex", InvokeKind::Method, slots);
    EXPECT_TRUE(toBool(ok));
    auto* result = vars[0].objectAs<Recordset>();
    ASSERT_NE(result, nullptr);
    EXPECT_NE(result, translated.get());
    EXPECT_EQ(toString(result->value("Key")), "ACME_830_002000_I");
    EXPECT_EQ(toInt32(result->value("Rows")), 1);
    EXPECT_EQ(toString(result->value("Import")), "/data/import");   // read through the host
    EXPECT_EQ(fs::path(toString(getProperty(handler, "Folder"))), fs::canonical(folder));

    try {
        call(Variant(registry.create("VtTestPlugin.failing")), "ActiveX");
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number, 1001);
        EXPECT_EQ(e.description, "ActiveX Failed");
    }
    EXPECT_EQ(registry.pluginClassNames(folder / "VtTestPlugin.so"), (std::vector<std::string>{"Echo", "Failing"}));
}

TEST_F(ClassRegistryTest, UnknownLibraryOrClassIsError429) {
    const char* cases[] = {"NoSuchLibrary.Echo", "VtTestPlugin.Nope", "", "NoDot", ".Echo", "VtTestPlugin.",
                           "../ActiveX/VtTestPlugin.Echo", "a/b.Echo"};
    for (const char* name : cases)
        EXPECT_EQ(failure(name), std::string("429 ActiveX component can't create object: '") + name + "'") << name;
}

TEST_F(ClassRegistryTest, AFileThatIsNoPluginIsRefusedWithItsReason) {
    const fs::path scratch = fs::temp_directory_path() / ("vt_registry_" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    std::ofstream(scratch / "Broken.so") << "not a library";
    folder = scratch;
    const std::string text = failure("Broken.Echo");
    EXPECT_EQ(text.rfind("429 ActiveX component can't create object: 'Broken.Echo' (", 0), 0u) << text;
    // The folder is asked again at every creation.
    EXPECT_EQ(failure("VtTestPlugin.Echo"), "429 ActiveX component can't create object: 'VtTestPlugin.Echo'");
    folder = VT_TEST_PLUGIN_FOLDER;
    EXPECT_EQ(failure("VtTestPlugin.Echo"), "created");
    fs::remove_all(scratch);
}

TEST_F(ClassRegistryTest, BrokenPluginsAreRefusedWith429AndTheirReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"VtWrongAbi.Echo", "plug-in interface version 3, expected 1 to 2"},
        {"VtNoCreate.Echo", "not a plug-in library"},
        {"VtUnresolved.Echo", "undefined symbol: vt_test_symbol_nobody_defines"},
        {"VtThrowing.Echo", "no resources for Echo"},   // an exception that is not an Error
    };
    for (const auto& [progId, reason] : cases) {
        const std::string text = failure(progId);
        EXPECT_EQ(text.rfind(std::string("429 ActiveX component can't create object: '") + progId + "' (", 0), 0u) << text;
        EXPECT_NE(text.find(reason), std::string::npos) << text;
    }
}

TEST_F(ClassRegistryTest, PluginsOfAnOlderInterfaceStillLoad) {
    EXPECT_EQ(failure("VtOldestAbi.Echo"), "created");
}

TEST_F(ClassRegistryTest, WithoutAPluginFolderOnlyBuiltinsExist) {
    ClassRegistry bare;
    EXPECT_THROW(bare.create("VtTestPlugin.Echo"), Error);
}

}  // namespace
