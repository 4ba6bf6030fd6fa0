#pragma once

#include "tools/AudioCopyThread.h"

#include <QObject>
#include <QString>

#include <functional>

class TAudioFile2;
class TAudioFile2LameEnc;
class TPendingFile;

// The target of a conversion of `sourceFile` into the format `word` ("WAV", "MP3", "OGG", "WMA"):
// beside the source when ConvertSaveToOriginal is set, else in ConvertOutputPath. Unless
// ConvertOverwrite is set, " New" is appended to the name while the candidate exists. A candidate
// that is the source file itself (a file whose extension does not match its content) always counts
// as existing, so a conversion never writes onto its own source.
QString ConvertTargetName(const QString& sourceFile, const QString& word);

// The format settings an output writer is set up from, copied from the globals on the windows'
// thread: a run that takes them when it starts is not affected by a change made during it.
struct TFormatSettings {
    int wavFreq = 0, wavChannels = 0, wavSampleRate = 0;
    int mp3Freq = 0, mp3Channels = 0, mp3BitRate = 0, mp3MaxBitRate = 0, mp3EncoderQuality = 0,
        mp3VbrQuality = 0;
    bool mp3VbrEnable = false, mp3VbrHeader = false;
    int oggFreq = 0, oggChannels = 0, oggBitRate = 0;
    int wmaFormat = 0;

    static TFormatSettings FromGlobals();
};

// Sets `target` up to write the format `word` from `format`, as the recorder does.
void ConfigureConvertTarget(TAudioFile2& target, TAudioFile2LameEnc& lame, const QString& word,
                            const TFormatSettings& format);
// The same from the globals as they are now.
void ConfigureConvertTarget(TAudioFile2& target, TAudioFile2LameEnc& lame, const QString& word);

// Opens `sourceFile` in `source` and creates the target in `target` (set up beforehand), and gives
// the target the source's format as its input. The target is written under a temporary name beside
// `targetFile` (`output`), which FinishConversion puts in place. On failure both are closed,
// nothing is left behind, and the result is a message naming the file and the reason; empty on
// success.
QString PrepareConversion(TAudioFile2& source, TAudioFile2& target, const QString& sourceFile,
                          const QString& targetFile, TPendingFile& output);

// Copies the audio of `source` (open for reading) into `target` (created for writing) on a worker
// thread, block by block, posting WM_CONVERTPROGRESS (wParam 1, lParam percent) to `window`. When
// the body has ended (last block, a termination request, or a failure), both files are closed and
// `onFinished` runs on the thread of `window`; it is dropped when `window` is gone by then. The window must
// wait for the body (WaitFor or the destructor) before it goes. The thread starts at construction; the
// destructor asks it to stop and waits for it. A source that gives no audio at all ends it with an
// error naming `sourceFile` (the file `source` reads), and nothing is kept.
class TConvertor : public TAudioCopyThread {
public:
    TConvertor(TAudioFile2* source, QObject* window, TAudioFile2* target, std::function<void()> onFinished,
               const QString& sourceFile);
    // ConvertOverwrite when the conversion started: a change in Options during it applies to the
    // next one.
    bool Overwrite() const { return m_overwrite; }

private:
    bool m_overwrite;
};

// Ends a conversion whose body has ended: a cancelled or failed conversion deletes the partly
// written target; one that ended well is renamed into place under its name (replacing a file of
// that name only when ConvertOverwrite was set when it started). Returns the message to show (a failure
// naming the target and the reason, a target that is gone with its folder included), or empty.
QString FinishConversion(const TConvertor& convertor, bool cancelled, TPendingFile& output);
