#pragma once
// Where a print job's page files live and what they are called: one EMF file per page in the
// user's temporary folder, named from the job's preview id and the page number.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vm {

// The job's preview id: the hundredths of a second since midnight, zero-padded to 8 digits
// (5.3 seconds after midnight gives "00000530"). Negative values count as 0.
std::string PreviewId(int64_t hundredthsSinceMidnight);
// The preview id of the current local time.
std::string PreviewIdNow();

// folder + previewId + "_kpv_print_preview_" + the page number in 4 digits + ".Emf"; numbers
// beyond 9999 keep all their digits.
std::string PageFileName(std::string_view folder, std::string_view previewId, int pageNumber);

// The job's page files in `folder` (names previewId + "_kpv_print_preview_" + anything + ".Emf"),
// full names sorted by name. Empty when the folder cannot be read or the id is empty.
std::vector<std::string> ListPageFiles(std::string_view folder, std::string_view previewId);

// Deletes the job's page files in `folder` and no other file; returns how many were deleted.
int DeletePageFiles(std::string_view folder, std::string_view previewId);

}  // namespace vm
