#include "tools/JoinerThread.h"

#include "common/GlobeVar.h"
#include "components/TAudioFile2.h"
#include "platform/PendingFile.h"
#include "platform/WindowMessages.h"

#include <QFile>

namespace {

// Copies every file in turn into the writer, block by block, posting each file's percent done.
QString MergeBody(TAudioCopyThread& thread, const QStringList& fileNames) {
    TAudioFile2* reader = thread.Reader();
    TAudioFile2* writer = thread.Writer();
    QString error;
    for (int i = 0; i < fileNames.size() && error.isEmpty() && !thread.Terminated(); ++i) {
        const QString& file = fileNames[i];
        try {
            reader->EnableWMA(-1);
            reader->OpenRead(file, 0, 1);
            if (reader->GetLastError() != 0) {
                error = QStringLiteral("Unable to open %1: %2").arg(file, reader->GetLastErrorText());
                break;
            }
            // Files of other rates or channel counts are converted into the output format.
            writer->SetInputFormat(reader->GetSampleFormat1(), reader->GetSampleFormat2());
            const int block = reader->GetSampleFormat1() * reader->GetSampleFormat2();
            const int64_t length = reader->GetLength();
            const int perPosition = std::max(1, reader->GetElementsPerPosition());
            int64_t done = 0;
            bool audio = false;
            for (;;) {
                AudioBlock data = reader->ReadArray(block);
                if (data.upperBound() < 0) {
                    // A file that gives no audio at all would add nothing: the user is told which.
                    if (!audio && !thread.Terminated()) {
                        error = QStringLiteral("Unable to merge %1: it holds no audio").arg(file);
                        break;
                    }
                    PostWindowMessage(thread.Window(), WindowMessageId::SplitJoinProgress, i, 100);
                    break;
                }
                writer->WriteArray(data);
                thread.CountCopied(data.frames());
                audio = true;
                done = std::min(length, done + (int64_t(data.upperBound()) + 1) / perPosition);
                // A length of 0 shows 0 % until the end.
                PostWindowMessage(thread.Window(), WindowMessageId::SplitJoinProgress, i,
                                  length > 0 ? qintptr(done * 100 / length) : 0);
                if (thread.Terminated()) break;
            }
            reader->Close();
        } catch (const std::exception& e) {
            error = QStringLiteral("Unable to merge %1: %2").arg(file, QString::fromUtf8(e.what()));
        }
    }
    return error;
}

} // namespace

TJoinerThread::TJoinerThread(TAudioFile2* reader, int lastIndex, const QStringList& fileNames,
                             QObject* window, TAudioFile2* writer, std::function<void()> onFinished)
    : TAudioCopyThread(reader, writer, window, std::move(onFinished),
                       [files = fileNames.mid(0, lastIndex + 1)](TAudioCopyThread& thread) {
                           return MergeBody(thread, files);
                       }),
      m_overwrite(GlobeVar::JoinOverwrite) {}

QString FinishMerge(const TJoinerThread& thread, TPendingFile& output) {
    const QString error = thread.ErrorText();
    if (error.isEmpty() && !thread.CopiedAny()) {
        // Cancelled before any audio was written (or given no file): nothing worth keeping.
        output.Discard();
        return thread.Terminated()
                   ? QString()
                   : QStringLiteral("Unable to merge into %1: no audio to merge").arg(output.FinalName());
    }
    if (error.isEmpty()) return output.Commit(thread.Overwrite());
    output.Discard();
    return error;
}
