#include "Layout.h"

#include <algorithm>
#include <climits>

namespace vt::report {

int CellMeasurer::textHeight(const Font&, int width, std::string_view text) const {
    const int perLine = std::max(1, width / w_);
    int lines = 0;
    size_t pos = 0;
    while (true) {
        size_t eol = text.find('\n', pos);
        const size_t len = (eol == std::string_view::npos ? text.size() : eol) - pos;
        lines += std::max<int>(1, int((len + size_t(perLine) - 1) / size_t(perLine)));
        if (eol == std::string_view::npos) break;
        pos = eol + 1;
    }
    return lines * h_;
}

namespace {

bool isPageSpecial(const ReportObject& o) {
    return o.kind == ObjectKind::Special && (o.special == SpecialKind::PageNumber ||
                                             o.special == SpecialKind::TotalPages ||
                                             o.special == SpecialKind::PageNofM);
}

class Pager {
public:
    Pager(const Report& r, const DataTable* d, const RunInfo& run, const Measurer& m, const LayoutOptions& opt)
        : r_(r), data_(d), run_(run), m_(m), opt_(opt) {
        for (int i = 1; i <= r.sectionCount(); ++i) {
            const Section& s = r.section(i);
            if (s.kind == SectionKind::PageHeader) pageHeader_ = i;
            if (s.kind == SectionKind::PageFooter) pageFooter_ = i;
        }
        top_ = r.page.marginTop;
        bottom_ = opt.endless ? INT_MAX / 4 : r.page.height - r.page.marginBottom;
    }

    Layout run() {
        out_.pageWidth = r_.page.width;
        out_.pageHeight = r_.page.height;
        std::vector<size_t> order;
        if (data_) order = reportOrder(r_, *data_);
        const int groups = int(r_.groups().size());
        std::vector<int> groupColumn;
        for (auto& g : r_.groups()) groupColumn.push_back(data_ ? data_->find(g.field) : -1);

        row_ = order.empty() ? -1 : long(order[0]);
        record_ = order.empty() ? 0 : 1;
        // The report header opens the first page, above its page header.
        out_.pages.emplace_back();
        y_ = top_;
        emit(number(SectionKind::ReportHeader));
        emit(pageHeader_);
        for (size_t i = 0; i < order.size(); ++i) {
            const long row = long(order[i]);
            int changed = groups;   // outermost level that changes (0-based); groups = none
            if (i == 0) changed = 0;
            else
                for (int g = 0; g < groups; ++g) {
                    const int c = groupColumn[size_t(g)];
                    if (c >= 0 && compareValues(data_->rows[size_t(row)][size_t(c)],
                                                data_->rows[size_t(row_)][size_t(c)]) != 0) {
                        changed = g;
                        break;
                    }
                }
            if (i > 0)
                for (int g = groups; g > changed; --g) place(number(SectionKind::GroupFooter, g));
            row_ = row;
            record_ = long(i) + 1;
            if (changed < groups) {
                // Keep the headers with the first record under them.
                int need = sectionHeight(number(SectionKind::Details));
                for (int g = changed + 1; g <= groups; ++g) need += sectionHeight(number(SectionKind::GroupHeader, g));
                if (y_ + need > bodyBottom() && bodyUsed_) newPage();
                for (int g = changed + 1; g <= groups; ++g) {
                    place(number(SectionKind::GroupHeader, g));
                    const int c = groupColumn[size_t(g - 1)];
                    const int page = int(out_.pages.size()) - 1;
                    out_.groups.push_back({g, c >= 0 ? formatValue(data_->rows[size_t(row)][size_t(c)], "") : "",
                                           page, lastTop_});
                }
            }
            place(number(SectionKind::Details));
        }
        if (!order.empty())
            for (int g = groups; g >= 1; --g) place(number(SectionKind::GroupFooter, g));
        if (data_ && order.empty()) noRecords();
        place(number(SectionKind::ReportFooter));
        finishPage();

        const int pages = int(out_.pages.size());
        for (int p = 0; p < pages; ++p)
            for (auto& item : out_.pages[size_t(p)].items)
                if (item.object && isPageSpecial(*item.object))
                    item.text = specialText(*item.object, run_, 0, p + 1, pages);
        return std::move(out_);
    }

private:
    int number(SectionKind kind, int group = 0) const {
        for (int i = 1; i <= r_.sectionCount(); ++i)
            if (r_.section(i).kind == kind && r_.section(i).group == group) return i;
        return 0;
    }

