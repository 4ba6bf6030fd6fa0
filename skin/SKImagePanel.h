#pragma once

// TskCustomPanel: the base panel of the skin library, drawing a picture (or a flat colour) and an
// optional caption, optionally over its parent's background; TskImagePanel publishes it.

#include "platform/Colors.h"
#include "skin/SKControls.h"

#include <QImage>
#include <QRect>

class TskCustomPanel : public TskControl {
    Q_OBJECT
public:
    enum TskDrawStyle : uint8_t { skNormal = 0, skStretch = 1, skTile = 2 };
    Q_ENUM(TskDrawStyle)

    explicit TskCustomPanel(QWidget* parent = nullptr);

    const QImage& Picture() const { return m_picture; }
    // Copies the picture, then applies the picture-changed rule.
    void SetPicture(const QImage& picture);
    bool Transparent() const { return m_transparent; }
    virtual void SetTransparent(bool value);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool value);
    TskDrawStyle DrawStyle() const { return m_drawStyle; }
    void SetDrawStyle(TskDrawStyle value);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment value);
    TAlign Align() const { return m_align; }
    void SetAlign(TAlign value);
    int BorderWidth() const { return m_borderWidth; }
    void SetBorderWidth(int value);
    // The control text.
    QString Caption() const { return m_text; }
    void SetCaption(const QString& text);

    QImage Render() override;
    // The rectangle the caption was last drawn into.
    QRect LastCaptionRect() const { return m_lastCaptionRect; }
    // The rectangle offered to aligned children (the client rectangle here).
    virtual QRect AlignRect() const { return rect(); }
    // The rectangle of a parent that is not a panel which an aligned panel fills (the parent's
    // whole rectangle here).
    virtual QRect ParentAlignRect() const;
    // Places every aligned child widget inside AlignRect, in child order.
    void AlignControls();

Q_SIGNALS:
    void OnResize();

protected:
    // Paints Color over the panel only when it is hosted in a foreign window; nothing here.
    virtual void ClearBackground() {}
    virtual void TextChanged(const QRect& lastCaptionRect) { (void)lastCaptionRect; }
    virtual void PictureChanged();
    // Width and height follow the picture, unless Align ties them to the parent.
    void ApplyAutoSize();
    void PaintPanel(QImage& buffer);

    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void childEvent(QChildEvent* event) override;

private:
    void AlignToParent();

    QImage m_picture;
    bool m_transparent = false;
    bool m_autoSize = false;
    TskDrawStyle m_drawStyle = skNormal;
    TAlignment m_alignment = taCenter;
    TAlign m_align = alNone;
    int m_borderWidth = 0;
    QString m_text;
    QRect m_lastCaptionRect;
    QWidget* m_watchedParent = nullptr;
};

class TskImagePanel : public TskCustomPanel {
    Q_OBJECT
    Q_PROPERTY(QImage Picture READ Picture WRITE SetPicture)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(TskCustomPanel::TskDrawStyle DrawStyle READ DrawStyle WRITE SetDrawStyle)
    Q_PROPERTY(SkinControls::TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(SkinControls::TAlign Align READ Align WRITE SetAlign)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
public:
    explicit TskImagePanel(QWidget* parent = nullptr);
};
