#include "platform/text/Text.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vt::text;

namespace {

TEST(Numbers, RoundHalfEven) {
    struct Case { double value; int digits; double expected; } cases[] = {
        {2.5, 0, 2},        {3.5, 0, 4},       {-2.5, 0, -2},     {-3.5, 0, -4},     {0.5, 0, 0},
        {1.5, 0, 2},        {2.6, 0, 3},       {-2.6, 0, -3},     {2.4, 0, 2},       {0.125, 2, 0.12},
        {0.135, 2, 0.14},   {1.005, 2, 1.0},   {2.45, 1, 2.4},    {2.55, 1, 2.6},    {0.285, 2, 0.28},
        {12345.6789, 2, 12345.68}, {0.1 + 0.2, 1, 0.3}, {99.95, 1, 100}, {7, 2, 7},
        {1e20, 0, 1e20},    {12345678901234567.0, 0, 12345678901234567.0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(roundHalfEven(c.value, c.digits), c.expected) << c.value << " at " << c.digits;
}

TEST(Numbers, Val) {
    struct Case { const char* text; double expected; } cases[] = {
        {"123", 123},        {"  12 34 ", 1234},   {"\t\n42abc", 42},    {"1,000", 1},
        {"-1.5e3", -1500},   {"1.5D2", 150},       {"2e-2", 0.02},       {".5", 0.5},
        {"1.2.3", 1.2},      {"3 .1 4", 3.14},     {"- 5", -5},          {"+7", 7},
        {"--5", 0},          {"1e", 1},            {"12e+x", 12},        {"abc", 0},
        {"", 0},             {"$5", 0},            {"&HFF", 255},        {"&hff", 255},
        {"&H7FFF", 32767},   {"&HFFFF", -1},       {"&H8000", -32768},   {"&H10000", 65536},
        {"&HFFFFFFFF", -1},  {"&H80000000", -2147483648.0}, {"&H1FFFFFFFF", 8589934591.0},
        {"&HFG", 15},        {"&H", 0},            {"&O17", 15},         {"&o177777", -1},
        {"&O8", 0},          {"& H 1 0", 16},      {"&X1", 0},           {"-0", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(val(c.text), c.expected) << '"' << c.text << '"';
    EXPECT_FALSE(std::signbit(val("-0")));
}

}  // namespace
