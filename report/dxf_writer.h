#pragma once
// An AutoCAD 2000 (AC1015) ASCII DXF file: group codes and values one per line, lines ended by
// CR LF. Every table entry, block, entity and object carries its own handle and its owner's, with
// the subclass markers that readers of R13 and later files expect, so that $INSUNITS (the drawing
// unit) is a variable the file's version has.
//
// DxfWriter collects the model space's entities; DxfDocument wraps them with the header, the
// classes, the tables (the layers given, the "Continuous" line type, the "Standard" text style, the
// block records of *Model_Space, *Paper_Space and each block), the blocks, and the objects (the
// root dictionary with ACAD_GROUP and ACAD_LAYOUT, the layouts "Model" and "Layout1").
//
// Plain C++.

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vm {

class DxfWriter {
public:
    // Entities written through this writer belong to the block record `owner`; handles are
    // numbered from `firstHandle` on.
    DxfWriter(unsigned owner, unsigned firstHandle) : m_owner(owner), m_next(firstHandle) {}

    void Code(int code, std::string_view value);
    void Int(int code, int value) { Code(code, std::to_string(value)); }
    // A fixed-point number with six decimals, whatever the locale; 0 for a value that is not
    // finite.
    void Real(int code, double value);
    void Handle(int code, unsigned handle);
    // A point (code, code + 10, code + 20 with z 0); points at codes 10 and 11 widen the extents.
    void Point(int code, double x, double y);
    // What the drawing covers grows to hold (x, y).
    void Reach(double x, double y);
    // The corners of what the points written so far cover; (0, 0) for none.
    std::pair<double, double> Min() const;
    std::pair<double, double> Max() const;

    // An entity's common part: its kind, handle, owner, layer, colour (-1: the layer's) and the
    // subclass marker of its kind (LINE, CIRCLE, POINT, TEXT or INSERT).
    void Entity(const char* kind, const char* layer, int colour = -1);
    void Line(const char* layer, double x1, double y1, double x2, double y2, int colour = -1);
    void Rectangle(const char* layer, double x1, double y1, double x2, double y2, int colour = -1);
    void Circle(const char* layer, double x, double y, double radius);
    // A text whose left end of the base line is at (x, y); Windows-1252 bytes ("%%d" a degree
    // sign), in the "Standard" style. Its extent is taken as wide as Arial's widest capitals make
    // it.
    void Text(const char* layer, double x, double y, double height, std::string_view text,
              int colour = -1);

    unsigned NewHandle() { return m_next++; }
    // The block record that owns the entities written from now on.
    void SetOwner(unsigned owner) { m_owner = owner; }
    unsigned NextHandle() const { return m_next; }
    // The bytes written so far; the writer starts again empty.
    std::string Take() {
        std::string out;
        out.swap(m_out);
        return out;
    }

private:
    std::string m_out;
    unsigned m_owner;
    unsigned m_next;
    std::pair<double, double> m_min{1e300, 1e300};
    std::pair<double, double> m_max{-1e300, -1e300};
};

// Handles below this one belong to the file's fixed structure; a model space's writer starts here.
inline constexpr unsigned kDxfFirstFreeHandle = 0x40;
// The block record that owns the model space's entities.
inline constexpr unsigned kDxfModelSpaceRecord = 0x1A;

struct DxfLayer {
    const char* name;
    int colour;  // AutoCAD colour index
};

// A block: its name and what draws it, with its base point at (0, 0).
struct DxfBlock {
    const char* name;
    std::function<void(DxfWriter&)> draw;
};

// The whole file around `model`'s entities (a writer made with kDxfModelSpaceRecord and
// kDxfFirstFreeHandle). $INSUNITS 6 (metres), $MEASUREMENT 1 (metric), $DWGCODEPAGE ANSI_1252,
// and the extents of everything the model space and the blocks' inserts reach.
std::string DxfDocument(DxfWriter& model, const std::vector<DxfLayer>& layers,
                        const std::vector<DxfBlock>& blocks);

}  // namespace vm
