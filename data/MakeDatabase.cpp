// Build step: makes the delivered, keyed application database from the schema and seed files.
// Usage: vt_makedb <schema.sql> <standard.tsv> <version.tsv> <output Veltrane.mdb>

#include "core/Globals.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + p.string());
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Rows of a TAB-separated file with a header line; CR before LF is dropped.
std::vector<std::vector<std::string>> readTsv(const std::filesystem::path& p, size_t columns) {
    std::istringstream in(readFile(p));
    std::vector<std::vector<std::string>> rows;
    std::string line;
    bool header = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (header) { header = false; continue; }
        if (line.empty()) continue;
        std::vector<std::string> cells;
        size_t start = 0;
        for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            cells.push_back(line.substr(start, tab - start));
        cells.push_back(line.substr(start));
        if (cells.size() != columns)
            throw std::runtime_error(p.string() + ": expected " + std::to_string(columns) + " fields in: " + line);
        rows.push_back(std::move(cells));
    }
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: vt_makedb schema.sql standard.tsv version.tsv Veltrane.mdb\n";
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path out = argv[4];
    const fs::path tmp = out.string() + ".tmp";
    try {
        std::error_code ec;
        fs::remove(tmp, ec);
        {
            vt::db::Database db;
            vt::core::createApplicationDatabase(db, tmp);
            vt::db::Transaction tx(db);
            db.exec(readFile(argv[1]));
            auto standard = db.prepare("INSERT INTO Standard (\"Transaction\", \"Group\", Description) VALUES (?1, ?2, ?3)");
            for (const auto& r : readTsv(argv[2], 3)) standard.bindAll(r[0], r[1], r[2]).run();
            auto version = db.prepare("INSERT INTO Version (Version) VALUES (?1)");
            for (const auto& r : readTsv(argv[3], 1)) version.bindAll(r[0]).run();
            tx.commit();
        }
        fs::rename(tmp, out);
    } catch (const std::exception& e) {
        std::error_code ec;
        fs::remove(tmp, ec);
        std::cerr << "vt_makedb: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
