#pragma once

// TskProgressBar: a skinned progress bar: the theme's picture stretched over the done part, a flat
// colour over the rest, a one-pixel border and a centred percentage caption.

#include "platform/Colors.h"
#include "skin/SKControls.h"

#include <QImage>

class TskProgressBar : public TskControl {
    Q_OBJECT
    Q_PROPERTY(int Min READ Min WRITE SetMin)
    Q_PROPERTY(int Max READ Max WRITE SetMax)
    Q_PROPERTY(int Position READ Position WRITE SetPosition)
    Q_PROPERTY(SkinControls::TskProgressBarOrientation Orientation READ Orientation WRITE SetOrientation)
    Q_PROPERTY(QImage Picture READ Picture WRITE SetPicture)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(TColor BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(TColor CaptionColor READ CaptionColor WRITE SetCaptionColor)
    Q_PROPERTY(bool ShowCaption READ ShowCaption WRITE SetShowCaption)
    Q_PROPERTY(bool SmartShowCaption READ SmartShowCaption WRITE SetSmartShowCaption)
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(Skin::TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
public:
    explicit TskProgressBar(QWidget* parent = nullptr);

    // None of the three writers clamps or orders the values.
    int Min() const { return m_min; }
    void SetMin(int value);
    int Max() const { return m_max; }
    void SetMax(int value);
    int Position() const { return m_position; }
    void SetPosition(int value);
    // Stores, takes the picture again (turned for a vertical bar), then makes the bar 12 pixels
    // thick along the longer of its sides.
    TskProgressBarOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TskProgressBarOrientation value);
    const QImage& Picture() const { return m_picture; }
    void SetPicture(const QImage& value);
    TColor BorderColor() const { return m_borderColor; }
    void SetBorderColor(TColor value);
    TColor CaptionColor() const { return m_captionColor; }
    void SetCaptionColor(TColor value);
    bool ShowCaption() const { return m_showCaption; }
    void SetShowCaption(bool value);
    // No caption while Position equals Min.
    bool SmartShowCaption() const { return m_smartShowCaption; }
    void SetSmartShowCaption(bool value);

    // The caption: the percentage done and "%" ("50%").
    QString Caption() const { return m_caption; }
    // (Position - Min) x 100 / (Max - Min), truncated, not clamped; 0 when Min = Max.
    int Percent() const;
    // The done part of a length N: 0 up to Min (and when Min >= Max), N beyond Max.
    int DoneLength(int n) const;
    // The whole image as the paint composes it (Color is the part not yet done).
    QImage Render() override;

protected:
    // Re-themes: picture, colour and border from the theme, the picture turned for a vertical bar.
    void UIStyleChanged() override;

private:
    void RefreshCaption();

    int m_min = 0;
    int m_max = 100;
    int m_position = 50;
    TskProgressBarOrientation m_orientation = skHorizontal;
    QImage m_picture;
    TColor m_borderColor = clBlack;
    TColor m_captionColor = clBlack;
    bool m_showCaption = true;
    bool m_smartShowCaption = false;
    QString m_caption = QStringLiteral("50%");
};
