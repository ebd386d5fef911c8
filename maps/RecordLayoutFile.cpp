#include "maps/RecordLayoutFile.h"

#include "core/ErrorReporter.h"
#include "core/RunError.h"
#include "folders/OutputFile.h"
#include "platform/automation/Recordset.h"
#include "platform/settings/Settings.h"
#include "platform/text/Text.h"

namespace vt::maps {

namespace {

// The type and scale columns of an element's Type code (exact comparison).
void typeColumns(std::string_view code, LayoutField& f) {
    using namespace automation::adtype;
    if (code == "ID" || code == "AN") f.adoType = VarChar;
    else if (code == "DT") f.adoType = Date;
    else if (code == "TM") f.adoType = DBTime;
    else if (code == "R") f.adoType = Single;
    else if (code.size() == 2 && code[0] == 'N' && code[1] >= '0' && code[1] <= '9') {
        f.adoType = Numeric;
        f.scale = code[1] - '0';
    }
}

}  // namespace

std::string LayoutField::line() const {
    if (adoType == 0) return name;
    std::string out = name + "\t" + std::to_string(adoType) + "\t" + std::to_string(size);
    if (adoType == automation::adtype::Numeric) out += "\t" + std::to_string(scale);
    return out;
}

std::filesystem::path FoldersSetting(const Settings& settings, const char* key) {
    const std::string folder = settings.get("Folders", key);
    return folder.empty() ? dataRoot() : std::filesystem::path(folder);
}

std::filesystem::path MapLayoutFolder(const Settings& settings) { return FoldersSetting(settings, "ActiveX"); }

std::filesystem::path RecordLayoutPath(const Settings& settings, const MapKey& key) {
    const std::string name = key.text() + ".ADO";
    if (!folders::IsPlainNamePart(name)) throw core::invalidCallError();
    return MapLayoutFolder(settings) / name;
}

std::vector<LayoutField> RecordLayoutFields(const Map& map) {
    std::vector<LayoutField> fields;
    std::int32_t occurrence = 1;
    for (const SegmentRow& seg : map.segments) {
        if (seg.exclude) continue;
        for (std::int64_t pass = 0; pass < seg.placeholders; ++pass) {
            for (const ElementRow& el : seg.elements) {
                if (el.exclude) continue;
                LayoutField f;
                f.name = std::to_string(occurrence) + seg.segment + text::formatNumber(double(el.elementIndex), "00");
                f.size = el.maximum;
                typeColumns(el.type, f);
                fields.push_back(std::move(f));
            }
            if (occurrence == 32767) throw core::overflowError();
            ++occurrence;
        }
    }
    return fields;
}

std::string RecordLayoutText(const std::vector<LayoutField>& fields) {
    std::string out;
    for (const LayoutField& f : fields) out += f.line() + "\r\n";
    out += "\r\n";
    return out;
}

std::optional<std::vector<LayoutField>> WriteRecordLayout(const core::Services& s, const MapKey& key) {
    try {
        const std::filesystem::path file = RecordLayoutPath(s.settings, key);
        std::vector<LayoutField> fields = RecordLayoutFields(LoadMap(s.db, key));
        folders::ReplaceFile(file, RecordLayoutText(fields));
        return fields;
    } catch (...) {
        core::ReportError(s);
    }
    return std::nullopt;
}

}  // namespace vt::maps
