#pragma once
// SQLCipher access: one keyed connection, prepared statements with bound parameters, RAII
// transactions and compaction into a fresh encrypted file. Values never enter SQL text.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>

struct sqlite3;
struct sqlite3_stmt;

namespace vt::db {

// A database error: the engine's result code (or one of ours below) and its text.
class Error : public std::runtime_error {
public:
    Error(int number, const std::string& text) : std::runtime_error(text), number_(number) {}
    int number() const { return number_; }
private:
    int number_;
};

enum : int {
    kNotOpen = 3704,          // operation on a closed connection
    kWrongKeyOrFormat = 26,   // SQLITE_NOTADB: wrong key, not a database, or not SQLCipher
    kNoCipher = 9001,         // the linked engine has no encryption
    kBusy = 5,                // SQLITE_BUSY: another connection holds the lock
    kLocked = 6,              // SQLITE_LOCKED: a conflict inside this connection
};

using Value = std::variant<std::monostate, std::int64_t, double, std::string>;

class Statement {
public:
    Statement() = default;
    Statement(Statement&&) noexcept;
    Statement& operator=(Statement&&) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    // Parameters count from 1, as in SQL's ?1.
    Statement& bind(int index, std::string_view text);
    Statement& bind(int index, const char* text) { return bind(index, std::string_view(text)); }
    Statement& bind(int index, const std::string& text) { return bind(index, std::string_view(text)); }
    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, int value) { return bind(index, std::int64_t(value)); }
    Statement& bind(int index, double value);
    Statement& bind(int index, bool value) { return bind(index, std::int64_t(value ? 1 : 0)); }
    Statement& bind(int index, const Value& value);
    // Binds text without copying it: it must stay alive and unchanged until the statement has
    // run and is rebound; for rows inserted in long loops.
    Statement& bindStatic(int index, std::string_view text);
    Statement& bindNull(int index);
    // Binds each argument in order from 1.
    template <typename... A>
    Statement& bindAll(const A&... args) {
        int i = 0;
        (bind(++i, args), ...);
        return *this;
    }

    // Advances to the next row; false when done. Throws Error on failure.
    bool step();
    // Runs a statement that returns no rows (or ignores them) and resets it for reuse.
    void run();
    // Makes the statement ready to run again; bindings are kept until rebound.
    void reset();
    void clearBindings();

    int columnCount() const;
    std::string columnName(int col) const;
    int columnIndex(std::string_view name) const;   // -1 when absent (case-insensitive)
    bool isNull(int col) const;
    std::string text(int col) const;                // columns count from 0
    std::int64_t int64(int col) const;
    int integer(int col) const { return static_cast<int>(int64(col)); }
    double real(int col) const;
    Value value(int col) const;

    bool valid() const { return stmt_ != nullptr; }

private:
    friend class Database;
    Statement(sqlite3* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
    void check(int rc) const;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
};

// Resets a kept statement when the scope ends: one left standing on a row keeps the file's read
// lock, and another connection (a plug-in's, a second process) could not write meanwhile.
class ResetAtExit {
public:
    explicit ResetAtExit(Statement& st) : st_(st) {}
    ~ResetAtExit() { st_.reset(); }
    ResetAtExit(const ResetAtExit&) = delete;
    ResetAtExit& operator=(const ResetAtExit&) = delete;
private:
    Statement& st_;
};

class Database;

// How long the connection waits inside the engine for a busy lock, set for a scope and restored
// after it.
class BusyWait {
public:
    // Sets the wait to `ms`; with `onlyShorter`, only when that shortens it.
    BusyWait(Database& db, std::int64_t ms, bool onlyShorter = false);
    ~BusyWait();
    BusyWait(const BusyWait&) = delete;
    BusyWait& operator=(const BusyWait&) = delete;

private:
    Database& db_;
    std::int64_t saved_ = -1;
};

class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens (or with create, creates) the file and keys it; a probe query proves the key.
    void open(const std::filesystem::path& file, std::string_view key, bool create = false);
    void close();
    bool isOpen() const { return db_ != nullptr; }
    const std::filesystem::path& path() const { return path_; }

    Statement prepare(std::string_view sql);
    // A prepared statement kept for the life of the connection, reset and with its bindings
    // cleared; for statements run once per row in long loops. Do not hold two uses of the same
    // text at once.
    Statement& cached(std::string_view sql);
    // Runs one or more statements without parameters (schema scripts, PRAGMAs).
    void exec(std::string_view sql);
    // First column of the first row as text ("" when no row).
    std::string scalarText(std::string_view sql);
    std::int64_t scalarInt(std::string_view sql);

    std::int64_t lastInsertId() const;
    int changes() const;
    bool inTransaction() const;

    // Writes a compacted, encrypted copy (same key) to target, which must not exist.
    void exportTo(const std::filesystem::path& target, std::string_view key);

    sqlite3* handle() const { return db_; }

private:
    void require() const;
    sqlite3* db_ = nullptr;
    std::filesystem::path path_;
    struct TextHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, Statement, TextHash, std::equal_to<>> cache_;
};

// Begins on construction; rolls back on destruction unless committed.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();
    void rollback();
    bool active() const { return active_; }
private:
    Database& db_;
    bool active_ = false;
};

// The engine's cipher version ("" when the linked SQLite has no encryption).
std::string cipherVersion(Database& db);

// Compacts `file` (keyed with `key`) through "NewVeltrane.mdb"-style staging: removes a leftover
// staging file, exports into it, verifies it opens with the key and holds the same tables and row
// counts, then renames it over the old file. Any failure keeps the old file and removes the
// staging file. The database must be closed. `stagingName` is the file name within file's folder.
// `replace` moves the staging file over the old one (tests inject a failing one).
using ReplaceFile = std::function<void(const std::filesystem::path& from,
                                       const std::filesystem::path& to)>;
void compact(const std::filesystem::path& file, std::string_view key,
             const std::string& stagingName, const ReplaceFile& replace = {});

}  // namespace vt::db
