#include "tools/Joiner.h"

#include "recorder/GlobeVar.h"
#include "tools/Splitter.h"

#include <QFileInfo>

QString JoinerOutputName(const QString& ext, const QDateTime& now) {
    using namespace GlobeVar;
    const QDate d = now.date();
    const QTime t = now.time();
    const QString time = IntToZeroStr(t.hour(), 2) + QLatin1Char('-') + IntToZeroStr(t.minute(), 2) +
                         QLatin1Char('-') + IntToZeroStr(t.second(), 2);
    QString stamp = time;
    if (JoinUseDate)
        stamp = IntToZeroStr(d.year(), 4) + QLatin1Char('-') + IntToZeroStr(d.month(), 2) + QLatin1Char('-') +
                IntToZeroStr(d.day(), 2) + QLatin1Char(' ') + time;
    QString name =
        (JoinPreName.trimmed() + QLatin1Char(' ') + stamp + QLatin1Char(' ') + JoinPosName.trimmed())
            .trimmed();
    if (!JoinOverwrite)
        while (QFileInfo::exists(JoinFolder(JoinOutputPath, name + QLatin1Char('.') + ext)))
            name += QStringLiteral(" New");
    return JoinFolder(JoinOutputPath, name + QLatin1Char('.') + ext);
}
