#pragma once
// A report's pages held in memory and saved as one set. Every page is the bytes of an EMF page
// file; the set carries the document's title. SavePages writes the set by the target's suffix
// (any case): ".pdf" one A4 PDF with every page, ".svg" and ".png" one file per page, ".emf" the
// page files themselves, each numbered "_0001", "_0002"... before the suffix; a caller may hand in
// more formats (a drawing that is not made of the pages, say). Names are file-system bytes: a
// name that is not UTF-8 is written as it is. Every file goes through AtomicFile, all of them or
// none (pagefile/file_set.h): on a failure every earlier file stays as it was.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/file_failure.h"

namespace vm {

struct PageSet {
    std::vector<std::vector<uint8_t>> pages;  // EMF bytes, one entry a page
    std::string title;                        // UTF-8; the PDF's title
};

// A format the caller knows how to make: `suffix` without its dot, lower case ("dxf"), `label`
// its name in a file dialog ("DXF"); `make` returns the whole file's bytes, or false with `error`
// set.
struct SaveFormat {
    std::string suffix;
    std::string label;
    std::function<bool(std::string* bytes, std::string* error)> make;
};

// The target's suffix in lower case without its dot ("Rel.PDF" -> "pdf"; "" when it has none).
// Only the last name of the path counts: "a.b/rel" has none.
std::string SuffixOf(const std::string& target);

// Whether the suffix ("pdf", lower case) is one of the four formats made of the pages.
bool IsPageFormat(const std::string& suffix);
// The caller's format for `suffix`, or nullptr.
const SaveFormat* FindSaveFormat(const std::string& suffix, const std::vector<SaveFormat>& extra);
// The name's last part without its suffix ("dir/rel.svg" -> "rel").
std::string PageFileStem(const std::string& target);

// Whether SavePages knows the target's suffix (the four page formats or one of `extra`).
bool CanSavePagesAs(const std::string& target, const std::vector<SaveFormat>& extra = {});

// The name of page `pageNumber` of a set saved under `target`: its name without the suffix, "_",
// the number in 4 digits, and the suffix ("dir/rel.svg", 2 -> "dir/rel_0002.svg").
std::string NumberedPageFileName(const std::string& target, int pageNumber);

// The pages of an earlier set that a set of `pageCount` pages saved under `target` would leave
// behind: the files NumberedPageFileName(target, n) for n = pageCount + 1, pageCount + 2, ... up to
// the first number with no such file, each a regular file (not a link) that the user owns.
// Empty for the formats saved as one file (.pdf, a caller's format) and when none is there.
std::vector<std::string> LeftoverPagesOfEarlierSet(const std::string& target, size_t pageCount,
                                                   const std::vector<SaveFormat>& extra = {});

// Writes `pages` to `target` as described above (needs a QGuiApplication). Pages saved one file
// each replace an earlier set under the same name whole: its pages numbered on from the new set's
// last (LeftoverPagesOfEarlierSet) go once the new pages have taken their places, and stay when
// any file of the set cannot be written; a link at a numbered name is replaced itself, never
// written through. At most one file is open at a time, however many pages the set has. Returns the
// names written, and the earlier pages removed in `removedPages` (when given); empty, with
// `error` set to one sentence naming the file once ("cannot write dir/rel.pdf: No space left on
// device"), when the suffix is unknown, the set has no page, any file cannot be written or an
// earlier page cannot be removed. When a file could not be written or removed, `failure` (when
// given) receives why, for a caller that words it in its own language; it stays as it was for
// the other failures.
std::vector<std::string> SavePages(const PageSet& pages, const std::string& target,
                                   std::string* error, const std::vector<SaveFormat>& extra = {},
                                   FileFailure* failure = nullptr,
                                   std::vector<std::string>* removedPages = nullptr);

// The whole set as the bytes of one file of `suffix` ("pdf", "svg" or a caller's format), for a
// stream rather than a file: an SVG holds every page, one under the other. False with `error` set
// to the reason alone (no file is named) when the suffix has no one-file form or the pages cannot
// be drawn. Needs a QGuiApplication.
bool PagesAsOneFile(const PageSet& set, const std::string& suffix, std::string* bytes,
                    std::string* error, const std::vector<SaveFormat>& extra = {});

// Reads page files into a set; false with `error` set when one cannot be read.
bool ReadPageFiles(const std::vector<std::string>& files, PageSet* pages, std::string* error);

}  // namespace vm
