#pragma once
// The window "Projeção": the projector's ambient light, contrast, gain, deratings, throw ratio
// and lens position, or the LED wall's pitch and tile, typed beside the room; the projection page
// (report/projection_page.h) drawn from them and the project record; and "Salvar" to PDF, PNG or
// SVG pages or a DXF drawing with the layer PROJETOR.
//
// The inputs are the record's (DadosProjeto::projecao): they are saved and opened with the
// project. Each field is committed when it loses the focus or on Enter; a value outside its
// limits (core/projection_inputs.h) is refused with a box "Valor não aceito" that names the input
// and its range, and the field shows its value again. An empty field is "not given" (ambient
// light, throw ratios, lens height and distance, LED) or its default (the others).
//
// One window at a time, not modal, above the main form; it redraws from the record whenever
// RefreshProjectionWindow is called (after every edit, Novo and Abrir).

class QWidget;

namespace vm {

// Opens the window on the record, or brings the open one to the front. Needs the main form.
void ShowProjectionWindow();

// Redraws the open window from the record, its fields included; nothing when it is not open.
void RefreshProjectionWindow();

// The open window (objectName "wProjecao"); nullptr when none is open. Its controls: the fields
// "eIluminacao", "eContraste", "eGanho", "eFatorLente", "eFatorLampada", "eRazaoMin",
// "eRazaoMax", "eDeslocamento", "eAlturaLente", "eDistLente", "ePitch", "eModuloLargura",
// "eModuloAltura"; the category "cCategoria", the summary "lResumo", the button "bSalvar" and
// the page view "PaginaProjecao".
QWidget* ProjectionWindow();

}  // namespace vm
