#include "convert/writers/jpeg_planes_compressor.h"

#include "common/failure.h"

#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr int kComponents = 3;
constexpr int kStripRows = 16;  // one row of 4:2:0 blocks: 16 luma rows, 8 of each chroma plane
constexpr std::size_t kFirstOutputSize = std::size_t{1} << 20;

// One encoding thread's libjpeg compressor. libjpeg reports an error by calling error_exit, which must
// not return: it jumps back to the Guarded call that was running.
struct Compressor {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    jpeg_destination_mgr destination{};
    std::jmp_buf failed{};
    char message[JMSG_LENGTH_MAX] = "libjpeg failed";
    bool created = false;
    bool outOfMemory = false;  // what the last error was: the run treats a shortage of memory apart
    FileBytes* out = nullptr;
    FileBytes strips[kComponents];

    ~Compressor()
    {
        if (created)
            jpeg_destroy_compress(&info);
    }
};

Compressor& Of(j_common_ptr info) { return *static_cast<Compressor*>(info->client_data); }

[[noreturn]] void ErrorExit(j_common_ptr info)
{
    Of(info).outOfMemory = info->err->msg_code == JERR_OUT_OF_MEMORY;
    (*info->err->format_message)(info, Of(info).message);
    std::longjmp(Of(info).failed, 1);
}

void Silent(j_common_ptr) {}

// The output grows in place: when libjpeg has filled it, it is doubled and libjpeg goes on in the new half.
void StartOutput(j_compress_ptr info)
{
    FileBytes& out = *Of(reinterpret_cast<j_common_ptr>(info)).out;
    out.resize(std::max(out.capacity(), kFirstOutputSize));
    info->dest->next_output_byte = out.data();
    info->dest->free_in_buffer = out.size();
}

boolean GrowOutput(j_compress_ptr info)
{
    Compressor& compressor = Of(reinterpret_cast<j_common_ptr>(info));
    FileBytes& out = *compressor.out;
    const std::size_t used = out.size();
    try {
        out.resize(2 * used);
    } catch (const std::bad_alloc&) {
        // No exception may pass through libjpeg's frames: out of them first.
        compressor.outOfMemory = true;
        std::longjmp(compressor.failed, 1);
    }
    info->dest->next_output_byte = out.data() + used;
    info->dest->free_in_buffer = out.size() - used;
    return TRUE;
}

void EndOutput(j_compress_ptr info)
{
    FileBytes& out = *Of(reinterpret_cast<j_common_ptr>(info)).out;
    out.resize(out.size() - info->dest->free_in_buffer);
}

// Runs `step`, which calls libjpeg; false when libjpeg signalled an error. The jump skips only
// libjpeg's frames and `step`'s, which holds nothing that needs destroying.
template <class Step>
bool Guarded(Compressor& compressor, Step&& step)
{
    if (setjmp(compressor.failed) != 0)
        return false;
    step();
    return true;
}

[[noreturn]] void Fail(const Compressor& compressor)
{
    if (compressor.outOfMemory)
        throw std::bad_alloc();
    throw Failure(Failure::kInvalidArgument, QString::fromUtf8(compressor.message));
}

Compressor& ThreadCompressor()
{
    thread_local std::unique_ptr<Compressor> compressor;
    if (!compressor) {
        auto made = std::make_unique<Compressor>();
        made->info.err = jpeg_std_error(&made->errors);
        made->errors.error_exit = ErrorExit;
        made->errors.output_message = Silent;
        made->info.client_data = made.get();
        if (!Guarded(*made, [&] { jpeg_create_compress(&made->info); }))
            Fail(*made);
        made->created = true;
        made->destination.init_destination = StartOutput;
        made->destination.empty_output_buffer = GrowOutput;
        made->destination.term_destination = EndOutput;
        compressor = std::move(made);
    }
    return *compressor;
}

// TurboJPEG's settings for 4:2:0 from planes: its fast DCT below quality 96, the accurate one above.
void SetUp(jpeg_compress_struct& info, const JpegPlanes& picture, int quality)
{
    info.image_width = static_cast<JDIMENSION>(picture.width);
    info.image_height = static_cast<JDIMENSION>(picture.height);
    info.input_components = kComponents;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.dct_method = quality >= 96 ? JDCT_ISLOW : JDCT_FASTEST;
    jpeg_set_colorspace(&info, JCS_YCbCr);
    for (int i = 0; i < kComponents; ++i)
        info.comp_info[i].h_samp_factor = info.comp_info[i].v_samp_factor = i == 0 ? 2 : 1;
    info.raw_data_in = TRUE;
}

