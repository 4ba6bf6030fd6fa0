#include "tools/AudioCopyThread.h"

#include "components/TAudioFile2.h"
#include "platform/WindowMessages.h"

TAudioCopyThread::TAudioCopyThread(TAudioFile2* reader, TAudioFile2* writer, QObject* window,
                                   std::function<void()> onFinished, Body body)
    : m_reader(reader), m_writer(writer), m_window(window), m_onFinished(std::move(onFinished)) {
    m_thread = std::thread([this, body = std::move(body)] { Execute(body); });
}

TAudioCopyThread::~TAudioCopyThread() {
    Terminate();
    WaitFor();
}

void TAudioCopyThread::Terminate() {
    m_terminated.store(true);
}

void TAudioCopyThread::WaitFor() {
    if (m_thread.joinable()) m_thread.join();
}

QString TAudioCopyThread::ErrorText() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_errorText;
}

void TAudioCopyThread::Execute(const Body& body) {
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
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_errorText = error;
    }
    m_finished.store(true);
    if (m_onFinished) RunOnUiThread(m_window, m_onFinished);
}
