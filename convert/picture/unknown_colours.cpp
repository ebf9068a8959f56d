#include "convert/picture/unknown_colours.h"

void ForgetUnknownColours(AVFrame& picture)
{
    picture.color_primaries = KnownOr(picture.color_primaries, AVCOL_PRI_NB, AVCOL_PRI_UNSPECIFIED);
    picture.color_trc = KnownOr(picture.color_trc, AVCOL_TRC_NB, AVCOL_TRC_UNSPECIFIED);
    picture.colorspace = KnownOr(picture.colorspace, AVCOL_SPC_NB, AVCOL_SPC_UNSPECIFIED);
    picture.color_range = KnownOr(picture.color_range, AVCOL_RANGE_NB, AVCOL_RANGE_UNSPECIFIED);
    picture.chroma_location = KnownOr(picture.chroma_location, AVCHROMA_LOC_NB, AVCHROMA_LOC_UNSPECIFIED);
}
