#include "pagefile/recording_canvas.h"

#include <sstream>

namespace vm {

namespace {

const char* KindName(PrimitiveKind kind) {
    switch (kind) {
        case PrimitiveKind::Text:
            return "Text";
        case PrimitiveKind::TextBox:
            return "TextBox";
        case PrimitiveKind::Line:
            return "Line";
        case PrimitiveKind::Rectangle:
            return "Rectangle";
        case PrimitiveKind::Image:
            return "Image";
    }
    return "?";
}

}  // namespace

std::string Primitive::Describe() const {
    std::ostringstream out;
    out << KindName(kind) << " (" << row << ", " << col << ")";
    switch (kind) {
        case PrimitiveKind::Text:
        case PrimitiveKind::TextBox:
            if (kind == PrimitiveKind::TextBox) {
                out << "-(" << toRow << ", " << toCol << ")";
            }
            out << " \"" << text << "\" " << fontName << " " << fontSize;
            if (bold) {
                out << " bold";
            }
            if (italic) {
                out << " italic";
            }
            if (underline) {
                out << " underline";
            }
            if (strikeOut) {
                out << " strikeout";
            }
            if (alignment != Alignment::Left) {
                out << (alignment == Alignment::Center ? " CENTER" : " RIGHT");
            }
            break;
        case PrimitiveKind::Line:
        case PrimitiveKind::Rectangle:
            out << "-(" << toRow << ", " << toCol << ") width ";
            if (width) {
                out << *width;
            } else {
                out << "default";
            }
            break;
        case PrimitiveKind::Image:
            out << " \"" << imageName << "\" " << height << " x " << width.value_or(0);
            return out.str();
    }
    out << " rgb(" << colour.red << "," << colour.green << "," << colour.blue << ")";
    return out.str();
}

int RecordedPage::Count(PrimitiveKind kind) const {
    int n = 0;
    for (const Primitive& p : primitives) {
        n += p.kind == kind ? 1 : 0;
    }
    return n;
}

std::vector<const Primitive*> RecordedPage::OfKind(PrimitiveKind kind) const {
    std::vector<const Primitive*> result;
    for (const Primitive& p : primitives) {
        if (p.kind == kind) {
            result.push_back(&p);
        }
    }
    return result;
}

std::vector<std::string> RecordedPage::Texts() const {
    std::vector<std::string> result;
    for (const Primitive& p : primitives) {
        if (p.kind == PrimitiveKind::Text || p.kind == PrimitiveKind::TextBox) {
            result.push_back(p.text);
        }
    }
    return result;
}

const Primitive* RecordedPage::FindText(std::string_view part) const {
    for (const Primitive& p : primitives) {
        if ((p.kind == PrimitiveKind::Text || p.kind == PrimitiveKind::TextBox) &&
            p.text.find(part) != std::string::npos) {
            return &p;
        }
    }
    return nullptr;
}

bool RecordingCanvas::StartPreviewPage(const std::string& fileName) {
    if (m_open) {
        EndPreviewPage();
    }
    RecordedPage page;
    page.fileName = fileName;
    m_pages.push_back(std::move(page));
    m_open = true;
    return true;
}

bool RecordingCanvas::EndPreviewPage() {
    if (!m_open) {
        return false;
    }
    m_pages.back().ended = true;
    m_open = false;
    return true;
}

void RecordingCanvas::Add(Primitive primitive) {
    if (!m_open) {
        ++m_dropped;
        return;
    }
    m_pages.back().primitives.push_back(std::move(primitive));
}

namespace {

// The attributes that text and text boxes share.
Primitive TextLike(PrimitiveKind kind, double row, double col, std::string_view text,
                   const TextStyle& style) {
    Primitive p;
    p.kind = kind;
    p.row = row;
    p.col = col;
    p.fontName = EffectiveFontName(style.fontName);
    p.fontSize = EffectiveFontSize(style.size);
    p.colour = style.colour;
    p.text = std::string(text);
    p.bold = style.bold;
    p.italic = style.italic;
    p.underline = style.underline;
    p.strikeOut = style.strikeOut;
    p.alignmentWord = style.alignment;
    p.alignment = ParseAlignment(style.alignment);
    return p;
}

// A line or a rectangle: two corners, a pen width and a colour.
Primitive Outline(PrimitiveKind kind, double row, double col, double toRow, double toCol,
                  std::optional<double> width, Color colour) {
    Primitive p;
    p.kind = kind;
    p.row = row;
    p.col = col;
    p.toRow = toRow;
    p.toCol = toCol;
    p.width = width;
    p.colour = colour;
    return p;
}

}  // namespace

Primitive TextPrimitive(double row, double col, std::string_view text, const TextStyle& style) {
    return TextLike(PrimitiveKind::Text, row, col, text, style);
}

Primitive TextBoxPrimitive(double row, double col, double toRow, double toCol,
                           std::string_view text, const TextStyle& style) {
    Primitive p = TextLike(PrimitiveKind::TextBox, row, col, text, style);
    p.toRow = toRow;
    p.toCol = toCol;
    return p;
}

Primitive LinePrimitive(double row, double col, double toRow, double toCol,
                        std::optional<double> width, Color colour) {
    return Outline(PrimitiveKind::Line, row, col, toRow, toCol, width, colour);
}

Primitive RectanglePrimitive(double row, double col, double toRow, double toCol,
                             std::optional<double> width, Color colour) {
    return Outline(PrimitiveKind::Rectangle, row, col, toRow, toCol, width, colour);
}

Primitive ImagePrimitive(std::string_view imageName, double row, double col, double height,
                         double width) {
    Primitive p;
    p.kind = PrimitiveKind::Image;
    p.imageName = std::string(imageName);
    p.row = row;
    p.col = col;
    p.height = height;
    p.width = width;
    return p;
}

void RecordingCanvas::PrintText(double row, double col, std::string_view text,
                                const TextStyle& style) {
    Add(TextPrimitive(row, col, text, style));
}

void RecordingCanvas::PrintTextBox(double row, double col, double toRow, double toCol,
                                   std::string_view text, const TextStyle& style) {
    Add(TextBoxPrimitive(row, col, toRow, toCol, text, style));
}

void RecordingCanvas::PrintLine(double row, double col, double toRow, double toCol,
                                std::optional<double> width, Color colour) {
    Add(LinePrimitive(row, col, toRow, toCol, width, colour));
}

void RecordingCanvas::PrintRectangle(double row, double col, double toRow, double toCol,
                                     std::optional<double> width, Color colour) {
    Add(RectanglePrimitive(row, col, toRow, toCol, width, colour));
}

void RecordingCanvas::PrintImage(std::string_view imageName, double row, double col, double height,
                                 double width) {
    Add(ImagePrimitive(imageName, row, col, height, width));
}

const Primitive* RecordingCanvas::FindText(std::string_view part) const {
    for (const RecordedPage& page : m_pages) {
        if (const Primitive* p = page.FindText(part)) {
            return p;
        }
    }
    return nullptr;
}

std::string RecordingCanvas::Dump() const {
    std::ostringstream out;
    for (size_t i = 0; i < m_pages.size(); ++i) {
        out << "page " << i + 1 << " " << m_pages[i].fileName
            << (m_pages[i].ended ? "" : " (not ended)") << "\n";
        for (const Primitive& p : m_pages[i].primitives) {
            out << "  " << p.Describe() << "\n";
        }
    }
    if (m_dropped > 0) {
        out << m_dropped << " call(s) without an open page\n";
    }
    return out.str();
}

}  // namespace vm
