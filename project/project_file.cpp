#include "project/project_file.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <iterator>

#include "core/atomic_file.h"
#include "core/file_names.h"
#include "core/project_fields.h"
#include "core/str_whole.h"
#include "core/text.h"
#include "core/whole_file.h"

namespace vm {
namespace {

constexpr char kEof = 26;
const char* const kCrLf = "\r\n";

// Every input field the file holds, in file order: its tags, the group it is written in and how
// its value is written. The reader looks for the same tags. <Cmprimento> (opened that way, closed
// as </Comprimento>) and <ImagemALtura> are the file's own spellings: files in use carry them, so
// they stay.
struct FileField {
    const char* field;
    const char* open;
    const char* close;
    const char* group;  // "sala", "assentos", "imagem", "controle"; "" outside any group
    std::string (*text)(const DadosProjeto&);
};

const FileField kFileFields[] = {
    {"cProjeto", "<Projeto>", "</Projeto>", "",
     [](const DadosProjeto& p) { return AllTrim(p.cProjeto); }},
    {"cData", "<Data>", "</Data>", "", [](const DadosProjeto& p) { return DToC(p.cData); }},
    {"nLargura", "<Largura>", "</Largura>", "sala",
     [](const DadosProjeto& p) { return StrWhole(p.nLargura, 5, 2); }},
    {"nComprimento", "<Cmprimento>", "</Comprimento>", "sala",
     [](const DadosProjeto& p) { return StrWhole(p.nComprimento, 5, 2); }},
    {"nPeDireito", "<PeDireito>", "</PeDireito>", "sala",
     [](const DadosProjeto& p) { return StrWhole(p.nPeDireito, 5, 2); }},
    {"nDistOlhos1", "<DistOlhos1>", "</DistOlhos1>", "assentos",
     [](const DadosProjeto& p) { return StrWhole(p.nDistOlhos1, 5, 2); }},
    {"nAlturaOlhos1", "<AlturaOlhos1>", "</AlturaOlhos1>", "assentos",
     [](const DadosProjeto& p) { return StrWhole(p.nAlturaOlhos1, 5, 2); }},
    {"nNumeroFilas", "<NumeroFilas>", "</NumeroFilas>", "assentos",
     [](const DadosProjeto& p) { return StrWhole(p.nNumeroFilas, 3); }},
    {"nDistEntreFilas", "<DistEntreFilas>", "</DistEntreFilas>", "assentos",
     [](const DadosProjeto& p) { return StrWhole(p.nDistEntreFilas, 5, 2); }},
    {"nLarguraAssento", "<LarguraAssento>", "</LarguraAssento>", "assentos",
     [](const DadosProjeto& p) { return StrWhole(p.nLarguraAssento, 5, 2); }},
    {"nAlturaFila2", "<AlturaFila2>", "</AlturaFila2>", "assentos",
     [](const DadosProjeto& p) { return StrWhole(p.nAlturaFila2, 5, 2); }},
    {"nTelaTopo", "<TelaTopo>", "</TelaTopo>", "imagem",
     [](const DadosProjeto& p) { return StrWhole(p.nTelaTopo, 5, 2); }},
    {"nTelaLargura", "<TelaLargura>", "</TelaLargura>", "imagem",
     [](const DadosProjeto& p) { return StrWhole(p.nTelaLargura, 5, 2); }},
    {"nTelaAltura", "<TelaAltura>", "</TelaAltura>", "imagem",
     [](const DadosProjeto& p) { return StrWhole(p.nTelaAltura, 5, 2); }},
    {"nTelaTamanho", "<TelaTamanho>", "</TelaTamanho>", "imagem",
     [](const DadosProjeto& p) { return StrWhole(p.nTelaTamanho, 5, 2); }},
    {"cTelaFormato", "<TelaFormato>", "</TelaFormato>", "imagem",
     [](const DadosProjeto& p) { return p.cTelaFormato; }},
    {"nImagemLargura", "<ImagemLargura>", "</ImagemLargura>", "imagem",
     [](const DadosProjeto& p) { return StrWhole(p.nImagemLargura, 5); }},
    {"nImagemAltura", "<ImagemALtura>", "</ImagemALtura>", "imagem",
     [](const DadosProjeto& p) { return StrWhole(p.nImagemAltura, 5); }},
    {"nAspecto", "<Aspecto>", "</Aspecto>", "controle",
     [](const DadosProjeto& p) { return StrWhole(p.nAspecto, 1); }},
    {"nTelaG", "<TelaG>", "</TelaG>", "controle",
     [](const DadosProjeto& p) { return LToC(p.nTelaG); }},
    {"nTelaA", "<TelaA>", "</TelaA>", "controle",
     [](const DadosProjeto& p) { return LToC(p.nTelaA); }},
    {"nTelaF", "<TelaF>", "</TelaF>", "controle",
     [](const DadosProjeto& p) { return LToC(p.nTelaF); }},
};

void setError(std::string* error, const std::string& what) {
    if (error) {
        *error = what;
    }
}

}  // namespace

std::string NomeArquivoProjeto(const std::string& folder, const DadosProjeto& p) {
    return folder + FileNameFromText(AllTrim(p.cProjeto) + "_Calculo_Tela.qtv");
}

bool ProjectNameFitsAFileName(const DadosProjeto& p, std::string* error) {
    const std::string name = AllTrim(p.cProjeto);
    if (name.find('\0') != std::string::npos) {
        setError(error, "o nome do projeto tem um byte nulo");
        return false;
    }
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos) {
            end = name.size();
        }
        if (std::string_view(name).substr(start, end - start) == "..") {
            setError(error, "o nome do projeto sai da pasta dos projetos (\"..\")");
            return false;
        }
        start = end + 1;
    }
    return true;
}

