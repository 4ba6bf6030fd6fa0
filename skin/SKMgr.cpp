#include "skin/SKMgr.h"

#include "platform/ProgramPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A regular file (or a link to one). Folders, pipes and devices count as no file: reading a pipe
// could block the program, a device could be endless.
bool IsExistingFile(const QString& path) {
    return QFileInfo(path).isFile();
}

// Creates Path only when no file or link of that name exists, readable and writable by the user
// alone, and writes Data into it. False when the name is taken (errno EEXIST) or writing failed.
bool WriteNewFile(const QString& path, const QByteArray& data) {
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    qsizetype written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + written, static_cast<size_t>(data.size() - written));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int saved = errno;
            ::close(fd);
            ::unlink(native.constData());
            errno = saved == EEXIST ? EIO : saved;
            return false;
        }
        written += n;
    }
    if (::close(fd) != 0) {
        ::unlink(native.constData());
        errno = EIO;
        return false;
    }
    return true;
}

} // namespace

namespace {
// FileName with N before its extension (the extension starts at the last "." of the file-name
// part); N = 0 gives FileName itself.
QString NumberedFileName(const QString& fileName, int n) {
    if (n == 0) return fileName;
    const qsizetype slash = fileName.lastIndexOf(u'/');
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot <= slash) return fileName + QString::number(n);
    return fileName.left(dot) + QString::number(n) + fileName.mid(dot);
}

// QFileInfo::exists follows links; a link that points nowhere still takes the name.
bool NameTaken(const QString& path) {
    return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
}
} // namespace

QString GetUniqueFileName(const QString& fileName) {
    for (int n = 0;; ++n) {
        const QString candidate = NumberedFileName(fileName, n);
        if (!NameTaken(candidate)) return candidate;
    }
}

QStringList ThemeSearchFolders() {
    return {ProgramPaths::programFolder(), ProgramPaths::homeFolder(),
            ProgramPaths::withTrailingSeparator(ProgramPaths::systemFolder())};
}

TskFileTheme::TskFileTheme(QObject* owner) : QObject(owner) {}

TskFileTheme::~TskFileTheme() = default;

bool TskFileTheme::CheckThemeFile(const QString& fileName) const {
    return IsValidThemeFile(fileName);
}

void TskFileTheme::SetThemeFile(const QString& value) {
    AssignThemeFile(value, false);
}

void TskFileTheme::AssignThemeFile(const QString& value, bool force, const QByteArray* written) {
    if (!force && value == m_themeFile) return;
    QString path = value;
    if (!IsExistingFile(path)) {
        const QString name = QFileInfo(value).fileName();
        path.clear();
        if (!name.isEmpty()) {
            for (const QString& folder : ThemeSearchFolders()) {
                if (IsExistingFile(folder + name)) {
                    path = folder + name;
                    break;
                }
            }
        }
        if (path.isEmpty()) return; // found nowhere: the previous theme stays
    }
    const bool valid = written && path == value
                           ? IsValidThemeData(written->left(ThemeFileFormat::kSignatureSize))
                           : CheckThemeFile(path);
    if (!valid) throw ESkinError(QStringLiteral("Invalid skin file for ZEVAvev!"));
    // A damaged file raises here, before anything of this component has changed.
    bool loaded = true;
    if (written && path == value)
        m_manager.LoadData(*written);
    else
        loaded = m_manager.LoadFile(path);
    m_themeFile = path;
    m_canUse = loaded;

    if (!m_canUse) return;
    auto* form = qobject_cast<QWidget*>(parent());
    if (!form || !form->isWindow()) return;
    // Every skinned control of the form that refers to this theme takes it again and re-resolves.
    // Guarded: a control re-themed here may replace sub-objects of its own that the list holds.
    QList<QPointer<QObject>> components;
    for (QObject* child : form->findChildren<QObject*>())
        components.append(child);
    for (const QPointer<QObject>& component : components) {
        if (!component) continue;
        if (!QByteArray(component->metaObject()->className()).startsWith("Tsk")) continue;
        if (component->metaObject()->indexOfProperty("FileTheme") < 0) continue;
        if (component->property("FileTheme").value<QObject*>() != this) continue;
        component->setProperty("FileTheme", QVariant::fromValue(this));
    }
}

void TskFileTheme::GetBitmap(TskSkinElement element, QImage& graphic) const {
    m_manager.GetBitmap(element, graphic);
}

void TskFileTheme::GetBitmap(TskSkinElement element, QImage& graphic, int partCount, int part) const {
    QImage scratch;
    m_manager.GetBitmap(element, scratch);
    CopyBitmapPart(scratch, graphic, partCount, part);
}

TColor TskFileTheme::GetColor(TskSkinElement element) const {
    return m_manager.GetColor(element);
}

int TskFileTheme::GetInt(TskSkinElement element) const {
    return m_manager.GetInt(element);
}

