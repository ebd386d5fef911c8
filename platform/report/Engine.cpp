#include "Engine.h"

#include "OdbcExport.h"
#include "ReportFile.h"
#include "platform/files/SafeFile.h"
#include "platform/text/AnsiQt.h"

#include <QIODevice>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextLayout>

#include <array>
#include <cerrno>
#include <cmath>
#include <optional>
#include <cstring>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace vt::report {

namespace fs = std::filesystem;

QFont qtFont(const Font& f) {
    QFont q(text::fromAnsi(f.name));
    q.setPixelSize(std::max(1, int(std::lround(f.size * 20))));
    q.setBold(f.bold);
    q.setItalic(f.italic);
    q.setUnderline(f.underline);
    return q;
}

int FontMeasurer::textHeight(const Font& font, int width, std::string_view s) const {
    const QFontMetricsF m(qtFont(font));
    const QRectF r = m.boundingRect(QRectF(0, 0, std::max(1, width), 1e7), Qt::TextWordWrap, text::fromAnsi(s));
    return int(std::ceil(r.height()));
}

Layout paginate(const ReportDocument& doc, const LayoutOptions& options) {
    FontMeasurer measurer;
    return layoutReport(doc.report(), doc.data(), doc.runInfo(), measurer, options);
}

namespace {

QColor qtColor(std::uint32_t rgb) { return QColor(QRgb(0xFF000000u | rgb)); }

int qtAlign(Align a) {
    switch (a) {
    case Align::Center: return Qt::AlignHCenter;
    case Align::Right: return Qt::AlignRight;
    default: return Qt::AlignLeft;
    }
}

// The font and colour last set on the painter, so runs of like items do not set them again,
// with what is measured of the font on the painter's device.
struct PenState {
    const Font* font = nullptr;
    std::uint32_t color = 0xFFFFFFFF;
    std::optional<QFontMetricsF> metrics;
    qreal ascent = 0;
    std::array<qreal, 256> advances{};   // of single Latin-1 characters, -1 until measured