    std::string textOf(const ReportObject& o) const {
        std::string text;
        switch (o.kind) {
        case ObjectKind::Text: text = o.text; break;
        case ObjectKind::Field: text = fieldText(o, data_, row_); break;
        case ObjectKind::Special: text = isPageSpecial(o) ? std::string() : specialText(o, run_, record_, 0, 0); break;
        default: break;
        }
        if (text.size() > kMaxShownText) text.resize(kMaxShownText);
        return text;
    }

    // A growing object grows to its text, but never past one page's body.
    int grownHeight(const ReportObject& o, const std::string& text) const {
        const int grown = std::max(o.height, m_.textHeight(o.font, o.width, text));
        return opt_.endless ? grown : std::min(grown, std::max(o.height, bottom_ - top_));
    }

    bool grows(const ReportObject& o) const {
        return o.canGrow && (o.kind == ObjectKind::Text || o.kind == ObjectKind::Field || o.kind == ObjectKind::Special);
    }

    // The section's height for the current row, objects that grow included.
    int sectionHeight(int n) const {
        if (!n) return 0;
        const Section& s = r_.section(n);
        if (s.suppress) return 0;
        int h = s.height;
        for (auto& o : s.objects)
            if (grows(o)) h = std::max(h, o.top + grownHeight(o, textOf(o)));
        return h;
    }

    int bodyBottom() const { return bottom_ - (opt_.endless ? 0 : sectionHeight(pageFooter_)); }

    void startPage() {
        out_.pages.emplace_back();
        y_ = top_;
        bodyUsed_ = false;
        emit(pageHeader_);
    }

    void finishPage() {
        if (!pageFooter_) return;
        if (opt_.endless) {
            emit(pageFooter_);
            return;
        }
        y_ = bottom_ - sectionHeight(pageFooter_);
        emit(pageFooter_);
    }

    void newPage() {
        finishPage();
        startPage();
    }

    void place(int n) {
        if (!n) return;
        const Section& s = r_.section(n);
        lastTop_ = y_;
        if (s.suppress || (s.height == 0 && s.objects.empty())) return;
        const int h = sectionHeight(n);
        if (bodyUsed_ && (s.newPageBefore || y_ + h > bodyBottom())) newPage();
        lastTop_ = y_;
        emit(n);
        if (h > 0 || !s.objects.empty()) bodyUsed_ = true;
    }

    // Where the records would stand, a line saying there are none, so an empty report is not
    // taken for one that failed.
    void noRecords() {
        static const ReportObject note = [] {
            ReportObject o;
            o.kind = ObjectKind::Text;
            o.text = kNoRecordsText;
            o.font.italic = true;
            o.color = 0x808080;
            return o;
        }();
        PlacedItem it;
        it.object = &note;
        it.x = r_.page.marginLeft;
        it.y = y_;
        it.width = std::max(1, r_.page.width - r_.page.marginLeft - r_.page.marginRight);
        it.height = m_.textHeight(note.font, it.width, note.text);
        it.text = note.text;
        y_ += it.height;
        out_.pages.back().items.push_back(std::move(it));
        bodyUsed_ = true;
    }

