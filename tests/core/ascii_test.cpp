#include "core/ascii.h"

#include <gtest/gtest.h>

namespace vm::test {
namespace {

TEST(AsciiCaseTest, OnlyAsciiLettersFold) {
    EXPECT_EQ(AsciiLower("CPROJETOT nTelaAltura 09@[`{"), "cprojetot ntelaaltura 09@[`{");
    // Windows-1252 capitals (0xC9 "É", 0xC7 "Ç") stay as they are, whatever the locale.
    EXPECT_EQ(AsciiLower("\xC9\xC7\xE9"), "\xC9\xC7\xE9");
}

TEST(AsciiCaseTest, EqualsAndEndsWith) {
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    };
    const Case cases[] = {
        {"Content-Length", "content-length", true},
        {"HTTP/1.1 200", "http/1.1 200", true},
        {"content-length", "content-lengt", false},
        {"\xC9", "\xE9", false},
        {"", "", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EqualsIgnoringAsciiCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    }
    EXPECT_TRUE(EndsWithIgnoringAsciiCase("Sala de Reuni\xE3o.DXF", ".dxf"));
    EXPECT_TRUE(EndsWithIgnoringAsciiCase(".dxf", ".DXF"));
    EXPECT_FALSE(EndsWithIgnoringAsciiCase("dxf", ".dxf"));
    EXPECT_FALSE(EndsWithIgnoringAsciiCase("plan.dxf.pdf", ".dxf"));
}

}  // namespace
}  // namespace vm::test
