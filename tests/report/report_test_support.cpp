#include "tests/report/report_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/calculo.h"
#include "core/win1252.h"

namespace vm::test {

DadosProjeto StartupProject(const std::function<void(DadosProjeto&)>& edit) {
    DadosProjeto p = ProjetoInicial();
    if (edit) {
        edit(p);
    }
    return p;
}

DadosProjeto Project(const std::function<void(DadosProjeto&)>& edit) {
    DadosProjeto p = StartupProject([&](DadosProjeto& d) {
        d.cData = Date{2026, 3, 5};
        if (edit) {
            edit(d);
        }
    });
    Calculo(p);
    return p;
}

namespace {

// An expected text's style: Arial, black unless given, neither italic nor underlined nor struck.
TextStyle ExpectedStyle(double size, Color colour, bool bold, std::string_view alignment) {
    TextStyle style;
    style.size = size;
    style.colour = colour;
    style.bold = bold;
    style.alignment = std::string(alignment);
    return style;
}

bool Near(double a, double b) {
    return std::abs(a - b) <= 1e-9;
}

}  // namespace

Primitive Text(double row, double col, double size, std::string_view utf8, Color colour, bool bold,
               std::string_view alignment) {
    return TextPrimitive(row, col, utf8ToWin1252(utf8),
                         ExpectedStyle(size, colour, bold, alignment));
}

Primitive Box(double row, double col, double toRow, double toCol, double size,
              std::string_view utf8, Color colour, bool bold, std::string_view alignment) {
    return TextBoxPrimitive(row, col, toRow, toCol, utf8ToWin1252(utf8),
                            ExpectedStyle(size, colour, bold, alignment));
}

Primitive Line(double row, double col, double toRow, double toCol, double width, Color colour) {
    return LinePrimitive(row, col, toRow, toCol, width, colour);
}

Primitive Rect(double row, double col, double toRow, double toCol, double width, Color colour) {
    return RectanglePrimitive(row, col, toRow, toCol, width, colour);
}

Primitive Image(std::string_view name, double row, double col, double height, double width) {
    return ImagePrimitive(name, row, col, height, width);
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
