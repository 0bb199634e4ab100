#include "project/project_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "core/atomic_file.h"
#include "core/file_names.h"
#include "core/project_fields.h"
#include "core/str_whole.h"
#include "core/text.h"

namespace vm {
namespace {

constexpr char kEof = 26;
const char* const kCrLf = "\r\n";

// Opening and closing tag of each input field in the file, in file order.
struct Tags {
    const char* field;
    const char* open;
    const char* close;
};

const Tags kTags[] = {
    {"cProjeto", "<Projeto>", "</Projeto>"},
    {"cData", "<Data>", "</Data>"},
    {"nLargura", "<Largura>", "</Largura>"},
    {"nComprimento", "<Cmprimento>", "</Comprimento>"},
    {"nPeDireito", "<PeDireito>", "</PeDireito>"},
    {"nDistOlhos1", "<DistOlhos1>", "</DistOlhos1>"},
    {"nAlturaOlhos1", "<AlturaOlhos1>", "</AlturaOlhos1>"},
    {"nNumeroFilas", "<NumeroFilas>", "</NumeroFilas>"},
    {"nDistEntreFilas", "<DistEntreFilas>", "</DistEntreFilas>"},
    {"nLarguraAssento", "<LarguraAssento>", "</LarguraAssento>"},
    {"nAlturaFila2", "<AlturaFila2>", "</AlturaFila2>"},
    {"nTelaTopo", "<TelaTopo>", "</TelaTopo>"},
    {"nTelaLargura", "<TelaLargura>", "</TelaLargura>"},
    {"nTelaAltura", "<TelaAltura>", "</TelaAltura>"},
    {"nTelaTamanho", "<TelaTamanho>", "</TelaTamanho>"},
    {"cTelaFormato", "<TelaFormato>", "</TelaFormato>"},
    {"nImagemLargura", "<ImagemLargura>", "</ImagemLargura>"},
    {"nImagemAltura", "<ImagemALtura>", "</ImagemALtura>"},
    {"nAspecto", "<Aspecto>", "</Aspecto>"},
    {"nTelaG", "<TelaG>", "</TelaG>"},
    {"nTelaA", "<TelaA>", "</TelaA>"},
    {"nTelaF", "<TelaF>", "</TelaF>"},
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

std::string TextoProjeto(const DadosProjeto& p) {
    const std::string lines[] = {
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>",
        "<subject id=\"Arquivo.QTV\">",
        "<Projeto>" + AllTrim(p.cProjeto) + "</Projeto>",
        "<Data>" + DToC(p.cData) + "</Data>",
        "<sala>",
        "<Largura>" + StrWhole(p.nLargura, 5, 2) + "</Largura>",
        "<Cmprimento>" + StrWhole(p.nComprimento, 5, 2) + "</Comprimento>",
        "<PeDireito>" + StrWhole(p.nPeDireito, 5, 2) + "</PeDireito>",
        "</sala>",
        "<assentos>",
        "<DistOlhos1>" + StrWhole(p.nDistOlhos1, 5, 2) + "</DistOlhos1>",
        "<AlturaOlhos1>" + StrWhole(p.nAlturaOlhos1, 5, 2) + "</AlturaOlhos1>",
        "<NumeroFilas>" + StrWhole(p.nNumeroFilas, 3) + "</NumeroFilas>",
        "<DistEntreFilas>" + StrWhole(p.nDistEntreFilas, 5, 2) + "</DistEntreFilas>",
        "<LarguraAssento>" + StrWhole(p.nLarguraAssento, 5, 2) + "</LarguraAssento>",
        "<AlturaFila2>" + StrWhole(p.nAlturaFila2, 5, 2) + "</AlturaFila2>",
        "</assentos>",
        "<imagem>",
        "<TelaTopo>" + StrWhole(p.nTelaTopo, 5, 2) + "</TelaTopo>",
        "<TelaLargura>" + StrWhole(p.nTelaLargura, 5, 2) + "</TelaLargura>",
        "<TelaAltura>" + StrWhole(p.nTelaAltura, 5, 2) + "</TelaAltura>",
        "<TelaTamanho>" + StrWhole(p.nTelaTamanho, 5, 2) + "</TelaTamanho>",
        "<TelaFormato>" + p.cTelaFormato + "</TelaFormato>",
        "<ImagemLargura>" + StrWhole(p.nImagemLargura, 5) + "</ImagemLargura>",
        "<ImagemALtura>" + StrWhole(p.nImagemAltura, 5) + "</ImagemALtura>",
        "</imagem>",
        "<controle>",
        "<Aspecto>" + StrWhole(p.nAspecto, 1) + "</Aspecto>",
        "<TelaG>" + LToC(p.nTelaG) + "</TelaG>",
        "<TelaA>" + LToC(p.nTelaA) + "</TelaA>",
        "<TelaF>" + LToC(p.nTelaF) + "</TelaF>",
        "</controle>",
        "",
    };
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += kCrLf;
    }
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

int LerProjeto(DadosProjeto& p, std::string_view text, std::vector<std::string>* missing) {
    int found = 0;
    for (const Tags& tags : kTags) {
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
    return found;
}

bool MemoWrit(const std::string& file, std::string_view text, std::string* error,
              const WriteFunction& write) {
    // The end-of-file mark is part of what must reach the disk: a save that cannot write it has
    // run out of space, and the earlier file is better kept.
    std::string bytes(text);
    bytes += kEof;
    return WriteFileAtomically(file, bytes, error, write);
}

std::optional<std::string> lerArquivo(const std::string& file, std::string* error) {
    if (file.empty()) {
        setError(error, "no file name given");
        return std::nullopt;
    }
    // Without O_NONBLOCK, opening a FIFO would wait for a writer.
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        setError(error, std::strerror(errno));
        return std::nullopt;
    }
    struct stat st {};
    std::optional<std::string> data;
    if (fstat(fd, &st) != 0) {
        setError(error, std::strerror(errno));
    } else if (S_ISDIR(st.st_mode)) {
        setError(error, std::strerror(EISDIR));
    } else if (!S_ISREG(st.st_mode)) {
        setError(error, "not a regular file (a FIFO, a device or a socket)");
    } else if (st.st_size > static_cast<off_t>(kMaxProjectFileBytes)) {
        setError(error, "larger than 1 MiB; a project file is under 1 KiB");
    } else {
        // Read no more than one piece beyond the bound, in case the file grew since fstat.
        std::string text;
        char buf[65536];
        bool failed = false;
        while (text.size() <= kMaxProjectFileBytes) {
            const ssize_t n = read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                setError(error, std::strerror(errno));
                failed = true;
                break;
            }
            if (n == 0) {
                break;
            }
            text.append(buf, static_cast<size_t>(n));
        }
        if (!failed && text.size() > kMaxProjectFileBytes) {
            setError(error, "larger than 1 MiB; a project file is under 1 KiB");
        } else if (!failed) {
            data = std::move(text);
        }
    }
    close(fd);
    if (data && !data->empty() && data->back() == kEof) {
        data->pop_back();
    }
    return data;
}

std::string MemoRead(const std::string& file) {
    return lerArquivo(file).value_or("");
}

}  // namespace vm
