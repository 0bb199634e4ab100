#include "runtime/startup.h"

#include "core/calculo.h"
#include "core/date.h"
#include "core/file_names.h"
#include "core/platform_paths.h"
#include "core/program_values.h"
#include "core/project_fields.h"
#include "runtime/error_handler.h"
#include "runtime/html_log.h"
#include "runtime/mem_vars.h"

namespace vm {
namespace {

// The error log lists the program-wide values and the project's fields with their values at the
// moment of an error.
void registrarVariaveis() {
    ProgramValues& v = programValues();
    const std::pair<const char*, std::string*> globals[] = {
        {"QTV_VERSAO", &v.QTV_VERSAO}, {"QTV_DATA", &v.QTV_DATA}, {"cSobre", &v.cSobre},
        {"cAutoria", &v.cAutoria},     {"DirPdf", &v.DirPdf},     {"PrintX", &v.PrintX},
    };
    for (const auto& global : globals) {
        const std::string* value = global.second;
        if (value == &v.DirPdf) {
            // A folder of the file system: shown as text like every other value.
            RegisterMemVar(MemVarScope::Public, global.first,
                           [value] { return MemVarValue(TextFromFileName(*value)); });
            continue;
        }
        RegisterMemVar(MemVarScope::Public, global.first, [value] { return MemVarValue(*value); });
    }
    for (const ProjectField& f : projectFields()) {
        RegisterMemVar(MemVarScope::Private, f.name, [&f]() -> MemVarValue {
            const DadosProjeto& p = projeto();
            switch (f.kind) {
                case FieldKind::Text:
                    return p.*f.text;
                case FieldKind::Date:
                    return p.*f.date;
                case FieldKind::Number:
                    return p.*f.number;
                case FieldKind::Logical:
                    return p.*f.logical;
            }
            return {};
        });
    }
}

}  // namespace

void StartWithoutWindow(const std::function<std::string()>& defaultPrinter) {
    ProgramValues& values = programValues();
    values.QTV_VERSAO = std::string("Vistametra ") + kVersaoPrograma;
    values.QTV_DATA = "10/01/2016";
    values.cAutoria = defaultAutoria();
    values.cSobre = " ";

    SetErrorLogFile("Vistametra.htm");
    SetErrorLogOn(true);

    SetDeletedAndSoftSeek(true, true);
    dateSettings().epoch = 1960;
    dateSettings().format = "dd/mm/yy";

    SetRuntimeLanguage("PT");
    values.DirPdf = projectFolder();
    values.PrintX = defaultPrinter ? defaultPrinter() : "";

    DadosProjeto& p = projeto();
    p = ProjetoInicial();
    p.nAlturaG = p.nAlturaA = p.nAlturaF = 0;
    p.nLarguraG = p.nLarguraA = p.nLarguraF = 0;
    p.nTamTelaG = p.nTamTelaA = p.nTamTelaF = 0;
    Calculo(p);
    registrarVariaveis();
}

}  // namespace vm
