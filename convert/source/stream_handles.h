#pragma once

#include "convert/picture/frame_handles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include <memory>

// One owning pointer type per FFmpeg object of reading and decoding a file, each freed by its own function.
struct IoContextCloser {
    void operator()(AVIOContext* context) const { avio_closep(&context); }
};
struct FormatContextCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecContextFreer {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct PacketFreer {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct DictionaryFreer {
    void operator()(AVDictionary* dictionary) const { av_dict_free(&dictionary); }
};

using IoContextPtr = std::unique_ptr<AVIOContext, IoContextCloser>;
using FormatContextPtr = std::unique_ptr<AVFormatContext, FormatContextCloser>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using DictionaryPtr = std::unique_ptr<AVDictionary, DictionaryFreer>;
