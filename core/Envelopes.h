#pragma once
// A partner's X12 delimiters and the ISA and GS segments of every interchange the system
// writes. The builders use up the partner's next interchange or group control number.

#include "core/Services.h"

#include <string>
#include <string_view>

namespace vt::core {

// Each returns an empty text when the partner has no row; errors are reported, result empty.
std::string GetSegmentTerminator(const Services& s, std::string_view partner);   // CR LF for code 0
std::string GetElementSeparator(const Services& s, std::string_view partner);
std::string GetSubElementSeparator(const Services& s, std::string_view partner);

// The whole ISA segment with its terminator; advances the partner's ISA13.
std::string BuildISASegment(const Services& s, std::string_view partner);
// The whole GS segment with its terminator; advances the partner's GS06. Versions from 004 on
// (third character 4 or more) get an eight-digit date and six-digit time, older ones six and four.
std::string BuildGSSegment(const Services& s, std::string_view partner, std::string_view functionalIdentifier,
                           std::string_view version);

// The stored code of a separator: 0 for CR LF, else the code of its first character.
// Throws RunError 5 for an empty text.
int separatorCode(std::string_view separator);
// The separator of a stored code (CR LF for 0 when it is a segment terminator).
// Throws RunError 5 outside 0 to 255.
std::string separatorFromCode(long code, bool segmentTerminator);

}  // namespace vt::core
