#include "integrator/ExtractionJob.h"

#include "integrator/ImportPair.h"

namespace vt::integrator {

namespace {

// Numbers, dates, truth values and binaries (in hexadecimal) are written here, never with a TAB
// or a line break; only text from the source can hold one.
bool isText(int adoType) {
    switch (adoType) {
    case 2: case 3: case 4: case 5: case 11: case 14: case 16: case 20: case 128: case 131: case 133: case 134:
    case 135: case 204: case 205:
        return false;
    default:
        return true;
    }
}

}  // namespace

void ExtractionJob::run() noexcept {
    std::optional<ImportPair> pair;
    DataFileView::Index index;
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

        std::vector<bool> changed(columns.size(), false), text(columns.size());
        for (std::size_t i = 0; i < columns.size(); ++i) text[i] = isText(columns[i].adoType);
        std::string& out = pair->data();
        std::uint64_t count = 0;
        while (result.fetch()) {
            const std::size_t start = out.size();
            for (std::size_t i = 0; i < columns.size(); ++i) {
                if (i) out += '\t';
                const std::size_t from = out.size();
                result.appendValue(i, out);   // Null is an empty value
                if (text[i] && BlankLineBreaks(out, from)) changed[i] = true;
            }
            out += "\r\n";
            index.addLine(out.size() - start);
            pair->gathered();
            rows.store(++count, std::memory_order_relaxed);
        }
        for (std::size_t i = 0; i < changed.size(); ++i)
            if (changed[i]) changedFields.push_back(names[i]);
        pair->flush();
        written = DataFileView::over(pair->dataDescriptor(), std::move(index));
        replacing = true;
        pair->commit();
        complete = true;
    } catch (...) {
        failure = std::current_exception();
        // The records read before the failure stay on view; the pair in place stays as it was.
        if (pair && !written) {
            try {
                pair->flush();
                written = DataFileView::over(pair->dataDescriptor(), std::move(index));
            } catch (...) {
            }
        }
    }
}

}  // namespace vt::integrator
