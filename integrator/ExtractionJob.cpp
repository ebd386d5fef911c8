#include "integrator/ExtractionJob.h"

#include "integrator/ImportPair.h"

namespace vt::integrator {

namespace {

// Values that would break the line format; replaced by blanks.
bool breakLines(std::string& v) {
    bool changed = false;
    for (std::size_t at = v.find_first_of("\t\r\n"); at != std::string::npos; at = v.find_first_of("\t\r\n", at + 1)) {
        v[at] = ' ';
        changed = true;
    }
    return changed;
}

}  // namespace

void ExtractionJob::run() noexcept {
    std::optional<ImportPair> pair;
    try {
        odbc::Result result = connection.execute(sql, timeoutSeconds, &canceller);
        if (!result.hasRowset()) return;
        rowset = true;
        const std::vector<odbc::Column>& columns = result.columns();
        int idCount = 0;
        for (const odbc::Column& c : columns) {
            std::string name = c.name == "_ID" ? "_ID" + std::to_string(++idCount) : c.name;
            layout += name + "\t" + std::to_string(c.adoType) + "\t";
            if (c.adoType == 131 || c.adoType == 14)
                layout += std::to_string(c.precision) + "\t" + std::to_string(c.scale);
            else
                layout += std::to_string(c.size);
            layout += "\r\n";
            names.push_back(std::move(name));
        }
        layout += "\r\n";
        pair.emplace(layoutFile, dataFile);
        pair->writeLayout(layout);

        std::vector<bool> changed(columns.size(), false);
        std::string value;
        std::uint64_t count = 0;
        while (result.fetch()) {
            for (std::size_t i = 0; i < columns.size(); ++i) {
                result.value(i, value);   // Null is an empty value
                if (breakLines(value)) changed[i] = true;
                if (i) pair->append("\t");
                pair->append(value);
            }
            pair->append("\r\n");
            rows.store(++count, std::memory_order_relaxed);
        }
        for (std::size_t i = 0; i < changed.size(); ++i)
            if (changed[i]) changedFields.push_back(names[i]);
        pair->flush();
        written = DataFileView::scan(pair->dataDescriptor());
        replacing = true;
        pair->commit();
        complete = true;
    } catch (...) {
        failure = std::current_exception();
        // The records read before the failure stay on view; the pair in place stays as it was.
        if (pair && !written) {
            try {
                pair->flush();
                written = DataFileView::scan(pair->dataDescriptor());
            } catch (...) {
            }
        }
    }
}

}  // namespace vt::integrator
