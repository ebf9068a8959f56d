// HDR pictures (PQ, HLG) come out as the SDR picture a player shows: within a level of what the README's
// ffmpeg chain makes, highlights rolled off as it rolls them off, the vector code byte for byte its
// portable twin, close to the SDR original after a round trip through HDR10 and HLG made by the
// ffmpeg command, the same in every format; --no-tonemap and SDR BT.2020 keep the matrix alone.
#include "support/bmp_file.h"
#include "support/media_tools.h"
#include "support/recording_host.h"
#include "support/video_oracle.h"

#include "convert/picture/packed_dib.h"
#include "convert/picture/tone_mapper.h"
#include "convert/run/conversion_run.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const char* const kPqClip = "mkv_hevc10_560x320_pq_dispmat-90_xpm-attachment_mkvmerge_fate.mkv";
const char* const kHlgClip = "mov_hevc10_1280x720_hlg-dovi_dispmat-90_bframes_iphone14pro_androidx.mov";

void Convert(const QString& video, const QString& folder, OutputFormat format = OutputFormat::BMP, RunSettings settings = {})
{
    RecordingHost host;
    host.items = {video};
    host.outputFolder = folder;
    host.format = format;
    std::atomic<bool> converting{false};
    const ConversionRun::Outcome outcome = ConversionRun::Execute(host, converting, settings);
    EXPECT_GT(outcome.framesWritten, 0) << video.toStdString();
    EXPECT_EQ(host.reports, QStringList{});
}

// The filter chain of README.md's ffmpeg command, with its peak filled in.
QString ReadmeChain(int peak)
{
    QFile readme(QStringLiteral(STILLPRESS_README));
    if (!readme.open(QIODevice::ReadOnly))
        throw std::runtime_error("no README.md");
    const QRegularExpressionMatch chain =
        QRegularExpression(QStringLiteral("-vf \"([^\"]*tonemap[^\"]*)\"")).match(QString::fromUtf8(readme.readAll()));
    if (!chain.hasMatch() || !chain.captured(1).contains(QLatin1String("PEAK")))
        throw std::runtime_error("README.md gives no tone-mapping chain with PEAK");
    return chain.captured(1).replace(QLatin1String("PEAK"), QString::number(peak));
}

// The peak as ffprobe reports the stream's metadata: content light level, else mastering display, else 1000.
int PeakOf(const QString& video)
{
    const ToolResult probed = RunTool(QStringLiteral("ffprobe"), {"-v", "error", "-select_streams", "V:0", "-show_streams",
        "-show_frames", "-read_intervals", "%+#1", "-of", "flat", video});
    const QString text = QString::fromUtf8(probed.out);
    for (const char* key : {"max_content", "max_luminance"}) {
        const QRegularExpressionMatch given =
            QRegularExpression(QStringLiteral("\\.%1=\"?(\\d+)(?:/(\\d+))?").arg(QLatin1String(key))).match(text);
        if (given.hasMatch()) {
            const double denominator = given.captured(2).isEmpty() ? 1.0 : given.captured(2).toDouble();
            return std::max(203, static_cast<int>(std::lround(given.captured(1).toDouble() / denominator)));
        }
    }
    return 1000;
}

// A video's first picture as the ffmpeg command decodes it, through `filters` when given: top-down BGR.
QByteArray FfmpegFirstPicture(const QString& video, const QString& filters = {})
{
    QStringList arguments{"-nostdin", "-v", "error", "-i", video, "-frames:v", "1"};
    if (!filters.isEmpty())
        arguments << "-vf" << filters;
    arguments << "-pix_fmt" << "bgr24" << "-f" << "rawvideo" << "-";
    const ToolResult decoded = RunTool(QStringLiteral("ffmpeg"), arguments);
    if (decoded.exitCode != 0)
        throw std::runtime_error("ffmpeg could not decode " + video.toStdString() + ": " + decoded.err.toStdString());
    return decoded.out;
}

QByteArray OurFirstBitmap(const QString& video, RunSettings settings = {})
{
    QTemporaryDir output;
    Convert(video, output.path(), OutputFormat::BMP, settings);
    const std::optional<BmpImage> image = ReadBmp(output.filePath(QFileInfo(video).completeBaseName() + QStringLiteral("_0.bmp")));
    return image ? image->topDownBgr : QByteArray();
}

