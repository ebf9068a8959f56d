#pragma once

#include "common/file_bytes.h"

#include <cstdint>
#include <span>

// Appends to `out` a zlib stream of `data`: a single deflate block of literals only, under a Huffman
// code made for this data. It never looks for repeats, so it runs several times faster than the
// fastest deflate level; on predicted video rows, which are mostly noise with few exact repeats, it
// costs about a third more bytes than that level. Any inflater reads it. Throws std::bad_alloc.
void AppendHuffmanZlib(std::span<const std::uint8_t> data, FileBytes& out);
