#include "platform/automation/ClassRegistry.h"
#include "platform/automation/Recordset.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <dlfcn.h>
#include <sys/stat.h>
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

// A scratch ActiveX folder two levels below the shared temporary folder, and a program folder
// beside it, each holding copies of the test plug-in under names of their own.
class TrustedFolders : public ClassRegistryTest {
protected:
    void SetUp() override {
        ClassRegistryTest::SetUp();
        fs::remove_all(scratch);
        fs::create_directories(scratch / "data" / "ActiveX");
        fs::create_directories(scratch / "program");
        fs::permissions(scratch, fs::perms(0755));
        folder = scratch / "data" / "ActiveX";
        registry.setProgramPluginFolder(scratch / "program");
        registry.setRefusalLog([this](const std::string& why) { refusals.push_back(why); });
    }
    void TearDown() override {
        fs::permissions(scratch, fs::perms(0755));
        fs::remove_all(scratch);
    }
    fs::path place(const fs::path& folderOfIt, const std::string& library) {
        const fs::path file = folderOfIt / (library + ".so");
        fs::copy_file(fs::path(VT_TEST_PLUGIN_FOLDER) / "VtTestPlugin.so", file);
        fs::permissions(file, fs::perms(0755));
        return file;
    }
    static bool loaded(const fs::path& file) {
        void* h = dlopen(fs::canonical(file).c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (h) dlclose(h);
        return h != nullptr;
    }

    fs::path scratch = fs::temp_directory_path() / ("vt_registry_trust_" + std::to_string(::getpid()));
    std::vector<std::string> refusals;
};

TEST_F(TrustedFolders, LibrariesLoadFromTheActiveXFolderElseTheProgramsOwn) {
    place(scratch / "program", "Both");
    place(folder, "Both");
    place(scratch / "program", "OnlyProgram");
    EXPECT_EQ(failure("Both.Echo"), "created");
    EXPECT_TRUE(loaded(folder / "Both.so"));
    EXPECT_FALSE(loaded(scratch / "program" / "Both.so"));
    EXPECT_EQ(failure("OnlyProgram.Echo"), "created");
    EXPECT_TRUE(loaded(scratch / "program" / "OnlyProgram.so"));
    EXPECT_EQ(registry.pluginClassNames(scratch / "program" / "OnlyProgram.so"),
              (std::vector<std::string>{"Echo", "Failing"}));

    // Anywhere else: refused by name, before it is loaded.
    place(scratch / "data", "Elsewhere");
    const std::string text = [&] {
        try {
            registry.pluginClassNames(scratch / "data" / "Elsewhere.so");
        } catch (const Error& e) {
            return e.description;
        }
        return std::string("listed");
    }();
    EXPECT_NE(text.find("neither the ActiveX folder nor the program's own folder"), std::string::npos) << text;
    EXPECT_FALSE(loaded(scratch / "data" / "Elsewhere.so"));
    EXPECT_TRUE(refusals.size() == 1 && refusals[0].find("Elsewhere.so was not loaded: ") != std::string::npos);
    EXPECT_TRUE(refusals.empty() || refusals[0].rfind((scratch / "data" / "Elsewhere.so").string(), 0) == 0);
}

// Whatever another user could have put there is refused before its code runs, with the reason.
// A library reached through links (ActiveX/X.so to hop/X.so to lib/X.so) is judged on every link
// and where they lead, and refused under the name it was found by.
TEST_F(TrustedFolders, AFileOrFolderOthersCanWriteOrOwnIsNeverLoaded) {
    const bool root = ::geteuid() == 0;
    struct Case {
        const char* library;
        bool linked;
        const char* changed;   // relative to the scratch folder; "" for the library itself
        unsigned mode;         // 0: unchanged
        bool otherOwner;       // given to another user (only when run as root)
        const char* why;
    } cases[] = {
        {"WorldWritable", false, "", 0757, false, "can be written by other users"},
        {"GroupWritable", false, "", 0775, false, "can be written by other users"},
        {"FolderWritable", false, "data/ActiveX", 0777, false, "can be written by other users"},
        {"FolderSticky", false, "data/ActiveX", 01777, false, "can be written by other users"},
        {"AboveWritable", false, "data", 0777, false, "can be written by other users"},
        {"ForeignFile", false, "", 0, true, "belongs to another user"},
        {"ForeignFolder", false, "data/ActiveX", 0, true, "belongs to another user"},
        {"ForeignAbove", false, "data", 0, true, "belongs to another user"},
        {"LinkedWritable", true, "", 0757, false, "can be written by other users"},
        {"LinkedFolderWritable", true, "lib", 0775, false, "can be written by other users"},
        {"LinkedThroughWritable", true, "hop", 0777, false, "can be written by other users"},
        {"LinkedForeign", true, "", 0, true, "belongs to another user"},
        {"LinkedForeignFolder", true, "lib", 0, true, "belongs to another user"},
        {"LinkOfAnother", true, "hop/LinkOfAnother.so", 0, true, "belongs to another user"},
    };
    auto placeLinked = [&](const std::string& library) {
        for (const char* f : {"lib", "hop"}) fs::create_directories(scratch / f);
        const fs::path real = place(scratch / "lib", library), hop = scratch / "hop" / (library + ".so");
        fs::create_symlink(real, hop);
        fs::create_symlink(hop, folder / (library + ".so"));
        return real;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.library);
        if (c.otherOwner && !root) continue;
        const fs::path file = folder / (std::string(c.library) + ".so");
        const fs::path real = c.linked ? placeLinked(c.library) : place(folder, c.library);
        const fs::path changed = *c.changed ? scratch / c.changed : real;
        if (c.mode) ASSERT_EQ(::chmod(changed.c_str(), c.mode), 0);
        if (c.otherOwner) ASSERT_EQ(::lchown(changed.c_str(), 65534, 65534), 0);
        refusals.clear();

        const std::string text = failure(std::string(c.library) + ".Echo");
        EXPECT_EQ(text.rfind(std::string("429 ActiveX component can't create object: '") + c.library + ".Echo' (", 0), 0u) << text;
        EXPECT_NE(text.find(changed.string() + " " + c.why), std::string::npos) << text;
        EXPECT_FALSE(loaded(real));
        ASSERT_EQ(refusals.size(), 1u);
        EXPECT_EQ(refusals[0], file.string() + " was not loaded: " + changed.string() + " " + c.why);

        if (c.otherOwner) ASSERT_EQ(::lchown(changed.c_str(), ::geteuid(), ::getegid()), 0);
        if (!fs::is_symlink(changed)) ASSERT_EQ(::chmod(changed.c_str(), 0755), 0);
        fs::remove(file);
        for (const char* f : {"lib", "hop"}) fs::remove_all(scratch / f);
    }
    // Once the folders are the user's own again, the same library loads, also through links.
    refusals.clear();
    place(folder, "Trusted");
    EXPECT_EQ(failure("Trusted.Echo"), "created");
    placeLinked("LinkedTrusted");
    EXPECT_EQ(failure("LinkedTrusted.Echo"), "created");
    EXPECT_TRUE(refusals.empty());
}

TEST_F(ClassRegistryTest, WithoutAPluginFolderOnlyBuiltinsExist) {
    ClassRegistry bare;
    EXPECT_THROW(bare.create("VtTestPlugin.Echo"), Error);
}

}  // namespace
