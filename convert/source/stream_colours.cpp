#include "convert/source/stream_colours.h"

StreamColours StreamColoursOf(const AVStream& stream)
{
    StreamColours colours;
    colours.transfer = stream.codecpar->color_trc;
    colours.primaries = stream.codecpar->color_primaries;
    colours.maxContentLight = MaxContentLightOf(reinterpret_cast<const AVContentLightMetadata*>(
        av_stream_get_side_data(&stream, AV_PKT_DATA_CONTENT_LIGHT_LEVEL, nullptr)));
    colours.masteringPeak = MasteringPeakOf(reinterpret_cast<const AVMasteringDisplayMetadata*>(
        av_stream_get_side_data(&stream, AV_PKT_DATA_MASTERING_DISPLAY_METADATA, nullptr)));
    return colours;
}
