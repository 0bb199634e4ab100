#include "report/dxf_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace vm {

namespace {

// The file's fixed structure.
enum Fixed : unsigned {
    kVportTable = 0x1,
    kLtypeTable = 0x2,
    kLayerTable = 0x3,
    kStyleTable = 0x4,
    kViewTable = 0x5,
    kUcsTable = 0x6,
    kAppidTable = 0x7,
    kDimstyleTable = 0x8,
    kBlockRecordTable = 0x9,
    kActiveVport = 0x10,
    kByBlock = 0x11,
    kByLayer = 0x12,
    kContinuous = 0x13,
    kStandardStyle = 0x14,
    kAcadAppid = 0x15,
    kStandardDimstyle = 0x16,
    kModelSpaceRecord = kDxfModelSpaceRecord,
    kPaperSpaceRecord = 0x1B,
    kModelSpaceBlock = 0x1C,
    kModelSpaceEnd = 0x1D,
    kPaperSpaceBlock = 0x1E,
    kPaperSpaceEnd = 0x1F,
    kRootDictionary = 0x20,
    kGroupDictionary = 0x21,
    kLayoutDictionary = 0x22,
    kModelLayout = 0x23,
    kPaperLayout = 0x24,
};
static_assert(kPaperLayout < kDxfFirstFreeHandle);

const char* SubclassOf(std::string_view kind) {
    if (kind == "LINE") {
        return "AcDbLine";
    }
    if (kind == "CIRCLE") {
        return "AcDbCircle";
    }
    if (kind == "POINT") {
        return "AcDbPoint";
    }
    if (kind == "TEXT") {
        return "AcDbText";
    }
    return "AcDbBlockReference";  // INSERT
}

// A reader finds the owner of an object that an owner lists through these reactors.
void Reactor(DxfWriter& dxf, unsigned owner) {
    dxf.Code(102, "{ACAD_REACTORS");
    dxf.Handle(330, owner);
    dxf.Code(102, "}");
}

void Section(DxfWriter& dxf, const char* name) {
    dxf.Code(0, "SECTION");
    dxf.Code(2, name);
}

void EndSection(DxfWriter& dxf) {
    dxf.Code(0, "ENDSEC");
}

void Table(DxfWriter& dxf, const char* type, unsigned handle, int entries) {
    dxf.Code(0, "TABLE");
    dxf.Code(2, type);
    dxf.Handle(5, handle);
    dxf.Handle(330, 0);
    dxf.Code(100, "AcDbSymbolTable");
    dxf.Int(70, entries);
}

// An entry's head: its type, handle, table and subclass markers, name and no flags.
void TableEntry(DxfWriter& dxf, const char* type, unsigned handle, unsigned table,
                const char* subclass, std::string_view name) {
    dxf.Code(0, type);
    dxf.Handle(std::string_view(type) == "DIMSTYLE" ? 105 : 5, handle);
    dxf.Handle(330, table);
    dxf.Code(100, "AcDbSymbolTableRecord");
    dxf.Code(100, subclass);
    dxf.Code(2, name);
    dxf.Int(70, 0);
}

void EndTable(DxfWriter& dxf) {
    dxf.Code(0, "ENDTAB");
}

void Header(DxfWriter& dxf, std::pair<double, double> min, std::pair<double, double> max,
            unsigned handleSeed) {
    Section(dxf, "HEADER");
    dxf.Code(9, "$ACADVER");
    dxf.Code(1, "AC1015");
    dxf.Code(9, "$DWGCODEPAGE");
    dxf.Code(3, "ANSI_1252");
    dxf.Code(9, "$HANDSEED");
    dxf.Handle(5, handleSeed);
    dxf.Code(9, "$INSUNITS");
    dxf.Int(70, 6);
    dxf.Code(9, "$MEASUREMENT");
    dxf.Int(70, 1);
    // Everything drawn, the texts included.
    dxf.Code(9, "$EXTMIN");
    dxf.Point(10, min.first, min.second);
    dxf.Code(9, "$EXTMAX");
    dxf.Point(10, max.first, max.second);
    EndSection(dxf);
}

void Classes(DxfWriter& dxf) {
    Section(dxf, "CLASSES");
    dxf.Code(0, "CLASS");
    dxf.Code(1, "LAYOUT");
    dxf.Code(2, "AcDbLayout");
    dxf.Code(3, "ObjectDBX Classes");
    dxf.Int(90, 0);
    dxf.Int(280, 0);
    dxf.Int(281, 0);
    EndSection(dxf);
}

// The view a reader opens with: the whole drawing with a margin.
void ActiveViewport(DxfWriter& dxf, std::pair<double, double> min, std::pair<double, double> max) {
    TableEntry(dxf, "VPORT", kActiveVport, kVportTable, "AcDbViewportTableRecord", "*Active");
    dxf.Real(10, 0);
    dxf.Real(20, 0);
    dxf.Real(11, 1);
    dxf.Real(21, 1);
    dxf.Real(12, (min.first + max.first) / 2);
    dxf.Real(22, (min.second + max.second) / 2);
    dxf.Real(13, 0);
    dxf.Real(23, 0);
    dxf.Real(14, 1);
    dxf.Real(24, 1);
    dxf.Real(15, 1);
    dxf.Real(25, 1);
    dxf.Real(16, 0);
    dxf.Real(26, 0);
    dxf.Real(36, 1);
    dxf.Real(17, 0);
    dxf.Real(27, 0);
    dxf.Real(37, 0);
    const double width = max.first - min.first;
    const double height = max.second - min.second;
    const double aspect = 1.5;
    dxf.Real(40, 1.1 * std::max({height, width / aspect, 1.0}));
    dxf.Real(41, aspect);
    dxf.Real(42, 50);
    dxf.Real(43, 0);
    dxf.Real(44, 0);
    dxf.Real(50, 0);
    dxf.Real(51, 0);
    dxf.Int(71, 0);
    dxf.Int(72, 100);
    dxf.Int(73, 1);
    dxf.Int(74, 3);
    dxf.Int(75, 0);
    dxf.Int(76, 0);
    dxf.Int(77, 0);
    dxf.Int(78, 0);
}

void LineType(DxfWriter& dxf, unsigned handle, const char* name, const char* description) {
    TableEntry(dxf, "LTYPE", handle, kLtypeTable, "AcDbLinetypeTableRecord", name);
    dxf.Code(3, description);
    dxf.Int(72, 65);
    dxf.Int(73, 0);
    dxf.Real(40, 0);
}

struct Record {
    std::string name;
    unsigned handle;
    unsigned layout;  // 0 for a block that is no layout
};

void Tables(DxfWriter& dxf, std::pair<double, double> min, std::pair<double, double> max,
            const std::vector<DxfLayer>& layers, const std::vector<unsigned>& layerHandles,
            const std::vector<Record>& records) {
    Section(dxf, "TABLES");
    Table(dxf, "VPORT", kVportTable, 1);
    ActiveViewport(dxf, min, max);
    EndTable(dxf);

    Table(dxf, "LTYPE", kLtypeTable, 3);
    LineType(dxf, kByBlock, "ByBlock", "");
    LineType(dxf, kByLayer, "ByLayer", "");
    LineType(dxf, kContinuous, "Continuous", "Solid line");
    EndTable(dxf);

    Table(dxf, "LAYER", kLayerTable, static_cast<int>(layers.size()));
    for (size_t k = 0; k < layers.size(); ++k) {
        TableEntry(dxf, "LAYER", layerHandles[k], kLayerTable, "AcDbLayerTableRecord",
                   layers[k].name);
        dxf.Int(62, layers[k].colour);
        dxf.Code(6, "Continuous");
        dxf.Int(370, -3);
    }
    EndTable(dxf);

    Table(dxf, "STYLE", kStyleTable, 1);
    TableEntry(dxf, "STYLE", kStandardStyle, kStyleTable, "AcDbTextStyleTableRecord", "Standard");
    dxf.Real(40, 0);
    dxf.Real(41, 1);
    dxf.Real(50, 0);
    dxf.Int(71, 0);
    dxf.Real(42, 0.2);
    dxf.Code(3, "arial.ttf");
    dxf.Code(4, "");
    EndTable(dxf);

    Table(dxf, "VIEW", kViewTable, 0);
    EndTable(dxf);
    Table(dxf, "UCS", kUcsTable, 0);
    EndTable(dxf);

    Table(dxf, "APPID", kAppidTable, 1);
    TableEntry(dxf, "APPID", kAcadAppid, kAppidTable, "AcDbRegAppTableRecord", "ACAD");
    EndTable(dxf);

    Table(dxf, "DIMSTYLE", kDimstyleTable, 1);
    dxf.Code(100, "AcDbDimStyleTable");
    TableEntry(dxf, "DIMSTYLE", kStandardDimstyle, kDimstyleTable, "AcDbDimStyleTableRecord",
               "Standard");
    EndTable(dxf);

    Table(dxf, "BLOCK_RECORD", kBlockRecordTable, static_cast<int>(records.size()));
    for (const Record& r : records) {
        TableEntry(dxf, "BLOCK_RECORD", r.handle, kBlockRecordTable, "AcDbBlockTableRecord",
                   r.name);
        dxf.Handle(340, r.layout);
    }
    EndTable(dxf);
    EndSection(dxf);
}

// What a block's begin and its end start with: the kind, its handle, its owner (the block's
// record), its space and layer 0.
void BlockMark(DxfWriter& dxf, const char* kind, unsigned handle, unsigned record,
               bool paperSpace) {
    dxf.Code(0, kind);
    dxf.Handle(5, handle);
    dxf.Handle(330, record);
    dxf.Code(100, "AcDbEntity");
    if (paperSpace) {
        dxf.Int(67, 1);
    }
    dxf.Code(8, "0");
}

// A block's begin, owned by its record; its entities and its end follow.
void Block(DxfWriter& dxf, const std::string& name, unsigned record, unsigned begin,
           bool paperSpace) {
    BlockMark(dxf, "BLOCK", begin, record, paperSpace);
    dxf.Code(100, "AcDbBlockBegin");
    dxf.Code(2, name);
    dxf.Int(70, 0);
    dxf.Real(10, 0);
    dxf.Real(20, 0);
    dxf.Real(30, 0);
    dxf.Code(3, name);
    dxf.Code(1, "");
}

void EndBlock(DxfWriter& dxf, unsigned record, unsigned end, bool paperSpace) {
    BlockMark(dxf, "ENDBLK", end, record, paperSpace);
    dxf.Code(100, "AcDbBlockEnd");
}

void Dictionary(DxfWriter& dxf, unsigned handle, unsigned owner,
                const std::vector<std::pair<const char*, unsigned>>& entries) {
    dxf.Code(0, "DICTIONARY");
    dxf.Handle(5, handle);
    if (owner != 0) {
        Reactor(dxf, owner);
    }
    dxf.Handle(330, owner);
    dxf.Code(100, "AcDbDictionary");
    dxf.Int(281, 1);
    for (const auto& [name, child] : entries) {
        dxf.Code(3, name);
        dxf.Handle(350, child);
    }
}

// A layout with no plot settings of its own: "Model" over the model space, "Layout1" over the
// paper space.
void Layout(DxfWriter& dxf, unsigned handle, const char* name, int flags, int tab,
            unsigned record) {
    dxf.Code(0, "LAYOUT");
    dxf.Handle(5, handle);
    Reactor(dxf, kLayoutDictionary);
    dxf.Handle(330, kLayoutDictionary);
    dxf.Code(100, "AcDbPlotSettings");
    dxf.Code(1, "");
    dxf.Code(2, "none_device");
    dxf.Code(4, "");
    dxf.Code(6, "");
    for (int code = 40; code <= 49; ++code) {
        dxf.Real(code, 0);
    }
    dxf.Real(140, 0);
    dxf.Real(141, 0);
    dxf.Real(142, 1);
    dxf.Real(143, 1);
    dxf.Int(70, 688);
    dxf.Int(72, 1);  // millimetres on paper
    dxf.Int(73, 0);
    dxf.Int(74, 5);
    dxf.Code(7, "");
    dxf.Int(75, 16);
    dxf.Real(147, 1);
    dxf.Real(148, 0);
    dxf.Real(149, 0);
    dxf.Code(100, "AcDbLayout");
    dxf.Code(1, name);
    dxf.Int(70, flags);
    dxf.Int(71, tab);
    dxf.Real(10, 0);
    dxf.Real(20, 0);
    dxf.Real(11, 420);
    dxf.Real(21, 297);
    dxf.Real(12, 0);
    dxf.Real(22, 0);
    dxf.Real(32, 0);
    dxf.Real(14, 0);
    dxf.Real(24, 0);
    dxf.Real(34, 0);
    dxf.Real(15, 0);
    dxf.Real(25, 0);
    dxf.Real(35, 0);
    dxf.Real(146, 0);
    dxf.Real(13, 0);
    dxf.Real(23, 0);
    dxf.Real(33, 0);
    dxf.Real(16, 1);
    dxf.Real(26, 0);
    dxf.Real(36, 0);
    dxf.Real(17, 0);
    dxf.Real(27, 1);
    dxf.Real(37, 0);
    dxf.Int(76, 0);
    dxf.Handle(330, record);
}

void Objects(DxfWriter& dxf) {
    Section(dxf, "OBJECTS");
    Dictionary(dxf, kRootDictionary, 0,
               {{"ACAD_GROUP", kGroupDictionary}, {"ACAD_LAYOUT", kLayoutDictionary}});
    Dictionary(dxf, kGroupDictionary, kRootDictionary, {});
    Dictionary(dxf, kLayoutDictionary, kRootDictionary,
               {{"Layout1", kPaperLayout}, {"Model", kModelLayout}});
    Layout(dxf, kModelLayout, "Model", 1, 0, kModelSpaceRecord);
    Layout(dxf, kPaperLayout, "Layout1", 1, 1, kPaperSpaceRecord);
    EndSection(dxf);
}

}  // namespace

