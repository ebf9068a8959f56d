#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// An allocator whose vectors leave new bytes uninitialised: an encoder's output buffer is grown to
// the worst case before every frame and overwritten, so clearing it first would only cost time.
template <class T>
struct UninitializedAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UninitializedAllocator<U>;
    };
    UninitializedAllocator() = default;
    template <class U>
    UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}

    template <class U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

using FileBytes = std::vector<std::uint8_t, UninitializedAllocator<std::uint8_t>>;
