#include "core/plausibility.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "core/closest_viewer.h"
#include "core/field_limits.h"
#include "core/text.h"

namespace vm {
namespace {

// A figure as its field shows it: counts whole, lengths with two decimals.
std::string figure(double value, int decimals) {
    return AllTrim(Str(value, 24, decimals));
}

// A count of rows or steps: whole as a count, with decimals when a file holds a fraction.
std::string count(double value) {
    double whole = 0;
    return figure(value, std::modf(value, &whole) == 0 ? 0 : 2);
}

std::string metres(double value) {
    return AllTrim(Str(value, 24, 2)) + " m";
}

// True when every named field of `p` lies within its limit.
bool withinLimits(const DadosProjeto& p, std::initializer_list<const char*> fields) {
    for (const char* field : fields) {
        if (!WithinFieldLimit(*findFieldLimit(field), FieldValue(p, *findFieldLimit(field)))) {
            return false;
        }
    }
    return true;
}

// The last row's rise over the front row's floor, and its eyes' height above that floor.
double lastRowRise(const DadosProjeto& p) {
    return (p.nNumeroFilas - 1) * p.nAlturaFila2;
}

double lastRowEyeHeight(const DadosProjeto& p) {
    return p.nAlturaOlhos1 + lastRowRise(p);
}

std::string outsideLimit(const DadosProjeto& p, const FieldLimit& limit) {
    return std::string("O campo \"") + limit.label + "\" vale " + FieldValueText(p, limit) +
           ", fora da faixa permitida (" + (limit.zeroAllowed ? "0 ou mais" : "maior que 0") + ").";
}

void rowsBeyondTheBackWall(const DadosProjeto& p, std::vector<std::string>& out) {
    if (!withinLimits(p, {"nComprimento", "nDistOlhos1", "nNumeroFilas", "nDistEntreFilas"}) ||
        p.nNumeroFilas < 1 || !(p.nDistOlhosN > p.nComprimento)) {
        return;
    }
    out.push_back("Filas além da parede do fundo: os olhos da fila " + count(p.nNumeroFilas) +
                  " ficam a " + metres(p.nDistOlhosN) + " da tela, e a sala tem " +
                  metres(p.nComprimento) + ".");
}

void imageTopAboveTheCeiling(const DadosProjeto& p, std::vector<std::string>& out) {
    if (!withinLimits(p, {"nPeDireito", "nTelaTopo"}) || !(p.nTelaTopo > p.nPeDireito)) {
        return;
    }
    out.push_back("O topo da imagem pretendida (" + metres(p.nTelaTopo) +
                  " do piso) fica acima do pé-direito (" + metres(p.nPeDireito) + ").");
}

void imageBottomBelowTheLastRowsEyes(const DadosProjeto& p, std::vector<std::string>& out) {
    if (!withinLimits(
            p, {"nAlturaOlhos1", "nNumeroFilas", "nAlturaFila2", "nTelaTopo", "nTelaAltura"}) ||
        p.nNumeroFilas < 1) {
        return;
    }
    const double bottom = p.nTelaTopo - p.nTelaAltura;
    const double eyes = lastRowEyeHeight(p);
    if (!(bottom < eyes)) {
        return;
    }
    out.push_back("A base da imagem pretendida (" + metres(bottom) +
                  " do piso) fica abaixo dos olhos da última fila (" + metres(eyes) + ").");
}

void recommendedImagesUnderTheCeiling(const DadosProjeto& p, std::vector<std::string>& out) {
    if (!withinLimits(
            p, {"nPeDireito", "nDistOlhos1", "nNumeroFilas", "nDistEntreFilas", "nTelaTopo"}) ||
        p.nNumeroFilas < 1) {
        return;
    }
    const struct {
        bool shown;
        const char* name;  // the category's box on the main window
        double height;
        double bottom;
    } images[] = {
        {p.nTelaG, "Detalhes", p.nAlturaG, p.nAlturaPisoTelaG},
        {p.nTelaA, "Computador", p.nAlturaA, p.nAlturaPisoTelaA},
        {p.nTelaF, "Vídeo", p.nAlturaF, p.nAlturaPisoTelaF},
    };
    for (const auto& image : images) {
        if (!image.shown) {
            continue;
        }
        const std::string which = std::string("A imagem mínima para ") + image.name + " (" +
                                  metres(image.height) + " de altura)";
        if (image.height > p.nPeDireito) {
            out.push_back(which + " é mais alta que o pé-direito (" + metres(p.nPeDireito) + ").");
        } else if (image.bottom < 0) {
            out.push_back(which + ", com o topo a " + metres(p.nTelaTopo) + ", desce " +
                          metres(-image.bottom) + " abaixo do piso.");
        }
    }
}

void risersUpToTheCeiling(const DadosProjeto& p, std::vector<std::string>& out) {
    if (!withinLimits(p, {"nPeDireito", "nAlturaOlhos1", "nNumeroFilas", "nAlturaFila2"}) ||
        p.nNumeroFilas < 1) {
        return;
    }
    const double eyes = lastRowEyeHeight(p);
    if (eyes < p.nPeDireito) {
        return;
    }
    const std::string noRoom =
        ": sem espaço para a cabeça sob o pé-direito (" + metres(p.nPeDireito) + ").";
    const double steps = p.nNumeroFilas - 1;
    if (lastRowRise(p) == 0) {
        out.push_back("Os olhos da última fila ficam a " + metres(eyes) + " do piso" + noRoom);
    } else if (steps == 1) {
        out.push_back("O degrau de " + metres(p.nAlturaFila2) +
                      " ergue os olhos da última fila a " + metres(eyes) + noRoom);
    } else {
        out.push_back("Os " + count(steps) + " degraus de " + metres(p.nAlturaFila2) + " (" +
                      metres(lastRowRise(p)) + " ao todo) erguem os olhos da última fila a " +
                      metres(eyes) + noRoom);
    }
}

void firstRowTooClose(const DadosProjeto& p, std::vector<std::string>& out) {
    if (!withinLimits(p, {"nDistOlhos1", "nAlturaOlhos1", "nNumeroFilas", "nTelaTopo",
                          "nTelaAltura"}) ||
        p.nNumeroFilas < 1 || !(p.nTelaAltura > 0)) {
        return;
    }
    const double offset = FirstRowImageOffset(p);
    const double closest = ClosestViewer(p.nTelaAltura, offset);
    if (p.nDistOlhos1 >= closest) {
        return;
    }
    out.push_back("A fila 1 fica a " + metres(p.nDistOlhos1) +
                  " da tela, mais perto que o espectador mais próximo do DISCAS: 1.732 x (altura "
                  "da imagem " +
                  metres(p.nTelaAltura) + " + base acima dos olhos " + metres(offset) + ") = " +
                  metres(closest) + ".");
}

}  // namespace

std::vector<std::string> PlausibilityWarnings(const DadosProjeto& p) {
    std::vector<std::string> out;
    risersUpToTheCeiling(p, out);
    for (const FieldLimit* limit : FieldsOutsideLimits(p)) {
        out.push_back(outsideLimit(p, *limit));
    }
    rowsBeyondTheBackWall(p, out);
    imageTopAboveTheCeiling(p, out);
    imageBottomBelowTheLastRowsEyes(p, out);
    recommendedImagesUnderTheCeiling(p, out);
    firstRowTooClose(p, out);
    return out;
}

std::optional<RowUnderTheCeiling> FirstRowUnderTheCeiling(const DadosProjeto& p, double step) {
    // Rows are counted from 0 while below nNumeroFilas: 2.5 rows are three.
    const double rows = std::ceil(p.nNumeroFilas);
    if (!(rows >= 1)) {
        return std::nullopt;
    }
    // Heights typed in centimetres arrive with binary error: 3.68 m of eyes under a 3.80 m
    // ceiling keep their 0.12 m.
    const double limit = p.nPeDireito - kHeadroomAboveEyes + 1e-9;
    const auto eyes = [&](double k) { return p.nAlturaOlhos1 + k * step; };
    double k = 0;
    if (!(eyes(0) > limit)) {
        if (!(step > 0) || !(eyes(rows - 1) > limit)) {
            return std::nullopt;
        }
        // The rows rise evenly: start near the first row above the limit, then settle on it.
        k = std::clamp(std::floor((limit - p.nAlturaOlhos1) / step), 0.0, rows - 1);
        while (k > 0 && eyes(k - 1) > limit) {
            --k;
        }
        while (!(eyes(k) > limit)) {
            ++k;
        }
    }
    return RowUnderTheCeiling{static_cast<int>(k) + 1, eyes(k)};
}

}  // namespace vm
