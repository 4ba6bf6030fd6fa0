#pragma once

// TskMemo: a multi-line edit with a skin border in the theme's control border colour and,
// optionally, two skin scroll bars (TskScrollBar, siblings of the memo placed over its own scroll
// bars) that follow the memo's own bars both ways.

#include "skin/SKControls.h"
#include "skin/SKScrollBar.h"

#include <QPointer>
#include <QStringList>

class QPlainTextEdit;

namespace SkinMemo {
Q_NAMESPACE
// Which of the memo's own scroll bars are shown.
enum TScrollStyle : uint8_t { ssNone = 0, ssHorizontal, ssVertical, ssBoth };
Q_ENUM_NS(TScrollStyle)
} // namespace SkinMemo
using SkinMemo::TScrollStyle;
using enum SkinMemo::TScrollStyle;

class TskMemo : public TskControl {
    Q_OBJECT
    Q_PROPERTY(TColor BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(Skin::TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(TskScrollBar* VScrollBar READ VScrollBar WRITE SetVScrollBar)
    Q_PROPERTY(TskScrollBar* HScrollBar READ HScrollBar WRITE SetHScrollBar)
    Q_PROPERTY(SkinControls::TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(bool HideSelection READ HideSelection WRITE SetHideSelection)
    Q_PROPERTY(QStringList Lines READ Lines WRITE SetLines)
    Q_PROPERTY(QString Text READ Text WRITE SetText)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE SetMaxLength)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(SkinMemo::TScrollStyle ScrollBars READ ScrollBars WRITE SetScrollBars)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
    Q_PROPERTY(bool WantReturns READ WantReturns WRITE SetWantReturns)
    Q_PROPERTY(bool WantTabs READ WantTabs WRITE SetWantTabs)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
public:
    explicit TskMemo(QWidget* parent = nullptr);
    ~TskMemo() override;

    TColor BorderColor() const { return m_borderColor; }
    void SetBorderColor(TColor value);
    // The attached skin bars (not owned; cleared when they go). Attaching turns the bar to the
    // direction, binds its OnChange, raises it and places it over the memo's own bar; detaching
    // gives the bar back enabled, with Max 100, LineButton 0 and no change handler.
    TskScrollBar* VScrollBar() const { return m_vBar; }
    void SetVScrollBar(TskScrollBar* value);
    TskScrollBar* HScrollBar() const { return m_hBar; }
    void SetHScrollBar(TskScrollBar* value);

    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment value);
    bool HideSelection() const { return m_hideSelection; }
    void SetHideSelection(bool value) { m_hideSelection = value; }
    QStringList Lines() const;
    void SetLines(const QStringList& value);
    QString Text() const;
    void SetText(const QString& value);
    // 0: no limit; text past the limit is cut off (negative counts as 0).
    int MaxLength() const { return m_maxLength; }
    void SetMaxLength(int value);
    bool ReadOnly() const;
    void SetReadOnly(bool value);
    TScrollStyle ScrollBars() const { return m_scrollBars; }
    void SetScrollBars(TScrollStyle value);
    bool WantReturns() const { return m_wantReturns; }
    void SetWantReturns(bool value) { m_wantReturns = value; }
    bool WantTabs() const { return m_wantTabs; }
    void SetWantTabs(bool value);
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool value);

    // The edit inside the border.
    QPlainTextEdit* Editor() const { return m_edit; }
    QImage Render() override;
    // Memo to skin bars: each attached bar follows the memo's own bar of its direction.
    void SyncScrollBars();
    // Places the attached bars over the memo's own bars (in the memo's parent), then syncs.
    void PlaceScrollBars();

Q_SIGNALS:
    void OnChange();

protected:
    void UIStyleChanged() override;
    void ColorChanged() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Attach(QPointer<TskScrollBar>& slot, TskScrollBar* value, bool vertical);
    void RecomputeScrollBars();
    void BarChanged(bool vertical);
    void ApplyPalette();
    void ApplyAlignment();

    QPlainTextEdit* m_edit = nullptr;
    TColor m_borderColor = clBlack;
    QPointer<TskScrollBar> m_vBar;
    QPointer<TskScrollBar> m_hBar;
    QMetaObject::Connection m_vChange;
    QMetaObject::Connection m_hChange;
    TAlignment m_alignment = taLeftJustify;
    bool m_hideSelection = true;
    int m_maxLength = 0;
    TScrollStyle m_scrollBars = ssNone;
    bool m_wantReturns = true;
    bool m_wantTabs = false;
    bool m_wordWrap = true;
    bool m_syncing = false;
    bool m_scrolling = false;
    bool m_leftDown = false;
    bool m_cutting = false;
};
