#include "program/typed_value_limits.h"

#include <string>

#include "core/dados_projeto.h"
#include "core/field_limits.h"
#include "core/project_fields.h"
#include "core/win1252.h"
#include "ui/dialogs.h"
#include "ui/form_layer.h"

namespace vm {

bool AceitaValorDigitado(const char* form, const char* control, const char* largest) {
    std::string name = control;
    if (name.empty() || name.back() != 't') {
        return true;
    }
    name.pop_back();
    const FieldLimit* limit = findFieldLimit(name);
    const ProjectField* field = findProjectField(name);
    if (limit == nullptr || field == nullptr || field->number == nullptr) {
        return true;
    }
    const double typed = GetProperty(form, control, "value").number();
    const double before = projeto().*(field->number);
    if (WithinFieldLimit(*limit, typed) || typed == before) {
        return true;
    }
    // Back first: the box moves the focus, and a lost focus meanwhile finds the old value.
    SetProperty(form, control, "value", before);
    MsgStop(utf8ToWin1252(std::string("O campo \"") + limit->label + "\" aceita valores " +
                          FaixaPermitida(*limit, largest) + "."),
            utf8ToWin1252("Valor não aceito"));
    return false;
}

}  // namespace vm