    // Puts the section's objects at the current position and moves below it.
    void emit(int n) {
        if (!n) return;
        const Section& s = r_.section(n);
        if (s.suppress) return;
        const int h = sectionHeight(n);
        auto& items = out_.pages.back().items;
        for (size_t i = 0; i < s.objects.size(); ++i) {
            const ReportObject& o = s.objects[i];
            PlacedItem it;
            it.object = &o;
            it.id = {n, int(i)};
            it.x = r_.page.marginLeft + o.left;
            it.y = y_ + o.top;
            it.width = o.width;
            it.height = o.height;
            it.text = textOf(o);
            it.row = o.kind == ObjectKind::Field ? row_ : -1;
            if (grows(o)) it.height = grownHeight(o, it.text);
            items.push_back(std::move(it));
        }
        y_ += h;
    }

    const Report& r_;
    const DataTable* data_;
    const RunInfo& run_;
    const Measurer& m_;
    const LayoutOptions& opt_;
    Layout out_;
    int pageHeader_ = 0, pageFooter_ = 0;
    int top_ = 0, bottom_ = 0, y_ = 0, lastTop_ = 0;
    bool bodyUsed_ = false;
    long row_ = -1, record_ = 0;
};

}  // namespace

Layout layoutReport(const Report& report, const DataTable* data, const RunInfo& run, const Measurer& measurer,
                    const LayoutOptions& options) {
    return Pager(report, data, run, measurer, options).run();
}

const PlacedItem* hitTest(const Page& page, int x, int y) {
    for (auto it = page.items.rbegin(); it != page.items.rend(); ++it)
        if (x >= it->x && x < it->x + std::max(it->width, 1) && y >= it->y && y < it->y + std::max(it->height, 1))
            return &*it;
    return nullptr;
}

int objectAt(const Report& report, int section, int x, int y) {
    const auto& objects = report.section(section).objects;
    for (int i = int(objects.size()) - 1; i >= 0; --i) {
        const ReportObject& o = objects[size_t(i)];
        // Lines are thin: give them a few twips to either side.
        const int slack = o.kind == ObjectKind::Line ? 40 : 0;
        if (x >= o.left - slack && x < o.left + std::max(o.width, 1) + slack && y >= o.top - slack &&
            y < o.top + std::max(o.height, 1) + slack)
            return i;
    }
    return -1;
}

Layout designLayout(const Report& report) {
    static constexpr std::pair<SpecialKind, const char*> kNames[] = {
        {SpecialKind::PrintDate, "Print Date"},       {SpecialKind::PrintTime, "Print Time"},
        {SpecialKind::DataDate, "Data Date"},         {SpecialKind::DataTime, "Data Time"},
        {SpecialKind::RecordNumber, "Record Number"}, {SpecialKind::PageNumber, "Page Number"},
        {SpecialKind::TotalPages, "Total Pages"},     {SpecialKind::PageNofM, "Page N of M"}};
    Layout out;
    const std::vector<int> tops = sectionTops(report);
    out.pageWidth = report.page.width;
    out.pageHeight = tops.back();
    Page& page = out.pages.emplace_back();
    for (int n = 1; n <= report.sectionCount(); ++n) {
        const auto& objects = report.section(n).objects;
        for (size_t i = 0; i < objects.size(); ++i) {
            const ReportObject& o = objects[i];
            PlacedItem it;
            it.object = &o;
            it.id = {n, int(i)};
            it.x = o.left;
            it.y = tops[size_t(n - 1)] + o.top;
            it.width = o.width;
            it.height = o.height;
            if (o.kind == ObjectKind::Text) it.text = o.text;
            else if (o.kind == ObjectKind::Field) it.text = "{" + o.field + "}";
            else if (o.kind == ObjectKind::Special)
                for (auto& [kind, name] : kNames)
                    if (kind == o.special) it.text = name;
            page.items.push_back(std::move(it));
        }
    }
    return out;
}

std::vector<int> sectionTops(const Report& report) {
    std::vector<int> tops{0};
    for (auto& s : report.sections()) tops.push_back(tops.back() + s.height);
    return tops;
}

}  // namespace vt::report
