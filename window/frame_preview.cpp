#include "window/frame_preview.h"

#include "convert/picture/packed_dib.h"

#include <QImage>

QPixmap FramePreview(const PackedDib& frame, QSize box)
{
    if (frame.Width() <= 0 || frame.Height() <= 0 || box.isEmpty())
        return QPixmap();
    // The rows lie bottom-up: read them as an upside-down picture, scale it down, then turn the small one.
    const QImage upsideDown(frame.Bits(), frame.Width(), frame.Height(), static_cast<qsizetype>(frame.Stride()),
        QImage::Format_BGR888);
    return QPixmap::fromImage(upsideDown.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation).mirrored(false, true));
}
