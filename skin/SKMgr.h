#pragma once

// Theme components and the resolution rule: TskFileTheme loads a theme file and answers the
// skinned controls' element lookups; TskBuiltInFileTheme carries a whole theme file embedded in its
// window ("SkinData"); ResolveUIStyle and TskThemeSource decide between a theme file and a built-in
// style; TskThemeLink is a control's reference to its theme component. Depends only on the model.

#include "skin/SKThemes.h"

#include <QByteArray>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QIODevice;

class TskFileTheme : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString ThemeFile READ ThemeFile WRITE SetThemeFile)
public:
    explicit TskFileTheme(QObject* owner = nullptr);
    ~TskFileTheme() override;

    // The full path of the theme file last loaded.
    QString ThemeFile() const { return m_themeFile; }
    // Looks for the file as named, then by its file name in the program folder, the user's home
    // folder and the system folder; ends silently when none exists. Raises ESkinError
    // "Invalid skin file for ZEVAvev!" for a file without the theme signature, and the reader's
    // error for a damaged one; in both cases the previous theme stays in use. After a successful
    // load, every Tsk control of the owning form whose FileTheme is this theme is given it again,
    // so it re-resolves its look. Assigning the current path again does nothing.
    void SetThemeFile(const QString& value);

    // The result of the last load.
    bool CanUse() const { return m_canUse; }
    bool CheckThemeFile(const QString& fileName) const;

    // The element's whole bitmap; Graphic is unchanged when no theme is loaded or the file lacks it.
    void GetBitmap(TskSkinElement element, QImage& graphic) const;
    // Piece Part (from 1) of PartCount equal-width pieces of the element's bitmap.
    void GetBitmap(TskSkinElement element, QImage& graphic, int partCount, int part) const;
    // Colours are stored as integers. 0 when no theme is loaded; -1 when the file lacks the entry.
    TColor GetColor(TskSkinElement element) const;
    int GetInt(TskSkinElement element) const;
    // False when no theme is loaded or the file lacks the entry.
    bool GetBool(TskSkinElement element) const;

    const TskFileThemeMgr& Manager() const { return m_manager; }

protected:
    // The assignment's steps 2 to 5; with Force the current-path test is skipped. `written` is what
    // was just written to the file `value`: the check and the load take it from memory.
    void AssignThemeFile(const QString& value, bool force, const QByteArray* written = nullptr);

private:
    TskFileThemeMgr m_manager;
    QString m_themeFile;
    bool m_canUse = false;
};

class TskBuiltInFileTheme : public TskFileTheme {
    Q_OBJECT
    // The path of the theme file to embed; storing it loads nothing.
    Q_PROPERTY(QString ThemeFile READ ThemeFile WRITE SetThemeFile)
    // The embedded theme file's bytes. Reading gives the bytes of the file named by ThemeFile
    // (empty when it does not exist); writing loads them as this component's theme.
    Q_PROPERTY(QByteArray SkinData READ SkinData WRITE ReadSkinData)
public:
    explicit TskBuiltInFileTheme(QObject* owner = nullptr);

    QString ThemeFile() const { return m_ownThemeFile; }
    void SetThemeFile(const QString& value) { m_ownThemeFile = value; }

    // Whether the embedded data would be stored: the file named by ThemeFile exists.
    bool HasSkinData() const;
    QByteArray SkinData() const;
    // Copies the file named by ThemeFile, whole, into Stream.
    void WriteSkinData(QIODevice& stream) const;
    // Loads an embedded theme: the bytes are saved to a new file in the temporary folder
    // (SKNTHEME.skn, numbered when taken; created exclusively, readable only by the user), loaded
    // through the ThemeFile assignment, and the file is deleted again. The reader keeps the whole
    // theme in memory. Raises ESkinError as the assignment does; the file is deleted in any case.
    void ReadSkinData(const QByteArray& data);
    void ReadSkinData(QIODevice& stream);
    // The path of the loaded theme (the inherited ThemeFile).
    QString LoadedThemeFile() const { return TskFileTheme::ThemeFile(); }

private:
    QString m_ownThemeFile;
};

// FileName itself when no such file exists; otherwise the name with 1, 2, ... before the
// extension, the first that names no existing file ("SKNTHEME.skn" -> "SKNTHEME1.skn").
QString GetUniqueFileName(const QString& fileName);

// The folders a theme file is looked for in after its own path: the program folder, the user's
// home folder (in place of the Windows folder) and the system folder, each with a trailing "/".
QStringList ThemeSearchFolders();

// Style := UIStyle. True only when UIStyle is FromThemeFile and FileTheme is given and usable;
// FromThemeFile without a usable theme gives Style DeepBlue and False.
bool ResolveUIStyle(const TskFileTheme* fileTheme, TskUIStyle uiStyle, TskUIStyle& style);
// The UIStyle of the first TskForm among a form's child widgets; DeepBlue when Component is none,
// not a form (a top-level widget), or holds no TskForm.
TskUIStyle GetFormUIStyle(const QObject* component);

// A control's reference to its theme component. When the component is destroyed the reference
// clears itself and OnRemoved runs (the control then falls back to DeepBlue).
class TskThemeLink {
public:
    TskThemeLink() = default;
    ~TskThemeLink();
    TskThemeLink(const TskThemeLink&) = delete;
    TskThemeLink& operator=(const TskThemeLink&) = delete;

    TskFileTheme* get() const { return m_theme.data(); }
    // Context: the control (the call back is dropped when it goes first).
    void set(TskFileTheme* theme, QObject* context, std::function<void()> onRemoved);

private:
    QPointer<TskFileTheme> m_theme;
    QMetaObject::Connection m_connection;
};

// Element lookups by the resolution rule: the theme file when ResolveUIStyle says it is usable,
// otherwise the built-in table of the resolved style. Never mixed within one lookup.
struct TskThemeSource {
    const TskFileTheme* theme = nullptr;
    TskUIStyle style = DeepBlue; // the resolved style
    bool fromFile = false;

    static TskThemeSource Resolve(const TskFileTheme* fileTheme, TskUIStyle uiStyle);
    TColor Color(TskSkinElement element) const;
    int Int(TskSkinElement element) const;
    bool Bool(TskSkinElement element) const;
    // The whole bitmap (PartCount 0) or piece Part of PartCount; a null image when there is none.
    QImage Bitmap(TskSkinElement element, int partCount = 0, int part = 0) const;
};
