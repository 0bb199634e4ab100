#include "core/win1252.h"

#include <gtest/gtest.h>

#include "tests/support/comma_locale.h"

namespace vm {
namespace {

TEST(Win1252, EveryByteRoundTrips) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    EXPECT_EQ(utf8ToWin1252(win1252ToUtf8(all)), all);
}

TEST(Win1252, KnownCharacters) {
    EXPECT_EQ(win1252ToUtf8("V\xed"
                            "deo"),
              "V\xc3\xad"
              "deo");
    EXPECT_EQ(win1252ToUtf8("\x80"), "\xe2\x82\xac");  // euro sign
    EXPECT_EQ(win1252ToUtf8("P\xe1gina"), "P\xc3\xa1gina");
    EXPECT_EQ(utf8ToWin1252("Atualiza\xc3\xa7\xc3\xa3o"), "Atualiza\xe7\xe3o");
    EXPECT_EQ(utf8ToWin1252("\xe2\x80\x9cx\xe2\x80\x9d"), "\x93x\x94");
}

TEST(Win1252, Utf16UnitPerCharacter) {
    // "Reunião – 5 €", the dash and the euro from the 0x80-0x9F range, and an undefined byte
    // kept as its C1 control.
    EXPECT_EQ(win1252ToUtf16("Reuni\xe3o \x96 5 \x80\x81"), u"Reuni\u00e3o \u2013 5 \u20ac\u0081");
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    EXPECT_EQ(win1252ToUtf16(all).size(), all.size());
}

TEST(Win1252, UnmappableAndMalformedBecomeQuestionMarks) {
    EXPECT_EQ(utf8ToWin1252("\xe4\xb8\xad"), "?");  // a CJK character
    EXPECT_EQ(utf8ToWin1252("a\xc3"), "a?");        // truncated sequence
    EXPECT_EQ(utf8ToWin1252("\xff"
                            "b"),
              "?b");  // invalid lead byte
    EXPECT_EQ(utf8ToWin1252("\xc3"
                            "b"),
              "?b");                                    // missing continuation
    EXPECT_EQ(utf8ToWin1252("\xf0\x9f\x98\x80"), "?");  // outside the BMP
}

TEST(Win1252, FitsOnlyWhatItHoldsExactly) {
    EXPECT_TRUE(fitsWin1252("SAL\xc3\x83O \xe2\x82\xac"));  // "SALÃO €"
    EXPECT_TRUE(fitsWin1252(""));
    EXPECT_FALSE(fitsWin1252("Sala \xe4\xb8\xad"));  // a CJK character
    EXPECT_FALSE(fitsWin1252("r\xffx"));             // not UTF-8
}

TEST(Win1252, CapitalsIgnoreTheLocale) {
    testing::CommaLocale brazil;  // a locale whose own tables could differ
    EXPECT_EQ(upperWin1252("sal\xe3o \xe7\xe9\xfd \x9a\x9c\x9e\xff \xdf\xf7 1a"),
              "SAL\xc3O \xc7\xc9\xdd \x8a\x8c\x8e\x9f \xdf\xf7 1A");
}

}  // namespace
}  // namespace vm
