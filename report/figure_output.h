#pragma once
// What the analyses' terminal tables and JSON share: figures with their reasons as JSON members,
// numbers without padding, row lists, and tables whose columns line up in UTF-8 text.

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "report/sightline_analysis.h"

namespace vm {

using OrderedJson = nlohmann::ordered_json;

// The number or null.
OrderedJson NullableJson(const std::optional<double>& v);
// KEY: the number or null; KEY_reason: null or why there is no number.
void PutFigure(OrderedJson& j, const std::string& key, const Figure& f);
// The same for a count, written as a whole number.
void PutCount(OrderedJson& j, const std::string& key, const Figure& f);
// KEY: the row numbers or null; KEY_reason: null or why there are none.
void PutRows(OrderedJson& j, const std::string& key, const std::optional<std::vector<int>>& rows,
             const std::string& reason);
// Null for an empty reason, else the reason.
OrderedJson ReasonJson(const std::string& reason);

// Characters of UTF-8 text, for lining up columns.
int TextWidth(const std::string& text);
std::string PadLeft(const std::string& text, int width);   // blanks before
std::string PadRight(const std::string& text, int width);  // blanks after

// The number with `decimals` decimals and no padding; "-" for a figure without a value.
std::string Num(double value, int decimals);
std::string Num(const Figure& f, int decimals);
// The number and its unit, or "- (reason)".
std::string WithReason(const Figure& f, int decimals, const std::string& unit);
// The rows as RowList writes them, or "- (reason)".
std::string RowList(const std::optional<std::vector<int>>& rows, const std::string& reason);

// " label   value" lines, the values lined up after the longest label.
std::string LabelledLines(const std::vector<std::pair<std::string, std::string>>& lines);

// A table whose columns are as wide as their headings or widest cell, aligned by `align`, one
// letter a column: 'L' left, 'R' right. Lines carry no trailing blanks.
class TextTable {
public:
    TextTable(std::vector<std::string> headings, std::string align)
        : m_rows{std::move(headings)}, m_align(std::move(align)) {}
    void Add(std::vector<std::string> cells) { m_rows.push_back(std::move(cells)); }
    std::string Text() const;

private:
    std::vector<std::vector<std::string>> m_rows;
    std::string m_align;
};

}  // namespace vm
