// Device and line lists: loops one past the count, names, the fake mixer behind line selection,
// volume, record source and mute, and the software line of a device without a mixer.
#include "DeviceTestSupport.h"
#include "FakeMixer.h"

#include "components/AlsaDevice.h"
#include "components/AudioMixer.h"
#include "components/TAudioPlayer2.h"
#include "components/TAudioRecord2.h"

#include <gtest/gtest.h>

using namespace devtest;

namespace {
QString threeDevices(const AlsaSandbox& box) {
    return AlsaSandbox::captureDevice("default", box.path("a.raw"), "Desktop Default") +
           AlsaSandbox::captureDevice("vzmic", box.path("b.raw"), "USB Microphone") +
           AlsaSandbox::playbackDevice("vzout", box.path("c.raw"), "Speakers\nFront output");
}
} // namespace

TEST(Devices, DefaultFirstAndLoopsPastTheCount) {
    AlsaSandbox box;
    box.useConfig(threeDevices(box));
    TAudioRecord2 ar;
    ar.SetMixerFactory([](const AudioDeviceInfo&, bool) { return nullptr; });
    const int n = ar.GetDeviceCount();
    ASSERT_EQ(n, 3); // no direction in the hints: every device may record
    QStringList names;
    int valid = 0;
    for (int i = 0; i <= n; ++i) {
        ar.SelectDevice(i);
        if (!ar.IsDeviceValid()) continue;
        ++valid;
        names << ar.GetDeviceName();
        EXPECT_GT(ar.GetLineCount(), 0);
    }
    EXPECT_EQ(valid, n);
    EXPECT_EQ(names.value(0), "Desktop Default");
    EXPECT_TRUE(names.contains("USB Microphone"));
    EXPECT_TRUE(names.contains("Speakers - Front output")) << "description lines are joined";
    ar.SelectDevice(-1);
    EXPECT_EQ(ar.IsDeviceValid(), 0);
    ar.SelectDevice(1000);
    EXPECT_EQ(ar.IsDeviceValid(), 0);
    EXPECT_EQ(ar.GetLineCount(), 0);

    TAudioPlayer2 ap;
    ap.SetMixerFactory([](const AudioDeviceInfo&, bool) { return nullptr; });
    EXPECT_EQ(ap.GetDeviceCount(), 3);
    EXPECT_EQ(ap.GetDevice(), 0);
    ap.SetDevice(3); // one past the end
    EXPECT_LE(ap.GetMixerLineCount(), 0);
    ap.Play();
    EXPECT_EQ(ap.GetLastError(), TAudioPlayer2::ErrorNoDevice);
}

TEST(Devices, CaptureLinesThroughTheMixer) {
    AlsaSandbox box;
    box.useConfig(threeDevices(box));
    auto state = makeFakeState({"Mic", "Line", "Capture"});
    TAudioRecord2 ar;
    ar.SetMixerFactory([state](const AudioDeviceInfo& d, bool capture) -> std::unique_ptr<AudioMixer> {
        EXPECT_TRUE(capture);
        if (d.pcmName != "vzmic") return nullptr;
        return std::make_unique<FakeMixer>(state);
    });
    ar.GetDeviceCount();
    ar.SelectDevice(1);
    ASSERT_EQ(ar.GetDeviceName(), "USB Microphone");
    const int lines = ar.GetLineCount();
    ASSERT_EQ(lines, 3);
    QStringList names;
    for (int i = 0; i <= lines; ++i) {
        ar.SelectLine(i);
        if (ar.IsLineValid()) names << ar.GetLineName();
    }
    EXPECT_EQ(names, QStringList({"Mic", "Line", "Capture"}));
    EXPECT_TRUE(ar.GetLineName().isEmpty()); // line 3 is past the end
    EXPECT_EQ(ar.GetLineVolume(), 0);
    ar.SetLineVolume(5);    // ignored on an invalid line
    ar.SetRecordSource(-1); // likewise

    ar.SelectLine(1);
    EXPECT_EQ(ar.GetLineVolume(), 1000);
    ar.SetLineVolume(40000);
    EXPECT_EQ(state->volumes[1], 40000);
    ar.SetLineVolume(70000);
    EXPECT_EQ(state->volumes[1], 65535);
    ar.SetRecordSource(0);
    EXPECT_FALSE(state->source[1]);
    ar.SetRecordSource(-1);
    EXPECT_TRUE(state->source[1]);
    EXPECT_FALSE(state->source[0]);
    EXPECT_EQ(state->volumes[0], 1000);

    // The default device has no mixer: one line named "Capture" whose volume is kept in software.
    ar.SelectDevice(0);
    ASSERT_EQ(ar.GetLineCount(), 1);
    ar.SelectLine(0);
    EXPECT_EQ(ar.IsLineValid(), -1);
    EXPECT_EQ(ar.GetLineName(), "Capture");
    EXPECT_EQ(ar.GetLineVolume(), 65535);
    ar.SetLineVolume(32768);
    EXPECT_EQ(ar.GetLineVolume(), 32768);
    ar.SelectLine(1);
    EXPECT_EQ(ar.IsLineValid(), 0);
}

