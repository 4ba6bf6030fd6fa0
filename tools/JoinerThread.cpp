#include "tools/JoinerThread.h"

#include "components/TAudioFile2.h"
#include "platform/WindowMessages.h"

#include <QFile>

TJoinerThread::TJoinerThread(TAudioFile2* reader, int lastIndex, const QStringList& fileNames,
                             QObject* window, TAudioFile2* writer, std::function<void()> onFinished)
    : m_reader(reader), m_fileNames(fileNames.mid(0, lastIndex + 1)), m_window(window), m_writer(writer),
      m_onFinished(std::move(onFinished)) {
    m_thread = std::thread([this] { Execute(); });
}

TJoinerThread::~TJoinerThread() {
    Terminate();
    WaitFor();
}

void TJoinerThread::Terminate() {
    m_terminated.store(true);
}

void TJoinerThread::WaitFor() {
    if (m_thread.joinable()) m_thread.join();
}

QString TJoinerThread::ErrorText() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_errorText;
}

void TJoinerThread::Execute() {
    QString error;
    for (int i = 0; i < m_fileNames.size() && error.isEmpty() && !m_terminated.load(); ++i) {
        const QString& file = m_fileNames[i];
        try {
            m_reader->EnableWMA(-1);
            m_reader->OpenRead(file, 0, 1);
            if (m_reader->GetLastError() != 0) {
                error = QStringLiteral("Unable to open %1: %2").arg(file, m_reader->GetLastErrorText());
                break;
            }
            // Files of other rates or channel counts are converted into the output format.
            m_writer->SetInputFormat(m_reader->GetSampleFormat1(), m_reader->GetSampleFormat2());
            const int block = m_reader->GetSampleFormat1() * m_reader->GetSampleFormat2();
            const int64_t length = m_reader->GetLength();
            const int perPosition = std::max(1, m_reader->GetElementsPerPosition());
            int64_t done = 0;
            for (;;) {
                AudioBlock data = m_reader->ReadArray(block);
                if (data.upperBound() < 0) {
                    PostWindowMessage(m_window, WindowMessageId::SplitJoinProgress, i, 100);
                    break;
                }
                m_writer->WriteArray(data);
                done = std::min(length, done + (int64_t(data.upperBound()) + 1) / perPosition);
                // A length of 0 shows 0 % until the end.
                PostWindowMessage(m_window, WindowMessageId::SplitJoinProgress, i,
                                  length > 0 ? qintptr(done * 100 / length) : 0);
                if (m_terminated.load()) break;
            }
            m_reader->Close();
        } catch (const std::exception& e) {
            error = QStringLiteral("Unable to merge %1: %2").arg(file, QString::fromUtf8(e.what()));
        }
    }
    try {
        m_writer->Close();
    } catch (const std::exception& e) {
        if (error.isEmpty()) error = QString::fromUtf8(e.what());
    }
    try {
        m_reader->Close();
    } catch (const std::exception&) {
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_errorText = error;
    }
    m_finished.store(true);
    if (m_onFinished) RunOnUiThread(m_window, m_onFinished);
}

QString FinishMerge(const TJoinerThread& thread, const QString& outputFile) {
    const QString error = thread.ErrorText();
    if (error.isEmpty()) return {};
    QFile::remove(outputFile);
    return error;
}
