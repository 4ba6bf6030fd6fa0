#include "platform/PathText.h"

#include <QFontMetrics>
#include <QStringList>

QString MinimizeName(const QString& path, const QFontMetrics& metrics, int maxWidth) {
    if (metrics.horizontalAdvance(path) <= maxWidth) return path;
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0) return path;
    const QString name = path.mid(slash + 1);
    const bool rooted = path.startsWith(u'/');
    QStringList folders = path.left(slash).split(u'/', Qt::SkipEmptyParts);
    const QString ellipsis = QStringLiteral("...");
    QString result = path;
    while (!folders.isEmpty()) {
        folders.removeFirst();
        QStringList parts;
        parts << ellipsis << folders << name;
        result = (rooted ? QStringLiteral("/") : QString()) + parts.join(u'/');
        if (metrics.horizontalAdvance(result) <= maxWidth) return result;
    }
    return ellipsis + u'/' + name;
}
