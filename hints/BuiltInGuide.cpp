#include "BuiltInGuide.h"

#include <QFile>

// The resources of a static library are not registered by themselves; the macro must be used
// outside any namespace.
static void registerHintsResources()
{
    Q_INIT_RESOURCE(hints);
}

namespace kolvar::hints {

QString builtInGuide()
{
    registerHintsResources();
    QFile file(QStringLiteral(":/hints/guide.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    // The file ends its last line like any text file; the guide has no empty line after it.
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

} // namespace kolvar::hints
