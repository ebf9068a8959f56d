#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// A block of memory whose first byte lies on a 64-byte boundary, as vector code and zimg want
// their rows. Its bytes are not cleared.
class AlignedBytes {
public:
    static constexpr std::size_t kAlignment = 64;

    // Makes it at least `size` bytes long, keeping the memory when it is large enough.
    void Reserve(std::size_t size)
    {
        if (size <= size_ && storage_)
            return;
        storage_ = std::make_unique_for_overwrite<std::uint8_t[]>(size + kAlignment);
        const auto address = reinterpret_cast<std::uintptr_t>(storage_.get());
        data_ = storage_.get() + (kAlignment - address % kAlignment) % kAlignment;
        size_ = size;
    }
    std::uint8_t* Data() const { return data_; }

private:
    std::unique_ptr<std::uint8_t[]> storage_;
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};
