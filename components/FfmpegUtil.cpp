#include "components/FfmpegUtil.h"

#include <QFile>

#include <sys/stat.h>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
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
    return QByteArrayLiteral("file:") + QFile::encodeName(fileName);
}

bool isRegularFile(const QString& fileName) {
    struct stat st {};
    return ::stat(QFile::encodeName(fileName).constData(), &st) == 0 && S_ISREG(st.st_mode);
}
