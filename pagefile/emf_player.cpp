#include "pagefile/emf_player.h"

#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <optional>

#include "pagefile/emf_playback.h"
#include "pagefile/emf_reader.h"

namespace vm {

EmfPlayer::EmfPlayer() : m_cache(std::make_unique<PlaybackCache>()) {}
EmfPlayer::~EmfPlayer() = default;
EmfPlayer::EmfPlayer(EmfPlayer&&) noexcept = default;
EmfPlayer& EmfPlayer::operator=(EmfPlayer&&) noexcept = default;

bool EmfPlayer::Load(const QString& fileName) {
    std::string error;
    std::optional<emf::Document> doc = emf::ReadEmfFile(fileName.toStdString(), &error);
    return Adopt(std::move(doc), error);
}

bool EmfPlayer::LoadData(std::vector<uint8_t> bytes) {
    std::string error;
    std::optional<emf::Document> doc = emf::ParseEmf(std::move(bytes), &error);
    return Adopt(std::move(doc), error);
}

bool EmfPlayer::Adopt(std::optional<emf::Document> doc, const std::string& error) {
    m_cache = std::make_unique<PlaybackCache>();
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
    PlaybackDevice device;
    device.unitPixels = std::min(std::hypot(t.m11(), t.m12()), std::hypot(t.m21(), t.m22()));
    const QPaintEngine* engine = painter.paintEngine();
    device.vectorOutput = engine != nullptr && (engine->type() == QPaintEngine::SVG ||
                                                engine->type() == QPaintEngine::Pdf);
    PlayRecords(painter, *m_document, *m_cache, device);
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
