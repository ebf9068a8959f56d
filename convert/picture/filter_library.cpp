#include "convert/picture/filter_library.h"

extern "C" {
#include <libavfilter/version_major.h>
#include <libavutil/macros.h>
}

#include <dlfcn.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <variant>

namespace {

struct LibraryCloser {
    void operator()(void* library) const { dlclose(library); }
};
using LibraryPtr = std::unique_ptr<void, LibraryCloser>;

template <typename Function>
bool Resolve(void* library, const char* name, Function& call)
{
    call = reinterpret_cast<Function>(dlsym(library, name));
    return call != nullptr;
}

struct Loaded {
    LibraryPtr library;
    FilterLibrary calls{};
};

// The library, or why it could not be had.
std::variant<Loaded, std::string> Load()
{
    // The ABI the program was built against; written out whole, so that its package can be found.
    constexpr const char* kName = "libavfilter.so." AV_STRINGIFY(LIBAVFILTER_VERSION_MAJOR);
    Loaded loaded{LibraryPtr(dlopen(kName, RTLD_NOW | RTLD_LOCAL))};
    if (!loaded.library)
        return std::string(dlerror());
    void* library = loaded.library.get();
    FilterLibrary& calls = loaded.calls;
    if (!(Resolve(library, "avfilter_graph_alloc", calls.graphAlloc) && Resolve(library, "avfilter_graph_free", calls.graphFree)
            && Resolve(library, "avfilter_get_by_name", calls.getByName)
            && Resolve(library, "avfilter_graph_create_filter", calls.graphCreateFilter) && Resolve(library, "avfilter_link", calls.link)
            && Resolve(library, "avfilter_graph_config", calls.graphConfig)
            && Resolve(library, "av_buffersrc_add_frame", calls.buffersrcAddFrame)
            && Resolve(library, "av_buffersink_get_frame", calls.buffersinkGetFrame)))
        return std::string(dlerror());
    return loaded;
}

}  // namespace

const FilterLibrary& LoadedFilterLibrary()
{
    static const std::variant<Loaded, std::string> library = Load();
    if (const auto* why = std::get_if<std::string>(&library))
        throw std::runtime_error("cannot deinterlace: " + *why);
    return std::get<Loaded>(library).calls;
}
