#pragma once
// How what a driver hands over becomes the system's text: values in the general forms the
// text routines give (without reading a picture for every value of a result), and diagnostic
// messages on one line.

#include "platform/text/Text.h"

#include <string>
#include <string_view>

namespace vt::odbc::detail {

std::string oneLine(const std::string& text);
std::string generalDecimal(std::string s);
std::string hex(const std::string& bytes);
void generalDate(const text::DateTime& d, std::string& out);
void generalNumber(double v, std::string& out);
bool isAscii(std::string_view v);

}  // namespace vt::odbc::detail
