#pragma once
// The envelope rows of every loaded interchange: one row per ISA, GS, GE and IEA segment,
// element by element, as read. Each writer reports its own failure and answers false.

#include "core/Services.h"

#include <string_view>

namespace vt::folders {

bool WriteOutISA(const core::Services& s, std::string_view isaText, std::string_view elementSeparator,
                 std::string_view partner, std::string_view direction);
bool WriteOutGS(const core::Services& s, std::string_view gsText, std::string_view groupControlNumber,
                std::string_view elementSeparator, std::string_view partner, std::string_view direction);
bool WriteOutGE(const core::Services& s, std::string_view geText, std::string_view elementSeparator,
                std::string_view partner);
bool WriteOutIEA(const core::Services& s, std::string_view ieaText, std::string_view elementSeparator,
                 std::string_view partner);

}  // namespace vt::folders
