#include "program/project_checks.h"

#include <QLabel>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <string>
#include <vector>

#include "core/dados_projeto.h"
#include "core/field_limits.h"
#include "core/plausibility.h"
#include "core/text.h"
#include "core/win1252.h"
#include "ui/dialogs.h"
#include "ui/form_layer.h"
#include "ui/masked_line_edit.h"

namespace vm {
namespace {

const char* const kCrLf = "\r\n";
const char* const kMarkProperty = "foraDaFaixa";
// Red on a pale background, the text dark whatever the palette, so that it reads under a dark
// one as well.
const char* const kMarkStyle = "border: 2px solid #d00000; background: #ffe4e4; color: #000000;";

std::string controlOf(const FieldLimit& limit) {
    return std::string(limit.field) + "t";
}

// The allowed range in words, up to the largest value that the field's template shows.
std::string faixaDoCampo(const char* form, const FieldLimit& limit) {
    const auto* field = qobject_cast<const MaskedLineEdit*>(ControlWidget(form, controlOf(limit)));
    return FaixaPermitida(limit, field != nullptr ? field->tmpl() : "999.99");
}

void marcaCampo(const char* form, const FieldLimit& limit, bool wrong) {
    QWidget* field = ControlWidget(form, controlOf(limit));
    if (field == nullptr || field->property(kMarkProperty).toBool() == wrong) {
        return;
    }
    field->setProperty(kMarkProperty, wrong);
    field->setStyleSheet(wrong ? kMarkStyle : "");
    SetProperty(
        form, controlOf(limit), "tooltip",
        wrong ? utf8ToWin1252("Fora da faixa: aceita valores " + faixaDoCampo(form, limit) + ".")
              : std::string());
}

}  // namespace

void MostraAvisosDoProjeto(const char* form, const char* label) {
    const std::vector<std::string> avisos = PlausibilityWarnings(projeto());
    std::string linha;
    std::string todos;
    if (!avisos.empty()) {
        linha = (avisos.size() == 1
                     ? std::string("Aviso: ")
                     : AllTrim(Str(static_cast<double>(avisos.size()), 10)) + " avisos: ") +
                avisos.front();
        for (const std::string& aviso : avisos) {
            todos += (todos.empty() ? "" : "\n") + aviso;
        }
    }
    // A long warning takes a second line rather than being cut.
    if (auto* line = qobject_cast<QLabel*>(ControlWidget(form, label))) {
        line->setWordWrap(true);
    }
    SetProperty(form, label, "value", utf8ToWin1252(linha));
    SetProperty(form, label, "tooltip", utf8ToWin1252(todos));

    const std::vector<const FieldLimit*> wrong = FieldsOutsideLimits(projeto());
    for (const FieldLimit& limit : fieldLimits()) {
        marcaCampo(form, limit, std::find(wrong.begin(), wrong.end(), &limit) != wrong.end());
    }
}

bool ProjetoDescreveUmaSala(const char* form) {
    const DadosProjeto& p = projeto();
    const std::vector<const FieldLimit*> wrong = FieldsOutsideLimits(p);
    if (wrong.empty()) {
        return true;
    }
    std::string text =
        "O projeto tem valores que não descrevem uma sala, e o relatório não foi "
        "gerado:";
    text += kCrLf;
    text += kCrLf;
    for (const FieldLimit* limit : wrong) {
        text += std::string(limit->label) + ": " + FieldValueText(p, *limit) + " (aceita valores " +
                faixaDoCampo(form, *limit) + ")" + kCrLf;
    }
    text += kCrLf;
    text += "Corrija os campos marcados em vermelho.";
    MsgStop(utf8ToWin1252(text), utf8ToWin1252("Valores fora da faixa"));
    return false;
}

}  // namespace vm
