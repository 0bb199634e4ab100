#include "core/field_limits.h"

#include <cmath>
#include <limits>

#include "core/dados_projeto.h"
#include "core/project_fields.h"
#include "core/text.h"

namespace vm {

const std::vector<FieldLimit>& fieldLimits() {
    // Zero allowed: no rows yet; one row has no distance to a next one; a seat width, a screen
    // or a resolution not yet known (the analysis shows "-" for what they leave undefined); a
    // flat floor (a step of 0). A negative step would make each row lower than the one in front,
    // which no auditorium has.
    static const std::vector<FieldLimit> limits = {
        {"nComprimento", "Comprimento", false},
        {"nLargura", "Largura", false},
        {"nPeDireito", "Pe Direito", false},
        {"nDistOlhos1", "Distância Tela/Olhos Fila 1", false},
        {"nAlturaOlhos1", "Altura do Piso/Olhos Fila 1", false},
        {"nNumeroFilas", "Número de Filas de Assentos", true},
        {"nDistEntreFilas", "Distância entre as Filas", true},
        {"nLarguraAssento", "Largura dos Assentos", true},
        {"nAlturaFila2", "Altura do degrau da Fila 2", true},
        {"nTelaTopo", "Topo da Imagem", true},
        {"nTelaLargura", "Largura da Imagem", true},
        {"nTelaAltura", "Altura da Imagem", true},
        {"nImagemLargura", "Resolução da imagem projetada (largura em pixels)", true},
        {"nImagemAltura", "Resolução da imagem projetada (altura em pixels)", true},
    };
    return limits;
}

const FieldLimit* findFieldLimit(std::string_view field) {
    for (const FieldLimit& limit : fieldLimits()) {
        if (field == limit.field) {
            return &limit;
        }
    }
    return nullptr;
}

bool FitsANumberField(double value) {
    const double size = std::fabs(value);
    return std::isfinite(value) && size < 1e15 &&
           (value == 0 || size >= std::numeric_limits<double>::min());
}

bool WithinFieldLimit(const FieldLimit& limit, double value) {
    // Written so that a NaN lies outside.
    return (limit.zeroAllowed ? value >= 0 : value > 0) && FitsANumberField(value);
}

double FieldValue(const DadosProjeto& p, const FieldLimit& limit) {
    // Every limited field is a number of the record (the table's test holds to it).
    return p.*(findProjectField(limit.field)->number);
}

std::string FieldValueText(const DadosProjeto& p, const FieldLimit& limit) {
    const std::string_view field = limit.field;
    const bool count =
        field == "nNumeroFilas" || field == "nImagemLargura" || field == "nImagemAltura";
    return AllTrim(Str(FieldValue(p, limit), 24, count ? 0 : 2));
}

std::vector<const FieldLimit*> FieldsOutsideLimits(const DadosProjeto& p) {
    std::vector<const FieldLimit*> outside;
    for (const FieldLimit& limit : fieldLimits()) {
        const double value = FieldValue(p, limit);
        if (!(value >= 0) || !FitsANumberField(value)) {
            outside.push_back(&limit);
        }
    }
    return outside;
}

std::string FaixaPermitida(const FieldLimit& limit, std::string_view largest) {
    return (limit.zeroAllowed ? "de 0 a " : "maiores que 0, até ") + std::string(largest);
}

}  // namespace vm
