#include "tools/AudioCopyThread.h"

#include "components/TAudioFile2.h"

TAudioCopyThread::TAudioCopyThread(TAudioFile2* reader, TAudioFile2* writer, QObject* window,
                                   std::function<void()> onFinished, Body body)
    : m_reader(reader), m_writer(writer), m_window(window) {
    m_job.Start(
        [this, body = std::move(body)](const TWorkerJob<void>::Link&) {
            const QString error = Execute(body);
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_errorText = error;
        },
        std::move(onFinished));
}

QString TAudioCopyThread::ErrorText() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_errorText;
}

QString TAudioCopyThread::Execute(const Body& body) {
    QString error;
    try {
        error = body(*this);
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
    }
    try {
        m_writer->Close();
    } catch (const std::exception& e) {
        if (error.isEmpty()) error = QString::fromUtf8(e.what());
    }
    try {
        m_reader->Close();
    } catch (const std::exception&) {
        // The reader's close only lets its file go; what was copied does not depend on it.
    }
    return error;
}