    void setFont(QPainter& p, const Font& f) {
        p.setFont(qtFont(f));
        font = &f;
        metrics.emplace(p.font(), p.device());
        ascent = metrics->ascent();
        advances.fill(-1);
    }
    // The width of a line without kerning, or -1 past Latin-1.
    qreal roughWidth(const QString& s) {
        qreal w = 0;
        for (QChar c : s) {
            if (c.unicode() > 0xFF) return -1;
            qreal& a = advances[c.unicode()];
            if (a < 0) a = metrics->horizontalAdvance(c);
            w += a;
        }
        return w;
    }
};

// Text that one plain line shows as it is: no line breaks, tabs or trailing blanks, which a
// laid-out line treats apart.
bool plainLine(const QString& s) {
    if (s.isEmpty() || s.back() == QLatin1Char(' ')) return false;
    for (QChar c : s)
        if (c.unicode() < 0x20) return false;
    return true;
}

// One line of text in its object, clipped to it only when the text runs out of it (a descent
// below a short object is drawn whole). Left-aligned text well inside its object is drawn
// without being laid out first: most of a long report's items are such.
void drawLine(QPainter& p, const PlacedItem& it, const QString& s, PenState& state) {
    const Align align = it.object->align;
    const qreal rough = state.roughWidth(s);
    if (align == Align::Left && rough >= 0) {
        // Left-aligned text needs no exact width: kerning narrows a line far more often than it
        // widens it, and a clip that cuts nothing changes nothing.
        const bool clip = rough + s.size() * state.metrics->height() / 64 > it.width || state.ascent > it.height;
        if (clip) {
            p.save();
            p.setClipRect(QRectF(it.x, it.y, it.width, it.height), Qt::IntersectClip);
        }
        p.drawText(QPointF(it.x, it.y + state.ascent), s);
        if (clip) p.restore();
        return;
    }
    QTextLayout layout(s, p.font(), p.device());
    layout.setCacheEnabled(true);   // else drawing shapes the text again
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    const qreal width = line.naturalTextWidth();
    qreal x = it.x;
    if (align == Align::Right) x += it.width - width;
    else if (align == Align::Center) x += (it.width - width) / 2;
    const bool clip = width > it.width || line.ascent() > it.height;
    if (clip) {
        p.save();
        p.setClipRect(QRectF(it.x, it.y, it.width, it.height), Qt::IntersectClip);
    }
    line.draw(&p, QPointF(x, it.y));
    if (clip) p.restore();
}

void drawItem(QPainter& p, const PlacedItem& it, PenState& state) {
    const ReportObject& o = *it.object;
    const QRectF rect(it.x, it.y, it.width, it.height);
    switch (o.kind) {
    case ObjectKind::Line:
        state.color = 0xFFFFFFFF;
        p.setPen(QPen(qtColor(o.color), std::max(1, o.lineWidth)));
        p.drawLine(QPointF(it.x, it.y), QPointF(it.x + it.width, it.y + it.height));
        return;
    case ObjectKind::Box:
        state.color = 0xFFFFFFFF;
        p.setPen(QPen(qtColor(o.color), std::max(1, o.lineWidth)));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect);
        return;
    default: break;
    }
    if (o.borderStyle) {
        p.setPen(QPen(qtColor(o.borderColor), std::max(1, o.lineWidth)));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect);
        state.color = 0xFFFFFFFF;
    }
    if (it.text.empty()) return;
    if (!state.font || !(*state.font == o.font)) state.setFont(p, o.font);
    if (state.color != o.color) {
        p.setPen(qtColor(o.color));
        state.color = o.color;
    }
    const QString s = text::fromAnsi(it.text);
    if (!o.canGrow && plainLine(s)) return drawLine(p, it, s, state);
    const int flags = qtAlign(o.align) | Qt::AlignTop | (o.canGrow ? Qt::TextWordWrap : 0);
    if (o.canGrow) return p.drawText(rect, flags, s);
    // An object that does not grow shows the lines that fit in it whole (at least the first), not
    // a sliver of the next one.
    const qreal lineHeight = state.metrics->lineSpacing();
    const int fit = std::max(1, int(std::floor(it.height / lineHeight + 1e-6)));
    QStringList lines = s.split(QLatin1Char('\n'));
    if (lines.size() > fit) lines.erase(lines.begin() + fit, lines.end());
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    const QRectF shown(it.x, it.y, it.width, std::max<qreal>(it.height, fit * lineHeight));
    p.save();
    p.setClipRect(shown, Qt::IntersectClip);
    p.drawText(shown, flags, lines.join(QLatin1Char('\n')));
    p.restore();
}

}  // namespace

void drawPage(QPainter& p, const Layout& layout, int index, double scale, QPointF origin) {
    if (index < 0 || index >= int(layout.pages.size())) return;
    p.save();
    p.translate(origin);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    PenState state;
    for (const PlacedItem& it : layout.pages[size_t(index)].items) drawItem(p, it, state);
    p.restore();
}

namespace {

QPageLayout pageLayout(const Report& r) {
    const QPageSize size(QSizeF(r.page.width / 1440.0, r.page.height / 1440.0), QPageSize::Inch, QString(),
                         QPageSize::ExactMatch);
    return QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
}

}  // namespace

