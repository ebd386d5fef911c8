#pragma once
// The envelope around one transaction set of a partner (ISA, GS, ST, SE, GE, IEA, indented as a
// tree), as the partner window previews it. Builds text only: no control number is used up.

#include "setup/PartnerFields.h"

#include <string>

namespace vt::setup {

// What the window shows at the moment the preview is built.
struct EnvelopeShown {
    std::string direction;       // "I" shows the envelope as the partner sends it, else as we send
    std::string transaction;     // the selected set
    std::string controlNumber;   // the tab's control-number box (ST02, SE02)
    std::string isa09, isa10, gs01, gs04, gs05, gs07, gs08;
};

// `stored` is the partner's row as last saved: separators, ISA values, GS02, GS03 and the last
// control numbers used. Lines end with CR LF, the last one without.
std::string envelopePreview(const PartnerRow& stored, const EnvelopeShown& shown);

}  // namespace vt::setup
