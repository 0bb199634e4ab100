#include "pagefile/emf_playback.h"

#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>
#include <variant>

#include "pagefile/emf_bitmap.h"
#include "pagefile/emf_format.h"
#include "pagefile/emf_reader.h"

namespace vm {

namespace {

// A device coordinate names a pixel; lines run through the pixels' centres, so a line one pixel
// wide covers exactly the pixels named by its coordinates.
const QPointF kPixelCentre(0.5, 0.5);

QColor ToColor(uint32_t colorRef) {
    return QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                  static_cast<int>((colorRef >> 16) & 0xFF));
}

QRectF ToRectF(const emf::Rect& r) {
    return QRectF(QPointF(r.left, r.top), QPointF(r.right, r.bottom)).normalized();
}

QString ToQString(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QFont MakeFont(const emf::CreateFont& f) {
    QFont font(ToQString(f.face));
    if (f.face.empty()) {
        font.setFamily(QStringLiteral("Arial"));
    }
    constexpr int kMaxPixels = 20000;  // far beyond any page; keeps damaged files cheap
    int pixels = f.height == INT32_MIN ? kMaxPixels : std::abs(f.height);
    pixels = std::clamp(pixels, 1, kMaxPixels);
    font.setPixelSize(pixels);
    if (f.height > 0) {
        // A positive height is the cell height: find the em height that gives that cell.
        const QFontMetricsF m(font);
        const double cell = m.ascent() + m.descent();
        if (cell > 0) {
            font.setPixelSize(
                std::clamp(static_cast<int>(std::lround(pixels * pixels / cell)), 1, kMaxPixels));
        }
    }
    const int weight = f.weight <= 0 ? 400 : std::clamp(f.weight, 100, 900);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// What the records set and later drawing records use; saved and restored as a whole.
struct DeviceContext {
    QPen pen = QPen(Qt::black, 0);
    QBrush brush = QBrush(Qt::white);
    const PlayedFont* font = nullptr;  // nullptr: the default font
    QColor textColor = Qt::black;
    QColor bkColor = Qt::white;
    uint32_t bkMode = emf::kOpaque;
    uint32_t textAlign = 0;
    QPointF position;
    // In the page's units; none: the whole page. Kept here only while the painter's clip is set
    // where a drawing needs it (see ManyPictures); else it is the painter's own.
    std::optional<QRectF> clip;
};

// The playback of one document onto one painter.
class Playback {
public:
    Playback(QPainter& painter, const emf::Document& document, PlaybackCache& cache,
             PlaybackDevice device)
        : m_painter(painter),
          m_document(document),
          m_cache(cache),
          m_device(device),
          m_clipOnlyWhereNeeded(device.vectorOutput && ManyPictures(document)) {}

    void PlayAll() {
        if (m_clipOnlyWhereNeeded) {
            m_painter.save();
        }
        const std::vector<emf::Command>& commands = m_document.commands;
        for (size_t i = 0; i < commands.size(); ++i) {
            std::visit([&](const auto& record) { On(i, record); }, commands[i]);
        }
        if (m_clipOnlyWhereNeeded) {
            if (m_appliedClip) {
                m_painter.restore();
            }
            m_painter.restore();
        } else {
            for (size_t n = 0; n < m_saved.size(); ++n) {
                m_painter.restore();
            }
        }
        m_saved.clear();
    }

private:
    // The objects that creation records put into the object table, by the record that made them.
    enum class Kind { None, Pen, Brush, Font };
    struct Object {
        Kind kind = Kind::None;
        size_t command = 0;
    };

    // One handler per record type; `index` is the record's place among the document's commands.
    // Map mode and stretch mode change nothing: page files use MM_TEXT, and images are always
    // smoothed.
    void On(size_t, const emf::SetMapMode&) {}
    void On(size_t, const emf::SetStretchMode&) {}
    void On(size_t, const emf::SetBkMode& r) { m_dc.bkMode = r.mode; }
    void On(size_t, const emf::SetTextAlign& r) { m_dc.textAlign = r.align; }
    void On(size_t, const emf::SetTextColor& r) { m_dc.textColor = ToColor(r.color); }
    void On(size_t, const emf::SetBkColor& r) { m_dc.bkColor = ToColor(r.color); }
    void On(size_t, const emf::MoveTo& r) { m_dc.position = QPointF(r.point.x, r.point.y); }
    void On(size_t, const emf::LineTo& r);
    void On(size_t, const emf::DrawRectangle& r);
    void On(size_t, const emf::IntersectClip& r) {
        const QRectF clip = ToRectF(r.clip);
        if (m_clipOnlyWhereNeeded) {
            m_dc.clip = m_dc.clip ? m_dc.clip->intersected(clip) : clip;
        } else {
            m_painter.setClipRect(clip, Qt::IntersectClip);
        }
    }
    void On(size_t, const emf::SaveDc&);
    void On(size_t, const emf::RestoreDc& r);
    void On(size_t, const emf::SelectObject& r);
    void On(size_t, const emf::DeleteObject& r) { m_objects.erase(r.index); }
    void On(size_t index, const emf::CreatePen& r) { m_objects[r.index] = {Kind::Pen, index}; }
    void On(size_t index, const emf::CreateBrush& r) { m_objects[r.index] = {Kind::Brush, index}; }
    void On(size_t index, const emf::CreateFont& r) { m_objects[r.index] = {Kind::Font, index}; }
    void On(size_t, const emf::TextOut& r);
    void On(size_t index, const emf::StretchBits& r);

    static bool ManyPictures(const emf::Document& document);
    void ClipFor(const std::optional<QRectF>& bounds);
    QPen PenFor(const emf::CreatePen& p) const;
    void SelectStock(uint32_t index);
    const PlayedFont* FontFor(size_t command);
    const PlayedFont& TextFont();
    const QImage& BitmapFor(size_t command, const emf::StretchBits& b);

    QPainter& m_painter;
    const emf::Document& m_document;
    PlaybackCache& m_cache;
    const PlaybackDevice m_device;
    const bool m_clipOnlyWhereNeeded;
    DeviceContext m_dc;
    // The saved contexts; each with a saved painter state unless m_clipOnlyWhereNeeded.
    std::vector<DeviceContext> m_saved;
    // With m_clipOnlyWhereNeeded: the clip set on the painter (inside one painter state of its
    // own), or none.
    std::optional<QRectF> m_appliedClip;
    std::unordered_map<uint32_t, Object> m_objects;
};

// On a device without pixels (PDF, SVG) every clip is a graphics state of its own, opened and
// closed with the whole pen, brush and clip path: a plan of thousands of seats, each picture
// clipped to its rectangle, would carry thousands of them. On such a page a drawing that lies
// inside its clip is drawn without it, and saved contexts are the player's alone. Pages of fewer
// pictures are played record by record onto the painter (every saved context a painter state,
// every clip set as it comes), and their PDF and SVG stay as they always were; so does every page
// on a device of pixels, where no pixel of a smoothed edge may leave the clip.
bool Playback::ManyPictures(const emf::Document& document) {
    constexpr size_t kManyPictures = 1000;
    size_t pictures = 0;
    for (const emf::Command& command : document.commands) {
        pictures += std::holds_alternative<emf::StretchBits>(command) ? 1 : 0;
    }
    return pictures > kManyPictures;
}

// Sets the device context's clip on the painter before a drawing that covers `bounds` (none: not
// known), or leaves it off where the drawing does not need it (see ManyPictures).
void Playback::ClipFor(const std::optional<QRectF>& bounds) {
    if (!m_clipOnlyWhereNeeded) {
        return;  // the painter holds the clip already
    }
    const bool inside = bounds.has_value();
    if (!m_dc.clip || (inside && m_dc.clip->contains(*bounds))) {
        if (m_appliedClip && !(inside && m_appliedClip->contains(*bounds))) {
            m_painter.restore();
            m_appliedClip.reset();
        }
        return;
    }
    if (m_appliedClip == m_dc.clip) {
        return;
    }
    if (m_appliedClip) {
        m_painter.restore();
    }
    m_painter.save();
    m_painter.setClipRect(*m_dc.clip, Qt::IntersectClip);
    m_appliedClip = m_dc.clip;
}

void Playback::On(size_t, const emf::LineTo& r) {
    const QPointF to(r.point.x, r.point.y);
    if (m_dc.pen.style() != Qt::NoPen) {
        const double reach = std::max(1.0, m_dc.pen.widthF());
        ClipFor(QRectF(m_dc.position, to).normalized().adjusted(-reach, -reach, reach, reach));
        m_painter.setPen(m_dc.pen);
        m_painter.drawLine(m_dc.position + kPixelCentre, to + kPixelCentre);
    }
    m_dc.position = to;
}

void Playback::On(size_t, const emf::DrawRectangle& r) {
    // The outline runs through the first and the last pixel inside the box, so the right and
    // bottom edges are left out.
    const QRectF box = ToRectF(r.box);
    const double reach = m_dc.pen.style() == Qt::NoPen ? 0.0 : std::max(1.0, m_dc.pen.widthF());
    ClipFor(box.adjusted(-reach, -reach, reach, reach));
    m_painter.setPen(m_dc.pen);
    m_painter.setBrush(m_dc.brush);
    m_painter.drawRect(
        box.adjusted(kPixelCentre.x(), kPixelCentre.y(), -kPixelCentre.x(), -kPixelCentre.y()));
}

void Playback::On(size_t, const emf::SaveDc&) {
    constexpr size_t kMaxDepth = 1024;
    if (m_saved.size() < kMaxDepth) {
        m_saved.push_back(m_dc);
        if (!m_clipOnlyWhereNeeded) {
            m_painter.save();
        }
    }
}

void Playback::On(size_t, const emf::RestoreDc& r) {
    // Negative: that many levels back; positive: back to that absolute level.
    size_t pops = 0;
    if (r.which < 0) {
        pops = std::min<size_t>(m_saved.size(), size_t(-int64_t{r.which}));
    } else if (r.which > 0 && size_t(r.which) <= m_saved.size()) {
        pops = m_saved.size() - size_t(r.which) + 1;
    }
    for (size_t n = 0; n < pops; ++n) {
        m_dc = m_saved.back();
        m_saved.pop_back();
        if (!m_clipOnlyWhereNeeded) {
            m_painter.restore();
        }
    }
}

void Playback::On(size_t, const emf::SelectObject& r) {
    if ((r.index & emf::kStockFlag) != 0) {
        SelectStock(r.index);
        return;
    }
    auto it = m_objects.find(r.index);
    if (it == m_objects.end()) {
        return;
    }
    const size_t command = it->second.command;
    switch (it->second.kind) {
        case Kind::Pen:
            m_dc.pen = PenFor(std::get<emf::CreatePen>(m_document.commands[command]));
            break;
        case Kind::Brush: {
            const auto& b = std::get<emf::CreateBrush>(m_document.commands[command]);
            m_dc.brush = b.style == emf::kBsNull ? QBrush(Qt::NoBrush) : QBrush(ToColor(b.color));
            break;
        }
        case Kind::Font:
            m_dc.font = FontFor(command);
            break;
        case Kind::None:
            break;
    }
}

void Playback::On(size_t, const emf::TextOut& t) {
    if (t.text.empty()) {
        return;
    }
    const PlayedFont& f = TextFont();
    const QString text = ToQString(t.text);
    double width = 0;
    bool haveDx = !t.dx.empty();
    if (haveDx) {
        for (int32_t d : t.dx) {
            width += d;
        }
    }
    const double natural = f.metrics.horizontalAdvance(text);
    if (!haveDx) {
        width = natural;
    }
    double x = t.reference.x;
    if ((m_dc.textAlign & emf::kTaCenter) == emf::kTaCenter) {
        x -= width / 2;
    } else if ((m_dc.textAlign & emf::kTaRight) != 0) {
        x -= width;
    }
    double baseline = t.reference.y;
    if ((m_dc.textAlign & emf::kTaBaseline) == emf::kTaBaseline) {
        // on the baseline already
    } else if ((m_dc.textAlign & emf::kTaBottom) != 0) {
        baseline -= f.metrics.descent();
    } else {
        baseline += f.metrics.ascent();
    }
    const QRectF rect = ToRectF(t.rect);
    ClipFor(std::nullopt);
    if ((t.options & emf::kEtoOpaque) != 0) {
        m_painter.fillRect(rect, m_dc.bkColor);
    }
    if (m_dc.bkMode == emf::kOpaque) {
        m_painter.fillRect(QRectF(x, baseline - f.metrics.ascent(), width,
                                  f.metrics.ascent() + f.metrics.descent()),
                           m_dc.bkColor);
    }
    const bool clipped = (t.options & emf::kEtoClipped) != 0;
    if (clipped) {
        m_painter.save();
        m_painter.setClipRect(rect, Qt::IntersectClip);
    }
    m_painter.setFont(f.font);
    m_painter.setPen(m_dc.textColor);
    if (haveDx && natural > 0 && std::abs(natural - width) > 0.5 && width > 0) {
        // Keep the text inside the extent the writer measured.
        m_painter.save();
        m_painter.translate(x, baseline);
        m_painter.scale(width / natural, 1.0);
        m_painter.drawText(QPointF(0, 0), text);
        m_painter.restore();
    } else {
        m_painter.drawText(QPointF(x, baseline), text);
    }
    if (clipped) {
        m_painter.restore();
    }
}

void Playback::On(size_t index, const emf::StretchBits& b) {
    if (b.rop != emf::kSrcCopy || b.cxDest == 0 || b.cyDest == 0) {
        return;
    }
    const QImage& image = BitmapFor(index, b);
    if (image.isNull()) {
        return;
    }
    QRectF source(b.xSrc, b.ySrc, b.cxSrc, b.cySrc);
    if (b.compression == emf::kBiRgb && b.height > 0) {
        // Bottom-up bitmaps count the source's y from their lower edge.
        source.moveTop(double(image.height()) - b.ySrc - b.cySrc);
    }
    if (b.cxSrc <= 0 || b.cySrc <= 0) {
        source = QRectF(image.rect());
    }
    QRectF dest(b.xDest, b.yDest, b.cxDest, b.cyDest);
    const bool mirrorX = dest.width() < 0;
    const bool mirrorY = dest.height() < 0;
    dest = dest.normalized();
    ClipFor(dest);
    if (mirrorX || mirrorY) {
        m_painter.drawImage(dest, image.copy(source.toAlignedRect()).mirrored(mirrorX, mirrorY));
    } else {
        m_painter.drawImage(dest, image, source);
    }
}

QPen Playback::PenFor(const emf::CreatePen& p) const {
    if ((p.style & emf::kPsStyleMask) == emf::kPsNull) {
        return QPen(Qt::NoPen);
    }
    // On a device of pixels, pens thinner than a pixel are drawn one pixel wide, as GDI draws
    // them; without pixels every pen keeps its own width in the page's units.
    const double width = std::max(0, p.width);
    QPen pen(ToColor(p.color),
             !m_device.vectorOutput && width * m_device.unitPixels < 1.0 ? 0.0 : width);
    pen.setCosmetic(false);
    switch (p.style & emf::kPsEndcapMask) {
        case emf::kPsEndcapFlat:
            pen.setCapStyle(Qt::FlatCap);
            break;
        case emf::kPsEndcapSquare:
            pen.setCapStyle(Qt::SquareCap);
            break;
        default:
            pen.setCapStyle(Qt::RoundCap);
            break;
    }
    switch (p.style & emf::kPsJoinMask) {
        case emf::kPsJoinMiter:
            pen.setJoinStyle(Qt::MiterJoin);
            break;
        case emf::kPsJoinBevel:
            pen.setJoinStyle(Qt::BevelJoin);
            break;
        default:
            pen.setJoinStyle(Qt::RoundJoin);
            break;
    }
    return pen;
}

void Playback::SelectStock(uint32_t index) {
    switch (index) {
        case emf::kWhiteBrush:
            m_dc.brush = QBrush(Qt::white);
            break;
        case emf::kLtGrayBrush:
            m_dc.brush = QBrush(QColor(0xC0, 0xC0, 0xC0));
            break;
        case emf::kGrayBrush:
            m_dc.brush = QBrush(QColor(0x80, 0x80, 0x80));
            break;
        case emf::kDkGrayBrush:
            m_dc.brush = QBrush(QColor(0x40, 0x40, 0x40));
            break;
        case emf::kBlackBrush:
            m_dc.brush = QBrush(Qt::black);
            break;
        case emf::kNullBrush:
            m_dc.brush = QBrush(Qt::NoBrush);
            break;
        case emf::kWhitePen:
            m_dc.pen = QPen(Qt::white, 0);
            break;
        case emf::kBlackPen:
            m_dc.pen = QPen(Qt::black, 0);
            break;
        case emf::kNullPen:
            m_dc.pen = QPen(Qt::NoPen);
            break;
        default:
            if (index >= 0x8000000A && index <= 0x80000011) {
                m_dc.font = nullptr;  // stock fonts: drawn with the default font
            }
            break;
    }
}

const PlayedFont* Playback::FontFor(size_t command) {
    auto it = m_cache.fonts.find(command);
    if (it == m_cache.fonts.end()) {
        const QFont font = MakeFont(std::get<emf::CreateFont>(m_document.commands[command]));
        it = m_cache.fonts.emplace(command, PlayedFont{font, QFontMetricsF(font)}).first;
    }
    return &it->second;
}

const PlayedFont& Playback::TextFont() {
    if (m_dc.font != nullptr) {
        return *m_dc.font;
    }
    if (!m_cache.defaultFont) {
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(12);
        m_cache.defaultFont.emplace(PlayedFont{font, QFontMetricsF(font)});
    }
    return *m_cache.defaultFont;
}

const QImage& Playback::BitmapFor(size_t command, const emf::StretchBits& b) {
    DecodedBitmap& decoded = m_cache.bitmaps[command];
    if (!decoded.decoded) {
        // A page shows the same picture many times (a seat per place): decode each distinct
        // bitmap once.
        const std::string_view content(
            reinterpret_cast<const char*>(m_document.bytes.data() + b.bitsOffset), b.bitsSize);
        auto key =
            std::make_tuple(b.compression, b.width, b.height, b.bitCount, b.palette, content);
        auto same = m_cache.byContent.find(key);
        if (same != m_cache.byContent.end()) {
            decoded.image = same->second;
        } else {
            decoded.image = emf::DecodeBitmap(m_document, b);
            m_cache.byContent.emplace(std::move(key), decoded.image);
        }
        decoded.decoded = true;
    }
    return decoded.image;
}

}  // namespace

void PlayRecords(QPainter& painter, const emf::Document& document, PlaybackCache& cache,
                 PlaybackDevice device) {
    Playback(painter, document, cache, device).PlayAll();
}

}  // namespace vm
