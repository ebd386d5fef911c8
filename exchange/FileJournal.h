#pragma once
// The record of files that Exchange sessions have under way (table ExchangeFiles), kept so that
// a session killed at any point is completed or undone by the next one:
//   send:    'written' - an Outbox file in the Outbound folder, its rows still in the Outbox;
//            'moving'  - its rows are in Sent (same transaction), the file goes to Destination.
//   receive: 'loading' - a received file handed to the reader; 'loaded' - the reader took it.
// A receive row left by an earlier session ('Earlier') keeps its file from being loaded twice
// when the partner's server still offers it.

#include "platform/db/Database.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vt::exchange {

// Gives `from` the name `to` as well, never replacing a file there; 0, or the error number
// (EEXIST when the name is taken). The caller removes the first name afterwards.
int LinkFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Adds table ExchangeFiles, which the program makes when it first needs it, and the network's
// SizeLimit that older databases lack.
void EnsureExchangeTables(db::Database& db);

struct JournalEntry {
    std::int64_t id = 0;
    std::string kind, state;
    std::filesystem::path file, destination;
    std::vector<std::int64_t> rows;
    std::int64_t size = 0;
    std::string hash;
    std::int64_t mark = 0;
    std::string interchange;
    bool earlier = false;
};

class FileJournal {
public:
    // Runs one step of the journal; a session passes one that waits out a busy database.
    using Attempt = std::function<void(const std::function<void()>& step)>;
    explicit FileJournal(db::Database& db, Attempt attempt = {});

    std::vector<JournalEntry> entries();
    void remove(std::int64_t id);

    // ---- Send ----
    std::int64_t written(const std::filesystem::path& file, const std::vector<std::int64_t>& rows, std::int64_t size);
    void setFile(std::int64_t id, const std::filesystem::path& file);
    // The 'written' entry of that file, if any.
    std::optional<JournalEntry> writtenFile(const std::filesystem::path& file);
    // Inside the caller's transaction: the entry becomes 'moving' (one is made when `id` is 0).
    std::int64_t moving(std::int64_t id, const std::filesystem::path& file, const std::filesystem::path& destination);
    void setDestination(std::int64_t id, const std::filesystem::path& destination);
    // Gives `file` the name `destination` as well (LinkFile), or, when that is taken, the first
    // free <stem>-n of its folder, noted in entry `id`; 0, or the error number.
    int linkUnder(std::int64_t id, const std::filesystem::path& file, std::filesystem::path& destination,
                  const std::string& stem);

    // ---- Receive ----
    std::int64_t loading(const std::filesystem::path& file, const std::string& hash, std::int64_t mark,
                         const std::string& interchange);
    void loaded(std::int64_t id);
    // The id of an earlier session's load of these bytes, if any.
    std::optional<std::int64_t> earlierLoad(const std::string& hash);
    // Every receive entry now belongs to an earlier session.
    void markEarlier();
    void forgetReceives();

private:
    template <class F>
    auto attempt(F step) -> decltype(step());
    db::Database& db_;
    Attempt attempt_;
};

}  // namespace vt::exchange
