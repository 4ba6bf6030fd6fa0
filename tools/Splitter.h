#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

class TAudioFile2;
class TAudioFile2LameEnc;

// Joins `name` to `folder` with exactly one "/" between them, whatever the stored folder text; an
// empty folder leaves the name as it is.
QString JoinFolder(const QString& folder, const QString& name);

// The indexes of the marks where output files start: every mark whose `use` flag is set, and the
// last mark always. An unticked section joins the file of the ticked section before it.
std::vector<int> SplitCutRows(const std::vector<bool>& use);

// The name of output file k: folder + base + "-Splitted" + k + "." + ext; unless SplitOverwrite is
// set, " New" is appended to the stem while such a file exists.
QString SplitOutputName(const QString& folder, const QString& base, int k, const QString& ext);

// The outcome of a split run.
struct TSplitResult {
    QString message;     // "Split finished", "No section selected", or the failure naming file and reason
    bool failed = false; // the run stopped on a failure
    bool cancelled = false;
    int cancelledCut = -1; // the output file that was being written when the run was cancelled
    QStringList written;   // the output files created, in order
};

// Cuts `sourceFile` at `cutsMs` (milliseconds, ascending; file k runs from cut k to cut k + 1) into
// files of the source's own format, set up from the settings. `in`, `out` and `lame` are the run's
// components. After every block WM_SPLITJOINPROGRESS (k, percent) is posted to `window` and pending
// events are processed, so the window stays usable; `cancelRequested` is asked before every block. A
// cancel keeps what was written. A failure (source, output, a write such as a full disk) deletes the
// file being written and stops the run. Both files are closed at the end.
TSplitResult RunSplit(TAudioFile2& in, TAudioFile2& out, TAudioFile2LameEnc& lame, const QString& sourceFile,
                      const std::vector<int64_t>& cutsMs, QObject* window,
                      const std::function<bool()>& cancelRequested);
