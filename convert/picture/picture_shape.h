#pragma once

// How the pictures are shaped before they are written, each off by default.
struct PictureShape {
    int fitWidth = 0;     // pictures wider are shrunk to fit, keeping their shape; 0: any width
    int fitHeight = 0;    // the same for the height
    bool squarePixels = false;  // pictures of non-square samples are widened or narrowed as a player shows them
    bool deinterlace = false;   // pictures flagged interlaced are deinterlaced (bwdif), one still per picture

    bool operator==(const PictureShape&) const = default;
};