void DxfWriter::Code(int code, std::string_view value) {
    m_out += std::to_string(code);
    m_out += "\r\n";
    m_out += value;
    m_out += "\r\n";
}

void DxfWriter::Real(int code, double value) {
    if (!std::isfinite(value)) {
        value = 0;
    }
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    Code(code, std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
}

void DxfWriter::Handle(int code, unsigned handle) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, handle, 16);
    std::string text(buffer, static_cast<size_t>(result.ptr - buffer));
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'a' && c <= 'f' ? static_cast<char>(c - 32) : c; });
    Code(code, text);
}

void DxfWriter::Point(int code, double x, double y) {
    Real(code, x);
    Real(code + 10, y);
    Real(code + 20, 0);
    if (code == 10 || code == 11) {
        Reach(x, y);
    }
}

void DxfWriter::Reach(double x, double y) {
    if (std::isfinite(x) && std::isfinite(y)) {
        m_min = {std::min(m_min.first, x), std::min(m_min.second, y)};
        m_max = {std::max(m_max.first, x), std::max(m_max.second, y)};
    }
}

std::pair<double, double> DxfWriter::Min() const {
    return m_min.first <= m_max.first ? m_min : std::pair<double, double>{0, 0};
}

std::pair<double, double> DxfWriter::Max() const {
    return m_min.first <= m_max.first ? m_max : std::pair<double, double>{0, 0};
}

