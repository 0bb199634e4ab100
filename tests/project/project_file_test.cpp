#include "project/project_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/calculo.h"
#include "core/field_limits.h"
#include "core/text.h"
#include "core/whole_file.h"
#include "tests/support/comma_locale.h"
#include "tests/support/temp_folder.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

// A temporary folder whose path() ends in a separator, as the program's folder names do.
class Folder : public test::TempFolder {
public:
    Folder() : TempFolder("vm-project") {}
    std::string path() const { return TempFolder::path() + "/"; }
};

void writeBytes(const std::string& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

DadosProjeto startupProject() {
    DadosProjeto p = ProjetoInicial();
    p.cData = Date{2026, 3, 5};
    Calculo(p);
    return p;
}

TEST(ProjectFile, DefaultProjectBytes) {
    const std::string text = TextoProjeto(startupProject());
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
        "<subject id=\"Arquivo.QTV\">\r\n"
        "<Projeto>AUDITORIO_TERREO</Projeto>\r\n"
        "<Data>05/03/26</Data>\r\n"
        "<sala>\r\n"
        "<Largura> 5.00</Largura>\r\n"
        "<Cmprimento>10.00</Comprimento>\r\n"
        "<PeDireito> 3.80</PeDireito>\r\n"
        "</sala>\r\n"
        "<assentos>\r\n"
        "<DistOlhos1> 3.70</DistOlhos1>\r\n"
        "<AlturaOlhos1> 1.20</AlturaOlhos1>\r\n"
        "<NumeroFilas>  7</NumeroFilas>\r\n"
        "<DistEntreFilas> 1.00</DistEntreFilas>\r\n"
        "<LarguraAssento> 0.70</LarguraAssento>\r\n"
        "<AlturaFila2> 0.20</AlturaFila2>\r\n"
        "</assentos>\r\n"
        "<imagem>\r\n"
        "<TelaTopo> 3.60</TelaTopo>\r\n"
        "<TelaLargura> 3.00</TelaLargura>\r\n"
        "<TelaAltura> 1.88</TelaAltura>\r\n"
        "<TelaTamanho>139.39</TelaTamanho>\r\n"
        "<TelaFormato>16:10</TelaFormato>\r\n"
        "<ImagemLargura> 1280</ImagemLargura>\r\n"
        "<ImagemALtura>  800</ImagemALtura>\r\n"
        "</imagem>\r\n"
        "<controle>\r\n"
        "<Aspecto>3</Aspecto>\r\n"
        "<TelaG>T</TelaG>\r\n"
        "<TelaA>T</TelaA>\r\n"
        "<TelaF>T</TelaF>\r\n"
        "</controle>\r\n"
        "\r\n";
    EXPECT_EQ(text, expected);

    Folder dir;
    const std::string file = NomeArquivoProjeto(dir.path(), startupProject());
    EXPECT_EQ(file, dir.path() + "AUDITORIO_TERREO_Calculo_Tela.qtv");
    ASSERT_TRUE(MemoWrit(file, text));
    // 839 bytes in the original layout, plus one for the diagonal written whole.
    EXPECT_EQ(ReadWholeFile(file), expected + '\x1a');
    EXPECT_EQ(fs::file_size(file), 840u);
}

TEST(ProjectFile, WideNumbersKeepTheirValue) {
    DadosProjeto p = startupProject();
    p.nComprimento = 100;
    p.nNumeroFilas = 1234;
    p.nImagemLargura = 123456;
    p.nAspecto = 12;
    const std::string text = TextoProjeto(p);
    EXPECT_NE(text.find("<Cmprimento>100.00</Comprimento>"), std::string::npos);
    EXPECT_NE(text.find("<NumeroFilas>1234</NumeroFilas>"), std::string::npos);
    EXPECT_NE(text.find("<ImagemLargura>123456</ImagemLargura>"), std::string::npos);
    EXPECT_NE(text.find("<Aspecto>12</Aspecto>"), std::string::npos);
    DadosProjeto back;
    LerProjeto(back, text);
    EXPECT_EQ(back.nComprimento, 100);
    EXPECT_EQ(back.nNumeroFilas, 1234);
    EXPECT_EQ(back.nImagemLargura, 123456);
    EXPECT_EQ(back.nAspecto, 12);
    EXPECT_NEAR(back.nTelaTamanho, 139.39, 1e-12);
}

TEST(ProjectFile, SaveAndReadBackRestoresEveryInputField) {
    Folder dir;
    const DadosProjeto saved = startupProject();
    const std::string file = NomeArquivoProjeto(dir.path(), saved);
    ASSERT_TRUE(MemoWrit(file, TextoProjeto(saved)));

    DadosProjeto back;
    DadosReset(back);
    back.nAlturaG = 42;  // results are not read
    EXPECT_EQ(LerProjeto(back, MemoRead(file)), 22);
    EXPECT_EQ(back.cProjeto, saved.cProjeto);
    EXPECT_EQ(back.cData, saved.cData);
    EXPECT_EQ(back.nLargura, saved.nLargura);
    EXPECT_EQ(back.nComprimento, saved.nComprimento);
    EXPECT_EQ(back.nPeDireito, saved.nPeDireito);
    EXPECT_EQ(back.nDistOlhos1, saved.nDistOlhos1);
    EXPECT_EQ(back.nAlturaOlhos1, saved.nAlturaOlhos1);
    EXPECT_EQ(back.nNumeroFilas, saved.nNumeroFilas);
    EXPECT_EQ(back.nDistEntreFilas, saved.nDistEntreFilas);
    EXPECT_EQ(back.nLarguraAssento, saved.nLarguraAssento);
    EXPECT_EQ(back.nAlturaFila2, saved.nAlturaFila2);
    EXPECT_EQ(back.nTelaTopo, saved.nTelaTopo);
    EXPECT_EQ(back.nTelaLargura, saved.nTelaLargura);
    EXPECT_EQ(back.nTelaAltura, saved.nTelaAltura);
    EXPECT_EQ(back.nTelaTamanho, 139.39);
    EXPECT_EQ(back.cTelaFormato, saved.cTelaFormato);
    EXPECT_EQ(back.nImagemLargura, saved.nImagemLargura);
    EXPECT_EQ(back.nImagemAltura, saved.nImagemAltura);
    EXPECT_EQ(back.nAspecto, saved.nAspecto);
    EXPECT_TRUE(back.nTelaG && back.nTelaA && back.nTelaF);
    EXPECT_EQ(back.nAlturaG, 42);
}

TEST(ProjectFile, NamesAndTextsKeepTheirBytes) {
    Folder dir;
    DadosProjeto p = startupProject();
    p.cProjeto = " Sala 2 ";
    EXPECT_EQ(NomeArquivoProjeto(dir.path(), p), dir.path() + "Sala 2_Calculo_Tela.qtv");
    p.cProjeto = "";
    EXPECT_EQ(NomeArquivoProjeto(dir.path(), p), dir.path() + "_Calculo_Tela.qtv");

    // The record keeps Windows-1252 inside the file; the file system gets the name in UTF-8, in
    // a folder with accents too.
    const std::string folder = dir.path() + "\xc3\x81rea de Trabalho/";  // "Área de Trabalho"
    fs::create_directory(folder);
    p.cProjeto = " Audit\xf3rio \xe9 ";  // Windows-1252 bytes
    const std::string file = NomeArquivoProjeto(folder, p);
    EXPECT_EQ(file, folder + "Audit\xc3\xb3rio \xc3\xa9_Calculo_Tela.qtv");
    ASSERT_TRUE(MemoWrit(file, TextoProjeto(p)));
    EXPECT_TRUE(fs::exists(fs::path(folder) / "Audit\xc3\xb3rio \xc3\xa9_Calculo_Tela.qtv"));
    EXPECT_NE(ReadWholeFile(file).find("<Projeto>Audit\xf3rio \xe9</Projeto>"), std::string::npos);
    DadosProjeto back;
    LerProjeto(back, MemoRead(file));
    EXPECT_EQ(back.cProjeto, "Audit\xf3rio \xe9");
    p.cProjeto = "SAL\xc3O";  // "SALÃO"
    EXPECT_EQ(NomeArquivoProjeto(folder, p), folder + "SAL\xc3\x83O_Calculo_Tela.qtv");
    p.cProjeto = "Sal\xe3o";  // "Salão"
    EXPECT_EQ(NomeArquivoProjeto(folder, p), folder + "Sal\xc3\xa3o_Calculo_Tela.qtv");

    p.cProjeto = "A</Projeto>B";
    LerProjeto(back, TextoProjeto(p));
    EXPECT_EQ(back.cProjeto, "A");
}

// A name (or any text field) may hold any tag's text: the groups of tags are read only after the
// section of the 22 fields, never out of a field's value.
TEST(ProjectFile, TagsInsideAFieldAreTheFieldsText) {
    Folder dir;
    const std::string group = "<projecao><ProjGanho>9</ProjGanho><LedPitch>2</LedPitch></projecao>";
    const struct {
        std::string name, format, readName;
    } cases[] = {
        {"Sala " + group, "16:10", "Sala " + group},
        {"Sala", group, "Sala"},
        {"<outro>x</outro>" + group + "<controle></controle>", "16:10",
         "<outro>x</outro>" + group + "<controle></controle>"},
        // The name ends at its closing tag, and what follows it is no group either.
        {"A</Projeto>" + group, "16:10", "A"},
    };
    for (const auto& c : cases) {
        DadosProjeto p = startupProject();
        p.cProjeto = c.name;
        p.cTelaFormato = c.format;
        const std::string file = dir.path() + "sala.qtv";
        ASSERT_TRUE(MemoWrit(file, TextoProjeto(p)));
        DadosProjeto back;
        EXPECT_EQ(LerProjeto(back, MemoRead(file)), 22) << c.name;
        EXPECT_EQ(back.cProjeto, c.readName);
        EXPECT_EQ(back.cTelaFormato, c.format);
        EXPECT_FALSE(HasProjectionInputs(back.projecao)) << c.name;
        EXPECT_EQ(back.projecao.gain, kDefaultGain);
        EXPECT_FALSE(back.projecao.ledPitchMm);
        if (c.readName == c.name) {
            EXPECT_EQ(TextoProjeto(back), TextoProjeto(p)) << c.name;  // byte for byte
        }

        // A real group after the fields reads, whatever the name holds.
        p.projecao.gain = 2;
        p.projecao.ambientLux = 100;
        ASSERT_TRUE(MemoWrit(file, TextoProjeto(p)));
        LerProjeto(back, MemoRead(file));
        EXPECT_EQ(back.cProjeto, c.readName);
        EXPECT_EQ(back.projecao.gain, 2) << c.name;
        EXPECT_EQ(back.projecao.ambientLux, 100);
        EXPECT_FALSE(back.projecao.ledPitchMm);
    }

    // A group the program does not know, after the fields, is passed over as before; a text of
    // the group alone (no field) still gives it.
    std::string text = TextoProjeto(startupProject());
    text.insert(text.rfind("\r\n"), "<outro><x>1</x></outro>\r\n" + group + "\r\n");
    EXPECT_EQ(LerProjecao(text).gain, 9);
    EXPECT_EQ(LerProjecao(group).gain, 9);
    EXPECT_EQ(EndOfFields(group), 0u);
}

// A group whose inputs all equal their defaults is inputs given: it is written back and read
// again. A value that no input holds (out of its range, subnormal) keeps the default.
TEST(ProjectFile, ProjectionGroupAtItsDefaultsAndValuesNoInputHolds) {
    DadosProjeto p = startupProject();
    p.projecao.given = true;
    const std::string text = TextoProjeto(p);
    ASSERT_NE(text.find("<projecao>\r\n<ProjContraste>15</ProjContraste>"), std::string::npos);
    DadosProjeto back;
    LerProjeto(back, text);
    EXPECT_TRUE(HasProjectionInputs(back.projecao));
    EXPECT_EQ(TextoProjeto(back), text);

    const std::string subnormal = "0." + std::string(318, '0') + "1";  // 1e-319
    for (const std::string& gain :
         {subnormal, std::string("11"), std::string("0"), std::string("-1"), std::string("1e-5")}) {
        const ProjectionInputs in =
            LerProjecao("<projecao><ProjGanho>" + gain + "</ProjGanho></projecao>");
        EXPECT_EQ(in.gain, kDefaultGain) << gain;
        EXPECT_TRUE(in.given);
    }
    EXPECT_EQ(LerProjecao("<projecao><ProjGanho>0.001</ProjGanho></projecao>").gain, 0.001);

    // Small and large inputs are written with digits and one ".", as the reader takes them.
    for (const double gain : {0.00001, 1e-300, 9.87654321}) {
        p.projecao.gain = gain;
        LerProjeto(back, TextoProjeto(p));
        EXPECT_EQ(back.projecao.gain, gain);
    }
    p.projecao.ambientLux = 200000;
    LerProjeto(back, TextoProjeto(p));
    EXPECT_EQ(back.projecao.ambientLux, 200000);

    // The 22 fields open as written; one that no field holds describes no room.
    std::string fields = TextoProjeto(p);
    fields.replace(fields.find(" 5.00"), 5, subnormal);
    fields.replace(fields.find("10.00"), 5, "1000000000000000000");
    LerProjeto(back, fields);
    std::vector<std::string> outside;
    for (const FieldLimit* limit : FieldsOutsideLimits(back)) {
        outside.push_back(limit->field);
    }
    EXPECT_EQ(outside, (std::vector<std::string>{"nComprimento", "nLargura"}));
}

// A project's name never makes the save leave the project folder or write another file than
// "<name>_Calculo_Tela.qtv": a NUL byte or a ".." part is refused; "/" names a subfolder.
TEST(ProjectFile, NamesThatCannotNameTheFileAreRefused) {
    struct Case {
        std::string name;
        bool fits;
    };
    const Case cases[] = {
        {"AUDITORIO", true},
        {"Sala P&D <1>", true},
        {"anexo/Sala 2", true},
        {"..x", true},
        {"x..", true},
        {std::string("AUDI\0TORIO", 10), false},
        {std::string("../../.profile\0", 16), false},
        {"../../.profile", false},
        {"anexo/../../x", false},
        {"..", false},
        {"a/..", false},
    };
    for (const Case& c : cases) {
        DadosProjeto p = startupProject();
        p.cProjeto = c.name;
        std::string error;
        EXPECT_EQ(ProjectNameFitsAFileName(p, &error), c.fits) << c.name;
        EXPECT_EQ(error.empty(), c.fits) << c.name;
    }

    // Even a name that slipped past the check never writes a cut-short file.
    Folder dir;
    DadosProjeto p = startupProject();
    p.cProjeto = std::string("AUDI\0TORIO", 10);
    EXPECT_FALSE(MemoWrit(NomeArquivoProjeto(dir.path(), p), TextoProjeto(p)));
    EXPECT_FALSE(fs::exists(dir.path() + "AUDI"));
}

// A Brazilian desktop's decimal comma changes nothing in the file, either way.
TEST(ProjectFile, RoundTripUnderACommaLocale) {
    const std::string written = TextoProjeto(startupProject());
    testing::CommaLocale brazil;
    ASSERT_TRUE(brazil.active());
    EXPECT_EQ(TextoProjeto(startupProject()), written);
    EXPECT_NE(written.find("<PeDireito> 3.80</PeDireito>"), std::string::npos);
    DadosProjeto p = startupProject();
    p.nLargura = 12.75;
    p.nComprimento = 0.125;
    p.nDistEntreFilas = -9.99;
    p.nNumeroFilas = 999;
    DadosProjeto back;
    LerProjeto(back, TextoProjeto(p));
    EXPECT_EQ(back.nLargura, 12.75);
    EXPECT_EQ(back.nComprimento, 0.13);
    EXPECT_EQ(back.nDistEntreFilas, -9.99);
    EXPECT_EQ(back.nNumeroFilas, 999);
    EXPECT_EQ(back.nPeDireito, 3.8);
    EXPECT_EQ(back.nTelaAltura, 1.88);
}

TEST(ProjectFile, FieldRules) {
    DadosProjeto p;
    const struct {
        const char* field;
        bool expected;
    } flags[] = {{"T", true}, {"TRUE", true}, {"T ", true}, {"F", false},
                 {"", false}, {"t", false},   {" T", false}};
    for (const auto& c : flags) {
        LerProjeto(p, std::string("<TelaG>") + c.field + "</TelaG>");
        EXPECT_EQ(p.nTelaG, c.expected) << '"' << c.field << '"';
    }
    LerProjeto(p, "<Aspecto>4</Aspecto><Data>15/03/59</Data>");
    EXPECT_EQ(p.nAspecto, 4);
    EXPECT_EQ(p.cData, (Date{2059, 3, 15}));
    LerProjeto(p, "<Data>15/03/60</Data><TelaTamanho>*****</TelaTamanho>");
    EXPECT_EQ(p.cData, (Date{1960, 3, 15}));
    EXPECT_EQ(p.nTelaTamanho, 0);
    LerProjeto(p, "<Data>31/02/26</Data>");
    EXPECT_TRUE(p.cData.isEmpty());
}

TEST(ProjectFile, NonProjectFileGivesEmptyValues) {
    DadosProjeto p = startupProject();
    EXPECT_EQ(LerProjeto(p, "just some text\r\n"), 0);
    EXPECT_EQ(p.cProjeto, "");
    EXPECT_TRUE(p.cData.isEmpty());
    EXPECT_EQ(p.nLargura, 0);
    EXPECT_EQ(p.nAspecto, 0);
    EXPECT_EQ(p.cTelaFormato, "");
    EXPECT_FALSE(p.nTelaG || p.nTelaA || p.nTelaF);
    EXPECT_NEAR(p.nAlturaG, 2.425, 1e-12);  // results stay
}

TEST(ProjectFile, MissingFieldsAreNamed) {
    DadosProjeto p = startupProject();
    std::string text = TextoProjeto(p);
    for (const char* tag : {"<Largura>", "<TelaF>"}) {
        text.erase(text.find(tag), std::string(tag).size());
    }
    std::vector<std::string> missing;
    EXPECT_EQ(LerProjeto(p, text, &missing), 20);
    EXPECT_EQ(missing, (std::vector<std::string>{"nLargura", "nTelaF"}));
}

// What is not a small regular file is refused at once: nothing waits on a FIFO, reads a device
// without end, or reads a huge file whole.
TEST(LerArquivo, RefusesWhatIsNotASmallRegularFile) {
    Folder dir;
    const std::string fifo = dir.path() + "f.qtv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = dir.path() + "enorme.qtv";  // sparse: 2 GiB that take no space
    writeBytes(huge, "<Projeto>x</Projeto>");
    ASSERT_EQ(truncate(huge.c_str(), 2LL << 30), 0);
    const std::string justOver = dir.path() + "grande.qtv";
    writeBytes(justOver, std::string(kMaxProjectFileBytes + 1, ' '));
    const std::string justUnder = dir.path() + "limite.qtv";
    writeBytes(justUnder, std::string(kMaxProjectFileBytes, ' '));

    const struct {
        std::string file;
        std::string says;  // "" for a file that is read
    } cases[] = {
        {fifo, "not a regular file"},
        {"/dev/zero", "not a regular file"},
        {dir.path(), std::strerror(EISDIR)},
        {huge, "larger than 1 MiB"},
        {justOver, "larger than 1 MiB"},
        {dir.path() + "missing.qtv", std::strerror(ENOENT)},
        {"", "no file name"},
        {justUnder, ""},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto text = ReadProjectFileText(c.file, &error);
        if (c.says.empty()) {
            ASSERT_TRUE(text.has_value()) << c.file << ": " << error;
            EXPECT_EQ(text->size(), kMaxProjectFileBytes);
        } else {
            EXPECT_FALSE(text.has_value()) << c.file;
            EXPECT_NE(error.find(c.says), std::string::npos) << c.file << ": " << error;
        }
    }
}

TEST(CampoXml, ClosingTagSearchedFromTheStart) {
    EXPECT_EQ(CampoXml("<a>x</a>", "<a>", "</a>"), "x");
    EXPECT_EQ(CampoXml("<a> x </a>", "<a>", "</a>"), " x ");
    EXPECT_EQ(CampoXml("</a><a>x</a>", "<a>", "</a>"), "");  // close before open
    EXPECT_EQ(CampoXml("<a></a>", "<a>", "</a>"), "");
    EXPECT_EQ(CampoXml("<a>x", "<a>", "</a>"), "");
    EXPECT_EQ(CampoXml("x</a>", "<a>", "</a>"), "");
    EXPECT_EQ(CampoXml("<a>1<a>2</a></a>", "<a>", "</a>"), "1<a>2");
}

TEST(MemoRead, RemovesOneFinalEofByte) {
    Folder dir;
    const std::string file = dir.path() + "x.qtv";
    writeBytes(file, "abc\x1a\x1a");
    EXPECT_EQ(MemoRead(file), "abc\x1a");
    writeBytes(file, "abc");
    EXPECT_EQ(MemoRead(file), "abc");
    writeBytes(file,
               "\x1a"
               "abc");
    EXPECT_EQ(MemoRead(file),
              "\x1a"
              "abc");
    EXPECT_EQ(MemoRead(dir.path() + "missing.qtv"), "");
}

TEST(MemoWrit, FailurePartWayLeavesTheEarlierFile) {
    Folder dir;
    const std::string file = dir.path() + "p_Calculo_Tela.qtv";
    writeBytes(file, "earlier contents");
    int calls = 0;
    const WriteFunction failing = [&](int fd, const char* data, unsigned long size) -> long {
        if (++calls > 1) {
            errno = ENOSPC;
            return -1;
        }
        return ::write(fd, data, size < 100 ? size : 100);  // a short write first
    };
    std::string error;
    EXPECT_FALSE(MemoWrit(file, TextoProjeto(startupProject()), &error, failing));
    EXPECT_NE(error.find(std::strerror(ENOSPC)), std::string::npos) << error;
    EXPECT_EQ(ReadWholeFile(file), "earlier contents");
    // No temporary file is left behind.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST(MemoWrit, ShortWritesAreRepeated) {
    Folder dir;
    const std::string file = dir.path() + "short.qtv";
    const WriteFunction trickle = [](int fd, const char* data, unsigned long) -> long {
        return ::write(fd, data, 1);
    };
    ASSERT_TRUE(MemoWrit(file, "hello\r\n", nullptr, trickle));
    EXPECT_EQ(ReadWholeFile(file), "hello\r\n\x1a");
}

TEST(MemoWrit, ReadOnlyFolderLeavesTheEarlierFile) {
    Folder dir;
    const std::string file = dir.path() + "ro_Calculo_Tela.qtv";
    writeBytes(file, "earlier contents");
    chmod(dir.path().c_str(), 0555);
    chmod(file.c_str(), 0666);
    // Root ignores folder permissions: try as an ordinary user in a child process then.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(3);
        }
        std::string error;
        const bool ok = MemoWrit(file, "new contents", &error);
        _exit(ok ? 1 : (error.empty() ? 2 : 0));
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadWholeFile(file), "earlier contents");
}

TEST(MemoWrit, MissingFolderFails) {
    Folder dir;
    std::string error;
    EXPECT_FALSE(MemoWrit(dir.path() + "no/such/folder/x.qtv", "x", &error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace vm