// Mean BT.709 luma of the coded values (0 to 255) and mean saturation ((max - min) / max) of BGR pixels.
struct Look {
    double luminance = 0;
    double saturation = 0;
};
Look LookOf(const QByteArray& bgr)
{
    Look look;
    const qsizetype pixels = bgr.size() / 3;
    for (qsizetype i = 0; i < pixels; ++i) {
        const double b = static_cast<unsigned char>(bgr[3 * i]);
        const double g = static_cast<unsigned char>(bgr[3 * i + 1]);
        const double r = static_cast<unsigned char>(bgr[3 * i + 2]);
        look.luminance += 0.2126 * r + 0.7152 * g + 0.0722 * b;
        const double high = std::max({r, g, b});
        look.saturation += high > 0 ? (high - std::min({r, g, b})) / high : 0;
    }
    look.luminance /= static_cast<double>(std::max<qsizetype>(pixels, 1));
    look.saturation /= static_cast<double>(std::max<qsizetype>(pixels, 1));
    return look;
}

class RealHdrClip : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        if (VideoCorpusFolder().isEmpty())
            GTEST_SKIP() << "no video corpus beside the repository";
        video_ = QDir(VideoCorpusFolder()).filePath(QString::fromLatin1(GetParam()));
    }
    QString video_;
};

// Within two levels everywhere and one almost everywhere: the README's promise.
constexpr int kLargestDifference = 2;
constexpr double kWithinOneLevel = 0.999;

TEST_P(RealHdrClip, EveryPictureIsWithinALevelOfTheReadmeChain)
{
    QTemporaryDir output;
    Convert(video_, output.path());
    ExpectPicturesNearFfmpeg(video_, output.path(), ReadmeChain(PeakOf(video_)), kLargestDifference, kWithinOneLevel);
}

// Tone mapping gives the picture back the colour and contrast the matrix alone leaves out.
TEST_P(RealHdrClip, LooksLikeTheReadmeChainNotTheMatrixAlone)
{
    const Look ours = LookOf(OurFirstBitmap(video_));
    const Look chain = LookOf(FfmpegFirstPicture(video_, ReadmeChain(PeakOf(video_))));
    const Look matrixOnly = LookOf(OurFirstBitmap(video_, RunSettings{0, true, false}));
    // Within 2 % of the chain's output in luminance and saturation.
    EXPECT_NEAR(ours.luminance, chain.luminance, 0.02 * chain.luminance);
    EXPECT_NEAR(ours.saturation, chain.saturation, 0.02 * chain.saturation);
    EXPECT_GT(ours.saturation, 1.2 * matrixOnly.saturation);
}

// The tone mapping comes before every encoder: a lossless format holds the BMP's pixels, JPG is near them.
TEST_P(RealHdrClip, EveryFormatIsToneMapped)
{
    const QByteArray bitmap = OurFirstBitmap(video_);
    const QString stem = QFileInfo(video_).completeBaseName();
    QTemporaryDir png;
    Convert(video_, png.path(), OutputFormat::PNG);
    EXPECT_EQ(FfmpegFirstPicture(png.filePath(stem + QStringLiteral("_0.png"))), bitmap);
    QTemporaryDir jpg;
    Convert(video_, jpg.path(), OutputFormat::JPG);
    const QByteArray jpeg = FfmpegFirstPicture(jpg.filePath(stem + QStringLiteral("_0.jpg")));
    const QByteArray matrixOnly = OurFirstBitmap(video_, RunSettings{0, true, false});
    EXPECT_GT(Psnr(jpeg, bitmap), 30.0);
    EXPECT_GT(Psnr(jpeg, bitmap), Psnr(jpeg, matrixOnly) + 5.0);
}

// The window's preview is the bitmap made for the file, turned and tone-mapped once.
TEST_P(RealHdrClip, ThePreviewIsTheBitmapWritten)
{
    QTemporaryDir output;
    RecordingHost host;
    host.items = {video_};
    host.outputFolder = output.path();
    std::atomic<bool> converting{false};
    ConversionRun::Execute(host, converting);
    ASSERT_TRUE(host.firstPreview);
    const std::optional<BmpImage> written = ReadBmp(output.filePath(QFileInfo(video_).completeBaseName() + QStringLiteral("_0.bmp")));
    ASSERT_TRUE(written);
    ASSERT_EQ(std::pair(host.firstPreview->Width(), host.firstPreview->Height()), std::pair(written->width, written->height));
    QByteArray shown;
    for (int y = 0; y < written->height; ++y)
        shown.append(reinterpret_cast<const char*>(host.firstPreview->TopDownRow(y)), 3 * written->width);
    EXPECT_EQ(shown, written->topDownBgr);
}

INSTANTIATE_TEST_SUITE_P(Corpus, RealHdrClip, ::testing::Values(kPqClip, kHlgClip),
    [](const auto& info) { return std::string(QString::fromLatin1(info.param).contains(QLatin1String("_pq_")) ? "pq" : "hlg"); });

