#pragma once

#include <QDateTime>
#include <QString>

namespace kolvar::grid {

// Formats with the patterns of the printout's footer: d dd ddd dddd (day, weekday names),
// m mm mmm mmmm (month, month names of the default locale), yy yyyy, h hh, n nn (minutes),
// s ss; text in double or single quotes is copied without the quotes, anything else as it is.
[[nodiscard]] QString formatDateTimePattern(const QString& pattern, const QDateTime& at);

} // namespace kolvar::grid
