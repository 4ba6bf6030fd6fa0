#pragma once

// TskURLLabel: a text label that looks and acts like a web link: underlined, a hand cursor, one
// colour normally and another while the mouse is over it; a click opens its URL with the shell.

#include "platform/Colors.h"
#include "skin/SKControls.h"

class TskURLLabel : public TskControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QString URL READ URL WRITE SetURL)
    Q_PROPERTY(TColor FontLinkColor READ FontLinkColor WRITE SetFontLinkColor)
    Q_PROPERTY(TColor FontHoverColor READ FontHoverColor WRITE SetFontHoverColor)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
public:
    explicit TskURLLabel(QWidget* parent = nullptr);

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& value);
    QString URL() const { return m_url; }
    void SetURL(const QString& value);
    TColor FontLinkColor() const { return m_linkColor; }
    // Stores the colour and shows the text in it at once.
    void SetFontLinkColor(TColor value);
    TColor FontHoverColor() const { return m_hoverColor; }
    void SetFontHoverColor(TColor value) { m_hoverColor = value; }
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool value);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value);
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool value);

    // The click: the shell opens URL (unless it is blank), then OnClick.
    void Click();
    QImage Render() override;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void ApplyAutoSize();

    QString m_caption;
    QString m_url;
    TColor m_linkColor = 0xFF0000;
    TColor m_hoverColor = 0x0000FF;
    bool m_autoSize = true;
    bool m_transparent = false;
    bool m_wordWrap = false;
};
