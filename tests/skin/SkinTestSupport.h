#pragma once

// Helpers shared by the skin tests: theme files built in memory, scratch folders, pictures.

#include "skin/SKThemeWriter.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace SkinTest {

// A small BMP file of the given size and colour.
inline QByteArray BmpBytes(int width, int height, QRgb color = 0xFF336699) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(bytes) == bytes.size();
}

inline void PutU32(QByteArray& data, qsizetype offset, uint32_t value) {
    qToLittleEndian(value, data.data() + offset);
}

inline QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A test with a scratch folder to put files in.
class ScratchFolderTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Put(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }
};

} // namespace SkinTest
