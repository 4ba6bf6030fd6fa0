#include "tests/gallery/Gallery.h"

#include "tests/gallery/LayoutCheck.h"

#include <QApplication>
#include <QDir>
#include <QImage>
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

} // namespace gallery
