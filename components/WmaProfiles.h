#pragma once

#include <QString>

#include <vector>

// The WMA output profiles. The designed list has fifteen entries, "8000Hz,mono,4kbps" up to
// "44100Hz,stereo,128kbps"; each is tried once against the wmav2 encoder. A profile whose bit rate
// the encoder refuses gets the lowest bit rate it accepts at that sample rate and channel count,
// and its name gives the bit rate the file really gets. A profile that does not encode at all is
// left out. Profile 15 ("44100Hz,stereo,128kbps") is the default.
struct WmaProfile {
    int sampleRate;
    int channels;
    int kbps; // what the encoder really writes
    QString name;
};

// The usable profiles, in order (profile k is entry k - 1). Probed on the first call, thread-safe.
const std::vector<WmaProfile>& wmaProfiles();
// Profile k (1-based), or nullptr for a number outside 1 .. wmaProfiles().size().
const WmaProfile* findWmaProfile(int profile);
// Profile k; raises ComponentError "There is no WMA profile k" for a number outside the list.
const WmaProfile& wmaProfile(int profile);
