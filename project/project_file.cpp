#include "project/project_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

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

std::string folderOf(const std::string& file) {
    const auto slash = file.rfind('/');
    return slash == std::string::npos ? "./" : file.substr(0, slash + 1);
}

void setError(std::string* error, const std::string& what) {
    if (error) {
        *error = what;
    }
}

}  // namespace

std::string NomeArquivoProjeto(const std::string& folder, const DadosProjeto& p) {
    return folder + AllTrim(p.cProjeto) + "_Calculo_Tela.qtv";
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
    const int openAt = At(open, xml);
    if (openAt == 0) {
        return "";
    }
    const int start = openAt + static_cast<int>(open.size());
    const int closeAt = At(close, xml);  // searched from the start of the text
    const int length = closeAt - start;
    if (closeAt == 0 || length <= 0) {
        return "";
    }
    return SubStr(xml, start, length);
}

int LerProjeto(DadosProjeto& p, std::string_view text) {
    int found = 0;
    for (const Tags& tags : kTags) {
        const ProjectField* field = findProjectField(tags.field);
        const std::string value = CampoXml(text, tags.open, tags.close);
        if (At(tags.open, text) != 0 && At(tags.close, text) != 0) {
            ++found;
        }
        setFieldFromText(p, *field, value);
    }
    return found;
}

bool MemoWrit(const std::string& file, std::string_view text, std::string* error,
              const WriteFunction& write) {
    const WriteFunction sysWrite = [](int fd, const char* data, unsigned long size) {
        return static_cast<long>(::write(fd, data, size));
    };
    const WriteFunction& out = write ? write : sysWrite;

    std::string temp = folderOf(file) + ".qtv-XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        setError(error, "cannot create a file in " + folderOf(file) + ": " + std::strerror(errno));
        return false;
    }
    temp.assign(name.data());

    // The new file gets the permissions an ordinary new file would get, or those of the file it
    // replaces.
    struct stat existing {};
    if (stat(file.c_str(), &existing) == 0) {
        fchmod(fd, existing.st_mode & 07777);
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }

    size_t done = 0;
    while (done < text.size()) {
        const long n = out(fd, text.data() + done, text.size() - done);
        if (n <= 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    if (done < text.size()) {
        setError(error, "cannot write " + file + ": " +
                            (errno ? std::strerror(errno) : std::string("nothing written")));
        close(fd);
        unlink(temp.c_str());
        return false;
    }
    const char eof = kEof;
    out(fd, &eof, 1);  // the end-of-file mark does not decide the outcome
    if (fsync(fd) != 0 || close(fd) != 0) {
        setError(error, "cannot write " + file + ": " + std::strerror(errno));
        unlink(temp.c_str());
        return false;
    }
    if (rename(temp.c_str(), file.c_str()) != 0) {
        setError(error, "cannot save " + file + ": " + std::strerror(errno));
        unlink(temp.c_str());
        return false;
    }
    return true;
}

std::optional<std::string> lerArquivo(const std::string& file, std::string* error) {
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        setError(error, std::strerror(errno));
        return std::nullopt;
    }
    std::string data;
    char buf[65536];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            setError(error, std::strerror(errno));
            close(fd);
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        data.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    if (!data.empty() && data.back() == kEof) {
        data.pop_back();
    }
    return data;
}

std::string MemoRead(const std::string& file) {
    return lerArquivo(file).value_or("");
}

}  // namespace vm
