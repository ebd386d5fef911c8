#include "exchange/FileJournal.h"

#include "exchange/UniqueNames.h"
#include "platform/files/SafeFile.h"
#include "platform/text/Text.h"

#include <cerrno>
#include <type_traits>
#include <unistd.h>

namespace vt::exchange {

namespace fs = std::filesystem;

namespace {

std::string joinIds(const std::vector<std::int64_t>& ids) {
    std::string out;
    for (std::int64_t id : ids) out += (out.empty() ? "" : ",") + std::to_string(id);
    return out;
}

std::vector<std::int64_t> splitIds(const std::string& text) {
    std::vector<std::int64_t> out;
    std::vector<std::string_view> parts;
    text::split(text, ",", parts);
    for (std::string_view part : parts)
        if (!part.empty()) out.push_back(std::stoll(std::string(part)));
    return out;
}

constexpr const char* kColumns =
    "SELECT Id, Kind, State, File, Destination, Rows, Size, Hash, Mark, Interchange, Earlier FROM ExchangeFiles";

JournalEntry fromRow(db::Statement& q) {
    JournalEntry e;
    e.id = q.int64(0);
    e.kind = q.text(1);
    e.state = q.text(2);
    e.file = q.text(3);
    e.destination = q.text(4);
    e.rows = splitIds(q.text(5));
    e.size = q.int64(6);
    e.hash = q.text(7);
    e.mark = q.int64(8);
    e.interchange = q.text(9);
    e.earlier = q.int64(10) != 0;
    return e;
}

}  // namespace

void EnsureExchangeTables(db::Database& db) {
    bool sizeLimit = false;
    auto columns = db.prepare("PRAGMA table_info(Internet)");
    while (columns.step())
        if (text::toUpper(columns.text(1)) == "SIZELIMIT") sizeLimit = true;
    if (!sizeLimit) db.exec("ALTER TABLE Internet ADD COLUMN SizeLimit INTEGER NOT NULL DEFAULT 100");
    db.exec(
        "CREATE TABLE IF NOT EXISTS ExchangeFiles (Id INTEGER PRIMARY KEY, Kind TEXT NOT NULL DEFAULT '', "
        "State TEXT NOT NULL DEFAULT '', File TEXT NOT NULL DEFAULT '', Destination TEXT NOT NULL DEFAULT '', "
        "Rows TEXT NOT NULL DEFAULT '', Size INTEGER NOT NULL DEFAULT 0, Hash TEXT NOT NULL DEFAULT '', "
        "Mark INTEGER NOT NULL DEFAULT 0, Interchange TEXT NOT NULL DEFAULT '', Earlier INTEGER NOT NULL DEFAULT 0)");
}

FileJournal::FileJournal(db::Database& db, Attempt attempt) : db_(db), attempt_(std::move(attempt)) {
    this->attempt([this] { EnsureExchangeTables(db_); });
}

template <class F>
auto FileJournal::attempt(F step) -> decltype(step()) {
    if (!attempt_) return step();
    if constexpr (std::is_void_v<decltype(step())>) {
        attempt_(step);
    } else {
        std::optional<decltype(step())> result;
        attempt_([&] { result = step(); });
        return std::move(*result);
    }
}

std::vector<JournalEntry> FileJournal::entries() {
    return attempt([this] {
        std::vector<JournalEntry> out;
        auto q = db_.prepare(std::string(kColumns) + " ORDER BY Id");
        while (q.step()) out.push_back(fromRow(q));
        return out;
    });
}

void FileJournal::remove(std::int64_t id) {
    attempt([&] {
        auto q = db_.prepare("DELETE FROM ExchangeFiles WHERE Id = ?1");
        q.bind(1, id);
        q.run();
    });
}

std::int64_t FileJournal::written(const fs::path& file, const std::vector<std::int64_t>& rows, std::int64_t size) {
    return attempt([&] {
        auto q = db_.prepare("INSERT INTO ExchangeFiles (Kind, State, File, Rows, Size) VALUES ('send', 'written', ?1, ?2, ?3)");
        q.bindAll(file.string(), joinIds(rows), size);
        q.run();
        return db_.lastInsertId();
    });
}

void FileJournal::setFile(std::int64_t id, const fs::path& file) {
    attempt([&] {
        auto q = db_.prepare("UPDATE ExchangeFiles SET File = ?1 WHERE Id = ?2");
        q.bindAll(file.string(), id);
        q.run();
    });
}

std::optional<JournalEntry> FileJournal::writtenFile(const fs::path& file) {
    return attempt([&]() -> std::optional<JournalEntry> {
        auto q = db_.prepare(std::string(kColumns) +
                             " WHERE Kind = 'send' AND State = 'written' AND File = ?1 ORDER BY Id DESC");
        q.bind(1, file.lexically_normal().string());
        if (!q.step()) return std::nullopt;
        return fromRow(q);
    });
}

std::int64_t FileJournal::moving(std::int64_t id, const fs::path& file, const fs::path& destination) {
    return attempt([&] {
        if (id == 0) {
            auto q = db_.prepare("INSERT INTO ExchangeFiles (Kind, State, File, Destination) VALUES ('send', 'moving', ?1, ?2)");
            q.bindAll(file.string(), destination.string());
            q.run();
            return db_.lastInsertId();
        }
        auto q = db_.prepare("UPDATE ExchangeFiles SET State = 'moving', Destination = ?1 WHERE Id = ?2");
        q.bindAll(destination.string(), id);
        q.run();
        return id;
    });
}

void FileJournal::setDestination(std::int64_t id, const fs::path& destination) {
    attempt([&] {
        auto q = db_.prepare("UPDATE ExchangeFiles SET Destination = ?1 WHERE Id = ?2");
        q.bindAll(destination.string(), id);
        q.run();
    });
}

std::int64_t FileJournal::loading(const fs::path& file, const std::string& hash, std::int64_t mark,
                                  const std::string& interchange) {
    return attempt([&] {
        auto q = db_.prepare(
            "INSERT INTO ExchangeFiles (Kind, State, File, Hash, Mark, Interchange) VALUES ('receive', 'loading', ?1, ?2, ?3, ?4)");
        q.bindAll(file.string(), hash, mark, interchange);
        q.run();
        return db_.lastInsertId();
    });
}

void FileJournal::loaded(std::int64_t id) {
    attempt([&] {
        auto q = db_.prepare("UPDATE ExchangeFiles SET State = 'loaded' WHERE Id = ?1");
        q.bind(1, id);
        q.run();
    });
}

std::optional<std::int64_t> FileJournal::earlierLoad(const std::string& hash) {
    return attempt([&]() -> std::optional<std::int64_t> {
        auto q = db_.prepare(
            "SELECT Id FROM ExchangeFiles WHERE Kind = 'receive' AND State = 'loaded' AND Earlier <> 0 AND Hash = ?1 LIMIT 1");
        q.bind(1, hash);
        if (!q.step()) return std::nullopt;
        return q.int64(0);
    });
}

void FileJournal::markEarlier() {
    attempt([this] { db_.exec("UPDATE ExchangeFiles SET Earlier = 1 WHERE Kind = 'receive'"); });
}

void FileJournal::forgetReceives() {
    attempt([this] { db_.exec("DELETE FROM ExchangeFiles WHERE Kind = 'receive'"); });
}

int FileJournal::linkUnder(std::int64_t id, const fs::path& file, fs::path& destination, const std::string& stem) {
    const fs::path folder = destination.parent_path();
    const std::string extension = destination.extension().string();
    for (;;) {
        const int error = LinkFile(file, destination);
        if (error != EEXIST) return error;
        destination = folder / UniqueNames::firstFree(stem, extension, folder);
        setDestination(id, destination);
    }
}

// Gives `from` the name `to` without replacing anything there (EEXIST when taken); the file
// then stands under both names until the caller removes the first. Another file system gets
// a copy, made whole under a temporary name first.
int LinkFile(const fs::path& from, const fs::path& to) {
    if (::link(from.c_str(), to.c_str()) == 0) return 0;
    const int error = errno;
    if (error != EXDEV && error != EPERM && error != ENOTSUP) return error;
    std::error_code ec;
    if (fs::exists(to, ec)) return EEXIST;
    try {
        files::SafeFile copy(to);
        copy.writeFrom(from);
        copy.commit(false);
        return 0;
    } catch (const fs::filesystem_error& e) {
        return e.code().value();
    }
}

}  // namespace vt::exchange
