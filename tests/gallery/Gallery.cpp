#include "tests/gallery/Gallery.h"

#include "tests/gallery/LayoutCheck.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

namespace gallery {

QString Folder() {
    const QString folder = QStringLiteral(SUITE_BUILD_DIR "/gallery");
    QDir().mkpath(folder);
    return folder;
}

QString WindowsFolder() {
    const QString folder = Folder() + QStringLiteral("/windows");
    QDir().mkpath(folder);
    return folder;
}

void SaveWindow(QWidget& window, const QString& name) {
    window.show();
    QApplication::processEvents();
    // Every window and page the gallery shows is whole: no cut text, no control past its room.
    for (const QString& fault : LayoutFaults(window))
        ADD_FAILURE() << name.toStdString() << ": " << fault.toStdString();
    const QImage picture = window.grab().toImage();
    ASSERT_FALSE(picture.isNull()) << name.toStdString();
    const QString path = WindowsFolder() + QLatin1Char('/') + name + QStringLiteral(".png");
    EXPECT_TRUE(picture.save(path)) << path.toStdString();
}

void SaveSideBySide(const QString& sheet, const QStringList& names) {
    // Two rows at most, each as wide as the row of pictures it holds, on the gallery's grey.
    QList<QImage> pictures;
    for (const QString& name : names) {
        const QImage picture(WindowsFolder() + QLatin1Char('/') + name + QStringLiteral(".png"));
        if (!picture.isNull()) pictures << picture; // one a filtered run did not draw is left out
    }
    const int gap = 16;
    const qsizetype firstRow = pictures.size() > 2 ? (pictures.size() + 1) / 2 : pictures.size();
    int width = 0, rowWidth = 0, rowHeight = 0, height = gap;
    for (qsizetype i = 0; i < pictures.size(); ++i) {
        if (i == firstRow) height += rowHeight + gap, rowWidth = rowHeight = 0;
        rowWidth += gap + int(pictures[i].width());
        rowHeight = std::max(rowHeight, int(pictures[i].height()));
        width = std::max(width, rowWidth + gap);
    }
    height += rowHeight + gap;
    QImage canvas(width, height, QImage::Format_RGB32);
    canvas.fill(QColor(0x80, 0x80, 0x80));
    QPainter p(&canvas);
    int x = gap, y = gap;
    rowHeight = 0;
    for (qsizetype i = 0; i < pictures.size(); ++i) {
        if (i == firstRow) x = gap, y += rowHeight + gap, rowHeight = 0;
        p.drawImage(x, y, pictures[i]);
        x += int(pictures[i].width()) + gap;
        rowHeight = std::max(rowHeight, int(pictures[i].height()));
    }
    p.end();
    const QString path = WindowsFolder() + QLatin1Char('/') + sheet + QStringLiteral(".png");
    EXPECT_TRUE(canvas.save(path)) << path.toStdString();
}

} // namespace gallery
