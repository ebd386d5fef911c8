#include "platform/settings/IniText.h"
#include "platform/settings/Settings.h"

#include <QSettings>
#include <QStringList>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <pwd.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path tempDir(const char* name) {
    fs::path d = fs::temp_directory_path() / (std::string("vt_settings_") + name + std::to_string(::getpid()));
    fs::remove_all(d);
    fs::create_directories(d);
    return d;
}

// Both stores behave alike.
void exercise(vt::Settings& s) {
    EXPECT_EQ(s.get("Folders", "Inbound", "dflt"), "dflt");
    s.set("Folders", "Inbound", "/data/in");
    EXPECT_EQ(s.get("folders", "INBOUND"), "/data/in");
    EXPECT_TRUE(s.contains("Folders", "Inbound"));
    s.set("Main", "Left", "1200");
    s.remove("Folders", "Inbound");
    EXPECT_EQ(s.get("Folders", "Inbound", "x"), "x");
    s.removeSection("Main");
    EXPECT_FALSE(s.contains("Main", "Left"));
    s.set("Account", "User", "Ren\xE9");   // 1252 text survives
    EXPECT_EQ(s.get("Account", "User"), "Ren\xE9");
}

TEST(Settings, MemoryStore) {
    vt::MemorySettings s;
    exercise(s);
}

