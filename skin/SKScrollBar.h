#pragma once

// TskScrollBar: the skinned scroll bar that stands in front of a control's own scroll bar. A back
// button, a forward button (image buttons repeating while held) and between them a
// TskScrollTrackBar whose slider picture the scroll bar builds from the theme's three slider
// pieces. Range, position, page size and OnChange live in the inner bar, whose rules hold.

#include "skin/SKImagePanel.h"

#include <QImage>

class QScrollBar;
class TskImageButton;
class TskScrollTrackBar;

class TskScrollBar : public TskCustomPanel {
    Q_OBJECT
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(int LineButton READ LineButton WRITE SetLineButton)
    Q_PROPERTY(SkinControls::TskProgressBarOrientation Orientation READ Orientation WRITE SetOrientation)
    Q_PROPERTY(Skin::TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(int Max READ Max WRITE SetMax)
    Q_PROPERTY(int Min READ Min WRITE SetMin)
    Q_PROPERTY(int Position READ Position WRITE SetPosition)
    Q_PROPERTY(int SmallChange READ SmallChange WRITE SetSmallChange)
    Q_PROPERTY(int LargeChange READ LargeChange WRITE SetLargeChange)
    Q_PROPERTY(int PageSize READ PageSize WRITE SetPageSize)
    Q_PROPERTY(SkinControls::TAlign Align READ Align WRITE SetAlign)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
public:
    explicit TskScrollBar(QWidget* parent = nullptr);

    // A fixed slider length in pixels, at least 18; 0 gives a slider proportional to PageSize.
    // Refused when longer than the room between the buttons; a negative value counts as 0.
    int LineButton() const { return m_lineButton; }
    void SetLineButton(int value);
    TskProgressBarOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TskProgressBarOrientation value);
    int Max() const;
    void SetMax(int value);
    int Min() const;
    void SetMin(int value);
    int Position() const;
    // Only when it differs; clamped to Min..Max by the inner bar.
    void SetPosition(int value);
    // The buttons' step, 1..32767 (clamped).
    int SmallChange() const { return m_smallChange; }
    void SetSmallChange(int value);
    // LargeChange and PageSize are the inner bar's one page size (accepted from 0 to Max);
    // LargeChange reads its low 16 bits and takes 1..32767; only PageSize rebuilds the slider.
    int LargeChange() const;
    void SetLargeChange(int value);
    int PageSize() const;
    void SetPageSize(int value);

    // Shows or hides the slider (nothing to scroll: no slider).
    void SetSliderVisible(bool value);
    bool GetSliderVisible() const;
    // The signed step of the most recent position change.
    int LastChange() const;

    // Follows a native scroll bar (a QAbstractScrollArea's): no slider and disabled when it is
    // hidden or has nothing to scroll; otherwise the slider as long as the native one (for a
    // horizontal bar SmallChange := 3 x PageSize), and Max, Min, Position from it.
    void FollowNative(const QScrollBar* native);

    TskScrollTrackBar* TrackBar() const { return m_bar; }
    TskImageButton* BackButton() const { return m_back; }
    TskImageButton* ForwardButton() const { return m_forward; }

Q_SIGNALS:
    void OnChange();

protected:
    void UIStyleChanged() override;
    void ColorChanged() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void RebuildPictures();
    void LayOut();
    void BuildSlider();
    // One step of a button, in 64 bits so that nothing wraps at the ends of the integer range.
    void Step(int direction);
    int InnerLength() const;

    TskScrollTrackBar* m_bar = nullptr;
    TskImageButton* m_back = nullptr;
    TskImageButton* m_forward = nullptr;
    QImage m_sliderPieces[3];
    TskProgressBarOrientation m_orientation = skHorizontal;
    int m_lineButton = 0;
    int m_smallChange = 1;
    bool m_constructed = false;
};
