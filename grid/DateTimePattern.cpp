#include "DateTimePattern.h"

#include <QLocale>

#include <algorithm>

namespace kolvar::grid {

namespace {

QString number(int value, qsizetype digits)
{
    return QStringLiteral("%1").arg(value, int(digits), 10, QLatin1Char('0'));
}

} // namespace

QString formatDateTimePattern(const QString& pattern, const QDateTime& at)
{
    const QLocale locale;
    const QDate date = at.date();
    const QTime time = at.time();
    QString out;
    qsizetype i = 0;
    while (i < pattern.size()) {
        const QChar c = pattern[i];
        if (c == u'"' || c == u'\'') {
            const qsizetype close = pattern.indexOf(c, i + 1);
            const qsizetype end = close < 0 ? pattern.size() : close;
            out += pattern.mid(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        const QChar lower = c.toLower();
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern[i + run].toLower() == lower)
            ++run;
        switch (lower.unicode()) {
        case 'd':
            if (run >= 4)
                out += locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
            else if (run == 3)
                out += locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
            else
                out += number(date.day(), run);
            break;
        case 'm':
            if (run >= 4)
                out += locale.standaloneMonthName(date.month(), QLocale::LongFormat);
            else if (run == 3)
                out += locale.standaloneMonthName(date.month(), QLocale::ShortFormat);
            else
                out += number(date.month(), run);
            break;
        case 'y':
            out += run <= 2 ? number(date.year() % 100, 2) : number(date.year(), 4);
            break;
        case 'h':
            out += number(time.hour(), std::min<qsizetype>(run, 2));
            break;
        case 'n':
            out += number(time.minute(), std::min<qsizetype>(run, 2));
            break;
        case 's':
            out += number(time.second(), std::min<qsizetype>(run, 2));
            break;
        default:
            out += pattern.mid(i, run);
        }
        i += run;
    }
    return out;
}

} // namespace kolvar::grid
