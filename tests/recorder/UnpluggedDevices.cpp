#include "tests/recorder/UnpluggedDevices.h"

#include <alsa/asoundlib.h>

#include <atomic>
#include <cerrno>

#include <dlfcn.h>

// The ALSA calls of this program resolve to the definitions below (the program's own come before the
// library's); each hands on to the library's unless the devices are unplugged.
namespace {

std::atomic<bool> unplugged{false};

template <class F> F library(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

} // namespace

UnpluggedDevices::UnpluggedDevices() {
    unplugged.store(true);
}

UnpluggedDevices::~UnpluggedDevices() {
    unplugged.store(false);
}

extern "C" {

int snd_pcm_open(snd_pcm_t** pcm, const char* name, snd_pcm_stream_t stream, int mode) {
    static const auto real =
        library<int (*)(snd_pcm_t**, const char*, snd_pcm_stream_t, int)>("snd_pcm_open");
    if (unplugged.load()) return -ENODEV;
    return real(pcm, name, stream, mode);
}

snd_pcm_sframes_t snd_pcm_readi(snd_pcm_t* pcm, void* buffer, snd_pcm_uframes_t size) {
    static const auto real =
        library<snd_pcm_sframes_t (*)(snd_pcm_t*, void*, snd_pcm_uframes_t)>("snd_pcm_readi");
    if (unplugged.load()) return -ENODEV;
    return real(pcm, buffer, size);
}

snd_pcm_sframes_t snd_pcm_writei(snd_pcm_t* pcm, const void* buffer, snd_pcm_uframes_t size) {
    static const auto real =
        library<snd_pcm_sframes_t (*)(snd_pcm_t*, const void*, snd_pcm_uframes_t)>("snd_pcm_writei");
    if (unplugged.load()) return -ENODEV;
    return real(pcm, buffer, size);
}

int snd_pcm_wait(snd_pcm_t* pcm, int timeout) {
    static const auto real = library<int (*)(snd_pcm_t*, int)>("snd_pcm_wait");
    if (unplugged.load()) return -ENODEV;
    return real(pcm, timeout);
}

snd_pcm_sframes_t snd_pcm_avail_update(snd_pcm_t* pcm) {
    static const auto real = library<snd_pcm_sframes_t (*)(snd_pcm_t*)>("snd_pcm_avail_update");
    if (unplugged.load()) return -ENODEV;
    return real(pcm);
}

snd_pcm_sframes_t snd_pcm_avail(snd_pcm_t* pcm) {
    static const auto real = library<snd_pcm_sframes_t (*)(snd_pcm_t*)>("snd_pcm_avail");
    if (unplugged.load()) return -ENODEV;
    return real(pcm);
}

int snd_pcm_delay(snd_pcm_t* pcm, snd_pcm_sframes_t* delay) {
    static const auto real = library<int (*)(snd_pcm_t*, snd_pcm_sframes_t*)>("snd_pcm_delay");
    if (unplugged.load()) return -ENODEV;
    return real(pcm, delay);
}

int snd_pcm_prepare(snd_pcm_t* pcm) {
    static const auto real = library<int (*)(snd_pcm_t*)>("snd_pcm_prepare");
    if (unplugged.load()) return -ENODEV;
    return real(pcm);
}

int snd_pcm_start(snd_pcm_t* pcm) {
    static const auto real = library<int (*)(snd_pcm_t*)>("snd_pcm_start");
    if (unplugged.load()) return -ENODEV;
    return real(pcm);
}

snd_pcm_state_t snd_pcm_state(snd_pcm_t* pcm) {
    static const auto real = library<snd_pcm_state_t (*)(snd_pcm_t*)>("snd_pcm_state");
    if (unplugged.load()) return SND_PCM_STATE_DISCONNECTED;
    return real(pcm);
}

} // extern "C"
