#include "convert/source/stream_colours.h"

#include "convert/picture/unknown_colours.h"

StreamColours StreamColoursOf(const AVStream& stream)
{
    StreamColours colours;
    colours.transfer = KnownOr(stream.codecpar->color_trc, AVCOL_TRC_NB, AVCOL_TRC_UNSPECIFIED);
    colours.primaries = KnownOr(stream.codecpar->color_primaries, AVCOL_PRI_NB, AVCOL_PRI_UNSPECIFIED);
    colours.maxContentLight = MaxContentLightOf(reinterpret_cast<const AVContentLightMetadata*>(
        av_stream_get_side_data(&stream, AV_PKT_DATA_CONTENT_LIGHT_LEVEL, nullptr)));
    colours.masteringPeak = MasteringPeakOf(reinterpret_cast<const AVMasteringDisplayMetadata*>(
        av_stream_get_side_data(&stream, AV_PKT_DATA_MASTERING_DISPLAY_METADATA, nullptr)));
    return colours;
}
