#pragma once

// How a run shares the machine between decoding and encoding.
struct ThreadBudget {
    unsigned encoders = 1;  // threads of the encoder pool
    int decoder = 1;        // threads the decoder may use; 1: it works on the run's own thread only
};

// The budget for `threads` threads in all (0: one for each of the machine's cores).
ThreadBudget ThreadBudgetFor(unsigned threads);
