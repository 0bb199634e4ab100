#pragma once
// Before a set of pages is saved under a name from the file dialog: the question of
// ui/replace_question.h about the files the set would write and the pages of an earlier set that
// it would remove.

#include <cstddef>
#include <string>
#include <vector>

#include "pagefile/page_set.h"

namespace vm {

// The files that SavePages writes for a set of `pageCount` pages under `target`: the target
// itself for a PDF and a caller's format, else one numbered file a page ("rel_0001.svg"...).
std::vector<std::string> FilesOfPageSet(const std::string& target, size_t pageCount,
                                        const std::vector<SaveFormat>& extra = {});

// Asks (MayReplaceFiles, titled `title`) when the set would replace a file or remove an earlier
// set's pages; true when the save may go on.
bool MaySavePageSet(const std::string& target, size_t pageCount,
                    const std::vector<SaveFormat>& extra, const std::string& title);

}  // namespace vm
