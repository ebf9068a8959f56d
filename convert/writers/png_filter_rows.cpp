#include "convert/writers/png_filter_rows.h"

#include "convert/writers/png_row_kernels.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace {

void ToRgb(const std::uint8_t* bgr, std::uint8_t* rgb, std::size_t bytes)
{
    for (std::size_t i = 0; i < bytes; i += 3) {
        rgb[i] = bgr[i + 2];
        rgb[i + 1] = bgr[i + 1];
        rgb[i + 2] = bgr[i];
    }
}

std::uint32_t Magnitude(std::uint8_t residual)
{
    return residual < 128 ? residual : 256u - residual;
}

void FilterAll(const std::uint8_t* rgb, const std::uint8_t* above, std::size_t bytes, std::uint8_t* const* candidates,
    std::uint64_t* sums)
{
    std::array<std::uint64_t, kPngFilters> total{};
    // The zero padding before each row stands in for the first pixel's left neighbours.
    const std::uint8_t* const leftOf = rgb - 3;
    const std::uint8_t* const upLeftOf = above - 3;
    for (std::size_t i = 0; i < bytes; ++i) {
        const int sample = rgb[i];
        const int left = leftOf[i];
        const int up = above[i];
        const int upLeft = upLeftOf[i];
        const std::array<std::uint8_t, kPngFilters> residuals{static_cast<std::uint8_t>(sample),
            static_cast<std::uint8_t>(sample - left), static_cast<std::uint8_t>(sample - up),
            static_cast<std::uint8_t>(sample - (left + up) / 2),
            static_cast<std::uint8_t>(sample - PaethPrediction(left, up, upLeft))};
        for (int filter = 0; filter < kPngFilters; ++filter) {
            candidates[filter][i] = residuals[filter];
            total[filter] += Magnitude(residuals[filter]);
        }
    }
    for (int filter = 0; filter < kPngFilters; ++filter)
        sums[filter] += total[filter];
}

void ZeroMask(const std::uint8_t* row, std::size_t bytes, std::uint64_t* words)
{
    for (std::size_t word = 0; word * 64 < bytes; ++word) {
        std::uint64_t mask = 0;
        for (std::size_t bit = 0; bit < 64; ++bit)
            mask |= std::uint64_t{row[word * 64 + bit] == 0} << bit;
        words[word] = mask;
    }
}

// Bit j is set where bits j to j + kShortestZeroRun - 1 of `mask` all are.
std::uint64_t ZeroRunStarts(std::uint64_t mask)
{
    std::uint64_t starts = mask;
    for (std::size_t shift = 1; shift < kShortestZeroRun; ++shift)
        starts &= mask >> shift;
    return starts;
}

// Appends the runs of at least kShortestZeroRun zeros that a row's zero mask shows (`bytes` bits in
// `words`, none set past them), at `offset` + their index. Only long stretches cost a step: each word
// and-ed with itself shifted down by 1 to kShortestZeroRun - 1 places keeps one bit for every place
// where such a stretch of zeros starts.
void AppendZeroRuns(const std::uint64_t* words, std::size_t bytes, std::size_t offset, std::vector<ZeroRun>& runs)
{
    constexpr std::uint64_t kAllZeros = ~std::uint64_t{0};
    std::size_t zeros = 0;  // a stretch of zeros that reached the end of the words before
    const auto endStretch = [&](std::size_t end) {
        if (zeros >= kShortestZeroRun)
            runs.push_back({offset + end - zeros, zeros});
        zeros = 0;
    };
    const std::size_t wordCount = (bytes + 63) / 64;
    for (std::size_t word = 0; word < wordCount; ++word) {
        std::uint64_t mask = words[word];
        const std::size_t first = word * 64;
        if (mask == kAllZeros) {
            zeros += 64;
            continue;
        }
        if (zeros == 0) {
            // Most words of noisy rows hold no long stretch: only a stretch at their end matters then.
            const auto trailing = static_cast<std::size_t>(std::countl_one(mask));
            if (ZeroRunStarts(mask & (kAllZeros >> trailing)) == 0) {
                zeros = trailing;
                continue;
            }
        }
        // The stretch from the words before ends here; the word has a non-zero byte, so it is no longer.
        const auto leading = static_cast<std::size_t>(std::countr_one(mask));
        zeros += leading;
        endStretch(first + leading);
        mask &= kAllZeros << leading;
        // A stretch at the end of the word may go on into the next one.
        const auto trailing = static_cast<std::size_t>(std::countl_one(mask));
        mask &= kAllZeros >> trailing;
        // The stretches wholly within the word.
        std::uint64_t starts = ZeroRunStarts(mask);
        while (starts != 0) {
            const auto start = static_cast<std::size_t>(std::countr_zero(starts));
            const auto places = static_cast<std::size_t>(std::countr_one(starts >> start));
            runs.push_back({offset + first + start, places + kShortestZeroRun - 1});
            starts &= start + places >= 64 ? 0 : kAllZeros << (start + places);
        }
        zeros = trailing;
    }
    endStretch(bytes);
}

