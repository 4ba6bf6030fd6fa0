#include "tools/Splitter.h"

#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "platform/WindowMessages.h"
#include "recorder/GlobeVar.h"
#include "tools/Convertor.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

QString JoinFolder(const QString& folder, const QString& name) {
    if (folder.isEmpty()) return name;
    if (folder.endsWith(QLatin1Char('/'))) return folder + name;
    return folder + QLatin1Char('/') + name;
}

std::vector<int> SplitCutRows(const std::vector<bool>& use) {
    std::vector<int> rows;
    for (std::size_t i = 0; i < use.size(); ++i)
        if (use[i] || i + 1 == use.size()) rows.push_back(int(i));
    return rows;
}

QString SplitOutputName(const QString& folder, const QString& base, int k, const QString& ext) {
    QString stem = base + QStringLiteral("-Splitted") + QString::number(k);
    if (!GlobeVar::SplitOverwrite)
        while (QFileInfo::exists(JoinFolder(folder, stem + QLatin1Char('.') + ext)))
            stem += QStringLiteral(" New");
    return JoinFolder(folder, stem + QLatin1Char('.') + ext);
}

namespace {

void CloseQuietly(TAudioFile2& file) {
    try {
        file.Close();
    } catch (const std::exception&) {
    }
}

void Yield(QObject* window, int k, int64_t percent) {
    PostWindowMessage(window, WindowMessageId::SplitJoinProgress, k, qintptr(percent));
    QCoreApplication::processEvents();
}

} // namespace

TSplitResult RunSplit(TAudioFile2& in, TAudioFile2& out, TAudioFile2LameEnc& lame, const QString& sourceFile,
                      const std::vector<int64_t>& cutsMs, QObject* window,
                      const std::function<bool()>& cancelRequested) {
    TSplitResult result;
    if (cutsMs.size() < 2) {
        result.message = QStringLiteral("No section selected");
        return result;
    }
    const QString word = GlobeVar::GetAudioFormat(sourceFile);
    const QFileInfo info(sourceFile);
    const QString folder = GlobeVar::SplitSaveToOriginal ? info.path() : GlobeVar::SplitOutputPath;
    auto fail = [&](const QString& message) {
        result.failed = true;
        result.message = message;
        CloseQuietly(in);
        return result;
    };
    if (word.isEmpty())
        return fail(QStringLiteral("Unable to open %1: not a WAV, MP3, OGG or WMA file").arg(sourceFile));
    in.EnableWMA(-1);
    in.OpenRead(sourceFile, 0, 1);
    if (in.GetLastError() != 0)
        return fail(QStringLiteral("Unable to open %1: %2").arg(sourceFile, in.GetLastErrorText()));
    ConfigureConvertTarget(out, lame, word);
    const int rate = in.GetSampleFormat1();
    const int64_t block = int64_t(rate) * in.GetSampleFormat2();
    for (std::size_t k = 0; k + 1 < cutsMs.size(); ++k) {
        if (cancelRequested()) {
            result.cancelled = true;
            break;
        }
        const QString name = SplitOutputName(folder, info.completeBaseName(), int(k), word.toLower());
        out.CreateWrite(name, 0);
        if (out.GetLastError() != 0)
            return fail(QStringLiteral("Unable to create %1: %2").arg(name, out.GetLastErrorText()));
        result.written << name;
        bool cancelledHere = false;
        try {
            out.SetInputFormat(rate, in.GetSampleFormat2());
            const int64_t len = (cutsMs[k + 1] - cutsMs[k]) * rate / 1000;
            const int64_t start = cutsMs[k] * rate / 1000;
            const int64_t count = block > 0 ? len / block : 0;
            const int64_t rest = block > 0 ? len % block : 0;
            in.Seek(start, 3);
            for (int64_t j = 1; j <= count && !cancelRequested(); ++j) {
                out.WriteArray(in.ReadArray(int(block)));
                // A length of 0 never divides.
                Yield(window, int(k), len > 0 ? (j - 1) * block * 100 / len : 0);
            }
            if (rest > 0 && !cancelRequested()) {
                in.Seek(count * block + start, 3);
                out.WriteArray(in.ReadArray(int(rest)));
            }
            cancelledHere = cancelRequested();
            if (!cancelledHere) Yield(window, int(k), 100);
            out.Close();
        } catch (const std::exception& e) {
            CloseQuietly(out);
            QFile::remove(name);
            result.written.removeLast();
            return fail(QStringLiteral("Unable to write %1: %2").arg(name, QString::fromUtf8(e.what())));
        }
        if (cancelledHere) {
            result.cancelled = true;
            result.cancelledCut = int(k);
            break;
        }
    }
    CloseQuietly(in);
    if (!result.cancelled) result.message = QStringLiteral("Split finished");
    return result;
}
