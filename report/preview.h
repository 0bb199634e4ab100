#pragma once
// The print preview: the windows in which the user pages through the current print job's page
// files, zooms, shows thumbnails, prints all or some pages and saves them.

namespace vm {

// Opens the preview on the page files of the current print job (printJob()) and returns when the
// user closes it. Does nothing when no printer was opened for the job or a preview is already
// open. Closing deletes the job's page files in the temporary folder and no other file.
void ShowPreview();

}  // namespace vm
