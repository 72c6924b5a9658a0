#include "TestEnvironment.h"

#include <QLocale>

#include <cstdlib>
#include <ctime>

namespace kolvar::test {

void pinEnvironment()
{
    setenv("TZ", "Europe/Warsaw", 1);
    tzset();
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
}

namespace {
const bool pinned = (pinEnvironment(), true);
}

} // namespace kolvar::test
