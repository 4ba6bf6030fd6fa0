// The signal-processing units: equaliser response and click-free switching, noise filters.
#include "DeviceTestSupport.h"

#include "components/Equalizer.h"
#include "components/FftSpectrum.h"
#include "components/NoiseFilters.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace devtest;

TEST(Equalizer, FlatPassesUntouchedAndBandsAreWhereDocumented) {
    Equalizer eq;
    eq.setFormat(44100, 2);
    std::vector<int16_t> s = sine(44100, 2, 0.2, {100.0, 7000.0}, {0.9, 0.9});
    const std::vector<int16_t> original = s;
    eq.process(s.data(), s.size() / 2);
    EXPECT_EQ(s, original);
    eq.setGains(std::vector<float>(12, 0.0f));
    eq.process(s.data(), s.size() / 2);
    EXPECT_EQ(s, original);

    Biquad b;
    for (std::size_t i = 0; i < Equalizer::kBands; ++i) {
        b.setPeaking(44100, Equalizer::kCentres[i], Equalizer::kQ, 12.0);
        EXPECT_NEAR(b.responseDb(44100, Equalizer::kCentres[i]), 12.0, 0.01);
    }
    b.setPeaking(44100, 1000.0, Equalizer::kQ, 12.0);
    EXPECT_LT(std::fabs(b.responseDb(44100, 4000.0)), 1.0);
    EXPECT_LT(std::fabs(b.responseDb(44100, 250.0)), 1.0);
}

TEST(Equalizer, SwitchingFadesWithoutAClick) {
    Equalizer eq;
    eq.setFormat(44100, 1);
    std::vector<float> gains(12, 0.0f);
    gains[5] = 12.0f;
    eq.setGains(gains);
    std::vector<int16_t> s = sine(44100, 1, 0.5, {1000.0}, {0.1});
    const std::size_t half = s.size() / 2;
    eq.process(s.data(), half);
    eq.setEnabled(false);
    eq.process(s.data() + half, s.size() - half);
    // A 1 kHz sine moves at most 2*pi*1000/44100 of its amplitude per sample; the boosted one
    // (x 4) bounds every step, a hard switch would jump by up to 3/4 of the boosted amplitude.
    const double bound = 4.0 * 0.1 * 32767 * 2 * M_PI * 1000 / 44100 * 1.1;
    int worst = 0;
    for (std::size_t i = half - 2000; i < half + 2000; ++i)
        worst = std::max(worst, std::abs(s[i] - s[i - 1]));
    EXPECT_LT(worst, bound);
    // After the fade the signal is the plain one again.
    const std::vector<int16_t> plain = sine(44100, 1, 0.5, {1000.0}, {0.1});
    EXPECT_TRUE(std::equal(s.end() - 1000, s.end(), plain.end() - 1000));
}

TEST(Equalizer, GainsAreClampedAndSaturate) {
    Equalizer eq;
    eq.setFormat(44100, 1);
    std::vector<float> gains(12, 0.0f);
    gains[11] = 40.0f; // preamp beyond the range: +15 dB
    eq.setGains(gains);
    std::vector<int16_t> s = sine(44100, 1, 0.1, {440.0}, {0.9});
    eq.process(s.data(), s.size());
    EXPECT_EQ(*std::max_element(s.begin(), s.end()), 32767);
    EXPECT_EQ(*std::min_element(s.begin(), s.end()), -32768);
}

TEST(NoiseFilters, LowHighAndGate) {
    NoiseFilters nf;
    nf.setFormat(44100, 1);
    NoiseFilterSettings s;
    s.lowEnabled = true; // high-pass at 100 Hz
    nf.apply(s);
    std::vector<int16_t> hum = sine(44100, 1, 0.5, {30.0}, {0.5});
    nf.process(hum.data(), hum.size());
    EXPECT_LT(rms(hum, 1, 0, 4410), 0.5 * 32767 / std::sqrt(2.0) / 8.0);
    std::vector<int16_t> voice = sine(44100, 1, 0.5, {1000.0}, {0.5});
    nf.process(voice.data(), voice.size());
    EXPECT_NEAR(rms(voice, 1, 0, 4410), 0.5 * 32767 / std::sqrt(2.0), 200.0);

    NoiseFilters gate;
    gate.setFormat(44100, 1);
    NoiseFilterSettings g;
    g.extraEnabled = true;
    g.extraValue = 50.0f; // -50 dBFS
    gate.apply(g);
    std::vector<int16_t> quiet = sine(44100, 1, 0.5, {1000.0}, {0.001}); // -60 dBFS
    gate.process(quiet.data(), quiet.size());
    EXPECT_LT(rms(quiet, 1, 0, 22050), 1.0);
    std::vector<int16_t> loud = sine(44100, 1, 0.5, {1000.0}, {0.1}); // -20 dBFS
    const std::vector<int16_t> loudIn = loud;
    gate.process(loud.data(), loud.size());
    EXPECT_NEAR(rms(loud, 1, 0, 4410), rms(loudIn, 1, 0, 4410), 5.0);
}

TEST(Spectrum, FullScaleSineIsZeroDb) {
    FftSpectrum fft;
    const AudioBlock b(sine(44100, 1, 0.1, {44100.0 * 64 / 1024}, {1.0}), 1);
    const std::vector<float>& db = fft.analyse(b, 1024);
    ASSERT_EQ(db.size(), 512u);
    EXPECT_NEAR(db[64], 0.0, 0.2);
    EXPECT_LT(db[200], -60.0);
    const std::vector<float> bands = GroupLogBands(db, 16);
    EXPECT_EQ(bands.size(), 16u);
    EXPECT_NEAR(*std::max_element(bands.begin(), bands.end()), 0.0, 0.2);
}