// The geometry of one plane as libjpeg reads it: whole 8×8 blocks of it in each strip.
struct PlaneRows {
    int width;         // samples the picture gives, padded to 2×2 subsampling blocks
    int height;
    int blockWidth;    // samples libjpeg reads: whole blocks
    int stripRows;     // rows of a strip
    bool direct;       // the picture's own rows can be read as they are
};

PlaneRows RowsOf(const jpeg_component_info& component, const JpegPlanes& picture, int plane)
{
    PlaneRows rows{JpegPlanes::PaddedWidth(plane, picture.width), JpegPlanes::PaddedHeight(plane, picture.height),
        static_cast<int>(component.width_in_blocks) * DCTSIZE, component.v_samp_factor * DCTSIZE, false};
    rows.direct = picture.planes[0] && rows.blockWidth == rows.width
        && static_cast<int>(component.height_in_blocks) * DCTSIZE == rows.height;
    return rows;
}

// Points `into` at the strip of `plane` starting at its row `first`: the picture's own rows when they
// are whole blocks; otherwise rows copied or made into the plane's strip buffer, the last sample of a row
// and the last row repeated to whole blocks.
void StripOf(const JpegPlanes& picture, int plane, const PlaneRows& rows, int first, FileBytes& strip, JSAMPROW* into)
{
    if (rows.direct) {
        // libjpeg reads no row below the picture's last block, so the strip's pointers stop there.
        for (int j = 0; j < rows.stripRows; ++j)
            into[j] = const_cast<JSAMPROW>(picture.planes[plane] + static_cast<std::ptrdiff_t>(std::min(first + j, rows.height - 1)) * picture.strides[plane]);
        return;
    }
    const int given = std::min(rows.stripRows, rows.height - first);
    for (int j = 0; j < rows.stripRows; ++j) {
        std::uint8_t* row = strip.data() + static_cast<std::size_t>(j) * static_cast<std::size_t>(rows.blockWidth);
        into[j] = row;
        if (j >= given) {
            std::memcpy(row, into[given - 1], static_cast<std::size_t>(rows.blockWidth));
            continue;
        }
        if (picture.planes[0])
            std::memcpy(row, picture.planes[plane] + static_cast<std::ptrdiff_t>(first + j) * picture.strides[plane], static_cast<std::size_t>(rows.width));
        else
            picture.makeRow(plane, first + j, row);
        std::fill(row + rows.width, row + rows.blockWidth, row[rows.width - 1]);
    }
}

}  // namespace

void CompressJpegPlanes(const JpegPlanes& picture, int quality, FileBytes& out)
{
    Compressor& compressor = ThreadCompressor();
    jpeg_compress_struct& info = compressor.info;
    compressor.out = &out;
    info.dest = &compressor.destination;
    PlaneRows rows[kComponents];
    JSAMPROW strip[kComponents][kStripRows];
    bool compressed = false;
    try {
        compressed = Guarded(compressor, [&] {
            SetUp(info, picture, quality);
            jpeg_start_compress(&info, TRUE);
        });
        if (compressed) {
            for (int i = 0; i < kComponents; ++i) {
                rows[i] = RowsOf(info.comp_info[i], picture, i);
                if (!rows[i].direct)
                    compressor.strips[i].resize(static_cast<std::size_t>(rows[i].blockWidth) * static_cast<std::size_t>(rows[i].stripRows));
            }
        }
        for (int row = 0; compressed && row < picture.height; row += kStripRows) {
            for (int i = 0; i < kComponents; ++i)
                StripOf(picture, i, rows[i], row * rows[i].stripRows / kStripRows, compressor.strips[i], strip[i]);
            JSAMPARRAY planes[kComponents] = {strip[0], strip[1], strip[2]};
            compressed = Guarded(compressor, [&] { jpeg_write_raw_data(&info, planes, kStripRows); });
        }
        if (compressed)
            compressed = Guarded(compressor, [&] { jpeg_finish_compress(&info); });
    } catch (...) {
        jpeg_abort_compress(&info);
        throw;
    }
    if (!compressed) {
        jpeg_abort_compress(&info);
        Fail(compressor);
    }
}
