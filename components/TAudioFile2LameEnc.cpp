#include "components/TAudioFile2LameEnc.h"

#include <algorithm>

void TAudioFile2LameEnc::SetConstantBitRate(int flag) {
    m_settings.constantBitRate = flag != 0;
}
void TAudioFile2LameEnc::SetMaxBitRate(int kbps) {
    m_settings.maxBitRate = kbps;
}
void TAudioFile2LameEnc::SetWriteVBRHeader(int flag) {
    m_settings.writeVbrHeader = flag != 0;
}
void TAudioFile2LameEnc::SetVBRMode(int mode) {
    m_settings.vbrMode = mode;
}
void TAudioFile2LameEnc::SetVBRQuality(int quality) {
    m_settings.vbrQuality = std::clamp(quality, 0, 9);
}
void TAudioFile2LameEnc::SetQuality(int quality) {
    m_settings.quality = std::clamp(quality, 0, 9);
}
