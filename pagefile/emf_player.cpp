#include "pagefile/emf_player.h"

#include <QByteArray>
#include <QFont>
#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <unordered_map>

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

// A font as the player draws it, made once per font record.
struct PlayedFont {
    QFont font;
    QFontMetricsF metrics;
};

// A bitmap decoded once per bitmap record.
struct DecodedBitmap {
    bool decoded = false;
    QImage image;
};

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

QImage DecodeBitmap(const emf::Document& doc, const emf::StretchBits& b) {
    const uint8_t* bits = doc.bytes.data() + b.bitsOffset;
    if (b.compression == emf::kBiJpeg || b.compression == emf::kBiPng) {
        QImage image = QImage::fromData(
            QByteArrayView(reinterpret_cast<const char*>(bits), static_cast<qsizetype>(b.bitsSize)),
            b.compression == emf::kBiJpeg ? "JPEG" : "PNG");
        if (!image.isNull() &&
            static_cast<int64_t>(image.width()) * image.height() > emf::kMaxBitmapPixels) {
            return QImage();
        }
        return image;
    }
    const std::optional<size_t> stride = emf::BitmapStride(b);
    if (!stride) {
        return QImage();
    }
    const int w = b.width;
    const int h = b.height < 0 ? -b.height : b.height;
    const bool bottomUp = b.height > 0;
    QImage image;
    switch (b.bitCount) {
        case 1:
            image = QImage(w, h, QImage::Format_Mono);
            break;
        case 4:
        case 8:
            image = QImage(w, h, QImage::Format_Indexed8);
            break;
        case 24:
            image = QImage(w, h, QImage::Format_BGR888);
            break;
        default:
            image = QImage(w, h, QImage::Format_RGB32);
            break;
    }
    if (image.isNull()) {
        return image;
    }
    if (b.bitCount <= 8) {
        QList<QRgb> table;
        const size_t entries = size_t{1} << std::min<int>(b.bitCount, 8);
        for (size_t i = 0; i < entries; ++i) {
            table.append(i < b.palette.size() ? (0xFF000000u | b.palette[i]) : 0xFF000000u);
        }
        image.setColorTable(table);
    }
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = bits + *stride * static_cast<size_t>(bottomUp ? h - 1 - y : y);
        uchar* dst = image.scanLine(y);
        switch (b.bitCount) {
            case 1:
                std::copy(src, src + (w + 7) / 8, dst);
                break;
            case 4:
                for (int x = 0; x < w; ++x) {
                    dst[x] = (x % 2 == 0) ? (src[x / 2] >> 4) : (src[x / 2] & 0x0F);
                }
                break;
            case 8:
                std::copy(src, src + w, dst);
                break;
            case 24:
                std::copy(src, src + size_t(w) * 3, dst);
                break;
            default:
                for (int x = 0; x < w; ++x) {
                    reinterpret_cast<QRgb*>(dst)[x] =
                        0xFF000000u | src[x * 4] | (src[x * 4 + 1] << 8) | (src[x * 4 + 2] << 16);
                }
                break;
        }
    }
    return image;
}

}  // namespace

struct EmfPlayer::Cache {
    std::unordered_map<size_t, PlayedFont> fonts;       // by command index
    std::unordered_map<size_t, DecodedBitmap> bitmaps;  // by command index
    std::optional<PlayedFont> defaultFont;              // for text without a font selected
    // Decoded bitmaps by their bytes (views into the document, which outlives the cache).
    std::map<
        std::tuple<uint32_t, int32_t, int32_t, uint16_t, std::vector<uint32_t>, std::string_view>,
        QImage>
        byContent;
};

EmfPlayer::EmfPlayer() : m_cache(std::make_unique<Cache>()) {}
EmfPlayer::~EmfPlayer() = default;
EmfPlayer::EmfPlayer(EmfPlayer&&) noexcept = default;
EmfPlayer& EmfPlayer::operator=(EmfPlayer&&) noexcept = default;

bool EmfPlayer::Load(const QString& fileName) {
    std::string error;
    std::optional<emf::Document> doc = emf::ReadEmfFile(fileName.toStdString(), &error);
    m_cache = std::make_unique<Cache>();
    if (!doc) {
        m_document.reset();
        m_error = QString::fromStdString(error);
        return false;
    }
    m_document = std::make_unique<emf::Document>(std::move(*doc));
    m_error.clear();
    return true;
}

