#include "setup/EnvelopePreview.h"

#include <gtest/gtest.h>

namespace {

using namespace vt::setup;

PartnerRow partner() {
    PartnerRow p;
    p.partner = "VENDOR01";
    p.segment = '~';
    p.element = '*';
    p.sub = '>';
    p.isa01 = "00";
    p.isa02 = "";
    p.isa03 = "00";
    p.isa04 = "";
    p.isa05 = "ZZ";
    p.isa06 = "OURID";
    p.isa07 = "01";
    p.isa08 = "THEIRID";
    p.isa11 = "U";
    p.isa12 = "00401";
    p.isa13 = "123";
    p.isa14 = "0";
    p.isa15 = "P";
    p.gs02 = "OURAPP";
    p.gs03 = "THEIRAPP";
    p.gs06 = "45";
    p.gs07 = "Y";   // the stored one; the preview takes the box
    return p;
}

EnvelopeShown shown(const char* direction) {
    EnvelopeShown w;
    w.direction = direction;
    w.transaction = "850";
    w.controlNumber = "7";
    w.isa09 = "240305";
    w.isa10 = "1407";
    w.gs01 = "PO";
    w.gs04 = "20240305";
    w.gs05 = "140709";
    w.gs07 = "X";
    w.gs08 = "004010";
    return w;
}

TEST(EnvelopePreview, GoldenTexts) {
    struct Case {
        const char* name;
        PartnerRow partner;
        EnvelopeShown shown;
        std::string expected;
    };
    PartnerRow crlf = partner();
    crlf.segment = 0;
    crlf.sub = 0;
    EnvelopeShown noControl = shown("O");
    noControl.controlNumber = "";
    PartnerRow padded = partner();
    padded.isa02 = "PASS";
    padded.isa13 = "000000123";
    padded.gs06 = "";
    const Case cases[] = {
        {"outbound", partner(), shown("O"),
         "ISA*00**00**ZZ*OURID*01*THEIRID*240305*1407*U*00401*000000123*0*P*>~\r\n"
         "\tGS*PO*OURAPP*THEIRAPP*20240305*140709*000000045*X*004010~\r\n"
         "\t\tST*850*000000007~\r\n"
         "\t\tSE*1*000000007~\r\n"
         "\tGE*1*000000045~\r\n"
         "IEA*1*000000123~"},
        {"inbound", partner(), shown("I"),
         "ISA*00**00**ZZ*THEIRID*01*OURID*240305*1407*U*00401*000000123*0*P*>~\r\n"
         "\tGS*PO*THEIRAPP*OURAPP*20240305*140709*000000045*X*004010~\r\n"
         "\t\tST*850*000000007~\r\n"
         "\t\tSE*1*000000007~\r\n"
         "\tGE*1*000000045~\r\n"
         "IEA*1*000000123~"},
        {"CR LF terminator, no sub-element separator, empty box", crlf, noControl,
         "ISA*00**00**ZZ*OURID*01*THEIRID*240305*1407*U*00401*000000123*0*P*\r\n"
         "\tGS*PO*OURAPP*THEIRAPP*20240305*140709*000000045*X*004010\r\n"
         "\t\tST*850*\r\n"
         "\t\tSE*1*\r\n"
         "\tGE*1*000000045\r\n"
         "IEA*1*000000123"},
        {"values as stored", padded, shown("O"),
         "ISA*00*PASS*00**ZZ*OURID*01*THEIRID*240305*1407*U*00401*000000123*0*P*>~\r\n"
         "\tGS*PO*OURAPP*THEIRAPP*20240305*140709**X*004010~\r\n"
         "\t\tST*850*000000007~\r\n"
         "\t\tSE*1*000000007~\r\n"
         "\tGE*1*~\r\n"
         "IEA*1*000000123~"},
    };
    for (const auto& c : cases) EXPECT_EQ(envelopePreview(c.partner, c.shown), c.expected) << c.name;
}

}  // namespace