// A 4:2:0 picture of odd size, which zimg refuses as it is, keeps its size and is within a level of
// what the README's chain makes after the README's step to 4:4:4.
TEST(OddSizedHdr, KeepsItsSizeAndIsWhatTheReadmeChainMakes)
{
    QTemporaryDir folder;
    const QString video = folder.filePath(QStringLiteral("odd.mkv"));
    MakeVideo(video, {"-f", "lavfi", "-i", "testsrc2=size=321x241:rate=25", "-frames:v", "2", "-vf", "scale=321:241,format=yuv420p10le",
                         "-color_primaries", "bt2020", "-color_trc", "arib-std-b67", "-colorspace", "bt2020nc", "-c:v", "ffv1"});
    QTemporaryDir output;
    Convert(video, output.path());
    const std::optional<BmpImage> image = ReadBmp(output.filePath(QStringLiteral("odd_0.bmp")));
    ASSERT_TRUE(image);
    EXPECT_EQ(std::pair(image->width, image->height), std::pair(321, 241));
    ExpectPicturesNearFfmpeg(video, output.path(), QStringLiteral("format=yuv444p16le,") + ReadmeChain(1000), kLargestDifference,
        kWithinOneLevel);
}

// A test pattern of 320x192: the 24 colour-checker patches (skin tones, greys), saturated bars and a
// grey ramp, as a binary PPM.
QByteArray TestPattern()
{
    constexpr int kWidth = 320;
    constexpr int kHeight = 192;
    const unsigned char checker[24][3] = {{115, 82, 68}, {194, 150, 130}, {98, 122, 157}, {87, 108, 67}, {133, 128, 177},
        {103, 189, 170}, {214, 126, 44}, {80, 91, 166}, {193, 90, 99}, {94, 60, 108}, {157, 188, 64}, {224, 163, 46},
        {56, 61, 150}, {70, 148, 73}, {175, 54, 60}, {231, 199, 31}, {187, 86, 149}, {8, 133, 161}, {243, 243, 242},
        {200, 200, 200}, {160, 160, 160}, {122, 122, 121}, {85, 85, 85}, {52, 52, 52}};
    const unsigned char bars[8][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {0, 255, 255}, {255, 0, 255}, {255, 255, 0},
        {191, 0, 0}, {0, 0, 191}};
    QByteArray ppm = QByteArray("P6\n") + QByteArray::number(kWidth) + ' ' + QByteArray::number(kHeight) + "\n255\n";
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            unsigned char rgb[3];
            if (y < 128) {
                std::copy_n(checker[(y / 32) * 6 + std::min(x / 53, 5)], 3, rgb);
            } else if (y < 160) {
                std::copy_n(bars[x / 40], 3, rgb);
            } else {
                std::fill_n(rgb, 3, static_cast<unsigned char>(x * 255 / (kWidth - 1)));
            }
            ppm.append(reinterpret_cast<const char*>(rgb), 3);
        }
    }
    return ppm;
}

// The SDR pattern placed into HDR by the ffmpeg command: linear light with SDR white at 1, BT.2020
// primaries, the HDR transfer with that white at 203 cd/m², 10-bit HEVC tagged as HDR.
void MakeHdr(const QString& sdr, const QString& hdr, const char* transfer, const QStringList& x265Extra)
{
    MakeVideo(hdr, {"-i", sdr, "-vf",
                       QStringLiteral("zscale=t=linear,format=gbrpf32le,zscale=p=bt2020:t=%1:m=bt2020nc:r=tv:npl=203,format=yuv420p10le")
                           .arg(QLatin1String(transfer)),
                       "-color_primaries", "bt2020", "-color_trc", transfer, "-colorspace", "bt2020nc", "-c:v", "libx265",
                       "-preset", "ultrafast", "-x265-params", (QStringList{"log-level=error", "crf=4"} + x265Extra).join(':')});
}

// The test pattern as a BT.709 limited-range FFV1 video, the SDR original of the HDR ones made from it.
QString MakeSdrPattern(const QTemporaryDir& folder)
{
    const QString pattern = folder.filePath(QStringLiteral("pattern.ppm"));
    QFile file(pattern);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(TestPattern());
    file.close();
    const QString sdr = folder.filePath(QStringLiteral("sdr.mkv"));
    MakeVideo(sdr, {"-i", pattern, "-vf", "scale=out_color_matrix=bt709:out_range=tv,format=yuv444p", "-color_primaries", "bt709",
                       "-color_trc", "bt709", "-colorspace", "bt709", "-c:v", "ffv1"});
    return sdr;
}

class RoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(RoundTrip, ComesBackCloseToTheSdrOriginal)
{
    QTemporaryDir folder;
    const QString sdr = MakeSdrPattern(folder);
    const QString hdr = folder.filePath(QStringLiteral("hdr.mkv"));
    const bool pq = QLatin1String(GetParam()) == QLatin1String("smpte2084");
    MakeHdr(sdr, hdr, GetParam(),
        pq ? QStringList{"hdr10=1", "max-cll=1000,400", "master-display=G(13250,34500)B(7500,3000)R(34000,16000)WP(15635,16450)L(10000000,1)"}
           : QStringList{});

    const QByteArray original = FfmpegFirstPicture(sdr);
    const QByteArray ours = OurFirstBitmap(hdr);
    const QByteArray matrixOnly = OurFirstBitmap(hdr, RunSettings{0, true, false});
    const Look originalLook = LookOf(original);
    const Look ourLook = LookOf(ours);
    EXPECT_NEAR(ourLook.luminance, originalLook.luminance, 0.10 * originalLook.luminance);
    EXPECT_NEAR(ourLook.saturation, originalLook.saturation, 0.20 * originalLook.saturation);
    const double psnr = Psnr(ours, original);
    EXPECT_GT(psnr, 25.0);
    EXPECT_LT(Psnr(matrixOnly, original), psnr - 8.0);
    // Other ffmpeg chains that roll highlights off come back no closer: the usual one with its default
    // nominal peak (scene light of SDR white at 100 cd/m²), and other curves on the same linear light.
    for (const char* chain : {"zscale=t=linear,format=gbrpf32le,zscale=p=bt709,tonemap=hable,zscale=t=bt709:m=bt709:r=tv,format=yuv420p",
             "zscale=t=linear,format=gbrpf32le,zscale=p=bt709,tonemap=mobius,zscale=t=bt709:m=bt709:r=tv,format=yuv420p",
             "zscale=t=linear:npl=203,format=gbrpf32le,zscale=p=bt709,tonemap=hable:peak=1000/203:desat=0,zscale=t=bt709:r=pc,format=gbrp",
             "zscale=t=linear:npl=203,format=gbrpf32le,zscale=p=bt709,tonemap=reinhard:peak=1000/203:desat=0,zscale=t=bt709:r=pc,format=gbrp",
             "zscale=t=linear:npl=203,format=gbrpf32le,zscale=p=bt709,tonemap=mobius:peak=1000/203:desat=0,zscale=t=bt709:r=pc,format=gbrp"})
        EXPECT_GE(psnr, Psnr(FfmpegFirstPicture(hdr, QString::fromLatin1(chain)), original)) << chain;
}

INSTANTIATE_TEST_SUITE_P(Transfers, RoundTrip, ::testing::Values("smpte2084", "arib-std-b67"),
    [](const auto& info) { return std::string(QLatin1String(info.param) == QLatin1String("smpte2084") ? "pq" : "hlg"); });

// The test pattern with its white at 1000 cd/m² (FFV1, 10-bit 4:2:0): skin tones, greys and
// saturated bars reach far above reference white, where the curve rolls them off.
class BrightPattern : public ::testing::TestWithParam<const char*> {};

TEST_P(BrightPattern, IsWithinALevelOfTheReadmeChain)
{
    QTemporaryDir folder;
    const QString sdr = MakeSdrPattern(folder);
    const QString hdr = folder.filePath(QStringLiteral("bright.mkv"));
    MakeVideo(hdr, {"-i", sdr, "-vf",
                       QStringLiteral("zscale=t=linear,format=gbrpf32le,zscale=p=bt2020:t=%1:m=bt2020nc:r=tv:npl=1000,format=yuv420p10le")
                           .arg(QLatin1String(GetParam())),
                       "-color_primaries", "bt2020", "-color_trc", GetParam(), "-colorspace", "bt2020nc", "-c:v", "ffv1"});
    QTemporaryDir output;
    Convert(hdr, output.path());
    ExpectPicturesNearFfmpeg(hdr, output.path(), ReadmeChain(1000), kLargestDifference, kWithinOneLevel);
}

INSTANTIATE_TEST_SUITE_P(Transfers, BrightPattern, ::testing::Values("smpte2084", "arib-std-b67"),
    [](const auto& info) { return std::string(QLatin1String(info.param) == QLatin1String("smpte2084") ? "pq" : "hlg"); });

