#include "update/shown_text.h"

#include <algorithm>

namespace vm {

std::string Abbreviated(const std::string& text, std::size_t maxChars, std::size_t maxLines) {
    std::size_t end = std::min(text.size(), maxChars);
    std::size_t lines = 1;
    for (std::size_t i = 0; i < end; ++i) {
        if (text[i] == '\n' && ++lines > maxLines) {
            end = i;
            break;
        }
    }
    if (end == text.size())
        return text;
    std::string shown = text.substr(0, end);
    while (!shown.empty() && (shown.back() == '\r' || shown.back() == '\n'))
        shown.pop_back();
    return shown + '\x85';
}

}  // namespace vm
