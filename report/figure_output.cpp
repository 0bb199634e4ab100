#include "report/figure_output.h"

#include <algorithm>
#include <cstdint>

#include "core/text.h"

namespace vm {

OrderedJson NullableJson(const std::optional<double>& v) {
    return v ? OrderedJson(*v) : OrderedJson(nullptr);
}

OrderedJson ReasonJson(const std::string& reason) {
    return reason.empty() ? OrderedJson(nullptr) : OrderedJson(reason);
}

void PutFigure(OrderedJson& j, const std::string& key, const Figure& f) {
    j[key] = NullableJson(f.value);
    j[key + "_reason"] = ReasonJson(f.reason);
}

void PutCount(OrderedJson& j, const std::string& key, const Figure& f) {
    j[key] = f.value ? OrderedJson(static_cast<std::int64_t>(*f.value)) : OrderedJson(nullptr);
    j[key + "_reason"] = ReasonJson(f.reason);
}

void PutRows(OrderedJson& j, const std::string& key, const std::optional<std::vector<int>>& rows,
             const std::string& reason) {
    j[key] = rows ? OrderedJson(*rows) : OrderedJson(nullptr);
    j[key + "_reason"] = ReasonJson(reason);
}

int TextWidth(const std::string& text) {
    return static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string PadLeft(const std::string& text, int width) {
    return std::string(std::max(0, width - TextWidth(text)), ' ') + text;
}

std::string PadRight(const std::string& text, int width) {
    return text + std::string(std::max(0, width - TextWidth(text)), ' ');
}

std::string Num(double value, int decimals) {
    return AllTrim(Str(value, 40, decimals));
}

std::string Num(const Figure& f, int decimals) {
    return f.value ? Num(*f.value, decimals) : "-";
}

std::string WithReason(const Figure& f, int decimals, const std::string& unit) {
    return f.value ? Num(*f.value, decimals) + " " + unit : "- (" + f.reason + ")";
}

std::string RowList(const std::optional<std::vector<int>>& rows, const std::string& reason) {
    return rows ? RowList(*rows) : "- (" + reason + ")";
}

std::string LabelledLines(const std::vector<std::pair<std::string, std::string>>& lines) {
    int width = 0;
    for (const auto& [label, value] : lines) {
        width = std::max(width, TextWidth(label));
    }
    std::string out;
    for (const auto& [label, value] : lines) {
        out += " " + PadRight(label, width) + "  " + value + "\n";
    }
    return out;
}

std::string TextTable::Text() const {
    std::vector<int> widths(m_rows.front().size(), 0);
    for (const auto& row : m_rows) {
        for (size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], TextWidth(row[c]));
        }
    }
    std::string out;
    for (const auto& row : m_rows) {
        std::string line;
        for (size_t c = 0; c < row.size(); ++c) {
            const bool left = c < m_align.size() && m_align[c] == 'L';
            line += (c == 0 ? " " : "  ") +
                    (left ? PadRight(row[c], widths[c]) : PadLeft(row[c], widths[c]));
        }
        out += line.substr(0, line.find_last_not_of(' ') + 1) + "\n";
    }
    return out;
}

}  // namespace vm
