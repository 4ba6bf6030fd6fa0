#pragma once

#include "components/AudioBlock.h"

#include <QObject>

#include <memory>

namespace soundtouch {
class SoundTouch;
}

// Speed change of a block, pitch kept (SoundTouch's tempo change). Each block is stretched on its
// own, to exactly its frame count × 100 / percent frames, in its own channel count; the stretch's
// time windows are tuned for 44.1 kHz, which the block does not tell.
class TAudioTransform2 : public QObject {
    Q_OBJECT

public:
    explicit TAudioTransform2(QObject* parent = nullptr);
    ~TAudioTransform2() override;
    TAudioTransform2(const TAudioTransform2&) = delete;
    TAudioTransform2& operator=(const TAudioTransform2&) = delete;

    // Percent of normal speed: 50 plays at half speed (the block gets twice as long), 150 at one
    // and a half. Allowed 10..1000; an empty block stays empty.
    void ChangeSpeed(AudioBlock& block, float percent);

private:
    std::unique_ptr<soundtouch::SoundTouch> m_stretch;
};
