#pragma once

// How a run shares the machine between decoding and encoding.
//
// Frames are encoded on a pool of `encoders` threads. Large pictures are also decoded on several
// threads, one more than the encoders, so the decoder keeps working while the run's own thread hands
// frames on; a small picture decodes in a millisecond or two, and passing it between decoding threads
// would cost more than it saves, so it decodes on the run's thread alone. The run's queue of frames is
// bounded, so whichever side is faster waits for the other instead of taking its cores.
struct ThreadBudget {
    unsigned encoders = 1;

    // Threads for decoding pictures of this size (1: on the run's own thread only).
    int DecoderThreadsFor(int width, int height) const;

    // Pictures of at least this many pixels (1280×720) are decoded on several threads.
    static constexpr long long kSeveralDecoderThreadsFrom = 1280LL * 720;
};

// The budget for `threads` threads of encoding (0: one for each of the machine's cores).
ThreadBudget ThreadBudgetFor(unsigned threads);
