#include "ObjectModel.h"

#include "Engine.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/Recordset.h"

namespace vt::report {

using namespace vt::automation;
using DocPtr = std::shared_ptr<ReportDocument>;

namespace {

template <class F>
auto guarded(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const ReportError& e) {
        throw automation::Error(kReportEngineError, "Report", e.what());
    }
}

Variant none() { return Variant(); }

// A name, text or picture a template could not hold is refused (5, invalid procedure call).
std::string bounded(const Variant& v, std::size_t most, const char* source = "TextObject") {
    std::string s = toString(v);
    if (s.size() > most) raise(5, source);
    return s;
}

class FontObj final : public Dispatch<FontObj> {
public:
    FontObj(DocPtr d, int s, size_t o) : doc(std::move(d)), section(s), object(o) {}
    Font& font() { return doc->report().section(section).objects[object].font; }
    static const Members<FontObj>& members() {
        static const Members<FontObj> m = [] {
            Members<FontObj> t("Font");
            t.get("Name", [](FontObj& f, Args&) { return Variant(f.font().name); })
                .let("Name", [](FontObj& f, Args&, const Variant& v) {
                    f.font().name = bounded(v, kMaxNameLength, "Font");
                })
                .get("Size", [](FontObj& f, Args&) { return Variant(f.font().size); })
                .let("Size", [](FontObj& f, Args&, const Variant& v) {
                    const double s = toDouble(v);
                    if (!(s > 0 && s <= 1638)) raise(5, "Font");
                    f.font().size = s;
                })
                .get("Bold", [](FontObj& f, Args&) { return Variant(f.font().bold); })
                .let("Bold", [](FontObj& f, Args&, const Variant& v) { f.font().bold = toBool(v); })
                .get("Italic", [](FontObj& f, Args&) { return Variant(f.font().italic); })
                .let("Italic", [](FontObj& f, Args&, const Variant& v) { f.font().italic = toBool(v); })
                .get("Underline", [](FontObj& f, Args&) { return Variant(f.font().underline); })
                .let("Underline", [](FontObj& f, Args&, const Variant& v) { f.font().underline = toBool(v); });
            return t;
        }();
        return m;
    }
    DocPtr doc;
    int section;
    size_t object;
};

// One object of a section: text, field or special field (and lines and boxes for position).
class ItemObj final : public Dispatch<ItemObj> {
public:
    ItemObj(DocPtr d, int s, size_t o) : doc(std::move(d)), section(s), object(o) {}
    ReportObject& obj() { return doc->report().section(section).objects[object]; }
    static const Members<ItemObj>& members() {
        static const Members<ItemObj> m = [] {
            Members<ItemObj> t("TextObject");
            // Values a template could not hold are refused (5, invalid procedure call).
            auto number = [&t](const char* name, int ReportObject::*field, int low, int high) {
                t.get(name, [field](ItemObj& i, Args&) { return Variant(std::int32_t(i.obj().*field)); })
                    .let(name, [field, low, high](ItemObj& i, Args&, const Variant& v) {
                        const int n = toInt32(v);
                        if (n < low || n > high) raise(5, "TextObject");
                        i.obj().*field = n;
                    });
            };
            number("Left", &ReportObject::left, -kMaxTwips, kMaxTwips);
            number("Top", &ReportObject::top, -kMaxTwips, kMaxTwips);
            number("Width", &ReportObject::width, 0, kMaxTwips);
            number("Height", &ReportObject::height, 0, kMaxTwips);
            number("BorderStyle", &ReportObject::borderStyle, 0, 1);
            number("LineWidth", &ReportObject::lineWidth, 0, kMaxLineWidth);
            auto color = [&t](const char* name, std::uint32_t ReportObject::*field) {
                t.get(name, [field](ItemObj& i, Args&) { return Variant(std::int32_t(colorFromBgr(i.obj().*field))); })
                    .let(name, [field](ItemObj& i, Args&, const Variant& v) {
                        i.obj().*field = colorFromBgr(std::uint32_t(toInt32(v)) & 0xFFFFFF);
                    });
            };
            color("TextColor", &ReportObject::color);
            color("BorderColor", &ReportObject::borderColor);
            t.get("Text", [](ItemObj& i, Args&) { return Variant(i.obj().text); })
                .let("Text", [](ItemObj& i, Args&, const Variant& v) { i.obj().text = bounded(v, kMaxTextLength); })
                .get("Name", [](ItemObj& i, Args&) { return Variant(i.obj().name); })
                .let("Name", [](ItemObj& i, Args&, const Variant& v) { i.obj().name = bounded(v, kMaxNameLength); })
                .get("Field", [](ItemObj& i, Args&) { return Variant(i.obj().field); })
                .get("Format", [](ItemObj& i, Args&) { return Variant(i.obj().format); })
                .let("Format", [](ItemObj& i, Args&, const Variant& v) {
                    i.obj().format = bounded(v, kMaxPictureLength);
                })
                .get("CanGrow", [](ItemObj& i, Args&) { return Variant(i.obj().canGrow); })
                .let("CanGrow", [](ItemObj& i, Args&, const Variant& v) { i.obj().canGrow = toBool(v); })
                // 0 left, 1 centre, 2 right.
                .get("Alignment", [](ItemObj& i, Args&) { return Variant(std::int32_t(i.obj().align)); })
                .let("Alignment", [](ItemObj& i, Args&, const Variant& v) {
                    const int a = toInt32(v);
                    if (a < 0 || a > 2) raise(5, "TextObject");
                    i.obj().align = Align(a);
                })
                .get("Font", [](ItemObj& i, Args&) { return Variant(makeRef<FontObj>(i.doc, i.section, i.object)); });
            return t;
        }();
        return m;
    }
    DocPtr doc;
    int section;
    size_t object;
};

class SectionObj final : public Dispatch<SectionObj> {
public:
    SectionObj(DocPtr d, int s) : doc(std::move(d)), section(s) {}
    Section& sec() { return doc->report().section(section); }
    Variant added() { return Variant(makeRef<ItemObj>(doc, section, sec().objects.size() - 1)); }
    static const Members<SectionObj>& members() {
        static const Members<SectionObj> m = [] {
            Members<SectionObj> t("Section");
            t.method("AddTextObject", {3, 3}, [](SectionObj& s, Args& a) {
                 guarded([&] { return &s.doc->report().addTextObject(s.section, a.string(0), a.int32(1), a.int32(2)); });
                 return s.added();
             })
                .method("AddFieldObject", {3, 3}, [](SectionObj& s, Args& a) {
                    guarded([&] { return &s.doc->report().addFieldObject(s.section, a.string(0), a.int32(1), a.int32(2)); });
                    return s.added();
                })
                .method("AddSpecialField", {3, 3}, [](SectionObj& s, Args& a) {
                    guarded([&] { return &s.doc->report().addSpecialField(s.section, a.int32(0), a.int32(1), a.int32(2)); });
                    return s.added();
                })
                .get("Count", [](SectionObj& s, Args&) { return Variant(std::int32_t(s.sec().objects.size())); })
                // Objects by number from 1.
                .get("Item", {1, 1}, [](SectionObj& s, Args& a) {
                    const int n = a.int32(0);
                    if (n < 1 || n > int(s.sec().objects.size())) raise(9, "Section");
                    return Variant(makeRef<ItemObj>(s.doc, s.section, size_t(n - 1)));
                })
                .get("Height", [](SectionObj& s, Args&) { return Variant(std::int32_t(s.sec().height)); })
                .let("Height", [](SectionObj& s, Args&, const Variant& v) {
                    const int h = toInt32(v);
                    if (h < 0 || h > kMaxTwips) raise(5, "Section");
                    s.sec().height = h;
                })
                .get("Suppress", [](SectionObj& s, Args&) { return Variant(s.sec().suppress); })
                .let("Suppress", [](SectionObj& s, Args&, const Variant& v) { s.sec().suppress = toBool(v); })
                .defaultMember("Item");
            return t;
        }();
        return m;
    }
    DocPtr doc;
    int section;
};

class SectionsObj final : public Dispatch<SectionsObj> {
public:
    explicit SectionsObj(DocPtr d) : doc(std::move(d)) {}
    static const Members<SectionsObj>& members() {
        static const Members<SectionsObj> m = [] {
            Members<SectionsObj> t("Sections");
            t.get("Count", [](SectionsObj& s, Args&) { return Variant(std::int32_t(s.doc->report().sectionCount())); })
                .get("Item", {1, 1}, [](SectionsObj& s, Args& a) {
                    const int n = a.int32(0);
                    if (n < 1 || n > s.doc->report().sectionCount()) raise(9, "Sections");
                    return Variant(makeRef<SectionObj>(s.doc, n));
                })
                .defaultMember("Item");
            return t;
        }();
        return m;
    }
    DocPtr doc;
};

class DatabaseObj final : public Dispatch<DatabaseObj> {
public:
    explicit DatabaseObj(DocPtr d) : doc(std::move(d)) {}
    static const Members<DatabaseObj>& members() {
        static const Members<DatabaseObj> m = [] {
            Members<DatabaseObj> t("Database");
            t.method("SetDataSource", {1, 3}, [](DatabaseObj& d, Args& a) {
                auto* rs = a.raw(0).objectAs<Recordset>();
                if (!rs) raise(13, "Database");
                guarded([&] {
                    d.doc->setDataSource(Ref<Recordset>(rs));
                    return 0;
                });
                return none();
            });
            return t;
        }();
        return m;
    }
    DocPtr doc;
};

class ExportOptionsObj final : public Dispatch<ExportOptionsObj> {
public:
    explicit ExportOptionsObj(DocPtr d) : doc(std::move(d)) {}
    ExportOptions& o() { return doc->exportOptions(); }
    static const Members<ExportOptionsObj>& members() {
        static const Members<ExportOptionsObj> m = [] {
            Members<ExportOptionsObj> t("ExportOptions");
            using E = ExportOptionsObj;
            t.get("DestinationType", [](E& e, Args&) { return Variant(std::int32_t(e.o().destinationType)); })
                .let("DestinationType", [](E& e, Args&, const Variant& v) { e.o().destinationType = toInt32(v); })
                .get("FormatType", [](E& e, Args&) { return Variant(std::int32_t(e.o().formatType)); })
                .let("FormatType", [](E& e, Args&, const Variant& v) { e.o().formatType = toInt32(v); })
                .get("DiskFileName", [](E& e, Args&) { return Variant(e.o().diskFileName); })
                .let("DiskFileName", [](E& e, Args&, const Variant& v) { e.o().diskFileName = toString(v); })
                .get("XMLFileName", [](E& e, Args&) { return Variant(e.o().xmlFileName); })
                .let("XMLFileName", [](E& e, Args&, const Variant& v) { e.o().xmlFileName = toString(v); })
                .get("CharFieldDelimiter", [](E& e, Args&) { return Variant(std::string(1, e.o().separator)); })
                .let("CharFieldDelimiter", [](E& e, Args&, const Variant& v) {
                    const std::string s = toString(v);
                    if (s.size() != 1) raise(5, "ExportOptions");
                    e.o().separator = s[0];
                })
                .get("CharStringDelimiter", [](E& e, Args&) { return Variant(std::string(1, e.o().quote)); })
                .let("CharStringDelimiter", [](E& e, Args&, const Variant& v) {
                    const std::string s = toString(v);
                    if (s.size() != 1) raise(5, "ExportOptions");
                    e.o().quote = s[0];
                })
                .get("NumberOfLinesPerPage", [](E& e, Args&) { return Variant(std::int32_t(e.o().linesPerPage)); })
                .let("NumberOfLinesPerPage", [](E& e, Args&, const Variant& v) {
                    const int n = toInt32(v);
                    if (n < 0) raise(5, "ExportOptions");
                    e.o().linesPerPage = n;
                });
            return t;
        }();
        return m;
    }
    DocPtr doc;
};

[[noreturn]] void noPrompt() {
    throw automation::Error(kReportEngineError, "Report",
                            "The report engine shows no dialogs; call it with the prompt off");
}

}  // namespace

