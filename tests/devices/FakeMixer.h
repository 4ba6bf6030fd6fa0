#pragma once

#include "components/AudioMixer.h"

#include <QStringList>

#include <memory>
#include <vector>

// A mixer that only remembers: line names, volumes, mutes and capture sources the component set.
struct FakeMixerState {
    QStringList names;
    int mainLine = -1;
    std::vector<int> volumes;
    std::vector<bool> muted;
    std::vector<bool> source;
};

class FakeMixer : public AudioMixer {
public:
    explicit FakeMixer(std::shared_ptr<FakeMixerState> state) : m_state(std::move(state)) {}
    int lineCount() const override { return static_cast<int>(m_state->names.size()); }
    QString lineName(int line) const override { return m_state->names.at(line); }
    bool isMainPlaybackLine(int line) const override { return line == m_state->mainLine; }
    int volume(int line) const override { return m_state->volumes.at(static_cast<std::size_t>(line)); }
    void setVolume(int line, int v) override { m_state->volumes.at(static_cast<std::size_t>(line)) = v; }
    void setMute(int line, bool m) override { m_state->muted.at(static_cast<std::size_t>(line)) = m; }
    void setCaptureSource(int line) override { m_state->source.at(static_cast<std::size_t>(line)) = true; }

private:
    std::shared_ptr<FakeMixerState> m_state;
};

inline std::shared_ptr<FakeMixerState> makeFakeState(const QStringList& names, int mainLine = -1) {
    auto s = std::make_shared<FakeMixerState>();
    s->names = names;
    s->mainLine = mainLine;
    s->volumes.assign(static_cast<std::size_t>(names.size()), 1000);
    s->muted.assign(static_cast<std::size_t>(names.size()), true);
    s->source.assign(static_cast<std::size_t>(names.size()), false);
    return s;
}
