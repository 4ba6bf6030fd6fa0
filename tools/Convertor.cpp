#include "tools/Convertor.h"

#include "common/GlobeVar.h"
#include "components/ComponentError.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "platform/FileNames.h"
#include "platform/PendingFile.h"
#include "platform/WindowMessages.h"

#include <QFileInfo>

#include <sys/stat.h>

namespace {

// True when `candidate` names anything, a dangling symbolic link included.
bool TargetTaken(const QString& candidate) {
    struct stat target {};
    return ::lstat(FileNameBytes(candidate).constData(), &target) == 0;
}

// The same file under two names (hard link, symbolic link, "." parts).
bool SameFile(const QString& a, const QString& b) {
    struct stat sa {
    }, sb{};
    return ::stat(FileNameBytes(a).constData(), &sa) == 0 && ::stat(FileNameBytes(b).constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace

QString ConvertTargetName(const QString& sourceFile, const QString& word) {
    const QString ext = word.toLower();
    const QFileInfo info(sourceFile);
    QString folder;
    QString base = info.completeBaseName();
    if (info.suffix().isEmpty() && !info.fileName().endsWith(QLatin1Char('.'))) base = info.fileName();
    if (GlobeVar::ConvertSaveToOriginal) {
        folder = info.path();
        if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    } else {
        folder = GlobeVar::ConvertOutputPath;
        if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    }
    QString candidate = folder + base + QLatin1Char('.') + ext;
    for (;;) {
        const bool isSource = SameFile(candidate, sourceFile);
        if (!isSource && (GlobeVar::ConvertOverwrite || !TargetTaken(candidate))) break;
        base += QStringLiteral(" New");
        candidate = folder + base + QLatin1Char('.') + ext;
    }
    return candidate;
}

TFormatSettings TFormatSettings::FromGlobals() {
    using namespace GlobeVar;
    TFormatSettings f;
    f.wavFreq = WavFreq;
    f.wavChannels = WavChannels;
    f.wavSampleRate = WavSampleRate;
    f.mp3Freq = MP3Freq;
    f.mp3Channels = MP3Channels;
    f.mp3BitRate = MP3BitRate;
    f.mp3MaxBitRate = MP3MaxBitRate;
    f.mp3EncoderQuality = MP3EncoderQuality;
    f.mp3VbrQuality = MP3VBRQuality;
    f.mp3VbrEnable = MP3VBREnable;
    f.mp3VbrHeader = MP3VBRHeader;
    f.oggFreq = OggFreq;
    f.oggChannels = OggChannels;
    f.oggBitRate = OggBitRate;
    f.wmaFormat = WmaFormat;
    return f;
}

void ConfigureConvertTarget(TAudioFile2& target, TAudioFile2LameEnc& lame, const QString& word,
                            const TFormatSettings& f) {
    target.EnableWMA(-1);
    if (word == QLatin1String("WAV")) {
        target.SetWavFormat(f.wavFreq, f.wavChannels, f.wavSampleRate);
    } else if (word == QLatin1String("MP3")) {
        if (f.mp3VbrEnable) {
            lame.SetConstantBitRate(0);
            lame.SetMaxBitRate(f.mp3MaxBitRate);
            lame.SetWriteVBRHeader(f.mp3VbrHeader ? -1 : 0);
            lame.SetVBRMode(0);
            lame.SetVBRQuality(f.mp3VbrQuality);
        } else {
            lame.SetConstantBitRate(-1);
        }
        lame.SetQuality(f.mp3EncoderQuality);
        target.SetLameEncoder(&lame);
        target.SetMp3Format(f.mp3Freq, f.mp3BitRate, f.mp3Channels);
    } else if (word == QLatin1String("OGG")) {
        target.SetOggFormat(f.oggFreq, f.oggChannels, 128, 0, 0, int16_t(f.oggBitRate));
    } else if (word == QLatin1String("WMA")) {
        target.SetWmaFormat(f.wmaFormat);
    }
}

void ConfigureConvertTarget(TAudioFile2& target, TAudioFile2LameEnc& lame, const QString& word) {
    ConfigureConvertTarget(target, lame, word, TFormatSettings::FromGlobals());
}

QString PrepareConversion(TAudioFile2& source, TAudioFile2& target, const QString& sourceFile,
                          const QString& targetFile, TPendingFile& output) {
    source.EnableWMA(-1);
    source.Close();
    target.Close();
    source.OpenRead(sourceFile, 0, 1);
    if (source.GetLastError() != 0) {
        const QString reason = source.GetLastErrorText();
        source.Close();
        return QStringLiteral("Unable to open %1: %2").arg(ShownFileName(sourceFile), reason);
    }
    const QString reserved = output.Begin(targetFile);
    if (!reserved.isEmpty()) {
        source.Close();
        return reserved;
    }
    target.CreateWrite(output.TempName(), 0);
    if (target.GetLastError() != 0) {
        const QString reason = target.GetLastErrorText();
        source.Close();
        output.Discard();
        return QStringLiteral("Unable to create %1: %2").arg(ShownFileName(targetFile), reason);
    }
    target.SetInputFormat(source.GetSampleFormat1(), source.GetSampleFormat2());
    return {};
}

QString FinishConversion(const TConvertor& convertor, bool cancelled, TPendingFile& output) {
    const QString error = convertor.ErrorText();
    if (cancelled || !error.isEmpty()) {
        output.Discard();
        if (cancelled) return {};
        return QStringLiteral("Unable to convert into %1: %2").arg(ShownFileName(output.FinalName()), error);
    }
    return output.Commit(convertor.Overwrite());
}

namespace {

// Copies the source into the target block by block, posting the percent done after each block. A
// source that gives no audio at all is a failure: the target would be a file no decoder opens.
QString ConvertBody(TAudioCopyThread& thread, const QString& sourceFile) {
    TAudioFile2* source = thread.Reader();
    try {
        const int rate = source->GetSampleFormat1();
        const int64_t length = source->GetLength();
        const int perPosition = std::max(1, source->GetElementsPerPosition());
        int64_t done = 0;
        int lastPercent = -1;
        for (;;) {
            // The block count is in frames; rate x channels frames, as the thread always read.
            AudioBlock block = source->ReadArray(rate * source->GetSampleFormat2());
            if (block.upperBound() < 0) {
                if (!thread.CopiedAny())
                    return QStringLiteral("%1 holds no audio").arg(ShownFileName(sourceFile));
                PostWindowMessage(thread.Window(), WindowMessageId::ConvertProgress, 1, 100);
                break;
            }
            thread.Writer()->WriteArray(block);
            thread.CountCopied(block.frames());
            done += (int64_t(block.upperBound()) + 1) / perPosition;
            if (done > length) done = length;
            // A length of 0 shows 0 % until the end.
            const int percent = length > 0 ? int(done * 100 / length) : 0;
            if (percent != lastPercent) {
                PostWindowMessage(thread.Window(), WindowMessageId::ConvertProgress, 1, percent);
                lastPercent = percent;
            }
            if (thread.Terminated()) break;
        }
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

} // namespace

TConvertor::TConvertor(TAudioFile2* source, QObject* window, TAudioFile2* target,
                       std::function<void()> onFinished, const QString& sourceFile)
    : TAudioCopyThread(source, target, window, std::move(onFinished),
                       [sourceFile](TAudioCopyThread& thread) { return ConvertBody(thread, sourceFile); }),
      m_overwrite(GlobeVar::ConvertOverwrite) {}
