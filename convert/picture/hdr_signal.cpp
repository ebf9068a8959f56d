#include "convert/picture/hdr_signal.h"

#include <algorithm>
#include <cmath>

namespace {

// BT.2408: HDR reference white, where SDR white is placed.
constexpr int kReferenceWhite = 203;
// The peak assumed for PQ without metadata (the usual mastering peak), and HLG's nominal display.
constexpr double kUsualPeak = 1000.0;

double PictureSideData(const AVFrame& picture, AVFrameSideDataType type)
{
    const AVFrameSideData* data = av_frame_get_side_data(&picture, type);
    if (!data)
        return 0.0;
    if (type == AV_FRAME_DATA_CONTENT_LIGHT_LEVEL)
        return MaxContentLightOf(reinterpret_cast<const AVContentLightMetadata*>(data->data));
    return MasteringPeakOf(reinterpret_cast<const AVMasteringDisplayMetadata*>(data->data));
}

}  // namespace

double MaxContentLightOf(const AVContentLightMetadata* light) { return light ? light->MaxCLL : 0.0; }

double MasteringPeakOf(const AVMasteringDisplayMetadata* mastering)
{
    return mastering && mastering->has_luminance ? av_q2d(mastering->max_luminance) : 0.0;
}

std::optional<HdrSignal> HdrSignalOf(const AVFrame& picture, const StreamColours& stream)
{
    const AVColorTransferCharacteristic transfer = picture.color_trc != AVCOL_TRC_UNSPECIFIED ? picture.color_trc : stream.transfer;
    const AVColorPrimaries primaries = picture.color_primaries != AVCOL_PRI_UNSPECIFIED ? picture.color_primaries : stream.primaries;
    if ((transfer != AVCOL_TRC_SMPTE2084 && transfer != AVCOL_TRC_ARIB_STD_B67) || primaries != AVCOL_PRI_BT2020)
        return std::nullopt;
    double peak = kUsualPeak;
    if (transfer == AVCOL_TRC_SMPTE2084) {
        for (const double given : {PictureSideData(picture, AV_FRAME_DATA_CONTENT_LIGHT_LEVEL), stream.maxContentLight,
                 PictureSideData(picture, AV_FRAME_DATA_MASTERING_DISPLAY_METADATA), stream.masteringPeak}) {
            if (given > 0) {
                peak = given;
                break;
            }
        }
    }
    return HdrSignal{transfer, std::max(kReferenceWhite, static_cast<int>(std::lround(peak)))};
}
