#include "setup/EnvelopePreview.h"

namespace vt::setup {

namespace {

// A code 0 has no character to show: an empty separator (for the terminator, the line break
// that follows every segment anyway).
std::string shown(int code) { return code <= 0 || code > 255 ? std::string() : std::string(1, char(code)); }

}  // namespace

std::string envelopePreview(const PartnerRow& p, const EnvelopeShown& w) {
    const std::string e = shown(p.element);
    const std::string sub = shown(p.sub);
    const std::string t = shown(p.segment);
    const bool inbound = w.direction == "I";
    const std::string& x6 = inbound ? p.isa08 : p.isa06;
    const std::string& x8 = inbound ? p.isa06 : p.isa08;
    const std::string& y2 = inbound ? p.gs03 : p.gs02;
    const std::string& y3 = inbound ? p.gs02 : p.gs03;
    const std::string isa13 = nineDigitControl(p.isa13);
    const std::string gs06 = nineDigitControl(p.gs06);
    const std::string st02 = nineDigitControl(w.controlNumber);

    std::string out = "ISA";
    for (const std::string* v : {&p.isa01, &p.isa02, &p.isa03, &p.isa04, &p.isa05, &x6, &p.isa07, &x8, &w.isa09,
                                 &w.isa10, &p.isa11, &p.isa12, &isa13, &p.isa14, &p.isa15})
        out += e + *v;
    out += e + sub + t + "\r\n";
    out += "\tGS" + e + w.gs01 + e + y2 + e + y3 + e + w.gs04 + e + w.gs05 + e + gs06 + e + w.gs07 + e + w.gs08 + t +
           "\r\n";
    out += "\t\tST" + e + w.transaction + e + st02 + t + "\r\n";
    out += "\t\tSE" + e + "1" + e + st02 + t + "\r\n";
    out += "\tGE" + e + "1" + e + gs06 + t + "\r\n";
    out += "IEA" + e + "1" + e + isa13 + t;
    return out;
}

}  // namespace vt::setup
