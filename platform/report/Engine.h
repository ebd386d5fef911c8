#pragma once
// The painting half of the report engine: one QPainter page renderer for the screen, the
// printer and PDF, and the export and print calls the program makes. Needs a QGuiApplication.

#include "Document.h"
#include "Layout.h"

#include <QFont>
#include <QPointF>

#include <filesystem>
#include <string>

class QPainter;

namespace vt::report {

// Measures wrapped text with the fonts the renderer draws with.
class FontMeasurer final : public Measurer {
public:
    int textHeight(const Font& font, int width, std::string_view text) const override;
};

// The font of an object, sized in twips (pixel size = points x 20) so that one layout serves
// every device: the painter's scale takes twips to device pixels.
QFont qtFont(const Font& font);

// The document laid out in pages with real font metrics.
Layout paginate(const ReportDocument& doc, const LayoutOptions& options = {});

// Draws page `index` (from 0) with its top-left corner at `origin` (device pixels), `scale`
// device pixels per twip: a viewer at zoom z on a screen of d dots per inch passes
// d / 1440 * z / 100. Draws no page background.
void drawPage(QPainter& painter, const Layout& layout, int index, double scale, QPointF origin = {});

// PDF of the laid-out report, through the safe file writer: a failed write (a full disk) is a
// ReportError with the system's text, and the file that was there stays whole.
void writePdf(const ReportDocument& doc, const std::filesystem::path& file);

// Export with the document's export options, without a prompt: the format type is the engine's
// number. ReportError for a format that cannot be written, a destination other than a disk
// file, or a write that fails; no file is left behind on failure.
void exportReport(const ReportDocument& doc);

struct PrintOptions {
    int copies = 1;
    std::string printerName;   // "" = the default printer
    std::string outputFile;    // print to this PDF file instead of a printer (as writePdf writes)
};

// Prints without a dialog. ReportError when there is no printer (or no printer of that name),
// for fewer than one copy, or when the printer cannot be started.
void printOut(const ReportDocument& doc, const PrintOptions& options = {});

}  // namespace vt::report
