#include "program/project_file_commands.h"

#include "core/ascii.h"
#include "core/dados_projeto.h"
#include "core/file_names.h"
#include "core/win1252.h"
#include "program/main_window.h"
#include "project/project_file.h"
#include "ui/dialogs.h"
#include "ui/file_failure_text.h"
#include "ui/form_layer.h"
#include "ui/replace_question.h"

namespace vm {
namespace {

const char* const kCrLf = "\r\n";
const char* const kExtension = ".qtv";

std::string& arquivo() {
    static std::string path;
    return path;
}

bool endsWithExtension(const std::string& path) {
    const std::string name = NameOfPath(path);
    return name.size() > 4 && EndsWithIgnoringAsciiCase(name, kExtension);
}

}  // namespace

const std::string& ArquivoDoProjeto() {
    return arquivo();
}

void DefineArquivoDoProjeto(const char* form, const std::string& path) {
    arquivo() = path;
    SetFormProperty(form, "title",
                    path.empty() ? std::string("Vistametra")
                                 : "Vistametra - " + TextFromFileName(NameOfPath(path)));
}

void AvisaArquivoSalvo(const std::string& path) {
    MsgInfo(std::string("Arquivo salvado com sucesso.") + kCrLf + kCrLf + TextFromFileName(path),
            "Salvar arquivo");
}

void SalvarArquivoComo(const char* form, const std::string& folder) {
    CommitFocusedField(form);
    const DadosProjeto& p = projeto();
    const std::string start =
        ArquivoDoProjeto().empty() ? NomeArquivoProjeto(folder, p) : ArquivoDoProjeto();
    std::string file = PutFile({{utf8ToWin1252("Arquivos de Cálculos"), "*.qtv"}},
                               utf8ToWin1252("Salvar como"), start, true);
    if (file.empty()) {
        return;
    }
    if (!endsWithExtension(file)) {
        file += kExtension;
    }
    // Whatever added the extension (the dialog's filter or the line above), the file it names is
    // asked about before it is replaced.
    if (!MayReplaceFiles({file}, {}, "Salvar como")) {
        return;
    }
    FileFailure falha;
    if (!MemoWrit(file, TextoProjeto(p), &falha)) {
        MsgStop(utf8ToWin1252("Não foi possível salvar o arquivo ") + TextFromFileName(file) + "." +
                    kCrLf + kCrLf + FileFailureReason(falha),
                "Salvar como");
        return;
    }
    DefineArquivoDoProjeto(form, file);
    MarcaProjetoSalvo();
    AvisaArquivoSalvo(file);
}

}  // namespace vm
