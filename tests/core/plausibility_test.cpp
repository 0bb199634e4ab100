// The plausibility warnings of a calculated project: one row per rule, with rows on both sides of
// each comparison, and the exact texts the window and the tool show.
#include "core/plausibility.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/calculo.h"

namespace {

using Warnings = std::vector<std::string>;

// DISCAS's closest viewer, 1.732 x (IH + IO), against row 1's distance.
std::string TooClose(const char* row1, const char* ih, const char* io, const char* closest) {
    return std::string("A fila 1 fica a ") + row1 +
           " m da tela, mais perto que o espectador mais próximo do DISCAS: 1.732 x (altura da "
           "imagem " +
           ih + " m + base acima dos olhos " + io + " m) = " + closest + " m.";
}

TEST(Plausibility, WarningsNameTheirFigures) {
    // The default project on a flat floor: its image's bottom (1.72 m) above every row's eyes;
    // row 1 at 3.70 m, nearer than 1.732 x (1.88 + 0.52) = 4.16 m.
    const auto flat = [](vm::DadosProjeto& p) { p.nAlturaFila2 = 0; };
    const std::string defaultTooClose = TooClose("3.70", "1.88", "0.52", "4.16");
    const struct {
        const char* name;
        std::function<void(vm::DadosProjeto&)> change;
        Warnings expected;
    } cases[] = {
        {"default project on a flat floor", flat, {defaultTooClose}},
        {"default project: the last row's eyes 1.2 + 6 x 0.2 up",
         [](vm::DadosProjeto&) {},
         {"A base da imagem pretendida (1.72 m do piso) fica abaixo dos olhos da última fila "
          "(2.40 m).",
          defaultTooClose}},
        // 1.732 x 2.4 = 4.1568 m: row 1 at 4.16 m is far enough, at 4.15 m too close.
        {"row 1 just beyond the closest viewer",
         [&](vm::DadosProjeto& p) {
             flat(p);
             p.nDistOlhos1 = 4.16;
             p.nDistEntreFilas = 0.9;
         },
         {}},
        {"row 1 1 cm nearer",
         [&](vm::DadosProjeto& p) {
             flat(p);
             p.nDistOlhos1 = 4.15;
             p.nDistEntreFilas = 0.9;
         },
         {TooClose("4.15", "1.88", "0.52", "4.16")}},
        // The image's bottom below the eyes: IO negative, 1.732 x (1.88 - 0.28) = 2.77 m.
        {"eyes above the image's bottom",
         [&](vm::DadosProjeto& p) {
             flat(p);
             p.nAlturaOlhos1 = 2;
             p.nDistOlhos1 = 2.5;
         },
         {"A base da imagem pretendida (1.72 m do piso) fica abaixo dos olhos da última fila "
          "(2.00 m).",
          TooClose("2.50", "1.88", "-0.28", "2.77")}},
        {"no image height: no closest viewer",
         [&](vm::DadosProjeto& p) {
             flat(p);
             p.nTelaAltura = 0;
         },
         {}},
        {"60 rows in a 10 m room, no category shown",
         [&](vm::DadosProjeto& p) {
             flat(p);
             p.nNumeroFilas = 60;
             p.nTelaG = p.nTelaA = p.nTelaF = false;
         },
         {"Filas além da parede do fundo: os olhos da fila 60 ficam a 62.70 m da tela, e a sala "
          "tem 10.00 m.",
          defaultTooClose}},
        {"last row's eyes at the back wall, 4 + 6 x 1",
         [&](vm::DadosProjeto& p) {
             flat(p);
             p.nDistOlhos1 = 4;
         },
         {TooClose("4.00", "1.88", "0.52", "4.16")}},
        {"last row's eyes 1 cm beyond it",
         [&](vm::DadosProjeto& p) {
             flat(p);
             p.nDistOlhos1 = 4.01;
         },
         {"Filas além da parede do fundo: os olhos da fila 7 ficam a 10.01 m da tela, e a sala tem "
          "10.00 m.",
          TooClose("4.01", "1.88", "0.52", "4.16")}},
        {"image top at the ceiling",
         [&](vm::DadosProjeto& p) {
             flat(p);
             p.nTelaTopo = 3.8;
         },
         {TooClose("3.70", "1.88", "0.72", "4.50")}},
        {"image top 1 cm above it",
         [&](vm::DadosProjeto& p) {
             flat(p);
             p.nTelaTopo = 3.81;
         },
         {"O topo da imagem pretendida (3.81 m do piso) fica acima do pé-direito (3.80 m).",
          TooClose("3.70", "1.88", "0.73", "4.52")}},
        {"image bottom at the eyes, 3.6 - 2.4",
         [&](vm::DadosProjeto& p) {
             flat(p);
             p.nTelaAltura = 2.4;
         },
         {TooClose("3.70", "2.40", "0.00", "4.16")}},
        {"image bottom 1 cm below them",
         [&](vm::DadosProjeto& p) {
             flat(p);
             p.nTelaAltura = 2.41;
         },
         {"A base da imagem pretendida (1.19 m do piso) fica abaixo dos olhos da última fila "
          "(1.20 m).",
          TooClose("3.70", "2.41", "-0.01", "4.16")}},
        {"detail image 9.7 / 4 taller than a 2.40 m ceiling",
         [&](vm::DadosProjeto& p) {
             flat(p);
             p.nPeDireito = 2.4;
             p.nTelaTopo = 2.4;
             p.nTelaAltura = 1;
         },
         {"A imagem mínima para Detalhes (2.43 m de altura) é mais alta que o pé-direito (2.40 "
          "m)."}},
        {"detail image 9.8 / 4 from a top at 2 m reaches below the floor",
         [&](vm::DadosProjeto& p) {
             flat(p);
             p.nDistOlhos1 = 3.8;
             p.nTelaTopo = 2;
             p.nTelaAltura = 0.5;
         },
         {"A imagem mínima para Detalhes (2.45 m de altura), com o topo a 2.00 m, desce 0.45 m "
          "abaixo do piso."}},
        {"the same with the detail category not shown",
         [&](vm::DadosProjeto& p) {
             flat(p);
             p.nDistOlhos1 = 3.8;
             p.nTelaTopo = 2;
             p.nTelaAltura = 0.5;
             p.nTelaG = false;
         },
         {}},
        {"risers of 0.44 m lift the last row's eyes to 1.2 + 6 x 0.44",
         [](vm::DadosProjeto& p) { p.nAlturaFila2 = 0.44; },
         {"Os 6 degraus de 0.44 m (2.64 m ao todo) erguem os olhos da última fila a 3.84 m: sem "
          "espaço para a cabeça sob o pé-direito (3.80 m).",
          "A base da imagem pretendida (1.72 m do piso) fica abaixo dos olhos da última fila "
          "(3.84 m).",
          defaultTooClose}},
        {"two rows, one step of 2.6 m",
         [](vm::DadosProjeto& p) {
             p.nNumeroFilas = 2;
             p.nAlturaFila2 = 2.6;
             p.nTelaAltura = 0;
         },
         {"O degrau de 2.60 m ergue os olhos da última fila a 3.80 m: sem espaço para a cabeça sob "
          "o pé-direito (3.80 m).",
          "A base da imagem pretendida (3.60 m do piso) fica abaixo dos olhos da última fila "
          "(3.80 m)."}},
        {"one row whose eyes stand 1 cm below the ceiling",
         [](vm::DadosProjeto& p) {
             p.nNumeroFilas = 1;
             p.nAlturaOlhos1 = 3.79;
             p.nTelaTopo = 3.8;
             p.nTelaAltura = 0;
         },
         {}},
        {"eyes of a flat floor at the ceiling",
         [&](vm::DadosProjeto& p) {
             flat(p);
             p.nAlturaOlhos1 = 3.8;
             p.nTelaAltura = 0;
         },
         {"Os olhos da última fila ficam a 3.80 m do piso: sem espaço para a cabeça sob o "
          "pé-direito (3.80 m).",
          "A base da imagem pretendida (3.60 m do piso) fica abaixo dos olhos da última fila "
          "(3.80 m)."}},
        {"no rows: nothing about rows",
         [](vm::DadosProjeto& p) {
             p.nNumeroFilas = 0;
             p.nAlturaOlhos1 = 5;
         },
         {}},
        {"a file's values that describe no room; the checks that read them are left out",
         [](vm::DadosProjeto& p) {
             p.nComprimento = -2;
             p.nNumeroFilas = -5;
             p.nTelaAltura = -1;
             p.nTelaTopo = 4;
         },
         {"O campo \"Comprimento\" vale -2.00, fora da faixa permitida (maior que 0).",
          "O campo \"Número de Filas de Assentos\" vale -5, fora da faixa permitida (0 ou mais).",
          "O campo \"Altura da Imagem\" vale -1.00, fora da faixa permitida (0 ou mais).",
          "O topo da imagem pretendida (4.00 m do piso) fica acima do pé-direito (3.80 m)."}},
        // The rows at the ceiling go first, before a field outside its limit: the main window's
        // line shows the first warning.
        {"risers up to the ceiling and a field that describes no room",
         [](vm::DadosProjeto& p) {
             p.nAlturaFila2 = 0.44;
             p.nComprimento = -2;
         },
         {"Os 6 degraus de 0.44 m (2.64 m ao todo) erguem os olhos da última fila a 3.84 m: sem "
          "espaço para a cabeça sob o pé-direito (3.80 m).",
          "O campo \"Comprimento\" vale -2.00, fora da faixa permitida (maior que 0).",
          "A base da imagem pretendida (1.72 m do piso) fica abaixo dos olhos da última fila "
          "(3.84 m).",
          defaultTooClose}},
        // Zeros not yet filled in are no room's values: Novo's project warns of nothing.
        {"the empty project of Novo", [](vm::DadosProjeto& p) { vm::DadosReset(p); }, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        vm::DadosProjeto p = vm::ProjetoInicial();
        c.change(p);
        vm::Calculo(p);
        EXPECT_EQ(vm::PlausibilityWarnings(p), c.expected);
    }
}

// The first row whose eyes, on a given step, come within 0.12 m of the ceiling: the default project
// (ceiling 3.80 m, eyes of row 1 at 1.20 m, 7 rows) and others.
TEST(Plausibility, FirstRowUnderTheCeiling) {
    const struct {
        const char* name;
        std::function<void(vm::DadosProjeto&)> change;
        double step;
        std::optional<int> row;
        double eyes;
    } cases[] = {
        {"0.20 m: row 7 at 2.40 m", {}, 0.2, std::nullopt, 0},
        // 1.2 + 4 x 0.65 = 3.80 m, row 4 at 3.15 m keeps its room.
        {"0.65 m: row 5 at the ceiling", {}, 0.65, 5, 3.8},
        // 1.2 + 6 x 0.38 = 3.48 m; 1.2 + 6 x 0.41 = 3.66 m, 0.14 m of room; 0.42 m: 3.72 m.
        {"0.41 m keeps 0.14 m", {}, 0.41, std::nullopt, 0},
        {"0.42 m: row 7 at 3.72 m", {}, 0.42, 7, 3.72},
        // Exactly 0.12 m of room is enough: 1.2 + 6 x 0.18 = 2.28 m under 2.40 m.
        {"exactly 0.12 m of room", [](vm::DadosProjeto& p) { p.nPeDireito = 2.4; }, 0.18,
         std::nullopt, 0},
        {"0.11 m of room", [](vm::DadosProjeto& p) { p.nPeDireito = 2.39; }, 0.18, 7, 2.28},
        // The front row itself too close, whatever the step.
        {"row 1 under a low ceiling", [](vm::DadosProjeto& p) { p.nPeDireito = 1.3; }, 0, 1, 1.2},
        // 2.5 rows are three: row 3 at 1.2 + 2 x 1.3 = 3.80 m.
        {"a fraction of a row", [](vm::DadosProjeto& p) { p.nNumeroFilas = 2.5; }, 1.3, 3, 3.8},
        {"no rows", [](vm::DadosProjeto& p) { p.nNumeroFilas = 0; }, 5, std::nullopt, 0},
        // 999 rows of 1 cm: 1.2 + k x 0.01 > 3.68 from k = 249, row 250 at 3.69 m.
        {"many low steps", [](vm::DadosProjeto& p) { p.nNumeroFilas = 999; }, 0.01, 250, 3.69},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        vm::DadosProjeto p = vm::ProjetoInicial();
        if (c.change) {
            c.change(p);
        }
        const std::optional<vm::RowUnderTheCeiling> row = vm::FirstRowUnderTheCeiling(p, c.step);
        ASSERT_EQ(row.has_value(), c.row.has_value());
        if (row) {
            EXPECT_EQ(row->row, *c.row);
            EXPECT_NEAR(row->eyeHeight, c.eyes, 1e-9);
        }
    }
}

}  // namespace
