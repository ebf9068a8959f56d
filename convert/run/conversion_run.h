#pragma once

#include "convert/run/conversion_host.h"

#include <atomic>

// How a run may use the machine.
struct RunSettings {
    unsigned threads = 0;  // threads the run may keep busy; 0: one for each of the machine's cores
    bool upright = true;   // false: pictures as stored, whatever their display matrix says
    bool toneMap = true;   // false: HDR pictures by their colour matrix alone, not tone-mapped to SDR
};

// One execution of "Start Converting" over the whole list. Runs on the calling thread, which must not
// be the user-interface thread; encodes frames on a pool of its own.
class ConversionRun {
public:
    struct Outcome {
        bool started = false;    // false when a run was already in progress
        int framesWritten = 0;   // files actually written
        int failuresShown = 0;   // error reports and file error messages shown
        int filesWithoutChosenFrames = 0;  // videos none of whose frames the selection takes
        std::int64_t imagesKept = 0;       // images there already, left as they were
    };

    // `isConverting` is the window's flag: a run that finds it set returns at once.
    static Outcome Execute(ConversionHost& host, std::atomic<bool>& isConverting, RunSettings settings = {});
};