namespace {

// The PDF writer's device: every byte goes through the safe writer, and the first failure (a
// full disk, a size limit) is kept, since the PDF engine does not look at what its writes return.
class SafeFileDevice final : public QIODevice {
public:
    explicit SafeFileDevice(files::SafeFile& file) : file_(file) { open(QIODevice::WriteOnly); }
    int error() const { return error_; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (error_) return -1;
        try {
            file_.write(std::string_view(data, size_t(size)));
        } catch (const fs::filesystem_error& e) {
            error_ = e.code().value() ? e.code().value() : EIO;
            return -1;
        }
        return size;
    }

private:
    files::SafeFile& file_;
    int error_ = 0;
};

// Every page, `copies` times over, collated, on a device the painter has begun.
void drawCopies(QPainter& p, QPagedPaintDevice& device, const Layout& layout, int copies) {
    const double scale = device.logicalDpiX() / 1440.0;
    bool first = true;
    for (int copy = 0; copy < copies; ++copy)
        for (int i = 0; i < int(layout.pages.size()); ++i) {
            if (!first) device.newPage();
            first = false;
            drawPage(p, layout, i, scale);
        }
}

// The laid-out pages, `copies` times over, as one PDF that replaces `file` only when written whole.
void writePdfPages(const ReportDocument& doc, const Layout& layout, const fs::path& file, int copies) {
    writingFile(file, [&] {
        files::SafeFile tmp(file);
        SafeFileDevice device(tmp);
        {
            QPdfWriter writer(&device);
            writer.setResolution(1440);
            writer.setPageLayout(pageLayout(doc.report()));
            writer.setTitle(text::fromAnsi(doc.report().title));
            writer.setCreator(QStringLiteral("report engine"));
            QPainter p;
            if (!p.begin(&writer)) cannotWrite(file, device.error() ? device.error() : EIO);
            drawCopies(p, writer, layout, copies);
            if (!p.end() && !device.error()) cannotWrite(file, EIO);
        }
        if (device.error()) cannotWrite(file, device.error());
        tmp.commit();
    });
}

}  // namespace

void writePdf(const ReportDocument& doc, const fs::path& file) { writePdfPages(doc, paginate(doc), file, 1); }

void exportReport(const ReportDocument& doc) {
    const ExportOptions& o = doc.exportOptions();
    requireWritable(o.formatType);
    if (o.destinationType != 1)
        throw ReportError("Export destination " + std::to_string(o.destinationType) +
                          " is not supported; only a disk file (1) is");
    if (o.formatType == format::ODBC) return exportOdbc(doc.report(), doc.data(), o);
    const fs::path target = exportTarget(o);
    if (target.empty()) throw ReportError("No export file name is set; no file was written");
    if (o.formatType == format::PDF) writePdf(doc, target);
    else exportData(doc.report(), doc.data(), doc.runInfo(), o, target);
}

void printOut(const ReportDocument& doc, const PrintOptions& options) {
    if (options.copies < 1) throw ReportError("The number of copies must be at least 1");
    if (!options.outputFile.empty()) return writePdfPages(doc, paginate(doc), options.outputFile, options.copies);
    QPrinter printer(QPrinter::HighResolution);
    {
        const QPrinterInfo info = options.printerName.empty()
                                      ? QPrinterInfo::defaultPrinter()
                                      : QPrinterInfo::printerInfo(QString::fromStdString(options.printerName));
        if (info.isNull()) {
            if (!options.printerName.empty())
                throw ReportError("The printer \"" + options.printerName + "\" does not exist; the report was not printed");
            throw ReportError("No printer is installed; the report was not printed");
        }
        printer.setPrinterName(info.printerName());
    }
    printer.setFullPage(true);
    printer.setPageLayout(pageLayout(doc.report()));
    printer.setDocName(text::fromAnsi(doc.report().title));
    // Where the printer makes the copies itself it is asked to; otherwise the pages are sent
    // that many times, collated.
    int passes = 1;
    if (printer.supportsMultipleCopies()) {
        printer.setCopyCount(options.copies);
        printer.setCollateCopies(true);
    } else {
        passes = options.copies;
    }
    const Layout layout = paginate(doc);
    QPainter p;
    if (!p.begin(&printer)) throw ReportError("The printer could not be started; the report was not printed");
    drawCopies(p, printer, layout, passes);
    if (!p.end()) throw ReportError("The report could not be printed");
}

}  // namespace vt::report