bool EmfPlayer::LoadData(std::vector<uint8_t> bytes) {
    std::string error;
    std::optional<emf::Document> doc = emf::ParseEmf(std::move(bytes), &error);
    m_cache = std::make_unique<Cache>();
    if (!doc) {
        m_document.reset();
        m_error = QString::fromStdString(error);
        return false;
    }
    m_document = std::make_unique<emf::Document>(std::move(*doc));
    m_error.clear();
    return true;
}

QSizeF EmfPlayer::FrameSizeMm() const {
    if (!m_document) {
        return QSizeF();
    }
    const emf::Rect& f = m_document->header.frame;
    return QSizeF((double(f.right) - f.left) / 100.0, (double(f.bottom) - f.top) / 100.0);
}

QRectF EmfPlayer::LogicalFrame() const {
    const emf::Header& h = m_document->header;
    // Logical units per millimetre from the reference device, then the frame in logical units.
    if (h.deviceCx > 0 && h.deviceCy > 0 && h.millimetersCx > 0 && h.millimetersCy > 0) {
        const double ux = double(h.deviceCx) / h.millimetersCx;
        const double uy = double(h.deviceCy) / h.millimetersCy;
        const QRectF frame(QPointF(h.frame.left * ux / 100.0, h.frame.top * uy / 100.0),
                           QPointF(h.frame.right * ux / 100.0, h.frame.bottom * uy / 100.0));
        if (frame.width() > 0 && frame.height() > 0) {
            return frame;
        }
    }
    const QRectF bounds(QPointF(h.bounds.left, h.bounds.top),
                        QPointF(double(h.bounds.right) + 1, double(h.bounds.bottom) + 1));
    return bounds;
}

