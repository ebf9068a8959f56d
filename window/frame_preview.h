#pragma once

#include <QPixmap>
#include <QSize>

class PackedDib;

// The frame scaled to fit `box`, upright, keeping its proportions; a null pixmap for an empty frame.
QPixmap FramePreview(const PackedDib& frame, QSize box);
