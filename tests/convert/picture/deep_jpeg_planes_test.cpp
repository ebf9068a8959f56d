// 9- to 12-bit 4:2:0 video in JPEG's colours is made into JPEGs from its planes, rounded to 8 bits in
// one step: decoded again, each is at least as close to the ffmpeg command's own RGB decode of the
// video as the JPEG the program made before, from the bitmap (within 0.2 dB), in both ranges and at
// odd sizes. The pictures are real footage (the corpus's 10-bit clips, untagged so that they are in
// JPEG's colours): on made patterns of hard colour edges, which swscale's decode interpolates
// otherwise than JPEG does, the measure says more about the interpolation than about the picture. The
// vector reduction gives its portable twin's bytes.
#include "support/bmp_file.h"
#include "support/media_tools.h"
#include "support/recording_host.h"
#include "support/video_oracle.h"

#include "convert/picture/depth_reduction.h"
#include "convert/picture/packed_dib.h"
#include "convert/run/conversion_run.h"
#include "convert/writers/jpg_encoder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

void Convert(const QString& video, const QString& folder, OutputFormat format)
{
    RecordingHost host;
    host.items = {video};
    host.outputFolder = folder;
    host.format = format;
    std::atomic<bool> converting{false};
    EXPECT_GT(ConversionRun::Execute(host, converting).framesWritten, 0);
}

// A file's first picture as the ffmpeg command decodes it, top-down BGR.
QByteArray FfmpegBgr(const QString& file)
{
    const ToolResult decoded = RunTool(QStringLiteral("ffmpeg"),
        {"-nostdin", "-v", "error", "-i", file, "-frames:v", "1", "-pix_fmt", "bgr24", "-f", "rawvideo", "-"});
    EXPECT_EQ(decoded.exitCode, 0) << decoded.err.toStdString();
    return decoded.out;
}

struct DeepVideo {
    const char* name;
    const char* clip;   // of the video corpus
    const char* pixelFormat;
    const char* range;  // as setparams names it: limited or full
    const char* crop;   // width:height
};

// Test names are enough in failure messages; the parameters would print as raw bytes.
void PrintTo(const DeepVideo& video, std::ostream* out)
{
    *out << video.name;
}

class DeepJpegPlanes : public ::testing::TestWithParam<DeepVideo> {};

TEST_P(DeepJpegPlanes, AreNoFurtherFromFfmpegsDecodeThanTheBitmapsJpeg)
{
    if (VideoCorpusFolder().isEmpty())
        GTEST_SKIP() << "no video corpus beside the repository";
    const DeepVideo& made = GetParam();
    QTemporaryDir folder;
    const QString video = folder.filePath(QStringLiteral("deep.mkv"));
    MakeVideo(video, {"-noautorotate", "-i", QDir(VideoCorpusFolder()).filePath(QLatin1String(made.clip)), "-frames:v", "1", "-vf",
                         QStringLiteral("crop=%1:0:0,setparams=colorspace=unknown:color_trc=unknown:color_primaries=unknown:range=%2,format=%3")
                             .arg(QLatin1String(made.crop), QLatin1String(made.range), QLatin1String(made.pixelFormat)),
                         "-c:v", "ffv1"});
    const QByteArray reference = FfmpegBgr(video);

    QTemporaryDir jpg;
    Convert(video, jpg.path(), OutputFormat::JPG);
    const double fromPlanes = Psnr(FfmpegBgr(jpg.filePath(QStringLiteral("deep_0.jpg"))), reference);

    // The JPEG of the bitmap, as it was made before.
    QTemporaryDir bmp;
    Convert(video, bmp.path(), OutputFormat::BMP);
    QFile file(bmp.filePath(QStringLiteral("deep_0.bmp")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bitmapFile = file.readAll();
    const auto* packed = reinterpret_cast<const std::uint8_t*>(bitmapFile.constData()) + 14;
    EncodedImage encoded;
    JpgEncoder().Encode(PackedDib::CopyOf(packed, BitmapInfoHeader::Read(packed)), 85, encoded);
    const QString fromBitmapPath = folder.filePath(QStringLiteral("bitmap.jpg"));
    QFile out(fromBitmapPath);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(reinterpret_cast<const char*>(encoded.bytes.data()), static_cast<qint64>(encoded.bytes.size()));
    out.close();
    const double fromBitmap = Psnr(FfmpegBgr(fromBitmapPath), reference);

    EXPECT_GT(fromBitmap, 35.0);
    EXPECT_GE(fromPlanes, fromBitmap - 0.2) << made.name;
}

const char* const kVp9 = "webm_vp9p2_426x240_10bit_hiddenaltref_androidx.webm";
const char* const kHevc = "mov_hevc10_1280x720_hlg-dovi_dispmat-90_bframes_iphone14pro_androidx.mov";

INSTANTIATE_TEST_SUITE_P(Depths, DeepJpegPlanes,
    ::testing::Values(DeepVideo{"vp9_limited_10bit", kVp9, "yuv420p10le", "limited", "426:240"},
        DeepVideo{"hevc_limited_10bit", kHevc, "yuv420p10le", "limited", "1280:720"}, DeepVideo{"vp9_full_10bit", kVp9, "yuv420p10le", "full", "424:238"},
        DeepVideo{"hevc_limited_12bit_odd", kHevc, "yuv420p12le", "limited", "321:181"},
        DeepVideo{"vp9_full_12bit_odd", kVp9, "yuv420p12le", "full", "425:239"}, DeepVideo{"vp9_limited_9bit", kVp9, "yuv420p9le", "limited", "426:240"}),
    [](const auto& info) { return std::string(info.param.name); });

// The vector reduction gives the portable bytes for every 16-bit sample (those above the depth, from
// damaged streams, as its largest) of every depth, range and plane, in rows whose lengths leave ends
// of every size.
TEST(DepthReductionKernels, VectorCodeGivesThePortableBytes)
{
    if (!CanRun(SimdLevel::kAvx2))
        GTEST_SKIP() << "this processor has no AVX2";
    std::vector<std::uint16_t> samples(65536 + 15);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::uint16_t>(i);
    for (const int depth : {9, 10, 12}) {
        for (const bool fullRange : {false, true}) {
            for (const DepthReduction& reduction : {ReductionsOf(depth, fullRange).luma, ReductionsOf(depth, fullRange).chroma}) {
                EXPECT_EQ(reduction(0xffff), reduction(static_cast<std::uint16_t>((1 << depth) - 1))) << depth << " bits";
                for (const int count : {static_cast<int>(samples.size()), 15, 17, 31}) {
                    std::vector<std::uint8_t> portable(static_cast<std::size_t>(count));
                    std::vector<std::uint8_t> vector(static_cast<std::size_t>(count));
                    DepthReductionKernelsFor(SimdLevel::kPortable).reduceRow(reduction, samples.data(), portable.data(), count);
                    DepthReductionKernelsFor(SimdLevel::kAvx2).reduceRow(reduction, samples.data(), vector.data(), count);
                    EXPECT_EQ(vector, portable) << depth << " bits, full range " << fullRange << ", " << count << " samples";
                }
            }
        }
    }
}

}  // namespace
