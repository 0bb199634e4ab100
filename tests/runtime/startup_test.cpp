#include "runtime/startup.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "core/date.h"
#include "core/program_values.h"
#include "core/text.h"
#include "runtime/html_log.h"
#include "runtime/mem_vars.h"

namespace vm {
namespace {

TEST(Startup, WindowlessStepsLeaveTheDefaultProjectCalculated) {
    dateSettings().format = "yyyy-mm-dd";
    projeto().nAlturaG = 99;
    StartWithoutWindow([] { return std::string("Laser_1"); });

    const ProgramValues& v = programValues();
    EXPECT_EQ(v.QTV_VERSAO, "Vistametra 1.05");
    EXPECT_EQ(SubStr(v.QTV_VERSAO, 12, 4), "1.05");
    EXPECT_EQ(v.QTV_DATA, "10/01/2016");
    EXPECT_EQ(v.cSobre, " ");
    EXPECT_FALSE(v.cAutoria.empty());
    EXPECT_EQ(v.PrintX, "Laser_1");
    ASSERT_FALSE(v.DirPdf.empty());
    EXPECT_EQ(v.DirPdf.back(), '/');
    EXPECT_EQ(access(v.DirPdf.c_str(), W_OK), 0);

    EXPECT_EQ(dateSettings().format, "dd/mm/yy");
    EXPECT_EQ(dateSettings().epoch, 1960);
    EXPECT_EQ(ErrorLogFile(), "Vistametra.htm");

    const DadosProjeto& p = projeto();
    EXPECT_EQ(p.cProjeto, "AUDITORIO_TERREO");
    EXPECT_EQ(p.cData, Today());
    EXPECT_EQ(p.cTelaFormato, "16:10");
    EXPECT_EQ(Str(p.nTelaTamanho, 6, 2), "139.39");
    EXPECT_NEAR(p.nAlturaG, 2.425, 1e-12);

    StartWithoutWindow();
    EXPECT_EQ(programValues().PrintX, "");
}

TEST(Startup, ErrorLogListsProgramValuesAndProjectFields) {
    StartWithoutWindow();
    const auto globals = MemVarLines(MemVarScope::Public);
    ASSERT_FALSE(globals.empty());
    EXPECT_EQ(globals.front(), "      QTV_VERSAO TYPE C [Vistametra 1.05]");
    const auto fields = MemVarLines(MemVarScope::Private);
    bool sawFlag = false, sawDate = false;
    for (const auto& line : fields) {
        sawFlag |= line == "      NTELAG TYPE L [.T.]";
        sawDate |= line.rfind("      CDATA TYPE D [0d", 0) == 0;
    }
    EXPECT_TRUE(sawFlag);
    EXPECT_TRUE(sawDate);
}

}  // namespace
}  // namespace vm
