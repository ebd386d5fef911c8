#pragma once
// The designer window's arrangement in twips: defaults from the screen, the limits a resize puts
// on the four splitter bars, where every pane goes, and where a released bar may rest. The window
// measures itself and moves its controls; everything here is arithmetic on numbers.

#include <array>
#include <cstddef>

namespace vt::maps {

inline constexpr double kDesignerMinHeight = 8400;   // outer height
inline constexpr double kDesignerMinWidth = 6000;    // outer width
inline constexpr double kBarThickness = 100;

// The bar positions: VL, VR, VC left edges (window coordinates), HS top edge.
struct DesignerBars {
    double vl = 0, vr = 0, vc = 0, hs = 0;
    bool operator==(const DesignerBars&) const = default;
};

// The settings defaults: the window at three quarters of the screen, centred; the bars from the
// window's design size.
struct DesignerDefaults {
    double top = 0, left = 0, height = 0, width = 0;
    DesignerBars bars;
};
DesignerDefaults DefaultDesignerLayout(double screenWidth, double screenHeight, double designWidth,
                                       double designHeight);

// The upper limits a resize applies (client width and height), in their order; no lower limit.
void ClampBarsOnResize(DesignerBars& bars, double clientWidth, double clientHeight);

enum class Bar { HSplit, VSplitLeft, VSplitRight, VSplitCenter };

// The edge a released bar comes to rest at.
double ReleasedBarEdge(Bar bar, double edge, const DesignerBars& bars, double clientWidth, double clientHeight);

struct PaneRect {
    double left = 0, top = 0, width = 0, height = 0;
    bool operator==(const PaneRect&) const = default;
};

enum Pane : std::size_t {
    fraElement,
    fraSegment,
    tvwTSets,
    lvwTSets,
    sstControls,
    tvwReference,   // tab control coordinates
    txtScript,      // tab control coordinates
    txtImmediate,   // tab control coordinates
    txtTransaction, // tab control coordinates
    picVSplitCenter,
    picVSplitLeft,
    picVSplitRight,
    picHSplit,
    kPaneCount
};
using PaneRects = std::array<PaneRect, kPaneCount>;

// Places every pane in order from the bars; a pane whose width or height would be negative keeps
// its place (the later panes read the sizes as they stand). Returns which panes moved.
std::array<bool, kPaneCount> PlaceDesignerPanes(const DesignerBars& bars, double clientWidth, double clientHeight,
                                                double outerWidth, PaneRects& rects);

}  // namespace vt::maps
