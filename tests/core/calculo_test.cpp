#include "core/calculo.h"

#include <gtest/gtest.h>

#include "core/text.h"

namespace vm {
namespace {

DadosProjeto calculated(DadosProjeto p = ProjetoInicial()) {
    Calculo(p);
    return p;
}

TEST(Calculo, DefaultProject) {
    const DadosProjeto p = calculated();
    constexpr double eps = 1e-6;
    EXPECT_NEAR(p.nFatorX, 170.0 / 10, eps);
    EXPECT_NEAR(p.nTelaTopoX, 3.6 * 17, eps);
    EXPECT_NEAR(p.nPeDireitoX, 3.8 * 17, eps);
    EXPECT_NEAR(p.nLarguraX, 5 * 17, eps);
    EXPECT_NEAR(p.nDistOlhosN, (7 - 1) * 1 + 3.7, eps);
    EXPECT_NEAR(p.nAlturaG, 9.7 / 4, eps);
    EXPECT_NEAR(p.nAlturaA, 9.7 / 6, eps);
    EXPECT_NEAR(p.nAlturaF, 9.7 / 8, eps);
    EXPECT_NEAR(p.nLarguraG, 9.7 / 4 / 10 * 16, eps);
    EXPECT_NEAR(p.nLarguraA, 2.586667, eps);
    EXPECT_NEAR(p.nLarguraF, 1.94, eps);
    EXPECT_NEAR(p.nTamTelaG, 180.137, 1e-3);
    EXPECT_NEAR(p.nTamTelaA, 120.091, 1e-3);
    EXPECT_NEAR(p.nTamTelaF, 90.069, 1e-3);
    EXPECT_NEAR(p.nAlturaPisoTelaG, 3.6 - 2.425, eps);
    EXPECT_NEAR(p.nAlturaPisoTelaA, 1.983333, eps);
    EXPECT_NEAR(p.nAlturaPisoTelaF, 2.3875, eps);
    EXPECT_NEAR(p.nDistParedeTelaG, (5 - 3.88) / 2, eps);
    EXPECT_NEAR(p.nDistParedeTelaA, 1.206667, eps);
    EXPECT_NEAR(p.nDistParedeTelaF, 1.53, eps);
    EXPECT_NEAR(p.nTelaTamanho, 139.386, 1e-3);
    EXPECT_NEAR(p.nTelaFormatoT, 3.0 / 1.88, eps);
    EXPECT_EQ(p.cTelaFormato, "16:10");
    EXPECT_NEAR(p.nAlturaPisoTela, 1.72, eps);
    EXPECT_NEAR(p.nDistParedeTela, 1.0, eps);
    // The detail line's height: 2.425 is shown as 2.43.
    EXPECT_EQ(Str(p.nAlturaG, 5, 2), " 2.43");
    EXPECT_EQ(Str(p.nTamTelaG, 6, 2), "180.14");
}

TEST(Calculo, FormatClasses) {
    const struct {
        double width, height;
        const char* expected;
    } cases[] = {
        {4, 3, "4:3"},       {5, 4, "CUSTOM"},   {3.2, 2, "16:10"},   {3.2, 1.8, "16:9"},
        {4.2, 1.8, "21:9"},  {3, 2, "CUSTOM"},   {1.4, 1, "CUSTOM"},  {1.55, 1, "CUSTOM"},
        {1.65, 1, "CUSTOM"}, {1.7, 1, "CUSTOM"}, {1.85, 1, "CUSTOM"}, {2.0, 1, "CUSTOM"},
        {2.7, 1, "CUSTOM"},  {2.69, 1, "21:9"},  {1.26, 1, "4:3"},    {3, 0, "CUSTOM"},
    };
    for (const auto& c : cases) {
        DadosProjeto p = ProjetoInicial();
        p.nTelaLargura = c.width;
        p.nTelaAltura = c.height;
        Calculo(p);
        EXPECT_EQ(p.cTelaFormato, c.expected) << c.width << " x " << c.height;
    }
}

TEST(Calculo, ZeroDivisorsYieldZero) {
    DadosProjeto p = ProjetoInicial();
    p.nComprimento = 0;
    Calculo(p);
    EXPECT_EQ(p.nFatorX, 0);
    EXPECT_EQ(p.nTelaTopoX, 0);
    EXPECT_EQ(p.nPeDireitoX, 0);
    EXPECT_EQ(p.nLarguraX, 0);
    EXPECT_NEAR(p.nAlturaG, 2.425, 1e-9);  // the rest is computed normally

    p = ProjetoInicial();
    p.nTelaAltura = 0;
    Calculo(p);
    EXPECT_EQ(p.nTelaFormatoT, 0);
    EXPECT_EQ(p.cTelaFormato, "CUSTOM");
    EXPECT_NEAR(p.nTelaTamanho, 3.0 * 100 / 2.54, 1e-9);
}

TEST(Calculo, RowCounts) {
    DadosProjeto p = ProjetoInicial();
    p.nNumeroFilas = 1;
    Calculo(p);
    EXPECT_EQ(p.nDistOlhosN, p.nDistOlhos1);

    p.nNumeroFilas = 0;
    p.nDistOlhos1 = 0.5;
    Calculo(p);
    EXPECT_NEAR(p.nDistOlhosN, 0.5 - 1, 1e-12);
    EXPECT_LT(p.nAlturaG, 0);
}

TEST(Calculo, UnknownAspectKeepsEarlierWidths) {
    DadosProjeto p = calculated();
    const double widthG = p.nLarguraG, widthA = p.nLarguraA, widthF = p.nLarguraF;
    p.nAspecto = 0;
    p.nNumeroFilas = 10;
    Calculo(p);
    EXPECT_NEAR(p.nAlturaG, (9 * 1 + 3.7) / 4, 1e-12);
    EXPECT_EQ(p.nLarguraG, widthG);
    EXPECT_EQ(p.nLarguraA, widthA);
    EXPECT_EQ(p.nLarguraF, widthF);

    DadosProjeto fresh = ProjetoInicial();
    fresh.nAspecto = 7;
    Calculo(fresh);
    EXPECT_EQ(fresh.nLarguraG, 0);  // never computed
}

TEST(Calculo, AspectCodesGiveWidths) {
    const struct { double code, w, h; } cases[] = {{1, 4, 3}, {2, 16, 9}, {3, 16, 10}, {4, 21, 9}};
    for (const auto& c : cases) {
        DadosProjeto p = ProjetoInicial();
        p.nAspecto = c.code;
        Calculo(p);
        EXPECT_NEAR(p.nLarguraF, 9.7 / 8 / c.h * c.w, 1e-12) << c.code;
    }
}

TEST(AspectHelpers, HeightFromWidth) {
    double h = -1;
    EXPECT_TRUE(alturaPeloAspecto(3.2, 2, h));
    EXPECT_NEAR(h, 1.8, 1e-12);
    EXPECT_TRUE(alturaPeloAspecto(1366, 2, h));
    EXPECT_NEAR(h, 768.375, 1e-9);
    h = -1;
    EXPECT_FALSE(alturaPeloAspecto(0, 2, h));
    EXPECT_FALSE(alturaPeloAspecto(3.2, 5, h));
    EXPECT_EQ(h, -1);
}

TEST(TamTela, Diagonal) {
    EXPECT_EQ(TamTela(0, 0), 0);
    EXPECT_NEAR(TamTela(3, 0), 300 / 2.54, 1e-12);
    EXPECT_NEAR(TamTela(3, 4), 500 / 2.54, 1e-12);
}

TEST(DadosReset, EmptiesInputsKeepsResults) {
    DadosProjeto p = calculated();
    p.cTelaFormato = "4:3";
    DadosReset(p);
    EXPECT_EQ(p.cProjeto, "");
    EXPECT_EQ(p.nLargura, 0);
    EXPECT_EQ(p.nNumeroFilas, 0);
    EXPECT_EQ(p.nImagemLargura, 0);
    EXPECT_EQ(p.nTelaTamanho, 0);
    EXPECT_EQ(p.nAspecto, 3);
    EXPECT_TRUE(p.nTelaG && p.nTelaA && p.nTelaF);
    EXPECT_EQ(p.cTelaFormato, "4:3");
    EXPECT_NEAR(p.nAlturaG, 2.425, 1e-12);
    EXPECT_FALSE(p.cData.isEmpty());
}

}  // namespace
}  // namespace vm
