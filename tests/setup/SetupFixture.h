#pragma once
// A scratch database with settings that record every write into the sink's event list, so a
// test sees writes and message boxes in the order they happened. The data root is a folder of
// the test's own.

#include "platform/settings/Settings.h"
#include "tests/support/ScratchDatabase.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace vt::test {

class RecordingSettings final : public Settings {
public:
    explicit RecordingSettings(std::vector<std::string>& log) : log_(log) {}
    MemorySettings stored;
    std::string failOn;   // "Section/Key" whose write fails
    bool storeFails = false;   // values are kept in memory but never reach the store

    std::string get(std::string_view section, std::string_view key, std::string_view def = {}) const override {
        return stored.get(section, key, def);
    }
    void set(std::string_view section, std::string_view key, std::string_view value) override {
        const std::string name = std::string(section) + "/" + std::string(key);
        if (name == failOn) throw std::runtime_error("The settings file could not be written");
        log_.push_back("set " + name + "=" + std::string(value));
        stored.set(section, key, value);
    }
    void remove(std::string_view section, std::string_view key) override { stored.remove(section, key); }
    void removeSection(std::string_view section) override { stored.removeSection(section); }
    bool contains(std::string_view section, std::string_view key) const override {
        return stored.contains(section, key);
    }
    void flush() override {
        if (storeFails) throw std::runtime_error("The settings file could not be written");
    }

private:
    std::vector<std::string>& log_;
};

class SetupTest : public ::testing::Test {
protected:
    SetupTest() {
        home = std::filesystem::temp_directory_path() / ("vt_setup_home_" + std::to_string(::getpid()));
        std::filesystem::remove_all(home);
        std::filesystem::create_directories(home);
        ::setenv("VELTRANE_HOME", home.c_str(), 1);
    }
    ~SetupTest() override {
        std::error_code ec;
        std::filesystem::remove_all(home, ec);
        core::gUserName = "System";
        core::gPassword.clear();
    }
    // The History rows, "Type User: Description", in order.
    std::vector<std::string> history() {
        std::vector<std::string> out;
        auto q = db.db.prepare("SELECT Type, User, Description FROM History ORDER BY \"Index\"");
        while (q.step()) out.push_back(q.text(0) + " " + q.text(1) + ": " + q.text(2));
        return out;
    }
    std::vector<std::string>& events() { return db.ui.events; }

    std::filesystem::path home;
    ScratchDatabase db;
    RecordingSettings settings{db.ui.events};
    core::Services s{db.db, db.ui, db.clock, settings};
};

}  // namespace vt::test
