#include "maps/DesignerTree.h"

#include "core/RunError.h"
#include "platform/text/Text.h"

#include <algorithm>
#include <functional>
#include <map>

namespace vt::maps {

namespace {

core::RunError elementNotFound() { return core::RunError(35601, "Element not found"); }
core::RunError keyNotUnique() { return core::RunError(35602, "Key is not unique in collection"); }

std::string twoDigits(std::int64_t n) { return text::formatNumber(double(n), "00"); }

}  // namespace

TreeNode* TreeNode::find(std::string_view wanted) {
    if (key == wanted) return this;
    for (auto& child : children)
        if (TreeNode* hit = child->find(wanted)) return hit;
    return nullptr;
}

std::string TreeNode::print() const {
    std::string out;
    std::function<void(const TreeNode&, int)> walk = [&](const TreeNode& n, int depth) {
        out += std::string(std::size_t(depth) * 2, ' ') + n.key + " " + n.text + " [" + n.image + "]" +
               (n.expanded ? " +" : "") + "\n";
        for (const auto& child : n.children) walk(*child, depth + 1);
    };
    walk(*this, 0);
    return out;
}

std::string ElementNodeText(const SegmentRow& segment, const ElementRow& element) {
    return segment.segment + twoDigits(element.elementIndex) + " - " +
           (element.exclude ? std::string("Exclude") : element.elementName);
}

void BuildSegmentTree(const Map& map, TreeNode& root) {
    root.key = "Root";
    root.text = map.key.text();
    root.image = "Segment";
    root.children.clear();
    std::map<std::string, TreeNode*, std::less<>> byKey{{"Root", &root}};

    auto adopt = [&](TreeNode* parent, std::size_t at, std::unique_ptr<TreeNode> node) -> TreeNode* {
        if (byKey.count(node->key)) throw keyNotUnique();
        node->parent = parent;
        TreeNode* raw = node.get();
        parent->children.insert(parent->children.begin() + std::ptrdiff_t(at), std::move(node));
        byKey.emplace(raw->key, raw);
        return raw;
    };

    std::int64_t previousNode = 0;
    for (const SegmentRow& seg : map.segments) {
        const std::string thisKey = SegmentKey(seg.node, seg.segmentIndex);
        const std::string previousKey = SegmentKey(previousNode, seg.segmentIndex - 1);
        auto node = std::make_unique<TreeNode>();
        node->key = thisKey;
        node->text = seg.segment;
        node->image = seg.looping ? "Looping" : "Segment";
        node->expanded = seg.expanded;

        TreeNode* placed = nullptr;
        if (seg.node == 1) {
            placed = adopt(&root, root.children.size(), std::move(node));
        } else {
            auto previous = byKey.find(previousKey);
            if (previous == byKey.end() || previous->second == &root) throw elementNotFound();
            TreeNode* before = previous->second;
            if (seg.node <= previousNode) {
                TreeNode* parent = before->parent;
                auto it = std::find_if(parent->children.begin(), parent->children.end(),
                                       [&](const auto& c) { return c.get() == before; });
                placed = adopt(parent, std::size_t(it - parent->children.begin()) + 1, std::move(node));
            } else {
                placed = adopt(before, before->children.size(), std::move(node));
            }
        }
        for (const ElementRow& el : seg.elements) {
            auto child = std::make_unique<TreeNode>();
            child->key = ElementKey(seg.node, seg.segmentIndex, el.elementIndex);
            child->text = ElementNodeText(seg, el);
            child->image = "Element";
            adopt(placed, placed->children.size(), std::move(child));
        }
        previousNode = seg.node;
    }
}

}  // namespace vt::maps
