#pragma once
// The script reference trees beside the send and receive script editors: what a network
// script can use, in six groups, each node's text ready to drop into a script.

#include <string>
#include <vector>

namespace vt::exchange {

struct ReferenceGroup {
    std::string caption;                 // text, key and image key of the top-level node
    std::vector<std::string> children;   // texts, in order
};

// The keyword lists the window builds at load.
const std::vector<std::string>& ScriptFunctions();    // 93
const std::vector<std::string>& ScriptStatements();   // 27
const std::vector<std::string>& ScriptOperators();    // 21

// The six groups of each tree, in order; the trees differ in SaveChunk's argument only.
std::vector<ReferenceGroup> SendReference();
std::vector<ReferenceGroup> ReceiveReference();

}  // namespace vt::exchange
