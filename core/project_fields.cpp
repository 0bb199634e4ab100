#include "core/project_fields.h"

#include "core/text.h"
#include "core/win1252.h"

namespace vm {
namespace {

ProjectField text(const char* name, std::string DadosProjeto::*m) {
    ProjectField f{name, FieldKind::Text, true};
    f.text = m;
    return f;
}

ProjectField number(const char* name, double DadosProjeto::*m, bool input = true) {
    ProjectField f{name, FieldKind::Number, input};
    f.number = m;
    return f;
}

ProjectField logical(const char* name, bool DadosProjeto::*m) {
    ProjectField f{name, FieldKind::Logical, true};
    f.logical = m;
    return f;
}

std::vector<ProjectField> buildFields() {
    using P = DadosProjeto;
    ProjectField data{"cData", FieldKind::Date, true};
    data.date = &P::cData;
    return {
        text("cProjeto", &P::cProjeto),
        data,
        number("nLargura", &P::nLargura),
        number("nComprimento", &P::nComprimento),
        number("nPeDireito", &P::nPeDireito),
        number("nDistOlhos1", &P::nDistOlhos1),
        number("nAlturaOlhos1", &P::nAlturaOlhos1),
        number("nNumeroFilas", &P::nNumeroFilas),
        number("nDistEntreFilas", &P::nDistEntreFilas),
        number("nLarguraAssento", &P::nLarguraAssento),
        number("nAlturaFila2", &P::nAlturaFila2),
        number("nTelaTopo", &P::nTelaTopo),
        number("nTelaLargura", &P::nTelaLargura),
        number("nTelaAltura", &P::nTelaAltura),
        number("nTelaTamanho", &P::nTelaTamanho),
        text("cTelaFormato", &P::cTelaFormato),
        number("nImagemLargura", &P::nImagemLargura),
        number("nImagemAltura", &P::nImagemAltura),
        number("nAspecto", &P::nAspecto),
        logical("nTelaG", &P::nTelaG),
        logical("nTelaA", &P::nTelaA),
        logical("nTelaF", &P::nTelaF),
        // kept results
        number("nAlturaG", &P::nAlturaG, false),
        number("nAlturaA", &P::nAlturaA, false),
        number("nAlturaF", &P::nAlturaF, false),
        number("nLarguraG", &P::nLarguraG, false),
        number("nLarguraA", &P::nLarguraA, false),
        number("nLarguraF", &P::nLarguraF, false),
        number("nTamTelaG", &P::nTamTelaG, false),
        number("nTamTelaA", &P::nTamTelaA, false),
        number("nTamTelaF", &P::nTamTelaF, false),
        // working results
        number("nFatorX", &P::nFatorX, false),
        number("nTelaTopoX", &P::nTelaTopoX, false),
        number("nPeDireitoX", &P::nPeDireitoX, false),
        number("nLarguraX", &P::nLarguraX, false),
        number("nDistOlhosN", &P::nDistOlhosN, false),
        number("nAlturaPisoTelaG", &P::nAlturaPisoTelaG, false),
        number("nAlturaPisoTelaA", &P::nAlturaPisoTelaA, false),
        number("nAlturaPisoTelaF", &P::nAlturaPisoTelaF, false),
        number("nDistParedeTelaG", &P::nDistParedeTelaG, false),
        number("nDistParedeTelaA", &P::nDistParedeTelaA, false),
        number("nDistParedeTelaF", &P::nDistParedeTelaF, false),
        number("nTelaFormatoT", &P::nTelaFormatoT, false),
        number("nAlturaPisoTela", &P::nAlturaPisoTela, false),
        number("nDistParedeTela", &P::nDistParedeTela, false),
    };
}

}  // namespace

const std::vector<ProjectField>& projectFields() {
    static const std::vector<ProjectField> fields = buildFields();
    return fields;
}

const ProjectField* findProjectField(const std::string& name) {
    for (const auto& f : projectFields()) {
        if (upperWin1252(f.name) == upperWin1252(name)) {
            return &f;
        }
    }
    return nullptr;
}

bool logicalFromText(const std::string& text) {
    return !text.empty() && text[0] == 'T';
}

void setFieldFromText(DadosProjeto& p, const ProjectField& field, const std::string& value) {
    switch (field.kind) {
        case FieldKind::Text:
            p.*field.text = value;
            break;
        case FieldKind::Date:
            p.*field.date = CToD(value);
            break;
        case FieldKind::Number:
            p.*field.number = Val(value);
            break;
        case FieldKind::Logical:
            p.*field.logical = logicalFromText(value);
            break;
    }
}

}  // namespace vm
