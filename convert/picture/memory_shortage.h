#pragma once

// FFmpeg and swscale answer "out of memory" both when memory really runs short and when a damaged file
// asks for an absurd block (a chunk that claims 4 GB, a picture unlike anything the stream announced).
// Only the first is the run's to report as a shortage; the second is damage to that one file.

// True when memory is short: a block larger than any packet, table or picture of a sound file needs
// cannot be had either.
bool MemoryIsShort();

// Throws std::bad_alloc when `error` is FFmpeg's ENOMEM and memory really is short.
void ThrowIfOutOfMemory(int error);
