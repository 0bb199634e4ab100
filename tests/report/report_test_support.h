#pragma once
// Helpers of the report and analysis tests: projects with or without the calculation run, expected
// primitives written in UTF-8, and a comparison that names the first primitive that differs.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dados_projeto.h"
#include "pagefile/canvas.h"
#include "pagefile/recording_canvas.h"

namespace vm::test {

inline constexpr Color kBlue{0, 0, 255};
inline constexpr Color kRed{255, 0, 0};
inline constexpr Color kGreen{0, 255, 0};
inline constexpr Color kGrey{128, 128, 128};

// The start-up project changed by `edit`; the calculation has not run on it.
DadosProjeto StartupProject(const std::function<void(DadosProjeto&)>& edit = {});
// The start-up project dated 5 March 2026, changed by `edit`, after the calculation.
DadosProjeto Project(const std::function<void(DadosProjeto&)>& edit = {});

// Expected primitives; texts in UTF-8, fonts "Arial".
Primitive Text(double row, double col, double size, std::string_view utf8, Color colour = kBlack,
               bool bold = false, std::string_view alignment = {});
Primitive Box(double row, double col, double toRow, double toCol, double size,
              std::string_view utf8, Color colour = kBlack, bool bold = false,
              std::string_view alignment = {});
Primitive Line(double row, double col, double toRow, double toCol, double width, Color colour);
Primitive Rect(double row, double col, double toRow, double toCol, double width, Color colour);
Primitive Image(std::string_view name, double row, double col, double height, double width);

// Compares `expected` with actual[from ...] one by one (positions within 1e-9 mm) and fails at the
// first difference with both descriptions; also fails when `actual` holds fewer primitives.
void ExpectPrimitives(const std::vector<Primitive>& actual, size_t from,
                      const std::vector<Primitive>& expected);

// Whether two primitives agree (positions within 1e-9 mm).
bool SamePrimitive(const Primitive& a, const Primitive& b);

// A recorded text in UTF-8.
std::string Utf8(const Primitive& primitive);

// Primitives of one kind on a page, in drawing order.
std::vector<Primitive> OfKind(const RecordedPage& page, PrimitiveKind kind);

// Index of the first Text or TextBox whose UTF-8 text equals `utf8`; -1 when there is none.
int IndexOfText(const RecordedPage& page, std::string_view utf8);

}  // namespace vm::test