const Members<ReportHandle>& ReportHandle::members() {
    static const Members<ReportHandle> m = [] {
        Members<ReportHandle> t("Report");
        t.get("Database", [](ReportHandle& r, Args&) { return Variant(makeRef<DatabaseObj>(r.doc_)); })
            .get("ExportOptions", [](ReportHandle& r, Args&) { return Variant(makeRef<ExportOptionsObj>(r.doc_)); })
            .get("Sections", [](ReportHandle& r, Args&) { return Variant(makeRef<SectionsObj>(r.doc_)); })
            .get("ReportTitle", [](ReportHandle& r, Args&) { return Variant(r.doc_->report().title); })
            .let("ReportTitle", [](ReportHandle& r, Args&, const Variant& v) {
                r.doc_->report().title = bounded(v, kMaxTextLength, "Report");
            })
            .method("Export", {0, 1}, [](ReportHandle& r, Args& a) {
                if (a.boolean(0, true)) noPrompt();
                guarded([&] {
                    exportReport(*r.doc_);
                    return 0;
                });
                return none();
            })
            // PrintOut [prompt], [copies], [collated], [start page], [stop page]
            .method("PrintOut", {0, 5}, [](ReportHandle& r, Args& a) {
                if (a.boolean(0, true)) noPrompt();
                PrintOptions o;
                o.copies = a.int32(1, 1);
                guarded([&] {
                    printOut(*r.doc_, o);
                    return 0;
                });
                return none();
            })
            .method("SaveAs", {1, 2}, [](ReportHandle& r, Args& a) {
                guarded([&] {
                    r.doc_->save(a.string(0), a.int32(1));
                    return 0;
                });
                return none();
            });
        return t;
    }();
    return m;
}

const Members<ReportApplication>& ReportApplication::members() {
    static const Members<ReportApplication> m = [] {
        Members<ReportApplication> t("Application");
        t.method("OpenReport", {1, 2}, [](ReportApplication&, Args& a) {
            auto doc = guarded([&] { return ReportDocument::open(a.string(0), a.int32(1, 0)); });
            return Variant(makeRef<ReportHandle>(std::move(doc)));
        });
        return t;
    }();
    return m;
}

std::shared_ptr<ReportDocument> documentOf(const Variant& v) {
    auto* h = v.isObject() ? v.objectAs<ReportHandle>() : nullptr;
    return h ? h->document() : nullptr;
}

void registerReportClasses() {
    ClassRegistry::instance().registerBuiltin("Report.Application",
                                              [] { return ObjectRef(makeRef<ReportApplication>()); });
}

}  // namespace vt::report
