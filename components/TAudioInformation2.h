#pragma once

#include <QObject>
#include <QString>

#include <cstdint>

// Describes an audio file (length, duration, format) and writes tags into one.
//
// SetFileName analyses a file; it raises ComponentError when the file is missing, empty or not
// decodable audio, and the getters then describe nothing (0 and empty texts). Lengths are in sample
// frames, as TAudioFile2 counts them.
//
// Tags: the info... texts, SetGenre and SetYear give the values, WriteTags writes them all into a
// file: ID3v2.4 for MP3, Vorbis comments for OGG, ASF attributes for WMA, and for WAV an ID3 chunk
// plus the RIFF INFO fields that exist. An empty text, genre -1 or a year of 0 removes that tag.
// Texts are written as UTF-8 (UTF-16 in ASF). The texts and the genre stay set for the next
// WriteTags; the year applies to the next WriteTags only (without SetYear before it, no year).
class TAudioInformation2 : public QObject {
    Q_OBJECT

public:
    explicit TAudioInformation2(QObject* parent = nullptr) : QObject(parent) {}

    void SetFileName(const QString& fileName);
    int GetDuration() const; // milliseconds
    int64_t GetLength() const;
    QString GetFormatString() const;
    int GetSampleFormat1() const; // sample rate
    int GetSampleFormat2() const; // channels
    // Kept for the callers' sake; reading WMA needs no switch here.
    void EnableWMA(int flag);

    QString infoAlbum;
    QString infoArtist;
    QString infoTitle;
    QString infoComments;
    QString infoCopyright;
    QString infoURL;
    QString infoEncodedBy;
    // Index into the genre list (GenreList.h); -1: no genre.
    void SetGenre(int index);
    void SetYear(int year);
    // Raises ComponentError when the file cannot be tagged. The file's kind comes from the
    // extension of `finalName` when one is given: a file written under a temporary name is tagged
    // as the kind it will be, and the messages name it by that final name.
    void WriteTags(const QString& fileName, const QString& finalName = QString());

private:
    int64_t m_length = 0;
    int64_t m_durationMs = 0;
    int m_rate = 0;
    int m_channels = 0;
    QString m_formatString;
    int m_genre = -1;
    int m_year = 0;
    bool m_wmaEnabled = false;
};
