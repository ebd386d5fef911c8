#pragma once
// The segment tree of the designer: the map as a root node, one node per segment nested by loop
// level, one node per element under its segment, with the tree keys and image keys the window
// shows. Built from the map's rows by the placement rules of the loop levels.

#include "maps/MapModel.h"

#include <memory>
#include <string>
#include <vector>

namespace vt::maps {

struct TreeNode {
    std::string key;     // "Root", "SegmentNNSS", "ElementNNSSEE"
    std::string text;
    std::string image;   // "Segment", "Looping" or "Element"
    bool expanded = false;
    TreeNode* parent = nullptr;
    std::vector<std::unique_ptr<TreeNode>> children;

    TreeNode* find(std::string_view key);
    // One line per node, indented two blanks a level: "key text [image]" (+ " +" when expanded).
    std::string print() const;
};

// Text of an element's node: segment id, two-digit index, " - " and the description, or "Exclude"
// for an excluded element.
std::string ElementNodeText(const SegmentRow& segment, const ElementRow& element);

// Builds the tree of `map` under `root` (key "Root", text the map key). Each segment goes, by the
// first rule that holds: loop level 1 at the end of the root; the same or a smaller level than
// the segment before it right after that segment; a greater level at the end of that segment's
// children. A segment whose place names no node (a first segment deeper than 1, a gap in the
// numbering) or whose key is taken raises a RunError; the tree then stays as far as it was built.
void BuildSegmentTree(const Map& map, TreeNode& root);

}  // namespace vt::maps
