#pragma once

#include "convert/source/decoder_threading.h"

// How a run shares the machine between decoding and encoding.
//
// Frames are encoded on a pool of `encoders` threads. Large pictures are also decoded on several
// threads, one more than the encoders, so the decoder keeps working while the run's own thread hands
// frames on; deep 4K pictures on as many as the encoders, since the spare thread would hold one more
// picture of 25 MB and decode them no faster. The run's queue of frames is bounded, so whichever side
// is faster waits for the other instead of taking its cores.
struct ThreadBudget {
    unsigned encoders = 1;

    DecoderThreading Decoding() const
    {
        const int threads = static_cast<int>(encoders);
        return threads > 1 ? DecoderThreading{threads + 1, threads} : DecoderThreading{1, 1};
    }
};

// The budget for `threads` threads of encoding (0: one for each of the machine's cores).
ThreadBudget ThreadBudgetFor(unsigned threads);