TEST(Devices, PlaybackMixerLines) {
    AlsaSandbox box;
    box.useConfig(threeDevices(box));
    auto state = makeFakeState({"PCM", "Master", "Headphone"}, 1);
    TAudioPlayer2 ap;
    ap.SetMixerFactory([state](const AudioDeviceInfo&, bool capture) -> std::unique_ptr<AudioMixer> {
        EXPECT_FALSE(capture);
        return std::make_unique<FakeMixer>(state);
    });
    ap.SetDevice(ap.GetDeviceCount() < ap.GetDevice() ? 0 : ap.GetDevice());
    const int c = ap.GetMixerLineCount();
    ASSERT_EQ(c, 3);
    int chosen = -1;
    for (int i = 0; i <= c; ++i) {
        ap.SelectMixerLine(i);
        if ((ap.IsPlaybackLine() & 0xFFFF) && chosen < 0) chosen = i;
    }
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(ap.GetVolume(), 0); // line 3 does not exist
    ap.SetVolume(1);
    ap.SetMute(-1);
    ap.SelectMixerLine(chosen);
    EXPECT_EQ(ap.GetVolume(), 1000);
    ap.SetMute(0);
    EXPECT_FALSE(state->muted[1]);
    EXPECT_TRUE(state->muted[0]);
    ap.SetVolume(65535);
    EXPECT_EQ(state->volumes[1], 65535);

    // Without a mixer of its own the device still offers its "Master" line.
    TAudioPlayer2 soft;
    soft.SetMixerFactory([](const AudioDeviceInfo&, bool) { return nullptr; });
    soft.SetDevice(0);
    ASSERT_EQ(soft.GetMixerLineCount(), 1);
    soft.SelectMixerLine(0);
    EXPECT_EQ(soft.IsPlaybackLine(), 1);
    soft.SetVolume(100);
    EXPECT_EQ(soft.GetVolume(), 100);
}

TEST(Devices, NoDeviceMeansNoVolumeControl) {
    AlsaSandbox box;
    TAudioPlayer2 ap;
    EXPECT_EQ(ap.GetDeviceCount(), 0);
    ap.SetDevice(0);
    EXPECT_LE(ap.GetMixerLineCount(), 0);
    ap.SelectMixerLine(0);
    EXPECT_EQ(ap.IsPlaybackLine(), 0);
    EXPECT_EQ(ap.GetVolume(), 0);
}

TEST(Devices, VolumeScalesOntoTheControlRange) {
    EXPECT_EQ(ScaleToRange(0, -100, 27), -100);
    EXPECT_EQ(ScaleToRange(65535, -100, 27), 27);
    EXPECT_EQ(ScaleToRange(32768, 0, 31), 16);
    EXPECT_EQ(ScaleFromRange(31, 0, 31), 65535);
    EXPECT_EQ(ScaleFromRange(0, 0, 31), 0);
    EXPECT_EQ(ScaleFromRange(5, 5, 5), 0); // a control without range
    for (int v : {0, 1000, 30000, 65535})
        EXPECT_NEAR(ScaleFromRange(ScaleToRange(v, 0, 65535), 0, 65535), v, 0);
    SoftwareMixer m(false);
    m.setVolume(0, 65535);
    EXPECT_FLOAT_EQ(m.gain(), 1.0f);
    m.setMute(0, true);
    EXPECT_FLOAT_EQ(m.gain(), 0.0f);
}