bool TskFileTheme::GetBool(TskSkinElement element) const {
    return m_manager.GetBool(element);
}

TskBuiltInFileTheme::TskBuiltInFileTheme(QObject* owner) : TskFileTheme(owner) {}

bool TskBuiltInFileTheme::HasSkinData() const {
    return IsExistingFile(m_ownThemeFile);
}

QByteArray TskBuiltInFileTheme::SkinData() const {
    if (!HasSkinData()) return {};
    QFile f(m_ownThemeFile);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

void TskBuiltInFileTheme::WriteSkinData(QIODevice& stream) const {
    stream.write(SkinData());
}

void TskBuiltInFileTheme::ReadSkinData(QIODevice& stream) {
    ReadSkinData(stream.readAll());
}

void TskBuiltInFileTheme::ReadSkinData(const QByteArray& data) {
    const QString base =
        ProgramPaths::withTrailingSeparator(QDir::tempPath()) + QStringLiteral("SKNTHEME.skn");
    // The first free name in the order GetUniqueFileName gives, but a name counts as free only once
    // the file has been created exclusively: another process may take it in between, and a name
    // someone else prepared (a file or a link) is never used.
    QString path;
    for (int n = 0; n < 100000; ++n) {
        const QString candidate = NumberedFileName(base, n);
        if (WriteNewFile(candidate, data)) {
            path = candidate;
            break;
        }
        if (errno != EEXIST) {
            throw ESkinError(QStringLiteral("Cannot write the temporary skin file \"%1\"").arg(candidate));
        }
    }
    if (path.isEmpty())
        throw ESkinError(QStringLiteral("Cannot create a temporary skin file \"%1\"").arg(base));
    try {
        // Always loaded, even when the temporary name equals the path loaded before: the data is new.
        AssignThemeFile(path, true, &data);
    } catch (...) {
        QFile::remove(path);
        throw;
    }
    QFile::remove(path);
}

bool ResolveUIStyle(const TskFileTheme* fileTheme, TskUIStyle uiStyle, TskUIStyle& style) {
    style = uiStyle;
    if (uiStyle != FromThemeFile) return false;
    if (fileTheme && fileTheme->CanUse()) return true;
    style = DeepBlue;
    return false;
}

TskUIStyle GetFormUIStyle(const QObject* component) {
    const auto* form = qobject_cast<const QWidget*>(component);
    if (!form || !form->isWindow()) return DeepBlue;
    for (const QObject* child : form->children()) {
        if (!child->isWidgetType() || !child->inherits("TskForm")) continue;
        const QVariant value = child->property("UIStyle");
        bool ok = false;
        const int style = value.toInt(&ok);
        if (ok && style >= FromThemeFile && style <= BlueGlass) return static_cast<TskUIStyle>(style);
        return DeepBlue;
    }
    return DeepBlue;
}

TskThemeLink::~TskThemeLink() {
    QObject::disconnect(m_connection);
}

void TskThemeLink::set(TskFileTheme* theme, QObject* context, std::function<void()> onRemoved) {
    if (theme == m_theme.data()) return;
    QObject::disconnect(m_connection);
    m_connection = {};
    m_theme = theme;
    if (theme) {
        m_connection =
            QObject::connect(theme, &QObject::destroyed, context, [this, onRemoved = std::move(onRemoved)] {
                m_theme = nullptr;
                m_connection = {};
                if (onRemoved) onRemoved();
            });
    }
}

TskThemeSource TskThemeSource::Resolve(const TskFileTheme* fileTheme, TskUIStyle uiStyle) {
    TskThemeSource s;
    s.fromFile = ResolveUIStyle(fileTheme, uiStyle, s.style);
    s.theme = s.fromFile ? fileTheme : nullptr;
    return s;
}

TColor TskThemeSource::Color(TskSkinElement element) const {
    return fromFile ? theme->GetColor(element) : GetBuiltInColor(style, element);
}

int TskThemeSource::Int(TskSkinElement element) const {
    return fromFile ? theme->GetInt(element) : GetBuiltInInt(style, element);
}

bool TskThemeSource::Bool(TskSkinElement element) const {
    return fromFile ? theme->GetBool(element) : GetBuiltInBool(style, element);
}

QImage TskThemeSource::Bitmap(TskSkinElement element, int partCount, int part) const {
    // Both sources keep their decoded pictures: this only cuts the piece out.
    QImage whole;
    if (fromFile)
        theme->GetBitmap(element, whole);
    else
        LoadBuiltInBitmap(style, element, &whole);
    QImage image;
    if (partCount > 0) {
        if (!whole.isNull()) CopyBitmapPart(whole, image, partCount, part);
    } else {
        image = whole;
    }
    if (image.width() <= 0 || image.height() <= 0) return {};
    return image;
}
