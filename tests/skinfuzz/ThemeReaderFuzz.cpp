// libFuzzer target for the theme file reader: any bytes must be either read or refused with
// ESkinError, never crash, hang or read outside the input.
#include "skin/SKThemeFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)IsValidThemeData(bytes);
    try {
        const TskThemeFileReader reader = TskThemeFileReader::FromData(bytes);
        qsizetype total = 0;
        for (const QString& key : reader.BitmapKeys())
            total += reader.GetBitmap(key).size();
        for (const QStringList* lines :
             {&reader.IntegerLines(), &reader.BooleanLines(), &reader.StringLines()}) {
            for (const QString& line : *lines) {
                const QString key = line.section(u'=', 0, 0);
                total += reader.GetInt(key);
                total += reader.GetBool(key) ? 1 : 0;
            }
        }
        total += reader.GetInt(QStringLiteral("FormBorderColor")) +
                 reader.GetBitmap(QStringLiteral("ButtonImage")).size();
        (void)total;
    } catch (const ESkinError&) {
        // a refused file: the expected outcome for damaged input
    }
    return 0;
}
