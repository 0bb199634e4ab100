#include "tests/report/report_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/calculo.h"
#include "core/win1252.h"

namespace vm::test {

DadosProjeto Project(const std::function<void(DadosProjeto&)>& edit) {
    DadosProjeto p = ProjetoInicial();
    p.cData = Date{2026, 3, 5};
    if (edit) {
        edit(p);
    }
    Calculo(p);
    return p;
}

namespace {

Primitive TextLike(PrimitiveKind kind, double size, std::string_view utf8, Color colour, bool bold,
                   std::string_view alignment) {
    Primitive p;
    p.kind = kind;
    p.fontName = "Arial";
    p.fontSize = size;
    p.colour = colour;
    p.text = utf8ToWin1252(utf8);
    p.bold = bold;
    p.alignmentWord = std::string(alignment);
    p.alignment = ParseAlignment(alignment);
    return p;
}

bool Near(double a, double b) {
    return std::abs(a - b) <= 1e-9;
}

}  // namespace

Primitive Text(double row, double col, double size, std::string_view utf8, Color colour, bool bold,
               std::string_view alignment) {
    Primitive p = TextLike(PrimitiveKind::Text, size, utf8, colour, bold, alignment);
    p.row = row;
    p.col = col;
    return p;
}

Primitive Box(double row, double col, double toRow, double toCol, double size,
              std::string_view utf8, Color colour, bool bold, std::string_view alignment) {
    Primitive p = TextLike(PrimitiveKind::TextBox, size, utf8, colour, bold, alignment);
    p.row = row;
    p.col = col;
    p.toRow = toRow;
    p.toCol = toCol;
    return p;
}

Primitive Line(double row, double col, double toRow, double toCol, double width, Color colour) {
    Primitive p;
    p.kind = PrimitiveKind::Line;
    p.row = row;
    p.col = col;
    p.toRow = toRow;
    p.toCol = toCol;
    p.width = width;
    p.colour = colour;
    return p;
}

Primitive Rect(double row, double col, double toRow, double toCol, double width, Color colour) {
    Primitive p = Line(row, col, toRow, toCol, width, colour);
    p.kind = PrimitiveKind::Rectangle;
    return p;
}

Primitive Image(std::string_view name, double row, double col, double height, double width) {
    Primitive p;
    p.kind = PrimitiveKind::Image;
    p.imageName = std::string(name);
    p.row = row;
    p.col = col;
    p.height = height;
    p.width = width;
    return p;
}

bool SamePrimitive(const Primitive& a, const Primitive& b) {
    if (a.kind != b.kind || !Near(a.row, b.row) || !Near(a.col, b.col)) {
        return false;
    }
    switch (a.kind) {
        case PrimitiveKind::Text:
        case PrimitiveKind::TextBox:
            return (a.kind == PrimitiveKind::Text ||
                    (Near(a.toRow, b.toRow) && Near(a.toCol, b.toCol))) &&
                   a.fontName == b.fontName && a.fontSize == b.fontSize && a.colour == b.colour &&
                   a.text == b.text && a.bold == b.bold && !a.italic && !a.underline &&
                   !a.strikeOut && a.alignment == b.alignment;
        case PrimitiveKind::Line:
        case PrimitiveKind::Rectangle:
            return Near(a.toRow, b.toRow) && Near(a.toCol, b.toCol) && a.width.has_value() &&
                   b.width.has_value() && Near(*a.width, *b.width) && a.colour == b.colour;
        case PrimitiveKind::Image:
            return a.imageName == b.imageName && Near(a.height, b.height) && a.width.has_value() &&
                   b.width.has_value() && Near(*a.width, *b.width);
    }
    return false;
}

void ExpectPrimitives(const std::vector<Primitive>& actual, size_t from,
                      const std::vector<Primitive>& expected) {
    for (size_t i = 0; i < expected.size(); ++i) {
        if (from + i >= actual.size()) {
            ADD_FAILURE() << "primitive " << from + i << " missing; expected "
                          << expected[i].Describe();
            return;
        }
        const Primitive& a = actual[from + i];
        if (!SamePrimitive(a, expected[i])) {
            ADD_FAILURE() << "primitive " << from + i << "\n  actual:   " << a.Describe()
                          << "\n  expected: " << expected[i].Describe();
            return;
        }
    }
}

std::string Utf8(const Primitive& primitive) {
    return win1252ToUtf8(primitive.text);
}

std::vector<Primitive> OfKind(const RecordedPage& page, PrimitiveKind kind) {
    std::vector<Primitive> out;
    for (const Primitive& p : page.primitives) {
        if (p.kind == kind) {
            out.push_back(p);
        }
    }
    return out;
}

int IndexOfText(const RecordedPage& page, std::string_view utf8) {
    const std::string wanted = utf8ToWin1252(utf8);
    for (size_t i = 0; i < page.primitives.size(); ++i) {
        const Primitive& p = page.primitives[i];
        if ((p.kind == PrimitiveKind::Text || p.kind == PrimitiveKind::TextBox) &&
            p.text == wanted) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace vm::test
