// The components as objects of a form description: declared with their published settings, their
// events bound to the window's handlers by name, and playback driven through those handlers alone.
#include "DeviceTestSupport.h"

#include "components/FormComponents.h"
#include "components/TAudioCDGrabber2.h"
#include "components/TAudioDisplay2.h"
#include "components/TAudioPlayer2.h"
#include "components/TAudioRecord2.h"
#include "components/TAudioVisualization2.h"
#include "platform/FormResource.h"

#include <QCoreApplication>
#include <QThread>
#include <QWidget>

#include <gtest/gtest.h>

using namespace devtest;

namespace {

const char* kPlayerForm = R"(
object frmPlayer: TfrmPlayer
  ClientWidth = 320
  ClientHeight = 200
  object AP: TAudioPlayer2
    OnRequestOnLoadArray = APRequestOnLoadArray
    OnEndArrayPlay = APEndArrayPlay
    OnEndPlay = APEndPlay
    OnTimer = APTimer
  end
  object AD: TAudioDisplay2
    Left = 8
    Top = 8
    Width = 200
    Height = 60
    TypeDisplay = 3
    FFTWindowsSize = 1024
    BackColor = clBlack
    ForeColor = clLime
    PeakColor = $000000FF
    Border = True
    MinLevel = -90
    AttackTime = 2
    ReleaseTime = 20
  end
  object AV: TAudioVisualization2
    Top = 80
    Width = 200
    Height = 40
    WindowArraySize = 256
  end
  object AR: TAudioRecord2
    OnEndArrayRecord = AREndArrayRecord
    OnTimer = ARTimer
  end
  object ACDG: TAudioCDGrabber2
    OnMediaChange = ACDGMediaChange
    OnFreeDBQueryStatus = ACDGFreeDBQueryStatus
    OnOperationProgress = ACDGOperationProgress
    OnGrabRetry = ACDGGrabRetry
  end
  object AF1: TAudioFile2
  end
  object LAME: TAudioFile2LameEnc
  end
  object AI: TAudioInformation2
  end
  object AWF: TWMAFile2
  end
  object AT: TAudioTransform2
  end
  object FDB: TFreeDBInformation2
  end
end
)";

// A player window the way the programs write one: handlers named after component and event.
class PlayerWindow : public QWidget {
    Q_OBJECT
public:
    std::vector<int16_t> input;
    std::size_t offset = 0;
    QStringList events; // in arrival order
    bool offUiThread = false;

    TAudioPlayer2* AP() const { return FormChild<TAudioPlayer2>(this, "AP"); }

public Q_SLOTS:
    void APRequestOnLoadArray() { feed("request"); }
    void APEndArrayPlay() { feed("played"); }
    void APEndPlay() { note("end"); }
    void APTimer(int, int LevelLeft) { note(LevelLeft > 0 ? "tick" : "quiet tick"); }
    void AREndArrayRecord() {}
    void ARTimer(int, int, int) {}
    void ACDGMediaChange() {}
    void ACDGFreeDBQueryStatus(int) {}
    void ACDGOperationProgress(double) {}
    void ACDGGrabRetry(short, int) {}

private:
    void note(const QString& event) {
        offUiThread = offUiThread || QThread::currentThread() != QCoreApplication::instance()->thread();
        events << event;
    }
    void feed(const QString& event) {
        note(event);
        const std::size_t n = std::min<std::size_t>(input.size() - offset, 2205 * 2);
        AP()->LoadArray(
            AudioBlock(std::vector<int16_t>(input.begin() + static_cast<std::ptrdiff_t>(offset),
                                            input.begin() + static_cast<std::ptrdiff_t>(offset + n)),
                       2));
        offset += n;
    }
};

} // namespace

TEST(ComponentForm, ADescriptionDeclaresTheComponentsAndItsHandlersDrivePlayback) {
    RegisterAudioComponents();
    AlsaSandbox box;
    box.useConfig(AlsaSandbox::playbackDevice("vzout", box.path("out.raw"), "File Output"));

    PlayerWindow w;
    LoadFormDescription(&w, ParseFormDescription(kPlayerForm));

    auto* ad = FormChild<TAudioDisplay2>(&w, "AD");
    EXPECT_EQ(ad->parentWidget(), &w);
    EXPECT_EQ(ad->geometry(), QRect(8, 8, 200, 60));
    EXPECT_EQ(ad->TypeDisplay(), 3);
    EXPECT_EQ(ad->FFTWindowsSize(), 1024);
    EXPECT_EQ(ad->BackColor(), QColor(0, 0, 0));
    EXPECT_EQ(ad->ForeColor(), QColor(0, 255, 0));
    EXPECT_EQ(ad->PeakColor(), QColor(255, 0, 0));
    EXPECT_TRUE(ad->Border());
    EXPECT_EQ(ad->MinLevel(), -90);
    EXPECT_EQ(ad->AttackTime(), 2);
    EXPECT_EQ(ad->ReleaseTime(), 20);
    EXPECT_EQ(FormChild<TAudioVisualization2>(&w, "AV")->WindowArraySize(), 256);
    for (const char* name : {"AP", "AR", "ACDG", "AF1", "LAME", "AI", "AWF", "AT", "FDB"})
        EXPECT_EQ(FindFormObject(&w, name)->parent(), &w) << name << " belongs to the form";
    EXPECT_TRUE(w.events.isEmpty()) << "loading fires no handler";

    // Playback driven through the bound handlers only.
    w.input = sine(44100, 2, 0.5, {440.0}, {0.5});
    w.AP()->SetDevice(0);
    w.AP()->SetEqualizerEnabled(0);
    w.AP()->Play();
    ASSERT_EQ(w.AP()->GetLastError(), 0);
    ASSERT_TRUE(waitFor([&] { return w.events.contains("end"); }));
    w.AP()->Stop();
    EXPECT_EQ(readRaw(box.path("out.raw")), w.input);
    EXPECT_FALSE(w.offUiThread);
    ASSERT_GE(w.events.size(), 4);
    EXPECT_EQ(w.events.mid(0, 2), QStringList({"request", "request"}));
    EXPECT_EQ(w.events.back(), "end");
    EXPECT_EQ(w.events.count("end"), 1);
    EXPECT_TRUE(w.events.contains("tick"));

    // After Stop nothing more arrives, and the form's components go with the form.
    const qsizetype seen = w.events.size();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.events.size(), seen);
}

TEST(ComponentForm, AnEventWithoutAMatchingHandlerNamesTheLine) {
    RegisterAudioComponents();
    PlayerWindow w;
    try {
        LoadFormDescription(&w, ParseFormDescription("object f: TForm\n"
                                                     "  object AP: TAudioPlayer2\n"
                                                     "    OnEndPlay = APEndPlay\n"
                                                     "    OnTimer = ACDGOperationProgress\n"
                                                     "  end\n"
                                                     "end\n"));
        FAIL() << "a handler taking a double cannot serve OnTimer";
    } catch (const FormResourceError& e) {
        EXPECT_NE(std::string(e.what()).find("AP (line 2)"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("OnTimer"), std::string::npos) << e.what();
    }
}

#include "ComponentFormTest.moc"
