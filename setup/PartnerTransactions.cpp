#include "setup/PartnerTransactions.h"

#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/Registry.h"
#include "core/RunError.h"
#include "core/Savepoint.h"
#include "core/UiSink.h"
#include "folders/OutputFile.h"
#include "platform/db/Database.h"
#include "platform/settings/Settings.h"
#include "platform/text/Text.h"
#include "setup/PartnerFields.h"

#include <cstdio>
#include <fstream>

namespace vt::setup {

namespace {

std::string textOf(const db::Statement& q, int col) {
    const db::Value v = q.value(col);
    if (auto* s = std::get_if<std::string>(&v)) return *s;
    if (auto* i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
    if (auto* d = std::get_if<double>(&v)) return text::formatNumber(*d, "");
    return "";
}

bool truthOf(const db::Statement& q, int col) {
    const db::Value v = q.value(col);
    if (auto* i = std::get_if<std::int64_t>(&v)) return *i != 0;
    if (auto* d = std::get_if<double>(&v)) return *d != 0;
    if (auto* s = std::get_if<std::string>(&v)) {
        const std::string t = text::toLower(text::trim(*s));
        return !t.empty() && t != "0" && t != "false" && t != "no";
    }
    return false;
}

constexpr const char* kWhereSet =
    " WHERE Partner = ?1 AND \"Transaction\" = ?2 AND Version = ?3 AND Direction = ?4 ORDER BY Id LIMIT 1";

}  // namespace

std::string selectionKey(const SetKey& k) {
    return k.partner + "_" + k.transaction + "_" + k.version + "_" + k.direction;
}

std::vector<TransactionSetItem> LoadTransactionSets(const core::Services& s, std::string_view partner,
                                                    std::string_view direction) {
    std::vector<TransactionSetItem> items;
    try {
        auto q = s.db.prepare(
            "SELECT \"Transaction\", Version, \"Group\", ActiveX FROM Transactions "
            "WHERE Partner = ?1 AND Direction = ?2 ORDER BY \"Transaction\", Id");
        q.bindAll(partner, direction);
        while (q.step()) items.push_back({textOf(q, 0), textOf(q, 1), textOf(q, 2), textOf(q, 3)});
    } catch (...) {
        core::ReportError(s);
        items.clear();
    }
    return items;
}

std::optional<TransactionSetDetail> ShowTransactionSet(const core::Services& s, const SetKey& key) {
    try {
        auto q = s.db.prepare(std::string("SELECT Versionoverride, ControlNumber, Acknowledge, \"Transaction\", "
                                          "Description FROM Transactions") + kWhereSet);
        q.bindAll(key.partner, key.transaction, key.version, key.direction);
        if (!q.step()) throw core::noCurrentRecordError();
        TransactionSetDetail d;
        d.versionOverride = textOf(q, 0);
        d.controlNumber = textOf(q, 1);
        d.acknowledge = truthOf(q, 2);
        d.description = textOf(q, 3) + ": " + textOf(q, 4);
        return d;
    } catch (...) {
        core::ReportError(s);
        return std::nullopt;
    }
}

bool SaveTransactionSet(const core::Services& s, const SetKey& key, std::string_view versionOverride,
                        std::string_view controlNumberText, bool acknowledge) {
    try {
        auto q = s.db.prepare(std::string("SELECT Id FROM Transactions") + kWhereSet);
        q.bindAll(key.partner, key.transaction, key.version, key.direction);
        if (!q.step()) throw core::noCurrentRecordError();
        auto u = s.db.prepare(
            "UPDATE Transactions SET Versionoverride = ?1, ControlNumber = coalesce(?2, ControlNumber), "
            "Acknowledge = ?3 WHERE Id = ?4");
        u.bind(1, text::toUpper(versionOverride));
        if (isControlNumberText(controlNumberText)) u.bind(2, text::trim(controlNumberText));
        else u.bindNull(2);
        u.bind(3, acknowledge).bind(4, q.int64(0));
        u.run();
        return true;
    } catch (...) {
        core::ReportError(s);
        return false;
    }
}

std::string duplicateSetMessage(std::string_view transaction, std::string_view version) {
    return "Transation " + std::string(transaction) + " Version " + std::string(version) + " already exist.";
}

std::filesystem::path perTransactionFile(const core::Services& s, const SetKey& key) {
    const bool inbound = key.direction == "I";
    const std::string setting = s.settings.get("Folders", inbound ? "Export" : "Import");
    const std::filesystem::path folder = setting.empty() ? dataRoot() : std::filesystem::path(setting);
    const std::string name = selectionKey(key) + (inbound ? ".EXP" : ".IMP");
    if (name.empty() || !folders::IsPlainNamePart(name)) throw core::RunError(52, "Bad file name or number");
    return folder / name;
}

bool AddTransactionSet(const core::Services& s, std::string_view partner, std::string_view direction,
                       const StandardChoice& choice, const std::vector<TransactionSetItem>& listed) {
    if (partner.empty()) return false;
    for (const auto& item : listed)
        if (item.transaction == choice.transaction && item.version == choice.version) {
            s.ui.messageBox(duplicateSetMessage(choice.transaction, choice.version), core::vbCritical | core::vbOKOnly,
                            "Error");
            return false;
        }
    const SetKey key{std::string(partner), choice.transaction, choice.version, std::string(direction)};
    std::filesystem::path file;
    bool created = false;
    try {
        file = perTransactionFile(s, key);
        std::error_code ec;
        created = !std::filesystem::exists(file, ec);
        // An existing file is emptied only once the rows are in, so a failed add keeps it whole.
        std::ofstream out(file, std::ios::binary | std::ios::app);
        if (!out) {
            std::error_code missing;
            if (!std::filesystem::is_directory(file.parent_path(), missing)) throw core::RunError(76, "Path not found");
            throw core::RunError(75, "Path/File access error");
        }
    } catch (...) {
        core::ReportError(s);
        return false;
    }
    // The row and its starter map go in together; the core reports a failure itself.
    if (!core::AddPartnerTransaction(s, partner, choice.transaction, choice.group, choice.version, direction)) {
        if (created) {
            std::error_code ec;
            std::filesystem::remove(file, ec);
        }
        return false;
    }
    if (!created) {
        std::error_code ec;
        std::filesystem::resize_file(file, 0, ec);
        if (ec) {
            try {
                throw std::filesystem::filesystem_error("Path/File access error", file, ec);
            } catch (...) {
                core::ReportError(s);
            }
        }
    }
    return true;
}

std::string deleteSetWarning(std::string_view partner, std::string_view description, std::string_view version) {
    return "WARNING:\r\n\r\nThis Transaction's Mapping will be deleted!\r\n\r\nDelete selected Transaction?\r\n\r\n"
           "Partner:\t\t" + std::string(partner) + "\r\nTransaction:\t" + std::string(description) +
           "\r\nVersion:\t\t" + std::string(version);
}

void removeTransactionSetRows(db::Database& db, const SetKey& key) {
    auto q = db.prepare(std::string("SELECT Id FROM Transactions") + kWhereSet);
    q.bindAll(key.partner, key.transaction, key.version, key.direction);
    if (!q.step()) throw core::noCurrentRecordError();
    const std::int64_t id = q.int64(0);
    auto d = db.prepare("DELETE FROM Transactions WHERE Id = ?1");
    d.bind(1, id);
    d.run();
    for (const char* sql : {"DELETE FROM Segment WHERE Partner = ?1 AND Version = ?2 AND \"Transaction\" = ?3 "
                            "AND Direction = ?4",
                            "DELETE FROM Element WHERE Partner = ?1 AND Version = ?2 AND \"Transaction\" = ?3 "
                            "AND Direction = ?4"}) {
        auto m = db.prepare(sql);
        m.bindAll(key.partner, key.version, key.transaction, key.direction);
        m.run();
    }
}

bool DeleteTransactionSet(const core::Services& s, const SetKey& key, std::string_view description) {
    const int answer = s.ui.messageBox(deleteSetWarning(key.partner, description, key.version),
                                       core::vbYesNo | core::vbExclamation, core::kApplicationName);
    if (answer != core::vbYes) return false;
    try {
        core::Savepoint savepoint(s.db, "vt_delete_set");
        removeTransactionSetRows(s.db, key);
        savepoint.release();
        return true;
    } catch (...) {
        core::ReportError(s);
        return false;
    }
}

}  // namespace vt::setup