// The vector tone curve gives its portable twin's bytes, on pictures of every kind of light (black,
// below and above the knee, beyond the peak, out of BT.709's gamut) and sizes that leave rows ends of
// every length, through zimg directly and through the step to 4:4:4.
TEST(ToneCurveKernels, VectorCodeGivesThePortableBytes)
{
    if (!CanRun(SimdLevel::kAvx2))
        GTEST_SKIP() << "this processor has no AVX2";
    for (const auto& [width, height] : {std::pair(98, 34), std::pair(111, 20), std::pair(97, 33)}) {
        const FramePtr picture(av_frame_alloc());
        ASSERT_TRUE(picture);
        picture->format = AV_PIX_FMT_YUV420P10;
        picture->width = width;
        picture->height = height;
        picture->colorspace = AVCOL_SPC_BT2020_NCL;
        picture->color_range = AVCOL_RANGE_MPEG;
        ASSERT_GE(av_frame_get_buffer(picture.get(), 0), 0);
        std::uint32_t noise = 12345;
        for (int p = 0; p < 3; ++p) {
            for (int y = 0; y < (p == 0 ? height : (height + 1) / 2); ++y) {
                auto* row = reinterpret_cast<std::uint16_t*>(picture->data[p] + y * picture->linesize[p]);
                for (int x = 0; x < (p == 0 ? width : (width + 1) / 2); ++x) {
                    noise = noise * 1103515245u + 12345u;
                    row[x] = static_cast<std::uint16_t>(64 + (noise >> 16) % 877);
                }
            }
        }
        for (const AVColorTransferCharacteristic transfer : {AVCOL_TRC_SMPTE2084, AVCOL_TRC_ARIB_STD_B67}) {
            const HdrSignal signal{transfer, 600};
            PackedDib portable(1, 1);
            PackedDib vector(1, 1);
            ToneMapper(SimdLevel::kPortable).Map(*picture, signal, portable);
            ToneMapper(SimdLevel::kAvx2).Map(*picture, signal, vector);
            ASSERT_EQ(std::pair(vector.Width(), vector.Height()), std::pair(width, height));
            EXPECT_TRUE(std::ranges::equal(vector.Bytes(), portable.Bytes())) << width << "x" << height << ", transfer " << transfer;
        }
    }
}

// A damaged stream can leave colour fields holding numbers no enum value has (a fuzzed AVI gave a
// chroma location of 13): such a location is taken as the default, left, and a matrix that is none
// makes the picture one that cannot be mapped, never undefined behaviour.
TEST(DamagedColourFields, AreReadAsNumbers)
{
    const FramePtr picture(av_frame_alloc());
    ASSERT_TRUE(picture);
    picture->format = AV_PIX_FMT_YUV420P10;
    picture->width = 32;
    picture->height = 16;
    ASSERT_GE(av_frame_get_buffer(picture.get(), 0), 0);
    for (int p = 0; p < 3; ++p)
        std::fill_n(picture->data[p], picture->linesize[p] * (p == 0 ? 16 : 8), std::uint8_t{0x01});
    const HdrSignal signal{AVCOL_TRC_ARIB_STD_B67, 1000};
    ToneMapper mapper;
    PackedDib left(1, 1);
    picture->chroma_location = AVCHROMA_LOC_LEFT;
    mapper.Map(*picture, signal, left);
    const int noLocation = 13;
    std::memcpy(&picture->chroma_location, &noLocation, sizeof noLocation);
    PackedDib damaged(1, 1);
    mapper.Map(*picture, signal, damaged);
    EXPECT_TRUE(std::ranges::equal(damaged.Bytes(), left.Bytes()));
    const int noMatrix = 99;
    std::memcpy(&picture->colorspace, &noMatrix, sizeof noMatrix);
    EXPECT_THROW(mapper.Map(*picture, signal, damaged), std::runtime_error);
}

// SDR in BT.2020 (10-bit, BT.2020 transfer) is no HDR: the BT.2020 matrix alone, as the ffmpeg command.
TEST(SdrBt2020, ConvertsByItsMatrixAlone)
{
    QTemporaryDir folder;
    const QString video = folder.filePath(QStringLiteral("bt2020.mkv"));
    MakeVideo(video, {"-f", "lavfi", "-i", "testsrc2=size=322x180:rate=25", "-frames:v", "3", "-pix_fmt", "yuv420p10le",
                         "-color_primaries", "bt2020", "-color_trc", "bt2020-10", "-colorspace", "bt2020nc", "-c:v", "ffv1"});
    QTemporaryDir output;
    Convert(video, output.path());
    ExpectPicturesMatchFfmpeg(video, output.path());
}

}  // namespace
