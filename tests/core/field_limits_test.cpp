// The limits of the typed numbers: rows on both sides of zero for every limited field.
#include "core/field_limits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "core/project_fields.h"

namespace {

TEST(FieldLimits, NoNegativeValueAndZeroOnlyWhereARoomCanHaveIt) {
    const std::set<std::string> zeroRefused = {"nComprimento", "nLargura", "nPeDireito",
                                               "nDistOlhos1", "nAlturaOlhos1"};
    for (const vm::FieldLimit& limit : vm::fieldLimits()) {
        SCOPED_TRACE(limit.field);
        const vm::ProjectField* field = vm::findProjectField(limit.field);
        ASSERT_NE(field, nullptr);
        EXPECT_TRUE(field->input && field->number != nullptr);
        EXPECT_EQ(vm::findFieldLimit(limit.field), &limit);

        EXPECT_FALSE(vm::WithinFieldLimit(limit, -0.01));
        EXPECT_FALSE(vm::WithinFieldLimit(limit, -1000));
        EXPECT_FALSE(vm::WithinFieldLimit(limit, std::nan("")));
        EXPECT_EQ(vm::WithinFieldLimit(limit, 0), zeroRefused.count(limit.field) == 0);
        EXPECT_EQ(vm::WithinFieldLimit(limit, -0.0), zeroRefused.count(limit.field) == 0);
        EXPECT_TRUE(vm::WithinFieldLimit(limit, 0.01));
        EXPECT_TRUE(vm::WithinFieldLimit(limit, 999.99));
    }
    // Every number the window types is limited: the 14 numeric inputs but the format code.
    EXPECT_EQ(vm::fieldLimits().size(), 14u);
    EXPECT_EQ(vm::findFieldLimit("nAspecto"), nullptr);
    EXPECT_EQ(vm::findFieldLimit("nnumerofilas"), nullptr);  // the record's spelling only
}

// A number no field holds lies outside every limit: too large to keep its hundredths, or a
// subnormal double (1e-319), which turns what is divided by it into infinity.
TEST(FieldLimits, NumbersNoFieldHolds) {
    const struct {
        double value;
        bool fits;
    } cases[] = {
        {0, true},        {-0.0, true},      {0.01, true},          {99999999999999.99, true},
        {1e15, false},    {-1e15, false},    {1e-319, false},       {-1e-319, false},
        {2.3e-308, true}, {HUGE_VAL, false}, {std::nan(""), false},
    };
    const vm::FieldLimit& rows = *vm::findFieldLimit("nNumeroFilas");
    const vm::FieldLimit& length = *vm::findFieldLimit("nComprimento");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(vm::FitsANumberField(c.value), c.fits);
        if (c.value > 0) {
            EXPECT_EQ(vm::WithinFieldLimit(rows, c.value), c.fits);
            EXPECT_EQ(vm::WithinFieldLimit(length, c.value), c.fits);
        }
    }
}

TEST(FieldLimits, RangeInWords) {
    EXPECT_EQ(vm::FaixaPermitida(*vm::findFieldLimit("nNumeroFilas"), "999"), "de 0 a 999");
    EXPECT_EQ(vm::FaixaPermitida(*vm::findFieldLimit("nComprimento"), "999.99"),
              "maiores que 0, até 999.99");
}

}  // namespace
