#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "core/whole_file.h"
#include "pagefile/page_set.h"

namespace vm {

namespace {

// The name's last part: what follows the last "/".
size_t NameStart(const std::string& target) {
    const size_t slash = target.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

// Where the suffix's dot is, or npos; a name that starts with its only dot (".emf") has none.
size_t SuffixDot(const std::string& target) {
    const size_t start = NameStart(target);
    const size_t dot = target.rfind('.');
    return dot == std::string::npos || dot <= start ? std::string::npos : dot;
}

}  // namespace

const SaveFormat* FindSaveFormat(const std::string& suffix, const std::vector<SaveFormat>& extra) {
    const auto found = std::find_if(extra.begin(), extra.end(),
                                    [&](const SaveFormat& f) { return f.suffix == suffix; });
    return found == extra.end() ? nullptr : &*found;
}

bool IsPageFormat(const std::string& suffix) {
    return suffix == "pdf" || suffix == "svg" || suffix == "png" || suffix == "emf";
}

std::string PageFileStem(const std::string& target) {
    const size_t start = NameStart(target);
    const size_t dot = SuffixDot(target);
    return target.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
}

std::string SuffixOf(const std::string& target) {
    const size_t dot = SuffixDot(target);
    std::string suffix = dot == std::string::npos ? std::string() : target.substr(dot + 1);
    for (char& c : suffix) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return suffix;
}

bool CanSavePagesAs(const std::string& target, const std::vector<SaveFormat>& extra) {
    const std::string suffix = SuffixOf(target);
    return IsPageFormat(suffix) || FindSaveFormat(suffix, extra) != nullptr;
}

std::string NumberedPageFileName(const std::string& target, int pageNumber) {
    const size_t dot = SuffixDot(target);
    std::string number = std::to_string(pageNumber);
    if (number.size() < 4) {
        number.insert(0, 4 - number.size(), '0');
    }
    if (dot == std::string::npos) {
        return target + "_" + number;
    }
    return target.substr(0, dot) + "_" + number + target.substr(dot);
}

std::vector<std::string> LeftoverPagesOfEarlierSet(const std::string& target, size_t pageCount,
                                                   const std::vector<SaveFormat>& extra) {
    std::vector<std::string> leftovers;
    const std::string suffix = SuffixOf(target);
    if (!IsPageFormat(suffix) || suffix == "pdf" || FindSaveFormat(suffix, extra) != nullptr) {
        return leftovers;
    }
    for (size_t n = pageCount + 1;; ++n) {
        const std::string name = NumberedPageFileName(target, static_cast<int>(n));
        struct stat info {};
        if (::lstat(name.c_str(), &info) != 0) {
            break;  // the earlier set ends at its first missing number
        }
        // A link, a folder or another user's file is not a page this user saved: it stays, and
        // the pages numbered after it are not taken as part of the set either.
        if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
            break;
        }
        leftovers.push_back(name);
    }
    return leftovers;
}

bool ReadPageFiles(const std::vector<std::string>& files, PageSet* pages, std::string* error) {
    for (const std::string& file : files) {
        WholeFileFault fault;
        std::optional<std::vector<uint8_t>> bytes =
            ReadWholeFileBytesIfAny(file, kAnyFileSize, &fault);
        if (!bytes) {
            if (error != nullptr) {
                *error = "cannot read " + file +
                         (fault.error != 0 ? std::string(": ") + std::strerror(fault.error)
                                           : std::string(": not a plain file"));
            }
            return false;
        }
        pages->pages.push_back(std::move(*bytes));
    }
    return true;
}

}  // namespace vm