// Row buffers of one thread, kept from frame to frame: two RGB rows (this one and the one above)
// and the row under each filter, each with the padding and slack the kernels read.
class RowScratch {
public:
    void Prepare(std::size_t rowBytes)
    {
        const std::size_t rgbSize = kRowPadBefore + rowBytes + kRowSlack;
        const std::size_t candidateSize = rowBytes + kRowSlack;
        // Zeros throughout: the padding must be, and the first row's "above" is a row of zeros.
        storage_.assign(2 * rgbSize + kPngFilters * candidateSize, 0);
        current_ = storage_.data() + kRowPadBefore;
        above_ = current_ + rgbSize;
        for (int filter = 0; filter < kPngFilters; ++filter)
            candidates_[filter] = storage_.data() + 2 * rgbSize + filter * candidateSize;
        zeroWords_.resize((rowBytes + 63) / 64);
    }
    std::uint8_t* Current() const { return current_; }
    const std::uint8_t* Above() const { return above_; }
    std::uint8_t* const* Candidates() const { return candidates_.data(); }
    std::uint64_t* ZeroWords() { return zeroWords_.data(); }
    void NextRow() { std::swap(current_, above_); }

private:
    std::vector<std::uint8_t> storage_;
    std::uint8_t* current_ = nullptr;
    std::uint8_t* above_ = nullptr;
    std::array<std::uint8_t*, kPngFilters> candidates_{};
    std::vector<std::uint64_t> zeroWords_;
};

}  // namespace

const PngRowKernels& PortablePngRowKernels()
{
    static constexpr PngRowKernels kernels{ToRgb, FilterAll, ZeroMask};
    return kernels;
}

void FilterRows(const PackedDib& frame, SimdLevel level, FilteredRows& out)
{
    const PngRowKernels& kernels = level == SimdLevel::kAvx2 ? Avx2PngRowKernels() : PortablePngRowKernels();
    const auto rowBytes = static_cast<std::size_t>(frame.Width()) * 3;
    const auto height = static_cast<std::size_t>(frame.Height());
    out.bytes.resize((rowBytes + 1) * height);
    out.zeroRuns.clear();
    thread_local RowScratch scratch;
    scratch.Prepare(rowBytes);
    for (std::size_t y = 0; y < height; ++y) {
        kernels.toRgb(frame.TopDownRow(static_cast<int>(y)), scratch.Current(), rowBytes);
        std::array<std::uint64_t, kPngFilters> sums{};
        kernels.filterAll(scratch.Current(), scratch.Above(), rowBytes, scratch.Candidates(), sums.data());
        const auto best = static_cast<int>(std::min_element(sums.begin(), sums.end()) - sums.begin());
        std::uint8_t* const row = out.bytes.data() + y * (rowBytes + 1);
        row[0] = static_cast<std::uint8_t>(best);
        std::memcpy(row + 1, scratch.Candidates()[best], rowBytes);
        std::uint64_t* const zeroWords = scratch.ZeroWords();
        kernels.zeroMask(scratch.Candidates()[best], rowBytes, zeroWords);
        if (rowBytes % 64 != 0)
            zeroWords[rowBytes / 64] &= (std::uint64_t{1} << (rowBytes % 64)) - 1;
        AppendZeroRuns(zeroWords, rowBytes, y * (rowBytes + 1) + 1, out.zeroRuns);
        scratch.NextRow();
    }
}