void EmfPlayer::Paint(QPainter& painter, const QRectF& target) const {
    if (!m_document || !target.isValid()) {
        return;
    }
    const QRectF frame = LogicalFrame();
    if (!(frame.width() > 0 && frame.height() > 0 && std::isfinite(frame.width()) &&
          std::isfinite(frame.height()))) {
        return;
    }
    const emf::Document& doc = *m_document;

    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    painter.translate(target.topLeft());
    painter.scale(target.width() / frame.width(), target.height() / frame.height());
    painter.translate(-frame.topLeft());
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);

    // One logical unit in device pixels: on a device of pixels, pens thinner than a pixel are
    // drawn one pixel wide, as GDI draws them. SVG and PDF have no pixels: there every pen keeps
    // its own width in the page's units, so it scales with the picture.
    const QTransform& t = painter.worldTransform();
    const double unitPixels = std::min(std::hypot(t.m11(), t.m12()), std::hypot(t.m21(), t.m22()));
    const QPaintEngine* engine = painter.paintEngine();
    const bool vectorOutput = engine != nullptr && (engine->type() == QPaintEngine::SVG ||
                                                    engine->type() == QPaintEngine::Pdf);

    enum class Kind { None, Pen, Brush, Font };
    struct Object {
        Kind kind = Kind::None;
        size_t command = 0;
    };
    struct State {
        QPen pen = QPen(Qt::black, 0);
        QBrush brush = QBrush(Qt::white);
        const PlayedFont* font = nullptr;
        QColor textColor = Qt::black;
        QColor bkColor = Qt::white;
        uint32_t bkMode = emf::kOpaque;
        uint32_t textAlign = 0;
        QPointF position;
    };
    std::unordered_map<uint32_t, Object> objects;
    std::vector<State> saved;
    State s;

    auto penFor = [&](const emf::CreatePen& p) {
        if ((p.style & emf::kPsStyleMask) == emf::kPsNull) {
            return QPen(Qt::NoPen);
        }
        const double width = std::max(0, p.width);
        QPen pen(ToColor(p.color), !vectorOutput && width * unitPixels < 1.0 ? 0.0 : width);
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
    };

    auto selectStock = [&](uint32_t index) {
        switch (index) {
            case emf::kWhiteBrush:
                s.brush = QBrush(Qt::white);
                break;
            case emf::kLtGrayBrush:
                s.brush = QBrush(QColor(0xC0, 0xC0, 0xC0));
                break;
            case emf::kGrayBrush:
                s.brush = QBrush(QColor(0x80, 0x80, 0x80));
                break;
            case emf::kDkGrayBrush:
                s.brush = QBrush(QColor(0x40, 0x40, 0x40));
                break;
            case emf::kBlackBrush:
                s.brush = QBrush(Qt::black);
                break;
            case emf::kNullBrush:
                s.brush = QBrush(Qt::NoBrush);
                break;
            case emf::kWhitePen:
                s.pen = QPen(Qt::white, 0);
                break;
            case emf::kBlackPen:
                s.pen = QPen(Qt::black, 0);
                break;
            case emf::kNullPen:
                s.pen = QPen(Qt::NoPen);
                break;
            default:
                if (index >= 0x8000000A && index <= 0x80000011) {
                    s.font = nullptr;  // stock fonts: drawn with the default font
                }
                break;
        }
    };

    auto fontFor = [&](size_t commandIndex) -> const PlayedFont* {
        auto it = m_cache->fonts.find(commandIndex);
        if (it == m_cache->fonts.end()) {
            const QFont font = MakeFont(std::get<emf::CreateFont>(doc.commands[commandIndex]));
            it = m_cache->fonts.emplace(commandIndex, PlayedFont{font, QFontMetricsF(font)}).first;
        }
        return &it->second;
    };

    auto drawText = [&](const emf::TextOut& t) {
        if (t.text.empty()) {
            return;
        }
        if (s.font == nullptr && !m_cache->defaultFont) {
            QFont font(QStringLiteral("Arial"));
            font.setPixelSize(12);
            m_cache->defaultFont.emplace(PlayedFont{font, QFontMetricsF(font)});
        }
        const PlayedFont& f = s.font != nullptr ? *s.font : *m_cache->defaultFont;
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
        if ((s.textAlign & emf::kTaCenter) == emf::kTaCenter) {
            x -= width / 2;
        } else if ((s.textAlign & emf::kTaRight) != 0) {
            x -= width;
        }
        double baseline = t.reference.y;
        if ((s.textAlign & emf::kTaBaseline) == emf::kTaBaseline) {
            // on the baseline already
        } else if ((s.textAlign & emf::kTaBottom) != 0) {
            baseline -= f.metrics.descent();
        } else {
            baseline += f.metrics.ascent();
        }
        const QRectF rect = ToRectF(t.rect);
        if ((t.options & emf::kEtoOpaque) != 0) {
            painter.fillRect(rect, s.bkColor);
        }
        if (s.bkMode == emf::kOpaque) {
            painter.fillRect(QRectF(x, baseline - f.metrics.ascent(), width,
                                    f.metrics.ascent() + f.metrics.descent()),
                             s.bkColor);
        }
        const bool clipped = (t.options & emf::kEtoClipped) != 0;
        if (clipped) {
            painter.save();
            painter.setClipRect(rect, Qt::IntersectClip);
        }
        painter.setFont(f.font);
        painter.setPen(s.textColor);
        if (haveDx && natural > 0 && std::abs(natural - width) > 0.5 && width > 0) {
            // Keep the text inside the extent the writer measured.
            painter.save();
            painter.translate(x, baseline);
            painter.scale(width / natural, 1.0);
            painter.drawText(QPointF(0, 0), text);
            painter.restore();
        } else {
            painter.drawText(QPointF(x, baseline), text);
        }
        if (clipped) {
            painter.restore();
        }
    };

    auto drawBits = [&](size_t commandIndex, const emf::StretchBits& b) {
        if (b.rop != emf::kSrcCopy || b.cxDest == 0 || b.cyDest == 0) {
            return;
        }
        DecodedBitmap& decoded = m_cache->bitmaps[commandIndex];
        if (!decoded.decoded) {
            // A page shows the same picture many times (a seat per place): decode each distinct
            // bitmap once.
            const std::string_view content(
                reinterpret_cast<const char*>(doc.bytes.data() + b.bitsOffset), b.bitsSize);
            auto key =
                std::make_tuple(b.compression, b.width, b.height, b.bitCount, b.palette, content);
            auto same = m_cache->byContent.find(key);
            if (same != m_cache->byContent.end()) {
                decoded.image = same->second;
            } else {
                decoded.image = DecodeBitmap(doc, b);
                m_cache->byContent.emplace(std::move(key), decoded.image);
            }
            decoded.decoded = true;
        }
        if (decoded.image.isNull()) {
            return;
        }
        const QImage& image = decoded.image;
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
        if (mirrorX || mirrorY) {
            painter.drawImage(dest, image.copy(source.toAlignedRect()).mirrored(mirrorX, mirrorY));
        } else {
            painter.drawImage(dest, image, source);
        }
    };

    for (size_t i = 0; i < doc.commands.size(); ++i) {
        std::visit(
            [&](const auto& c) {
                using T = std::decay_t<decltype(c)>;
                if constexpr (std::is_same_v<T, emf::SetBkMode>) {
                    s.bkMode = c.mode;
                } else if constexpr (std::is_same_v<T, emf::SetTextAlign>) {
                    s.textAlign = c.align;
                } else if constexpr (std::is_same_v<T, emf::SetTextColor>) {
                    s.textColor = ToColor(c.color);
                } else if constexpr (std::is_same_v<T, emf::SetBkColor>) {
                    s.bkColor = ToColor(c.color);
                } else if constexpr (std::is_same_v<T, emf::MoveTo>) {
                    s.position = QPointF(c.point.x, c.point.y);
                } else if constexpr (std::is_same_v<T, emf::LineTo>) {
                    const QPointF to(c.point.x, c.point.y);
                    if (s.pen.style() != Qt::NoPen) {
                        painter.setPen(s.pen);
                        painter.drawLine(s.position + kPixelCentre, to + kPixelCentre);
                    }
                    s.position = to;
                } else if constexpr (std::is_same_v<T, emf::DrawRectangle>) {
                    // The outline runs through the first and the last pixel inside the box, so
                    // the right and bottom edges are left out.
                    const QRectF box = ToRectF(c.box);
                    painter.setPen(s.pen);
                    painter.setBrush(s.brush);
                    painter.drawRect(box.adjusted(kPixelCentre.x(), kPixelCentre.y(),
                                                  -kPixelCentre.x(), -kPixelCentre.y()));
                } else if constexpr (std::is_same_v<T, emf::IntersectClip>) {
                    painter.setClipRect(ToRectF(c.clip), Qt::IntersectClip);
                } else if constexpr (std::is_same_v<T, emf::SaveDc>) {
                    constexpr size_t kMaxDepth = 1024;
                    if (saved.size() < kMaxDepth) {
                        saved.push_back(s);
                        painter.save();
                    }
                } else if constexpr (std::is_same_v<T, emf::RestoreDc>) {
                    // Negative: that many levels back; positive: back to that absolute level.
                    size_t pops = 0;
                    if (c.which < 0) {
                        pops = std::min<size_t>(saved.size(), size_t(-int64_t{c.which}));
                    } else if (c.which > 0 && size_t(c.which) <= saved.size()) {
                        pops = saved.size() - size_t(c.which) + 1;
                    }
                    for (size_t n = 0; n < pops; ++n) {
                        s = saved.back();
                        saved.pop_back();
                        painter.restore();
                    }
                } else if constexpr (std::is_same_v<T, emf::SelectObject>) {
                    if ((c.index & emf::kStockFlag) != 0) {
                        selectStock(c.index);
                        return;
                    }
                    auto it = objects.find(c.index);
                    if (it == objects.end()) {
                        return;
                    }
                    const size_t cmd = it->second.command;
                    switch (it->second.kind) {
                        case Kind::Pen:
                            s.pen = penFor(std::get<emf::CreatePen>(doc.commands[cmd]));
                            break;
                        case Kind::Brush: {
                            const auto& b = std::get<emf::CreateBrush>(doc.commands[cmd]);
                            s.brush = b.style == emf::kBsNull ? QBrush(Qt::NoBrush)
                                                              : QBrush(ToColor(b.color));
                            break;
                        }
                        case Kind::Font:
                            s.font = fontFor(cmd);
                            break;
                        case Kind::None:
                            break;
                    }
                } else if constexpr (std::is_same_v<T, emf::DeleteObject>) {
                    objects.erase(c.index);
                } else if constexpr (std::is_same_v<T, emf::CreatePen>) {
                    objects[c.index] = {Kind::Pen, i};
                } else if constexpr (std::is_same_v<T, emf::CreateBrush>) {
                    objects[c.index] = {Kind::Brush, i};
                } else if constexpr (std::is_same_v<T, emf::CreateFont>) {
                    objects[c.index] = {Kind::Font, i};
                } else if constexpr (std::is_same_v<T, emf::TextOut>) {
                    drawText(c);
                } else if constexpr (std::is_same_v<T, emf::StretchBits>) {
                    drawBits(i, c);
                }
                // Map mode and stretch mode: page files use MM_TEXT; images are always smoothed.
            },
            doc.commands[i]);
    }
    for (size_t n = 0; n < saved.size(); ++n) {
        painter.restore();
    }
    painter.restore();
}

bool PlayPageFile(QPainter& painter, const QString& fileName, const QRectF& target) {
    EmfPlayer player;
    if (!player.Load(fileName)) {
        return false;
    }
    player.Paint(painter, target);
    return true;
}

}  // namespace vm
