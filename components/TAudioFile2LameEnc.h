#pragma once

#include <QObject>

// MP3 encoder settings that a TAudioFile2 applies when it creates an MP3 file. The window that owns
// both objects links them with TAudioFile2::SetLameEncoder; SetMp3Format then takes these values.
//
// Flags follow the automation convention: -1 (any non-zero) is true, 0 is false.
class TAudioFile2LameEnc : public QObject {
    Q_OBJECT

public:
    explicit TAudioFile2LameEnc(QObject* parent = nullptr) : QObject(parent) {}

    // -1 (non-zero): constant bit rate; 0: variable bit rate.
    void SetConstantBitRate(int flag);
    // The highest bit rate (kbps) a VBR frame may use.
    void SetMaxBitRate(int kbps);
    // Whether a VBR file starts with the Xing/LAME header frame (VBR only).
    void SetWriteVBRHeader(int flag);
    // 0: LAME's default VBR method (mtrh); any other value: the older rh method.
    void SetVBRMode(int mode);
    // VBR quality, 0 (best) .. 9 (smallest).
    void SetVBRQuality(int quality);
    // Encoder (algorithm) quality, 0 (best quality) .. 9 (best speed).
    void SetQuality(int quality);

    struct Settings {
        bool constantBitRate = true;
        int maxBitRate = 320;
        bool writeVbrHeader = false;
        int vbrMode = 0;
        int vbrQuality = 4;
        int quality = 5;
    };
    Settings settings() const { return m_settings; }

private:
    Settings m_settings;
};
