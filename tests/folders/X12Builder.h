#pragma once
// Builds small X12 interchanges for tests: segments joined with a chosen terminator, ISA padded
// to its fixed widths, trailer counts computed unless a test overrides them.

#include <cstdio>
#include <string>
#include <vector>

namespace vt::test {

inline std::string pad(std::string s, size_t width) {
    s.resize(width, ' ');
    return s;
}

struct X12 {
    char e = '*';
    char sub = '>';
    std::vector<std::string> segments;
    int setSegments = 0, groupSets = 0, groups = 0;
    std::string icn, gcn, st02;

    X12& isa(const std::string& control = "000000001", const std::string& sender = "SENDER",
             const std::string& receiver = "RECEIVER", const std::string& version = "00401") {
        icn = control;
        groups = 0;
        std::string E(1, e);
        segments.push_back("ISA" + E + "00" + E + pad("", 10) + E + "00" + E + pad("", 10) + E + "ZZ" + E +
                           pad(sender, 15) + E + "ZZ" + E + pad(receiver, 15) + E + "240305" + E + "1407" + E +
                           "U" + E + version + E + control + E + "0" + E + "P" + E + std::string(1, sub));
        return *this;
    }
    X12& gs(const std::string& control = "1", const std::string& group = "PO", const std::string& date = "20240305",
            const std::string& time = "1407", const std::string& version = "004010", const std::string& from = "APPS",
            const std::string& to = "APPR") {
        gcn = control;
        ++groups;
        groupSets = 0;
        return seg("GS*" + group + "*" + from + "*" + to + "*" + date + "*" + time + "*" + control + "*X*" + version);
    }
    X12& st(const std::string& set = "850", const std::string& control = "0001") {
        st02 = control;
        setSegments = 1;
        ++groupSets;
        return seg("ST*" + set + "*" + control, false);
    }
    // Any segment; counted into the open set.
    X12& seg(std::string text, bool count = true) {
        for (char& c : text)
            if (c == '*') c = e;
        if (count) ++setSegments;
        segments.push_back(std::move(text));
        return *this;
    }
    X12& se() { return seg("SE*" + std::to_string(setSegments + 1) + "*" + st02); }
    X12& ge() { return seg("GE*" + std::to_string(groupSets) + "*" + gcn, false); }
    X12& iea() { return seg("IEA*" + std::to_string(groups) + "*" + icn, false); }
    // A whole purchase order set.
    X12& po(const std::string& control = "0001", const std::string& set = "850") {
        return st(set, control).seg("BEG*00*SA*PO-" + control + "**20240305").seg("PO1*1*10*EA*9.95**BP*WIDGET").se();
    }

    std::string text(const std::string& terminator = "~") const {
        std::string out;
        for (const auto& s : segments) out += s + terminator;
        return out;
    }
};

}  // namespace vt::test
