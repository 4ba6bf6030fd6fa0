#include "components/FfmpegUtil.h"
#include "platform/FileNames.h"

#include <QFile>

#include <sys/stat.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libswresample/swresample.h>
}

QString ffmpegErrorText(int errorCode) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(errorCode, text, sizeof text);
    return QString::fromUtf8(text);
}

QString channelText(int channels) {
    if (channels == 1) return QStringLiteral("mono");
    if (channels == 2) return QStringLiteral("stereo");
    return QStringLiteral("%1 channels").arg(channels);
}

void quietFfmpegLog() {
    static const bool done = [] {
        av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    (void)done;
}

QByteArray ffmpegFileUrl(const QString& fileName) {
    return QByteArrayLiteral("file:") + FileNameBytes(fileName);
}

bool isRegularFile(const QString& fileName) {
    struct stat st {};
    return ::stat(FileNameBytes(fileName).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

void FfmpegFree::operator()(AVCodecContext* p) const {
    avcodec_free_context(&p);
}
void FfmpegFree::operator()(AVFrame* p) const {
    av_frame_free(&p);
}
void FfmpegFree::operator()(AVPacket* p) const {
    av_packet_free(&p);
}
void FfmpegFree::operator()(SwrContext* p) const {
    swr_free(&p);
}
void FfmpegFree::operator()(AVIOContext* p) const {
    if (p) av_freep(&p->buffer);
    avio_context_free(&p);
}
void FfmpegCloseInput::operator()(AVFormatContext* p) const {
    avformat_close_input(&p);
}
void FfmpegCloseOutput::operator()(AVFormatContext* p) const {
    if (p && p->pb && !(p->oformat->flags & AVFMT_NOFILE)) avio_closep(&p->pb);
    avformat_free_context(p);
}
