#include "preview/page_set_question.h"

#include "ui/replace_question.h"

namespace vm {

std::vector<std::string> FilesOfPageSet(const std::string& target, size_t pageCount,
                                        const std::vector<SaveFormat>& extra) {
    const std::string suffix = SuffixOf(target);
    if (suffix == "pdf" || FindSaveFormat(suffix, extra) != nullptr || !IsPageFormat(suffix)) {
        return {target};
    }
    std::vector<std::string> files;
    for (size_t n = 1; n <= pageCount; ++n) {
        files.push_back(NumberedPageFileName(target, static_cast<int>(n)));
    }
    return files;
}

bool MaySavePageSet(const std::string& target, size_t pageCount,
                    const std::vector<SaveFormat>& extra, const std::string& title) {
    return MayReplaceFiles(FilesOfPageSet(target, pageCount, extra),
                           LeftoverPagesOfEarlierSet(target, pageCount, extra), title);
}

}  // namespace vm
