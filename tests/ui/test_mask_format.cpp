// The template rules that are not reachable by typing: template validity, the date template of
// each date format, and the negative markers of a numeric text.
#include <gtest/gtest.h>

#include "ui/mask_format.h"

namespace {

TEST(MaskFormat, NumericTemplateValidity) {
    struct Case {
        const char* tmpl;
        bool valid;
    };
    const Case cases[] = {
        {"999.99", true}, {"999", true},     {"9,999.99", true}, {"$$$.**", true},
        {" 99", true},    {"99.9.9", false}, {"99A", false},     {"", false},
        {"...", false},   {".", false},      {"99-9", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(vm::isValidNumericTemplate(c.tmpl), c.valid) << '"' << c.tmpl << '"';
    }
}

TEST(MaskFormat, DateTemplateFollowsTheDateFormat) {
    struct Case {
        const char* format;
        const char* tmpl;
    };
    const Case cases[] = {
        {"dd/mm/yy", "99/99/99"},     {"DD/MM/YYYY", "99/99/9999"}, {"yyyy.mm.dd", "9999.99.99"},
        {"YYYY-MM-DD", "9999-99-99"}, {"mm.dd.yy", "99.99.99"},     {"dd-mm-yyyy", "99-99-9999"},
        {"dd.mm/yy", "99/99/99"},     {"ddmmyy", "99/99/99"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(vm::dateTemplate(c.format), c.tmpl) << c.format;
    }
}

TEST(MaskFormat, ParseReadsMarkersAndRoundsToTheTemplate) {
    struct Case {
        const char* text;
        const char* format;
        double value;
    };
    const Case cases[] = {
        {"( 12.50)", "999.99", -12.5},
        {"  12.50DB", "999.99", -12.5},
        {" 12.50 db", "999.99", 12.5},
        {"1,234.56", "9,999.99", 1234.56},
        {"  1.875", "999.99", 1.88},
        {" 999.995", "999.99", 0},
        {"***.**", "999.99", 0},
        {"", "999.99", 0},
        {" 7", "999", 7},
        {"12.7", "999", 13},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(vm::parseMaskedNumber(c.text, c.format), c.value)
            << '"' << c.text << "\" in " << c.format;
    }
}

}  // namespace
