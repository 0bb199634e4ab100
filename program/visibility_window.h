#pragma once
// The window "Visibilidade dos Assentos": the sightline analysis of the project record drawn as
// its pages (report/analysis_pages.h) through the page-file canvas and the same player as the
// preview, a choice of the target C-value (60, 90, 120 mm or any value), the constant step that
// the analysis proposes against the project's own, and "Salvar" to PDF, PNG or SVG pages or to a
// DXF drawing of the section and the plan (report/dxf_drawing.h).
//
// One window at a time, not modal, above the main form. It redraws from the record (never from
// the main window's fields) whenever RefreshVisibilityWindow is called: the main window calls it
// after DadosRefresh and TelaRefresh, so it follows every edit, Novo and Abrir.

class QWidget;

namespace vm {

class Canvas;

// Opens the window on the record, or brings the open one to the front. Needs the main form.
void ShowVisibilityWindow();

// Redraws the open window from the record; nothing when it is not open.
void RefreshVisibilityWindow();

// The open window (objectName "wVisibilidade"); nullptr when none is open. Its controls: the
// target "cAlvoC" (an editable combo box), the proposal "lDegrau", the button "bSalvar" and the
// page view "PaginasAnalise"; the wheelchair spaces' row "cCadeiraFila" ("padrão" or a row) and
// side "cCadeiraLado", the interpreter's window "kInterprete" with its shares
// "nInterpreteLargura" and "nInterpreteAltura" and its corner "cInterpreteCanto".
QWidget* VisibilityWindow();

// For tests: every redraw of the window is drawn onto `recorder` too, pages numbered from 1;
// nullptr stops it. The caller keeps the canvas alive while it is set.
void SetVisibilityRecorder(Canvas* recorder);

}  // namespace vm
