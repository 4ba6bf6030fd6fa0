#pragma once

// The settings and source files the tool tests share.

#include "common/GlobeVar.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "tests/audiofile/AudioTestUtil.h"
#include "tools/Convertor.h"

#include <gtest/gtest.h>

namespace tooltest {

// Every output format's settings at CD rate and stereo; names never overwrite.
inline void UseTestSettings() {
    using namespace GlobeVar;
    WavFreq = 44100, WavChannels = 2, WavSampleRate = 16;
    MP3Freq = 44100, MP3Channels = 2, MP3BitRate = 128, MP3MaxBitRate = 320, MP3EncoderQuality = 5;
    MP3VBRQuality = 2, MP3VBREnable = false, MP3VBRHeader = true;
    OggFreq = 44100, OggChannels = 2, OggBitRate = 699;
    WmaFormat = 15;
    SplitSaveToOriginal = false, SplitOverwrite = false;
    JoinOverwrite = false, JoinUseDate = true;
}

// The same, with every tool's output in `folder`, the joiner naming its output "Merged" without the
// date.
inline void UseTestSettings(const QString& folder) {
    UseTestSettings();
    using namespace GlobeVar;
    SplitOutputPath = folder;
    JoinUseDate = false, JoinOutputPath = folder;
    JoinPreName = QStringLiteral("Merged"), JoinPosName = QString();
    OutputPath = folder;
}

// `seconds` of a `hz` tone at `rate` with `channels`, written in `word`'s format from the settings.
inline void MakeSource(const QString& file, const QString& word, double seconds, double hz, int rate = 44100,
                       int channels = 2) {
    TAudioFile2LameEnc lame;
    TAudioFile2 out;
    ConfigureConvertTarget(out, lame, word);
    out.CreateWrite(file, 0);
    ASSERT_EQ(out.GetLastError(), 0) << out.GetLastErrorText().toStdString();
    out.SetInputFormat(rate, channels);
    audiotest::writeBlocks(out, audiotest::tone(rate, channels, int64_t(rate * seconds), hz, 0.4), channels,
                           4096);
    out.Close();
}

} // namespace tooltest
