#pragma once
// The ports every core routine and later module works through. The main window builds one over
// gConnection() and itself; tests build one over a scratch database and a recording sink.

namespace vt {
class Clock;
class Settings;
namespace db {
class Database;
}
}  // namespace vt

namespace vt::core {

class UiSink;

struct Services {
    db::Database& db;
    UiSink& ui;
    const Clock& clock;
    Settings& settings;
};

}  // namespace vt::core
