#pragma once
// The print preview: the windows in which the user pages through the current print job's page
// files, zooms, shows thumbnails, prints all or some pages and saves them.

#include <vector>

#include "pagefile/page_set.h"

namespace vm {

// Opens the preview on the page files of the current print job (printJob()) and returns when the
// user closes it. Does nothing when no printer was opened for the job, the job has no pages, no
// main window is defined or a preview is already open. Closing deletes the job's page files in
// the temporary folder and no other file (so does a preview whose windows the program's end takes
// away). Printing goes through PrintPages (print/print_job.h), saving through PutFile.
//
// The windows are the form-layer forms "wPreview" (the page, its control "PreviewPage") and
// "wPreviewBar" (the tool buttons "b1" ... "b6"); the print and go-to-page dialogs run through
// RunModalDialog as "PreviewPrint" and "PreviewGoToPage" (preview/preview_dialogs.h).
// `extraFormats` are offered by Salvar beside the pages' own formats (the program hands in the
// DXF drawing).
void ShowPreview(const std::vector<SaveFormat>& extraFormats = {});

// When a preview is open, brings its windows to the front and returns true; else false.
bool BringPreviewForward();

}  // namespace vm
