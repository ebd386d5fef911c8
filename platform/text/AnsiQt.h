#pragma once
// The widget edge: 1252 bytes <-> QString. Unmappable characters become '?'.
#include <QString>
#include <string>
#include <string_view>

namespace vt::text {
QString fromAnsi(std::string_view ansi);
std::string toAnsi(const QString& s);
}  // namespace vt::text
