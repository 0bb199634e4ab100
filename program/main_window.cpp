#include "program/main_window.h"

#include <string>

#include "core/calculo.h"
#include "core/file_names.h"
#include "core/platform_paths.h"
#include "core/program_values.h"
#include "core/result_line.h"
#include "core/system_info.h"
#include "core/text.h"
#include "core/win1252.h"
#include "program/project_checks.h"
#include "program/project_file_commands.h"
#include "program/typed_value_limits.h"
#include "program/window_minimum.h"
#include "project/project_file.h"
#include "runtime/startup.h"
#include "ui/dialogs.h"
#include "ui/file_failure_text.h"
#include "ui/form_layer.h"

namespace vm {
namespace {

const char* const kForm = "wmenu";
const char* const kCrLf = "\r\n";

// The program's texts are Windows-1252; this source file is UTF-8.
std::string cp(const char* utf8) {
    return utf8ToWin1252(utf8);
}

// Until the first TelaRefresh the window's fields are empty; a lost focus then (a box shown by
// the update check at start-up takes the focus) must not copy them into the project.
bool g_janelaPreenchida = false;

// Menu commands move no focus: the field being edited is committed as leaving it would.
void confirmaCampoEmEdicao() {
    CommitFocusedField(kForm);
}

// True when a report preview was open and now stands in front: a second report is not made.
bool previewNaFrente() {
    const auto& toFront = mainWindowProcedures().previewToFront;
    return toFront && toFront();
}

// The result lines describe the inputs on screen: every committed edit (a field left, a check
// box, Novo, Abrir, a report) recomputes them from the record.
void mostraLinhas() {
    SetProperty(kForm, "cTelaDetalhe", "value", LinhaResultado(projeto(), Categoria::G));
    SetProperty(kForm, "cTelaComputer", "value", LinhaResultado(projeto(), Categoria::A));
    SetProperty(kForm, "cTelaVideo", "value", LinhaResultado(projeto(), Categoria::F));
    MostraAvisosDoProjeto(kForm, "cAvisos");
}

void mostraResultados() {
    if (!g_janelaPreenchida) {
        return;
    }
    Calculo(projeto());
    mostraLinhas();
}

const Rgb kBlue{0, 0, 255};
const Rgb kRed{255, 0, 0};
const Rgb kGreen{0, 255, 0};
const Rgb kBlack{0, 0, 0};
const Rgb kWhite{255, 255, 255};

void set(const char* control, const FormValue& value) {
    SetProperty(kForm, control, "value", value);
}

FormValue get(const char* control) {
    return GetProperty(kForm, control, "value");
}

void label(const char* name, int col, int row, int width, const char* text, Rgb colour,
           bool bold = false) {
    DefineLabel({.name = name,
                 .col = col,
                 .row = row,
                 .text = cp(text),
                 .width = width,
                 .height = 24,
                 .bold = bold,
                 .fontColor = colour,
                 .transparent = true});
}

void numberField(const char* name, int col, int row, const char* mask, Callback onLostFocus) {
    DefineMaskedTextBox({.name = name,
                         .col = col,
                         .row = row,
                         .mask = mask,
                         .width = 60,
                         .height = 20,
                         .onLostFocus = [name, mask, onLostFocus = std::move(onLostFocus)] {
                             // A value that describes no room goes back to what it was
                             // (before the first TelaRefresh the fields hold nothing yet).
                             if (g_janelaPreenchida) {
                                 AceitaValorDigitado(kForm, name, mask);
                             }
                             onLostFocus();
                             mostraResultados();
                         }});
}

// A number field that refreshes the project's data from the fields as it loses the focus.
void numberField(const char* name, int col, int row, const char* mask) {
    numberField(name, col, row, mask, [] { DadosRefresh(); });
}

void frame(const char* name, int row, int col, int width, int height, const char* caption) {
    BeginFrame({.name = name,
                .row = row,
                .col = col,
                .width = width,
                .height = height,
                .caption = cp(caption),
                .fontColor = kBlack});
}

void categoryBox(const char* name, int col, int width, const char* caption, Rgb colour,
                 const char* tooltip) {
    DefineCheckBox({.name = name,
                    .col = col,
                    .row = 265,
                    .caption = cp(caption),
                    .value = true,
                    .tooltip = cp(tooltip),
                    .onChange =
                        [] {
                            DadosRefresh();
                            HideTela();
                            mostraResultados();
                        },
                    .width = width,
                    .height = 15,
                    .fontColor = colour,
                    .transparent = true});
}

// The project's text when it was last saved, opened or begun (start-up, Novo): edits since then
// are the ones a discarding command asks about.
std::string g_textoSalvo;

// Windows that show the record follow it.
void projetoAlterado() {
    if (mainWindowProcedures().projetoAlterado) {
        mainWindowProcedures().projetoAlterado();
    }
}

void aoMudarFormato() {
    CalcTelaAltura();
    CalcImagemAltura();
    DadosRefresh();
    Calculo(projeto());
    TelaRefresh();
}

}  // namespace

void MarcaProjetoSalvo() {
    g_textoSalvo = TextoProjeto(projeto());
}

MainWindowProcedures& mainWindowProcedures() {
    static MainWindowProcedures procedures;
    return procedures;
}

void TelaRefresh() {
    const DadosProjeto& p = projeto();
    set("cProjetot", p.cProjeto);
    set("cdatat", p.cData);
    set("nComprimentot", p.nComprimento);
    set("nLargurat", p.nLargura);
    set("nPeDireitot", p.nPeDireito);
    set("nDistOlhos1t", p.nDistOlhos1);
    set("nAlturaOlhos1t", p.nAlturaOlhos1);
    set("nNumeroFilast", p.nNumeroFilas);
    set("nDistEntreFilast", p.nDistEntreFilas);
    set("nLarguraAssentot", p.nLarguraAssento);
    set("nAlturaFila2t", p.nAlturaFila2);
    set("nTelaTopot", p.nTelaTopo);
    set("nTelaLargurat", p.nTelaLargura);
    set("nTelaAlturat", p.nTelaAltura);
    set("nImagemLargurat", p.nImagemLargura);
    set("nImagemAlturat", p.nImagemAltura);
    // From here on every field holds the project; the writes below may read them all back.
    g_janelaPreenchida = true;
    // Each write below may run an on-change sequence that reads the whole window back into the
    // record, so every value is taken from the record at the moment of its write.
    set("nAspectot", projeto().nAspecto);
    set("TelaGt", projeto().nTelaG);
    set("TelaAt", projeto().nTelaA);
    set("TelaFt", projeto().nTelaF);
    mostraLinhas();
    projetoAlterado();
}

void DadosRefresh() {
    if (!g_janelaPreenchida) {
        return;
    }
    DadosProjeto& p = projeto();
    p.cProjeto = get("cProjetot").text();
    p.cData = get("cdatat").date();
    p.nComprimento = get("nComprimentot").number();
    p.nLargura = get("nLargurat").number();
    p.nPeDireito = get("nPeDireitot").number();
    p.nDistOlhos1 = get("nDistOlhos1t").number();
    p.nAlturaOlhos1 = get("nAlturaOlhos1t").number();
    p.nNumeroFilas = get("nNumeroFilast").number();
    p.nDistEntreFilas = get("nDistEntreFilast").number();
    p.nLarguraAssento = get("nLarguraAssentot").number();
    p.nAlturaFila2 = get("nAlturaFila2t").number();
    p.nAspecto = get("nAspectot").number();
    p.nTelaG = get("TelaGt").logical();
    p.nTelaA = get("TelaAt").logical();
    p.nTelaF = get("TelaFt").logical();
    p.nTelaTopo = get("nTelaTopot").number();
    p.nTelaLargura = get("nTelaLargurat").number();
    p.nTelaAltura = get("nTelaAlturat").number();
    p.nImagemLargura = get("nImagemLargurat").number();
    p.nImagemAltura = get("nImagemAlturat").number();
    p.nTelaTamanho = TamTela(p.nTelaLargura, p.nTelaAltura);
    projetoAlterado();
}

void SetAlturaFila2(double metres) {
    set("nAlturaFila2t", metres);
    DadosRefresh();
    mostraResultados();
}

void HideTela() {
    const DadosProjeto& p = projeto();
    DoMethod(kForm, "cTelaDetalhe", p.nTelaG ? "Show" : "Hide");
    DoMethod(kForm, "cTelaComputer", p.nTelaA ? "Show" : "Hide");
    DoMethod(kForm, "cTelaVideo", p.nTelaF ? "Show" : "Hide");
}

void CalcTelaAltura() {
    double altura = 0;
    if (alturaPeloAspecto(get("nTelaLargurat").number(), get("nAspectot").number(), altura)) {
        set("nTelaAlturat", altura);
    }
}

void CalcImagemAltura() {
    double altura = 0;
    if (alturaPeloAspecto(get("nImagemLargurat").number(), get("nAspectot").number(), altura)) {
        set("nImagemAlturat", altura);
    }
}

// A failed save: the box's first line as always, then the reason (Windows-1252 text) and the
// file, with the warning icon. The file is shown as its name reads, whatever bytes it holds.
void AvisaFalhaAoSalvar(const std::string& motivo, const std::string& file) {
    MsgWarn(std::string("Error ao salvar o Arquivo.") + kCrLf + kCrLf + motivo + kCrLf +
                TextFromFileName(file),
            "Salvar arquivo");
}

bool AlteracoesNaoSalvas() {
    confirmaCampoEmEdicao();
    return TextoProjeto(projeto()) != g_textoSalvo;
}

bool PodeDescartarAlteracoes() {
    if (!AlteracoesNaoSalvas()) {
        return true;
    }
    switch (MsgYesNoCancel(cp("Salvar as alterações?"), "Vistametra", false)) {
        case MessageAnswer::Yes:
            return SalvarArquivo();
        case MessageAnswer::No:
            return true;
        default:
            return false;
    }
}

bool SalvarArquivo() {
    confirmaCampoEmEdicao();
    const DadosProjeto& p = projeto();
    // A project that has a file (opened, or saved before) is written to that file, the one the
    // title names; only a project without one takes its name from the project in the program's
    // folder.
    std::string file = ArquivoDoProjeto();
    if (file.empty()) {
        std::string motivo;
        if (!ProjectNameFitsAFileName(p, &motivo)) {
            AvisaFalhaAoSalvar(utf8ToWin1252(motivo),
                               NomeArquivoProjeto(programValues().DirPdf, p));
            return false;
        }
        file = NomeArquivoProjeto(programValues().DirPdf, p);
        // An installed copy's documents folder is made by its first save.
        if (programValues().DirPdf == projectFolder()) {
            ensureFolder(programValues().DirPdf);
        }
    }
    FileFailure falha;
    if (MemoWrit(file, TextoProjeto(p), &falha)) {
        DefineArquivoDoProjeto(kForm, file);
        MarcaProjetoSalvo();
        AvisaArquivoSalvo(file);
        return true;
    }
    AvisaFalhaAoSalvar(FileFailureReason(falha), file);
    return false;
}

void AbrirArquivo() {
    if (previewNaFrente() || !PodeDescartarAlteracoes()) {
        return;
    }
    const std::string file = GetFile({{cp("Arquivos de Cálculos"), "*.qtv"}},
                                     cp("Arquivo de Cálculo"), programValues().DirPdf, false, true);
    if (file.empty()) {
        return;
    }
    AbrirProjeto(file);
}

void AbrirProjeto(const std::string& file) {
    WholeFileFault falha;
    const std::optional<std::string> texto = ReadProjectFileText(file, nullptr, &falha);
    if (!texto) {
        // A project file is under 1 KiB.
        MsgStop(cp("Não foi possível ler o arquivo.") + kCrLf + kCrLf +
                    ReadFailureReason(falha, "1 MiB; um projeto tem menos de 1 KiB") + kCrLf +
                    TextFromFileName(file),
                "Abrir");
        return;
    }
    DadosProjeto lido = projeto();
    if (LerProjeto(lido, *texto) == 0) {
        MsgStop(cp("O arquivo selecionado não é um projeto do Vistametra."), "Abrir");
        return;
    }
    projeto() = lido;
    DefineArquivoDoProjeto(kForm, file);
    TelaRefresh();
    mostraResultados();
    MarcaProjetoSalvo();
}

void CalculoComReport() {
    confirmaCampoEmEdicao();
    if (previewNaFrente()) {
        return;
    }
    Calculo(projeto());
    mostraLinhas();
    if (!ProjetoDescreveUmaSala(kForm)) {
        return;
    }
    if (mainWindowProcedures().reportCalculo) {
        mainWindowProcedures().reportCalculo();
    }
}

void SelPrinter() {
    confirmaCampoEmEdicao();
    if (previewNaFrente()) {
        return;
    }
    if (!ProjetoDescreveUmaSala(kForm)) {
        return;
    }
    const MainWindowProcedures& procedures = mainWindowProcedures();
    std::string printer = procedures.getPrinter ? procedures.getPrinter() : "";
    if (printer.empty() && procedures.getDefaultPrinter) {
        printer = procedures.getDefaultPrinter();
    }
    programValues().PrintX = printer;
    CalculoComReport();
}

std::string TextoSobre() {
    const ProgramValues& v = programValues();
    const PhysicalMemory memory = physicalMemory();
    std::string text;
    for (const std::string& line :
         {v.QTV_VERSAO, v.QTV_DATA, std::string(" "), std::string(" Vistametra")}) {
        text += PadC(line, 70) + kCrLf;
    }
    text += kCrLf;
    const std::string runtime = std::string("C++ runtime: GNU libstdc++, GCC ") + __VERSION__;
    const std::string lines[] = {
        AllTrim(runtime),
        AllTrim(FormLayerVersion()),
        AllTrim(utf8ToWin1252(operatingSystem())),
        cp("Memória física : ") + AllTrim(StrZero(memory.totalMiB, 5)) +
            " MB,  livre : " + AllTrim(StrZero(memory.availableMiB, 5)) + " MB.",
    };
    for (const std::string& line : lines) {
        text += PadC(line, 70) + kCrLf;
    }
    return text;
}

void Sobre_Sistema() {
    MsgInfo(TextoSobre(), "Sobre Vistametra", false);
}

std::string TextoReferencia() {
    const char* const lines[] = {
        "O relatório gerado por esta ferramenta está baseado nas recomendações correntes da "
        "Industria AV.",
        "",
        "Levando em conta portanto aspectos como:",
        "",
        " - A distância mímima de visualização deve ser igual a largura da imagem projetada.",
        " - Para uma ótima visualização os observadores devem estar posicionados dentro da área "
        "formada por um leque de 90 graus centrados no eixo da imagem projetada.",
        " - Ainda é uma visualização aceitável para os observadores posicionados dentro da área "
        "formada pelo leque de 90 graus acima  e as linhas formadas nas laterais da imagem "
        "projetada em um angulo de 135 graus.",
        " - A linha superior de visão do observador mais próximo a imagem projetada, deve formar "
        "um angulo em relação ao teto inferior a 30º, para evitar inclinação excessiva da cabeça "
        "do observador.",
        " - A distância máxima de visualização deve levar em conta o tipo de conteúdo projetado, "
        "sendo :",
        "    - Conteúdo com alto nível de detalhes a distância máxima deve ser até 4 vezes a "
        "altura "
        "da imagem projetada.",
        "    - Conteúdo com apresentações e planilhas a distância máxima deve ser até 6 vezes a "
        "altura da imagem projetada.",
        "    - Conteúdo de vídeo e filmes a distância máxima deve ser até 8 vezes a altura da "
        "imagem projetada.",
        " - Para uma perfeita visualização dos textos, pelos observadores localizados na distância "
        "máxima de visualização adotada, as apresentações devem usar fontes no mínimo 150 vezes "
        "menores que a distância máxima adotada.",
        "",
        "",
        " Críticas e comentários que objetivem aperfeiçoar esta ferramenta são bem vindos e podem "
        "ser enviados para o email contato@vistametra.com.br",
        "",
    };
    std::string text;
    for (const char* line : lines) {
        text += cp(line) + kCrLf;
    }
    return text;
}

void Referencia() {
    MsgBox(TextoReferencia(), cp("Referências"));
}

void DefineMainWindow() {
    g_janelaPreenchida = false;
    DefineWindow({.name = kForm,
                  .title = "Vistametra",
                  .width = 640,
                  .height = 480,
                  .canMinimize = true,
                  .canMaximize = true,
                  .sizable = true,
                  .systemMenu = true,
                  .titleBar = true,
                  .onInit =
                      [] {
                          KeepEveryControlVisible(kForm);
                          if (mainWindowProcedures().update) {
                              mainWindowProcedures().update(false);
                          }
                          TelaRefresh();
                          MarcaProjetoSalvo();
                          if (mainWindowProcedures().afterStart) {
                              mainWindowProcedures().afterStart();
                          }
                      },
                  .backColor = kWhite,
                  .kind = WindowKind::Main,
                  // The exit question first, then edits never saved are asked about.
                  .onInteractiveClose =
                      [] {
                          return MsgYesNo("Confirma a saida do sistema ??", "Sair", false) &&
                                 PodeDescartarAlteracoes();
                      }});

    BeginMessageBar("StatusBar", "Arial", 9);
    DefineItemMessage("STATUSITEM", "    Medidas em metros");
    EndMessageBar();

    DefineMainMenu();
    DefineMenuPopup("&Arquivo");
    DefineMenuItem("&Novo", [] {
        if (previewNaFrente() || !PodeDescartarAlteracoes()) {
            return;
        }
        DadosReset(projeto());
        DefineArquivoDoProjeto(kForm, "");
        TelaRefresh();
        mostraResultados();
        MarcaProjetoSalvo();
    });
    // The usual Ctrl keys of Linux programs work beside the menus' own letters.
    DefineMenuItem(
        "&Abrir", [] { AbrirArquivo(); }, "Ctrl+O");
    DefineSeparator();
    DefineMenuItem(
        "&Salvar",
        [] {
            // While the report's preview is open its own Salvar has the keys: the project is
            // not written behind it.
            if (!previewNaFrente()) {
                SalvarArquivo();
            }
        },
        "Ctrl+S");
    DefineMenuItem(
        cp("Salvar &como…"),
        [] {
            if (!previewNaFrente()) {
                SalvarArquivoComo(kForm, programValues().DirPdf);
            }
        },
        "Ctrl+Shift+S");
    DefineSeparator();
    DefineMenuItem(
        "&Imprimir", [] { SelPrinter(); }, "Ctrl+P");
    DefineSeparator();
    DefineMenuItem(
        "&Sair",
        [] {
            if (!previewNaFrente() && PodeDescartarAlteracoes()) {
                DoMethod(kForm, "release");
            }
        },
        "Ctrl+Q");
    EndMenuPopup();
    DefineMenuPopup(cp("A&nálise"));
    DefineMenuItem("&Visibilidade dos Assentos", [] {
        if (mainWindowProcedures().visibilidade) {
            mainWindowProcedures().visibilidade();
        }
    });
    DefineMenuItem("&Projetor e Brilho", [] {
        if (mainWindowProcedures().projecao) {
            mainWindowProcedures().projecao();
        }
    });
    EndMenuPopup();
    DefineMenuPopup("&Help");
    DefineMenuItem(cp("&Referência"), [] { Referencia(); });
    DefineMenuItem(cp("&Verificar Atualização"), [] {
        if (mainWindowProcedures().update) {
            mainWindowProcedures().update(true);
        }
    });
    DefineMenuItem("Verificar ao &Iniciar...", [] {
        if (mainWindowProcedures().chooseCheckAtStart) {
            mainWindowProcedures().chooseCheckAtStart();
        }
    });
    DefineSeparator();
    DefineMenuItem("&Sobre", [] { Sobre_Sistema(); });
    EndMenuPopup();
    EndMenu();

    label("lprojeto", 20, 20, 60, "Projeto:", kBlack, true);
    DefineTextBox({.name = "cProjetot",
                   .col = 100,
                   .row = 20,
                   .width = 200,
                   .height = 20,
                   .maxLength = 20,
                   .upperCase = true,
                   .onLostFocus = [] { DadosRefresh(); }});
    DefineCharMaskTextBox({.name = "cdatat",
                           .col = 320,
                           .row = 20,
                           .width = 60,
                           .height = 20,
                           .onLostFocus = [] { DadosRefresh(); },
                           .date = true});

    frame("Area", 50, 20, 280, 100, "Dimensão da Sala");
    label("lAreaComprim", 40, 80, 90, "Comprimento : ", kBlue);
    label("lAreaLargura", 40, 100, 90, "Largura     : ", kBlue);
    label("lAreaPedireito", 40, 120, 90, "Pe Direito : ", kBlue);
    numberField("nComprimentot", 140, 80, "999.99");
    numberField("nLargurat", 140, 100, "999.99");
    numberField("nPeDireitot", 140, 120, "999.99");

    frame("Lateral", 50, 320, 280, 160, "Posição dos Assentos");
    label("lDistOlhos1", 340, 80, 180, "Distância Tela/Olhos Fila 1 : ", kBlue);
    label("lAlturaOlhos1", 340, 100, 180, "Altura do Piso/Olhos Fila 1 : ", kBlue);
    label("lNumeroFilas", 340, 120, 180, "Número de Filas de Assentos : ", kBlue);
    label("lDistEntreFilas", 340, 140, 180, "Distância entre as Filas : ", kBlue);
    label("lLarguraAsento", 340, 160, 180, "Largura dos Assentos : ", kBlue);
    label("lAlturaFila2", 340, 180, 180, "Altura do degrau da Fila 2 : ", kBlue);
    numberField("nDistOlhos1t", 520, 80, "999.99");
    numberField("nAlturaOlhos1t", 520, 100, "999.99");
    numberField("nNumeroFilast", 520, 120, "999");
    numberField("nDistEntreFilast", 520, 140, "999.99");
    numberField("nLarguraAssentot", 520, 160, "999.99");
    numberField("nAlturaFila2t", 520, 180, "999.99");

    frame("frecomendada", 160, 20, 280, 220, "Análise dos campos e linhas de visão");
    label("lformato", 40, 185, 180, "Formato : ", kBlue);
    DefineRadioGroup({.name = "nAspectot",
                      .col = 40,
                      .row = 202,
                      .options = {"4:3", "16:9", "16:10"},
                      .value = 0,
                      .tooltip = "Selecionar do formato da Tela",
                      .onChange = aoMudarFormato,
                      .width = 50,
                      .spacing = 20,
                      .backColor = kWhite,
                      .horizontal = true});
    label("lImagem", 40, 245, 180, "Qualidade da Imagem : ", kBlue);
    categoryBox("TelaGt", 40, 80, "Detalhes", kBlue,
                "Habilita tela  para visualização de esquemas, diagramas, etc");
    categoryBox("TelaAt", 120, 100, "Computador", kRed,
                "Habilita tela  para visualização de apresentações de computador");
    categoryBox("TelaFt", 220, 60, "Vídeo", kGreen,
                "Habilita tela  para visualização de vídeos e filmes");
    label("cTelaDetalhe", 40, 295, 240, "", kBlue);
    label("cTelaComputer", 40, 315, 240, "", kRed);
    label("cTelaVideo", 40, 335, 240, "", kGreen);
    // The plausibility warnings, under the frames.
    DefineLabel({.name = "cAvisos",
                 .col = 20,
                 .row = 384,
                 .width = 600,
                 .height = 34,
                 .fontColor = Rgb{176, 0, 0},
                 .transparent = true});

    frame("pretendida", 220, 320, 280, 160, "Imagem pretendida");
    label("lTopoimagem", 340, 250, 300, "Topo da Imagem : ", kBlue);
    label("lTelaLargura", 340, 270, 180, "Largura da Imagem : ", kBlue);
    label("lTelaAltura", 340, 290, 180, "Altura da Imagem : ", kBlue);
    label("lTelaR", 340, 320, 300, "Resolução da imagem projetada : ", kBlue);
    label("lTelaRx", 405, 340, 20, "x", kBlue);
    label("lTelaRp", 490, 340, 50, "pixels", kBlue);
    numberField("nTelaTopot", 520, 250, "999.99");
    numberField("nTelaLargurat", 520, 270, "999.99", [] {
        CalcTelaAltura();
        DadosRefresh();
    });
    numberField("nTelaAlturat", 520, 290, "999.99");
    numberField("nImagemLargurat", 340, 340, "9999", [] {
        CalcImagemAltura();
        DadosRefresh();
    });
    numberField("nImagemAlturat", 420, 340, "9999");

    DefineButton({.name = "bcalculara",
                  .col = 510,
                  .row = 20,
                  .caption = "Gerar Report",
                  .action = [] { CalculoComReport(); },
                  .width = 90,
                  .height = 20,
                  .tooltip = cp("Executa o cálculo do tamanho das telas apropriadas"),
                  .flat = true});
    EndWindow();
    DefineArquivoDoProjeto(kForm, "");
}

}  // namespace vm
