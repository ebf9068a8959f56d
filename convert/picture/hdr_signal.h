#pragma once

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/mastering_display_metadata.h>
}

#include <optional>

// What makes a picture HDR and how bright it gets: enough to choose its tone mapping to SDR BT.709.
struct HdrSignal {
    AVColorTransferCharacteristic transfer = AVCOL_TRC_SMPTE2084;  // PQ or HLG
    // The brightest content in cd/m², never below the 203 cd/m² reference white where SDR white
    // belongs.
    int peak = 1000;
    bool operator==(const HdrSignal&) const = default;
};

// What the stream says about its colours, for pictures that say nothing themselves.
struct StreamColours {
    AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
    AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
    double maxContentLight = 0;  // cd/m², 0 when not given
    double masteringPeak = 0;    // cd/m², 0 when not given
};

// The brightness that metadata gives, in cd/m²; 0 without it.
double MaxContentLightOf(const AVContentLightMetadata* light);
double MasteringPeakOf(const AVMasteringDisplayMetadata* mastering);

// The picture's HDR signal, when it has PQ or HLG transfer with BT.2020 primaries (its own values, else
// the stream's). The peak of PQ comes from the content light level (MaxCLL), else the mastering
// display's peak, else 1000 cd/m²; HLG is relative to a 1000 cd/m² display by its definition.
std::optional<HdrSignal> HdrSignalOf(const AVFrame& picture, const StreamColours& stream);
