#include "maps/DesignerLayout.h"

#include "platform/text/Text.h"

namespace vt::maps {

DesignerDefaults DefaultDesignerLayout(double screenWidth, double screenHeight, double designWidth,
                                       double designHeight) {
    auto nearest = [](double v) { return text::roundHalfEven(v); };
    DesignerDefaults d;
    d.height = nearest(screenHeight * 0.75);
    d.width = nearest(screenWidth * 0.75);
    d.top = nearest((screenHeight - d.height) / 2);
    d.left = nearest((screenWidth - d.width) / 2);
    d.bars.vc = nearest(designWidth * 0.5);
    d.bars.vl = nearest(designWidth * 0.5);
    d.bars.vr = nearest(designWidth * 0.75);
    d.bars.hs = nearest(designHeight * 0.75);
    return d;
}

void ClampBarsOnResize(DesignerBars& b, double cw, double ch) {
    if (b.hs > ch - 2000) b.hs = ch - 2000;
    if (b.vr > cw - 1000) b.vr = cw - 1000;
    if (b.vl > b.vr - 1000) b.vl = b.vr - 1000;
    // The script bar is held against the right bar of the upper band, not the window's width.
    if (b.vc > b.vr - 1000) b.vc = b.vr - 1000;
}

double ReleasedBarEdge(Bar bar, double edge, const DesignerBars& b, double cw, double ch) {
    switch (bar) {
    case Bar::HSplit:
        if (edge < 4300) return 4300;
        if (edge > ch - 2000) return ch - 2000;
        return edge;
    case Bar::VSplitLeft:
        if (edge < 3500) return 3500;
        if (edge > b.vr - 1000) return b.vr - 1000;
        return edge;
    case Bar::VSplitRight:
        if (edge > cw - 1000) return cw - 1000;
        if (edge < b.vl + 1000) return b.vl + 1000;
        return edge;
    case Bar::VSplitCenter:
        if (edge < 3500) return 3500;
        if (edge > b.vr - 1000) return b.vr - 1000;
        return edge;
    }
    return edge;
}

std::array<bool, kPaneCount> PlaceDesignerPanes(const DesignerBars& b, double cw, double ch, double ww,
                                                PaneRects& r) {
    std::array<bool, kPaneCount> moved{};
    auto place = [&](Pane p, double left, double top, double width, double height) {
        if (width < 0 || height < 0) return;
        r[p] = PaneRect{left, top, width, height};
        moved[p] = true;
    };
    const double x0 = 0, y0 = 0;
    place(fraElement, x0 + 100, y0, b.vl - 100, b.hs);
    place(fraSegment, x0 + 100, y0, b.vl - 100, b.hs);
    place(tvwTSets, b.vl + 100, y0, b.vr - r[fraElement].width - 200, b.hs);
    place(lvwTSets, b.vr + 100, y0, cw - r[fraElement].width - r[tvwTSets].width - 400, b.hs);
    place(sstControls, x0 + 100, y0 + r[lvwTSets].height + 110, cw - 100, ch - b.hs - 200);
    place(tvwReference, x0 + 90, 100, b.vc - 200, r[sstControls].height - 500);
    place(txtScript, b.vc, 100, r[sstControls].width - r[tvwReference].width - 300, r[sstControls].height - 500);
    place(txtImmediate, 100, 100, r[sstControls].width - 200, r[sstControls].height - 500);
    place(txtTransaction, 100, 100, r[sstControls].width - 200, r[sstControls].height - 500);
    place(picVSplitCenter, x0 + r[tvwReference].width + 200, r[sstControls].top + 100, kBarThickness,
          r[sstControls].height - 500);
    place(picVSplitLeft, x0 + r[fraElement].width + 100, y0, kBarThickness, b.hs);
    place(picVSplitRight, x0 + r[fraElement].width + r[tvwTSets].width + 200, y0, kBarThickness, b.hs);
    place(picHSplit, x0 + 100, b.hs, ww - 300, kBarThickness);
    return moved;
}

}  // namespace vt::maps