std::string TextoProjeto(const DadosProjeto& p) {
    std::string text = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
    text += kCrLf;
    text += "<subject id=\"Arquivo.QTV\">";
    text += kCrLf;
    std::string_view group;
    for (const FileField& f : kFileFields) {
        if (group != f.group) {
            if (!group.empty()) {
                text += "</" + std::string(group) + ">" + kCrLf;
            }
            group = f.group;
            text += "<" + std::string(group) + ">" + kCrLf;
        }
        text += f.open + f.text(p) + f.close + kCrLf;
    }
    text += "</" + std::string(group) + ">" + kCrLf;
    text += ProjectionTagsText(p.projecao);
    text += kCrLf;
    return text;
}

std::string CampoXml(std::string_view xml, std::string_view open, std::string_view close) {
    const size_t openAt = open.empty() ? std::string_view::npos : xml.find(open);
    if (openAt == std::string_view::npos) {
        return "";
    }
    const size_t start = openAt + open.size();
    // The closing tag is searched from the start of the text, not from the field.
    const size_t closeAt = close.empty() ? std::string_view::npos : xml.find(close);
    if (closeAt == std::string_view::npos || closeAt <= start) {
        return "";
    }
    return std::string(xml.substr(start, closeAt - start));
}

size_t EndOfFields(std::string_view text) {
    size_t end = 0;
    for (const FileField& f : kFileFields) {
        const size_t open = text.find(f.open, end);
        if (open == std::string_view::npos) {
            continue;
        }
        const size_t close = text.find(f.close, open + std::strlen(f.open));
        if (close != std::string_view::npos) {
            end = close + std::strlen(f.close);
        }
    }
    if (end == 0) {
        return 0;
    }
    const std::string lastGroupEnd = "</" + std::string(std::rbegin(kFileFields)->group) + ">";
    const size_t groupEnd = text.find(lastGroupEnd, end);
    return groupEnd == std::string_view::npos ? end : groupEnd + lastGroupEnd.size();
}

int LerProjeto(DadosProjeto& p, std::string_view text, std::vector<std::string>* missing) {
    int found = 0;
    for (const FileField& tags : kFileFields) {
        const ProjectField* field = findProjectField(tags.field);
        const std::string value = CampoXml(text, tags.open, tags.close);
        if (text.find(tags.open) != std::string_view::npos &&
            text.find(tags.close) != std::string_view::npos) {
            ++found;
        } else if (missing != nullptr) {
            missing->push_back(tags.field);
        }
        setFieldFromText(p, *field, value);
    }
    p.projecao = LerProjecao(text);
    return found;
}

bool MemoWrit(const std::string& file, std::string_view text, std::string* error,
              const WriteFunction& write) {
    // The end-of-file mark is part of what must reach the disk: a save that cannot write it has
    // run out of space, and the earlier file is better kept.
    return WriteFileAtomically(file, ProjectFileBytes(text), error, write);
}

bool MemoWrit(const std::string& file, std::string_view text, FileFailure* failure) {
    return WriteFileAtomically(file, ProjectFileBytes(text), failure);
}

std::string ProjectFileBytes(std::string_view text) {
    std::string bytes(text);
    bytes += kEof;
    return bytes;
}

namespace {

// Why a project could not be read, in the tool's words.
std::string FaultText(const WholeFileFault& fault) {
    switch (fault.kind) {
        case WholeFileFault::Kind::Folder:
            return std::strerror(EISDIR);
        case WholeFileFault::Kind::NotRegular:
            return "not a regular file (a FIFO, a device or a socket)";
        case WholeFileFault::Kind::TooLarge:
            return "larger than 1 MiB; a project file is under 1 KiB";
        case WholeFileFault::Kind::CannotOpen:
        case WholeFileFault::Kind::CannotRead:
            break;
    }
    return std::strerror(fault.error);
}

// The text without one final byte 26, or nothing with `error` set from `fault`.
std::optional<std::string> ProjectText(std::optional<std::string> data, const WholeFileFault& fault,
                                       std::string* error) {
    if (!data) {
        setError(error, FaultText(fault));
        return std::nullopt;
    }
    if (!data->empty() && data->back() == kEof) {
        data->pop_back();
    }
    return data;
}

}  // namespace

std::optional<std::string> ReadProjectFileText(const std::string& file, std::string* error,
                                               WholeFileFault* fault) {
    WholeFileFault why{WholeFileFault::Kind::CannotOpen, ENOENT};
    if (file.empty()) {
        setError(error, "no file name given");
        if (fault != nullptr) {
            *fault = why;
        }
        return std::nullopt;
    }
    std::optional<std::string> text =
        ProjectText(ReadWholeFileIfAny(file, kMaxProjectFileBytes, &why), why, error);
    if (!text && fault != nullptr) {
        *fault = why;
    }
    return text;
}

std::optional<std::string> ReadProjectStreamText(int fd, std::string* error) {
    WholeFileFault fault;
    return ProjectText(ReadWholeStream(fd, kMaxProjectFileBytes, &fault), fault, error);
}

std::string MemoRead(const std::string& file) {
    return ReadProjectFileText(file).value_or("");
}

}  // namespace vm
