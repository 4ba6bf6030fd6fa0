#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// Small helpers shared by the FFmpeg-based file units.
QString ffmpegErrorText(int errorCode);
// "mono", "stereo" or "<n> channels".
QString channelText(int channels);
// FFmpeg's own log stays quiet: failures reach the caller as exceptions with their own text.
void quietFfmpegLog();
// The "file:" address FFmpeg opens for a local file name, so that a name with a colon is never
// taken for another protocol.
QByteArray ffmpegFileUrl(const QString& fileName);
// True when the name is an existing regular file (not a folder, pipe or device).
bool isRegularFile(const QString& fileName);

// Owners of FFmpeg's handles: each frees its handle with the matching FFmpeg call, so no error path
// frees by hand.
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVIOContext;
struct AVPacket;
struct SwrContext;

struct FfmpegFree {
    void operator()(AVCodecContext* p) const;
    void operator()(AVFrame* p) const;
    void operator()(AVPacket* p) const;
    void operator()(SwrContext* p) const;
    // An AVIOContext of our own (avio_alloc_context) with its buffer.
    void operator()(AVIOContext* p) const;
};
// A demuxer opened with avformat_open_input.
struct FfmpegCloseInput {
    void operator()(AVFormatContext* p) const;
};
// A muxer from avformat_alloc_output_context2, with the file it opened.
struct FfmpegCloseOutput {
    void operator()(AVFormatContext* p) const;
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, FfmpegFree>;
using FramePtr = std::unique_ptr<AVFrame, FfmpegFree>;
using PacketPtr = std::unique_ptr<AVPacket, FfmpegFree>;
using ResamplerPtr = std::unique_ptr<SwrContext, FfmpegFree>;
using IoContextPtr = std::unique_ptr<AVIOContext, FfmpegFree>;
using InputFormatPtr = std::unique_ptr<AVFormatContext, FfmpegCloseInput>;
using OutputFormatPtr = std::unique_ptr<AVFormatContext, FfmpegCloseOutput>;
