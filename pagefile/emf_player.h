#pragma once
// Plays a page file (EMF) onto a QPainter: the preview, the printer and the PDF, SVG and PNG
// export all draw pages through EmfPlayer::Paint. Reading is done by the Qt-free reader
// (pagefile/emf_reader.h), the records are played by pagefile/emf_playback.h; a file that cannot
// be read paints nothing.

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPainter;

namespace vm {

namespace emf {
struct Document;
}
struct PlaybackCache;

class EmfPlayer {
public:
    EmfPlayer();
    ~EmfPlayer();
    EmfPlayer(EmfPlayer&&) noexcept;
    EmfPlayer& operator=(EmfPlayer&&) noexcept;
    EmfPlayer(const EmfPlayer&) = delete;
    EmfPlayer& operator=(const EmfPlayer&) = delete;

    // Reads a page file. Returns false, with ErrorString() set, when the file cannot be read or is
    // no sound EMF; the player then paints nothing.
    bool Load(const QString& fileName);
    // The same for bytes in memory.
    bool LoadData(std::vector<uint8_t> bytes);

    bool IsValid() const { return m_document != nullptr; }
    QString ErrorString() const { return m_error; }

    // The picture frame of the page (the printer's printable area) in millimetres; empty when
    // nothing is loaded.
    QSizeF FrameSizeMm() const;

    // Draws the page stretched onto `target` (painter coordinates), clipped to it. The painter's
    // state is left as it was.
    void Paint(QPainter& painter, const QRectF& target) const;

private:
    // Takes a document that was read, or the reader's error when none was: what Load and LoadData
    // return.
    bool Adopt(std::optional<emf::Document> doc, const std::string& error);
    QRectF LogicalFrame() const;

    std::unique_ptr<emf::Document> m_document;
    std::unique_ptr<PlaybackCache> m_cache;  // fonts and bitmaps of the document
    QString m_error;
};

// Loads and paints a page file in one call; returns false (having painted nothing) when the file
// cannot be read.
bool PlayPageFile(QPainter& painter, const QString& fileName, const QRectF& target);

}  // namespace vm