TEST(Settings, FileStorePersistsPrivately) {
    fs::path dir = tempDir("file");
    fs::path ini = dir / "Veltrane" / "Veltrane.conf";
    {
        vt::FileSettings s(ini);
        exercise(s);
        s.set("Viewer", "Zoom", "True");
    }
    vt::FileSettings again(ini);
    EXPECT_EQ(again.get("Viewer", "Zoom"), "True");
    EXPECT_EQ(again.get("Account", "User"), "Ren\xE9");
    struct stat st {};
    ASSERT_EQ(::stat(ini.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600);
    ASSERT_EQ(::stat(ini.parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700) << "a new settings folder is the owner's alone";
    fs::remove_all(dir);
}

// No moment at which the file is readable by others: it is 0600 from its creation through
// every save, whatever the umask.
TEST(Settings, FileStoreIsNeverReadableByOthers) {
    const mode_t oldMask = ::umask(0);
    fs::path dir = tempDir("mode");
    fs::path ini = dir / "Veltrane.conf";
    auto mode = [&] {
        struct stat st {};
        return ::stat(ini.c_str(), &st) == 0 ? st.st_mode & 0777 : 0u;
    };
    {
        vt::FileSettings s(ini);
        EXPECT_EQ(mode(), 0600u);
        s.set("Account", "Password", "x");
        EXPECT_EQ(mode(), 0600u);
    }
    EXPECT_EQ(mode(), 0600u);
    ::umask(oldMask);
    fs::remove_all(dir);
}

// A store that cannot be written says so when flushed, and writes what it holds once the cause
// is gone.
TEST(Settings, AFailedWriteIsReportedByFlush) {
    fs::path dir = tempDir("flush");
    fs::path ini = dir / "conf" / "Veltrane.conf";
    vt::FileSettings s(ini);
    s.set("Filter", "Partner", "True");
    EXPECT_NO_THROW(s.flush());
    fs::remove_all(dir / "conf");
    { std::ofstream blocker(dir / "conf"); }   // the folder is now a file
    s.set("Filter", "Used", "True");
    EXPECT_THROW(s.flush(), std::runtime_error);
    EXPECT_THROW(s.flush(), std::runtime_error);
    fs::remove(dir / "conf");
    fs::create_directories(dir / "conf");
    s.set("Filter", "Time", "False");
    EXPECT_NO_THROW(s.flush());
    vt::FileSettings again(ini);
    EXPECT_EQ(again.get("Filter", "Time"), "False");
    EXPECT_EQ(again.get("Filter", "Used"), "True");
    fs::remove_all(dir);
}

// What another INI reader makes of a file the store wrote (a copy, which no store of this process
// has read).
std::string readByQSettings(const fs::path& file, const char* key) {
    static int copies = 0;
    const fs::path copy = file.parent_path() / ("copy" + std::to_string(++copies) + ".ini");
    fs::copy_file(file, copy, fs::copy_options::overwrite_existing);
    const QVariant v = QSettings(QString::fromStdString(copy.string()), QSettings::IniFormat).value(QString::fromLatin1(key));
    fs::remove(copy);
    return v.isValid() ? v.toString().toStdString() : "<none>";
}

// A file the user edited by hand: lines the reader cannot use are left out, every setting in it is
// read, and a save writes the whole file and says so. A line only ever costs itself: a double
// quote or a trailing backslash in a comment, in a line without "=" or in a value does not
// swallow the settings after it. A write that fails after such a line is still reported.
TEST(Settings, HandEditedLinesAreIgnoredAndTheFileIsSavedWhole) {
    const char* cases[] = {
        "# folders set by hand\n[Folders]\nInbound=/data/in\n[Account]\nUserName=ren\n",
        "[Folders]\nInbound=/data/in\njust some words\n[Account]\nUserName=ren\n",
        "[Folders]\n# the inbound folder\nInbound=/data/in\n\n[Account]\nno equals here\nUserName=ren\n# end\n",
        "[Folders]\n# the \"shared folder\nInbound=/data/in\n[Account]\nUserName=ren\n",
        "[Folders]\n; \"\nInbound=/data/in\n[Account]\nUserName=ren\n",
        "[Folders]\na line with one \" quote\nInbound=/data/in\n[Account]\nUserName=ren\n",
        "[Folders]\n# C:\\old\\\nInbound=/data/in\n[Account]\nUserName=ren\n",
        "[Folders]\nNote=5\" disk\nInbound=/data/in\n[Account]\nUserName=ren\n",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        fs::path dir = tempDir("edited");
        fs::path ini = dir / "conf" / "Veltrane.conf";
        fs::create_directories(ini.parent_path());
        std::ofstream(ini) << text;
        {
            vt::FileSettings s(ini);
            EXPECT_EQ(s.get("Folders", "Inbound"), "/data/in");
            EXPECT_EQ(s.get("Account", "UserName"), "ren");
            s.set("Filter", "Partner", "True");
            EXPECT_NO_THROW(s.flush());
            s.set("Viewer", "HelpButton", "0");
            EXPECT_NO_THROW(s.flush());
        }
        vt::FileSettings again(ini);
        EXPECT_EQ(again.get("Folders", "Inbound"), "/data/in");
        EXPECT_EQ(again.get("Account", "UserName"), "ren");
        EXPECT_EQ(again.get("Filter", "Partner"), "True");
        EXPECT_EQ(again.get("Viewer", "HelpButton"), "0");
        EXPECT_EQ(readByQSettings(ini, "Folders/Inbound"), "/data/in");
        EXPECT_EQ(readByQSettings(ini, "Account/UserName"), "ren");

        std::ofstream(ini, std::ios::app) << "# edited again\n";
        vt::FileSettings blocked(ini);
        blocked.set("Filter", "Used", "True");
        fs::remove_all(dir / "conf");
        { std::ofstream blocker(dir / "conf"); }   // the folder is now a file
        blocked.set("Filter", "Time", "False");
        EXPECT_THROW(blocked.flush(), std::runtime_error);
        fs::remove(dir / "conf");
        fs::create_directories(dir / "conf");
        EXPECT_NO_THROW(blocked.flush());
        EXPECT_EQ(vt::FileSettings(ini).get("Filter", "Time"), "False");
        fs::remove_all(dir);
    }
}

// Values the store writes read back the same, in the store and in another INI reader.
TEST(Settings, AwkwardValuesReadBackAlike) {
    const char* values[] = {"a;b", "a,b", "x=y", " lead", "trail ", "\"quoted\"", "5\" disk", "C:\\edi\\in\\",
                            "@at", "@@", "line\r\nbreak\ttab", "Ren\xE9 \x80", "#hash", "[x]", "\x01" "1"};
    fs::path dir = tempDir("awkward");
    fs::path ini = dir / "Veltrane.conf";
    {
        vt::FileSettings s(ini);
        for (std::size_t i = 0; i < std::size(values); ++i) s.set("Values", "v" + std::to_string(i), values[i]);
        s.set("General", "Name", "in a section called General");
        s.set("Odd [Section]", "Key with = and ; #", "x");
        EXPECT_NO_THROW(s.flush());
    }
    vt::FileSettings again(ini);
    for (std::size_t i = 0; i < std::size(values); ++i) {
        SCOPED_TRACE(i);
        const std::string key = "v" + std::to_string(i);
        EXPECT_EQ(again.get("Values", key), values[i]);
        EXPECT_EQ(readByQSettings(ini, ("Values/" + key).c_str()),
                  QString::fromLatin1(values[i]).replace(QChar(0x80), QChar(0x20AC)).toStdString());
    }
    EXPECT_EQ(again.get("General", "Name"), "in a section called General");
    EXPECT_EQ(again.get("Odd [Section]", "Key with = and ; #"), "x");
    EXPECT_EQ(readByQSettings(ini, "General/Name"), "in a section called General");
    fs::remove_all(dir);
}

// A save never writes a file that would read back without one of its settings: the writer checks
// its text and refuses, naming the setting.
TEST(Settings, AWriteThatWouldLoseASettingIsRefused) {
    vt::ini::Entries entries{{"Folders/Inbound", QStringLiteral("/data/in")}, {"Main/Left", QStringLiteral("120")}};
    EXPECT_EQ(vt::ini::lostSetting(entries, vt::ini::write(entries)), QString());
    EXPECT_EQ(vt::ini::lostSetting(entries, "[Folders]\nInbound=/data/in\n"), QStringLiteral("Main/Left"));
    entries.insert("Filter/List", QStringList{"a", "b"});   // no text value: the INI text cannot hold it as it is
    EXPECT_EQ(vt::ini::lostSetting(entries, vt::ini::write(entries)), QStringLiteral("Filter/List"));
}

TEST(Settings, DataRootFollowsXdg) {
    fs::path dir = tempDir("root");
    ::unsetenv("VELTRANE_HOME");
    ::setenv("XDG_DATA_HOME", dir.c_str(), 1);
    EXPECT_EQ(vt::dataRoot(), dir / "Veltrane");
    EXPECT_EQ(vt::defaultFolder("Inbound"), dir / "Veltrane" / "Inbound");
    EXPECT_TRUE(fs::is_directory(dir / "Veltrane" / "Inbound"));
    fs::remove_all(dir);
}

// Restores the variables a test changes.
class Environment {
public:
    explicit Environment(std::initializer_list<const char*> names) {
        for (const char* n : names) {
            const char* v = std::getenv(n);
            saved_.emplace_back(n, v ? std::optional<std::string>(v) : std::nullopt);
        }
    }
    ~Environment() {
        for (const auto& [n, v] : saved_) v ? ::setenv(n.c_str(), v->c_str(), 1) : ::unsetenv(n.c_str());
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// The data folder is created for its owner alone; one that exists keeps its mode.
TEST(Settings, DataRootIsCreatedOwnerOnly) {
    Environment env{"VELTRANE_HOME", "XDG_DATA_HOME"};
    const mode_t oldMask = ::umask(022);
    fs::path dir = tempDir("private");
    ::unsetenv("VELTRANE_HOME");
    ::setenv("XDG_DATA_HOME", (dir / "share").c_str(), 1);
    auto mode = [](const fs::path& p) {
        struct stat st {};
        return ::stat(p.c_str(), &st) == 0 ? st.st_mode & 07777 : 0u;
    };
    EXPECT_EQ(vt::defaultFolder("Inbound"), dir / "share" / "Veltrane" / "Inbound");
    EXPECT_EQ(mode(dir / "share" / "Veltrane"), 0700u);
    EXPECT_TRUE(fs::is_directory(dir / "share" / "Veltrane" / "Inbound"));

    ::setenv("VELTRANE_HOME", (dir / "own").c_str(), 1);
    fs::create_directories(dir / "own");
    fs::permissions(dir / "own", fs::perms(0750));
    EXPECT_EQ(vt::createDataRoot(), dir / "own");
    EXPECT_EQ(mode(dir / "own"), 0750u);
    ::umask(oldMask);
    fs::remove_all(dir);
}

// Without HOME the home folder comes from the user database; a user it names no home for gets
// no data root and no settings file (never a folder others can reach), but the reason.
TEST(Settings, WithoutHomeTheUserDatabaseNamesTheHomeFolder) {
    Environment env{"HOME", "VELTRANE_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"};
    for (const char* n : {"HOME", "VELTRANE_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) ::unsetenv(n);
    const passwd* me = ::getpwuid(::getuid());
    ASSERT_NE(me, nullptr);
    EXPECT_EQ(vt::homeFolder(), fs::path(me->pw_dir));
    EXPECT_EQ(vt::dataRoot(), fs::path(me->pw_dir) / ".local" / "share" / "Veltrane");
    ::setenv("HOME", "relative/home", 1);
    EXPECT_EQ(vt::homeFolder(), fs::path(me->pw_dir));
    ::unsetenv("HOME");

    if (::geteuid() != 0) GTEST_SKIP() << "a user without an entry needs root to become";
    uid_t stranger = 54321;
    while (::getpwuid(stranger)) ++stranger;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int result = 0;
        if (::setgid(stranger) != 0 || ::setuid(stranger) != 0) ::_exit(10);
        if (!vt::homeFolder().empty()) result |= 1;
        try {
            vt::dataRoot();
            result |= 2;
        } catch (const std::runtime_error& e) {
            if (std::string(e.what()).find("cannot find your home folder") == std::string::npos) result |= 4;
        }
        try {
            vt::FileSettings settings;
            result |= 8;
        } catch (const std::runtime_error&) {
        }
        ::_exit(result);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: a home, 2: a data root, 4: another message, 8: a settings file";
}

}  // namespace
