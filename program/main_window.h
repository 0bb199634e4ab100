#pragma once
// The main window "wmenu": every input of the project as a field, the three result lines, the menu
// and the "Gerar Report" button. The window and the project record are two copies of the same
// data, kept in step only by TelaRefresh (record -> window) and DadosRefresh (window -> record).

#include <functional>
#include <string>

namespace vm {

// Defines "wmenu" with its status bar, menu and controls (not yet shown).
void DefineMainWindow();

// Record -> window, in the fixed order whose nested on-change runs the window relies on.
void TelaRefresh();
// Window -> record; then nTelaTamanho from the screen's width and height. Does nothing until
// TelaRefresh has first filled the window: before that the fields hold nothing of the project.
void DadosRefresh();

// Puts `metres` into "Altura do degrau da Fila 2" and commits it as leaving the field would.
void SetAlturaFila2(double metres);
// Shows or hides the three result lines by the category flags.
void HideTela();
// Height fields from the width fields by the selected format.
void CalcTelaAltura();
void CalcImagemAltura();

// "&Salvar" (Ctrl+S; the field being edited is committed first) and "&Abrir" (Ctrl+O; a file
// that cannot be read or holds no project field is refused with a box, and the project stays as
// it was).
// Salvar writes the project's file (ArquivoDoProjeto: the one opened or saved last, which the
// title names); a project without one goes to "<project>_Calculo_Tela.qtv" in the program's
// folder. It returns whether the file was written.
bool SalvarArquivo();
void AbrirArquivo();
// The project's text differs from the one last saved, opened or begun (the field being edited
// is committed first).
bool AlteracoesNaoSalvas();
// Before Novo, Abrir, Sair or a file handed over discard edits never saved: "Salvar as
// alterações?" (Sim saves first, and a failed save keeps the project; Não goes on; Cancelar
// stops). True when the command may go on.
bool PodeDescartarAlteracoes();
// The project as it stands counts as saved (after Salvar como).
void MarcaProjetoSalvo();
// What "&Abrir" does with the file chosen, and start-up with a file named on the command line:
// read it into the record (or refuse it with a box), then TelaRefresh.
void AbrirProjeto(const std::string& file);

// The About and Reference boxes, and their texts.
void Sobre_Sistema();
void Referencia();
std::string TextoSobre();
std::string TextoReferencia();

// The procedures that other parts of the program put behind the window's commands: the report
// after a calculation ("Gerar Report", "&Imprimir" after the printer choice), the printer choice,
// and the update check (quiet at start-up, with answers from the Help menu). Unset procedures
// are skipped.
struct MainWindowProcedures {
    std::function<void()> reportCalculo;
    std::function<std::string()> getPrinter;         // the printer chosen, "" on cancel
    std::function<std::string()> getDefaultPrinter;  // "" when there is none
    std::function<void(bool manual)> update;
    // "Verificar ao &Iniciar...": whether the quiet check runs at start-up.
    std::function<void()> chooseCheckAtStart;
    // Brings an open report preview to the front; false when none is open.
    std::function<bool()> previewToFront;
    std::function<void()> visibilidade;     // "&Visibilidade dos Assentos": opens its window
    std::function<void()> projecao;         // "&Projetor e Brilho": opens the window "Projeção"
    std::function<void()> projetoAlterado;  // after each DadosRefresh and TelaRefresh
    // Runs once the window's initialisation (update check, TelaRefresh) is done.
    std::function<void()> afterStart;
};
MainWindowProcedures& mainWindowProcedures();

// Calculo with a report: the calculation, then the report procedure. While a preview is open,
// brings it to the front instead and changes nothing.
void CalculoComReport();
// "&Imprimir": PrintX becomes the printer chosen (the default one on cancel), then the report.
// While a preview is open, brings it to the front instead and changes nothing.
void SelPrinter();

}  // namespace vm