void DxfWriter::Entity(const char* kind, const char* layer, int colour) {
    Code(0, kind);
    Handle(5, NewHandle());
    Handle(330, m_owner);
    Code(100, "AcDbEntity");
    Code(8, layer);
    if (colour >= 0) {
        Int(62, colour);
    }
    Code(100, SubclassOf(kind));
}

void DxfWriter::Line(const char* layer, double x1, double y1, double x2, double y2, int colour) {
    Entity("LINE", layer, colour);
    Point(10, x1, y1);
    Point(11, x2, y2);
}

void DxfWriter::Rectangle(const char* layer, double x1, double y1, double x2, double y2,
                          int colour) {
    Line(layer, x1, y1, x2, y1, colour);
    Line(layer, x2, y1, x2, y2, colour);
    Line(layer, x2, y2, x1, y2, colour);
    Line(layer, x1, y2, x1, y1, colour);
}

void DxfWriter::Circle(const char* layer, double x, double y, double radius) {
    Entity("CIRCLE", layer);
    Point(10, x, y);
    Real(40, radius);
    Reach(x - radius, y - radius);
    Reach(x + radius, y + radius);
}

void DxfWriter::Text(const char* layer, double x, double y, double height, std::string_view text,
                     int colour) {
    Entity("TEXT", layer, colour);
    Point(10, x, y);
    Real(40, height);
    // A group value is one line: a line break (or another control character) in a project's
    // name would end it and start groups of its own.
    std::string oneLine(text);
    std::replace_if(
        oneLine.begin(), oneLine.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; },
        ' ');
    Code(1, oneLine);
    Code(7, "Standard");
    // The second part of a text's data (its vertical alignment, none here) has its own marker.
    Code(100, "AcDbText");
    Reach(x + 0.75 * height * static_cast<double>(text.size()), y + height);
    Reach(x, y - 0.25 * height);
}

