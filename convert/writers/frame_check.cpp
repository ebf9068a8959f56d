#include "convert/writers/frame_check.h"

#include "common/failure.h"

void RequireBgr24Frame(const PackedDib& frame, int maxSide)
{
    const BitmapInfoHeader& header = frame.Header();
    if (header.biBitCount != 24 || header.biCompression != 0)
        throw Failure(Failure::kInvalidArgument,
            QStringLiteral("The frame is not an uncompressed 24-bit bitmap (%1 bits per pixel, compression %2).")
                .arg(header.biBitCount)
                .arg(header.biCompression));
    if (frame.Width() < 1 || frame.Height() < 1)
        throw Failure(Failure::kInvalidArgument,
            QStringLiteral("The frame size %1 x %2 is not a picture.").arg(frame.Width()).arg(frame.Height()));
    if (frame.Width() > maxSide || frame.Height() > maxSide)
        throw Failure(Failure::kInvalidArgument,
            QStringLiteral("The frame is %1 x %2 pixels; this format holds at most %3 pixels a side.")
                .arg(frame.Width())
                .arg(frame.Height())
                .arg(maxSide));
    if (frame.Pixels().size() / frame.Stride() < static_cast<std::size_t>(frame.Height()))
        throw Failure(Failure::kInvalidArgument, QStringLiteral("The frame holds fewer pixel rows than its header says."));
}
