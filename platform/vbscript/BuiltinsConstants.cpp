// The vb... constants.

#include "Builtins.h"

namespace vt::vbscript {

void addConstants(BuiltinTable& t) {
    auto n = [&](std::string_view name, std::int64_t v) { t.addConstant(name, Variant::integerLiteral(v)); };
    // Constants the Windows engine types as Long whatever their size.
    auto l = [&](std::string_view name, std::int32_t v) { t.addConstant(name, Variant(v)); };
    auto s = [&](std::string_view name, std::string v) { t.addConstant(name, Variant(std::move(v))); };

    s("vbCr", "\r");
    s("vbLf", "\n");
    s("vbCrLf", "\r\n");
    s("vbNewLine", "\r\n");
    s("vbTab", "\t");
    s("vbFormFeed", "\f");
    s("vbVerticalTab", "\v");
    s("vbNullChar", std::string(1, '\0'));
    s("vbNullString", "");

    n("vbUseDefault", -2);
    n("vbTrue", -1);
    n("vbFalse", 0);
    n("vbBinaryCompare", 0);
    n("vbTextCompare", 1);
    n("vbDatabaseCompare", 2);

    n("vbEmpty", 0);
    n("vbNull", 1);
    n("vbInteger", 2);
    n("vbLong", 3);
    n("vbSingle", 4);
    n("vbDouble", 5);
    n("vbCurrency", 6);
    n("vbDate", 7);
    n("vbString", 8);
    n("vbObject", 9);
    n("vbError", 10);
    n("vbBoolean", 11);
    n("vbVariant", 12);
    n("vbDataObject", 13);
    n("vbDecimal", 14);
    n("vbByte", 17);
    n("vbArray", 8192);

    n("vbOKOnly", 0);
    n("vbOKCancel", 1);
    n("vbAbortRetryIgnore", 2);
    n("vbYesNoCancel", 3);
    n("vbYesNo", 4);
    n("vbRetryCancel", 5);
    n("vbCritical", 16);
    n("vbQuestion", 32);
    n("vbExclamation", 48);
    n("vbInformation", 64);
    n("vbDefaultButton1", 0);
    n("vbDefaultButton2", 256);
    n("vbDefaultButton3", 512);
    n("vbDefaultButton4", 768);
    n("vbApplicationModal", 0);
    n("vbSystemModal", 4096);
    l("vbMsgBoxHelpButton", 16384);
    n("vbMsgBoxSetForeground", 65536);
    n("vbMsgBoxRight", 524288);
    n("vbMsgBoxRtlReading", 1048576);
    n("vbOK", 1);
    n("vbCancel", 2);
    n("vbAbort", 3);
    n("vbRetry", 4);
    n("vbIgnore", 5);
    n("vbYes", 6);
    n("vbNo", 7);

    n("vbUseSystem", 0);
    n("vbUseSystemDayOfWeek", 0);
    n("vbSunday", 1);
    n("vbMonday", 2);
    n("vbTuesday", 3);
    n("vbWednesday", 4);
    n("vbThursday", 5);
    n("vbFriday", 6);
    n("vbSaturday", 7);
    n("vbFirstJan1", 1);
    n("vbFirstFourDays", 2);
    n("vbFirstFullWeek", 3);
    n("vbGeneralDate", 0);
    n("vbLongDate", 1);
    n("vbShortDate", 2);
    n("vbLongTime", 3);
    n("vbShortTime", 4);

    n("vbObjectError", -2147221504);

    l("vbBlack", 0);
    l("vbRed", 255);
    l("vbGreen", 65280);
    l("vbYellow", 65535);
    l("vbBlue", 16711680);
    l("vbMagenta", 16711935);
    l("vbCyan", 16776960);
    l("vbWhite", 16777215);
}

}  // namespace vt::vbscript
