// Rebuilding the designer's segment tree (what every edit does) for the largest map the keys
// allow: 99 segments of 99 elements, loops three levels deep. Run offscreen by hand.

#include "DesignerFixture.h"

#include "maps/DesignerTree.h"

#include <benchmark/benchmark.h>

namespace {

vt::maps::Map largest() {
    vt::maps::Map map;
    map.key = vt::maps::MapKey{"BIG", "850", "004010", "I"};
    for (std::int64_t s = 1; s <= 99; ++s) {
        vt::maps::SegmentRow row;
        row.segment = "S" + std::to_string(s);
        row.segmentIndex = s;
        row.node = s == 1 ? 1 : 1 + (s % 3);
        row.expanded = s % 2 == 0;
        for (std::int64_t e = 1; e <= 99; ++e) {
            vt::maps::ElementRow el;
            el.segment = row.segment;
            el.segmentIndex = s;
            el.elementIndex = e;
            el.elementName = "Element " + std::to_string(e);
            row.elements.push_back(el);
        }
        map.segments.push_back(row);
    }
    return map;
}

void BuildTree(benchmark::State& state) {
    const vt::maps::Map map = largest();
    for (auto _ : state) {
        vt::maps::TreeNode root;
        vt::maps::BuildSegmentTree(map, root);
        benchmark::DoNotOptimize(root.children.size());
    }
}
BENCHMARK(BuildTree)->Unit(benchmark::kMillisecond);

void LoadSegmentTree(benchmark::State& state) {
    vt::test::DesignerDb d;
    d.db.exec("DELETE FROM Transactions");
    vt::maps::Map map = largest();
    vt::maps::SaveMap(d.db, map);
    d.registerMap(map.key, "PO", "");
    vt::maps::frmMap w(d.services);
    w.Form_Load();
    for (auto _ : state) {
        w.setSelectedKey("Segment0101");
        w.LoadSegmentTree();
    }
}
BENCHMARK(LoadSegmentTree)->Unit(benchmark::kMillisecond);

}  // namespace
