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

TEST(FieldLimits, RangeInWords) {
    EXPECT_EQ(vm::FaixaPermitida(*vm::findFieldLimit("nNumeroFilas"), "999"), "de 0 a 999");
    EXPECT_EQ(vm::FaixaPermitida(*vm::findFieldLimit("nComprimento"), "999.99"),
              "maiores que 0, até 999.99");
}

}  // namespace