std::string DxfDocument(DxfWriter& model, const std::vector<DxfLayer>& layers,
                        const std::vector<DxfBlock>& blocks) {
    // Handles after the model's entities: the layers, then each block's record, begin, content
    // and end.
    DxfWriter rest(0, model.NextHandle());
    std::vector<unsigned> layerHandles;
    for (size_t k = 0; k < layers.size(); ++k) {
        layerHandles.push_back(rest.NewHandle());
    }
    std::vector<Record> records = {{"*Model_Space", kModelSpaceRecord, kModelLayout},
                                   {"*Paper_Space", kPaperSpaceRecord, kPaperLayout}};
    Section(rest, "BLOCKS");
    Block(rest, "*Model_Space", kModelSpaceRecord, kModelSpaceBlock, false);
    EndBlock(rest, kModelSpaceRecord, kModelSpaceEnd, false);
    Block(rest, "*Paper_Space", kPaperSpaceRecord, kPaperSpaceBlock, true);
    EndBlock(rest, kPaperSpaceRecord, kPaperSpaceEnd, true);
    for (const DxfBlock& b : blocks) {
        const unsigned record = rest.NewHandle();
        records.push_back({b.name, record, 0});
        Block(rest, b.name, record, rest.NewHandle(), false);
        rest.SetOwner(record);
        b.draw(rest);
        EndBlock(rest, record, rest.NewHandle(), false);
    }
    EndSection(rest);
    Section(rest, "ENTITIES");
    std::string blocksAndEntities = rest.Take() + model.Take();
    EndSection(rest);
    Objects(rest);
    rest.Code(0, "EOF");
    blocksAndEntities += rest.Take();

    DxfWriter head(0, 0);
    Header(head, model.Min(), model.Max(), rest.NextHandle());
    Classes(head);
    Tables(head, model.Min(), model.Max(), layers, layerHandles, records);
    return head.Take() + blocksAndEntities;
}

}  // namespace vm
