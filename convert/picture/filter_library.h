#pragma once

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

// The libavfilter calls deinterlacing makes, from the library loaded the first time a picture is
// deinterlaced. Linked, it would bring some thirty libraries of its own (speech synthesis, Vulkan,
// LAPACK, ...) to be mapped and relocated at every start of the programs: a third of their start-up.
struct FilterLibrary {
    decltype(&avfilter_graph_alloc) graphAlloc;
    decltype(&avfilter_graph_free) graphFree;
    decltype(&avfilter_get_by_name) getByName;
    decltype(&avfilter_graph_create_filter) graphCreateFilter;
    decltype(&avfilter_link) link;
    decltype(&avfilter_graph_config) graphConfig;
    decltype(&av_buffersrc_add_frame) buffersrcAddFrame;
    decltype(&av_buffersink_get_frame) buffersinkGetFrame;
};

// The library's calls, loaded once for the process. Throws std::runtime_error, in the loader's words,
// when the library (of the major version the program was built against) cannot be loaded.
const FilterLibrary& LoadedFilterLibrary();
