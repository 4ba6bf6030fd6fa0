#pragma once

// Little-endian fields for file headers the tests write byte by byte (WAV, BMP).

#include <QByteArray>
#include <QtEndian>

#include <cstdint>

inline QByteArray LittleEndian32(uint32_t value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

inline QByteArray LittleEndian16(uint16_t value) {
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}
