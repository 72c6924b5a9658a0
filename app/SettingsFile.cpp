#include "SettingsFile.h"

#include "IniFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace kolvar::SettingsFile {

namespace {
const QString MainWindowSection = QStringLiteral("Form1");
const QString EditorSection = QStringLiteral("Form2");
const QString Kolor = QStringLiteral("Kolor");
const QString Fonty = QStringLiteral("Fonty");
const QString Plik = QStringLiteral("Plik");
const QString Kolumny = QStringLiteral("Kolumny");

constexpr int MinFontSize = 6;
constexpr int MaxFontSize = 72;
constexpr int MinWindowWidth = 120;
constexpr int MinWindowHeight = 80;
// What must lie on a screen of a window for the user to reach and drag it.
constexpr int MinVisible = 40;

// The screens a window may go on, with the largest width and height among them.
class ScreenArea
{
public:
    explicit ScreenArea(const QList<QRect>& screens)
        : m_screens(screens)
    {
        if (m_screens.isEmpty())
            m_screens = { QRect(0, 0, 1024, 768) };
        for (const QRect& s : m_screens) {
            m_maxWidth = std::max(m_maxWidth, s.width());
            m_maxHeight = std::max(m_maxHeight, s.height());
        }
    }

    [[nodiscard]] int maxWidth() const { return m_maxWidth; }
    [[nodiscard]] int maxHeight() const { return m_maxHeight; }

    // Bounds read as plain numbers: a QRect cannot even hold a left edge and width near the
    // limits of int without overflowing.
    [[nodiscard]] QRect fitWindow(int left, int top, int width, int height) const
    {
        const int w = fit(width, MinWindowWidth, m_maxWidth);
        const int h = fit(height, MinWindowHeight, m_maxHeight);
        for (const QRect& s : m_screens) {
            if (overlap(left, w, s.x(), s.width()) >= MinVisible
                && overlap(top, h, s.y(), s.height()) >= MinVisible)
                return QRect(left, top, w, h);
        }
        // Off every screen: the primary screen's nearest place for it.
        const QRect& primary = m_screens.front();
        return QRect(fit(left, primary.x(), qint64(primary.x()) + primary.width() - w),
            fit(top, primary.y(), qint64(primary.y()) + primary.height() - h), w, h);
    }

    [[nodiscard]] static int fit(qint64 value, qint64 low, qint64 high)
    {
        return int(std::clamp(value, low, std::max(low, high)));
    }

private:
    [[nodiscard]] static qint64 overlap(qint64 start, qint64 length, qint64 from, qint64 size)
    {
        return std::min(start + length, from + size) - std::max(start, from);
    }

    QList<QRect> m_screens;
    int m_maxWidth = 0;
    int m_maxHeight = 0;
};

[[nodiscard]] QString iniIn(const QString& folder)
{
    return QDir(folder).filePath(QString::fromLatin1(FileName));
}

[[noreturn]] void refuse(const QString& path, const QString& why)
{
    throw IniFileError(QStringLiteral("Ustawienia nie zostały zapisane.\nPlik %1 %2.")
                           .arg(QDir::toNativeSeparators(path), why));
}

// Whether a file with some text in it is one this program or an older version wrote.
[[nodiscard]] bool holdsOurSections(const IniFile& ini)
{
    for (const QString* section :
        { &MainWindowSection, &EditorSection, &Kolor, &Fonty, &Plik, &Kolumny }) {
        if (ini.hasSection(*section))
            return true;
    }
    return false;
}

} // namespace

Folders folders(const QString& programDir, bool programDirWritable, const QString& userConfigDir)
{
    if (programDirWritable)
        return { programDir, QString() };
    return { userConfigDir, programDir };
}

QString readPath(const Folders& where)
{
    const QString own = iniIn(where.work);
    if (where.preset.isEmpty() || QFileInfo::exists(own))
        return own;
    return iniIn(where.preset);
}

QString writePath(const Folders& where)
{
    return iniIn(where.work);
}

AppSettings read(const IniFile& ini, const AppSettings& current, const QList<QRect>& screens)
{
    const ScreenArea area(screens);
    AppSettings s = current;
    s.mainBounds = area.fitWindow(
        ini.readInteger(MainWindowSection, QStringLiteral("Left"), current.mainBounds.x()),
        ini.readInteger(MainWindowSection, QStringLiteral("Top"), current.mainBounds.y()),
        ini.readInteger(MainWindowSection, QStringLiteral("Width"), current.mainBounds.width()),
        ini.readInteger(MainWindowSection, QStringLiteral("Height"), current.mainBounds.height()));

    const QRect editor = area.fitWindow(ini.readInteger(EditorSection, QStringLiteral("Left"), 10),
        ini.readInteger(EditorSection, QStringLiteral("Top"), 10),
        ini.readInteger(EditorSection, QStringLiteral("Width"), 454),
        ini.readInteger(EditorSection, QStringLiteral("Height"), 714));
    s.editorLeft = QString::number(editor.x());
    s.editorTop = QString::number(editor.y());
    s.editorWidth = QString::number(editor.width());
    s.editorHeight = QString::number(editor.height());

    s.panelColor = ini.readInteger(Kolor, QStringLiteral("Planszy"), colors::Silver);
    s.editBoxColor = ini.readInteger(Kolor, QStringLiteral("Okien"), colors::Window);
    s.labelFontColor = ini.readInteger(Kolor, QStringLiteral("FontOpisu"), colors::Black);
    s.editFontColor = ini.readInteger(Kolor, QStringLiteral("FontFormy"), colors::Black);
    s.fixedColor = ini.readInteger(Kolor, QStringLiteral("FixedColor"), colors::BtnFace);
    s.editFontSize = ScreenArea::fit(
        ini.readInteger(Fonty, QStringLiteral("ASize"), 10), MinFontSize, MaxFontSize);

    s.databaseName = ini.readString(Plik, QStringLiteral("Nazwa"), QString());
    // Any other order would leave a good register unlistable.
    s.sortMode = ini.readInteger(Plik, QStringLiteral("Sort"), 3);
    if (s.sortMode < 2 || s.sortMode > 4)
        s.sortMode = 3;

    s.listFontName = ini.readString(Fonty, QStringLiteral("Nazwa"), QStringLiteral("Arial"));
    s.listFontSize = ScreenArea::fit(
        ini.readInteger(Fonty, QStringLiteral("Size"), 10), MinFontSize, MaxFontSize);
    s.listFontColor = ini.readInteger(Fonty, QStringLiteral("Kolor"), colors::Black);
    s.listFontStyle = ini.readInteger(Fonty, QStringLiteral("FontStyle"), 0) & 15;

    const auto columnWidth = [&](const char* key, int defaultWidth) {
        return ScreenArea::fit(
            ini.readInteger(Kolumny, QString::fromLatin1(key), defaultWidth), 0, area.maxWidth());
    };
    s.terminWidth = columnWidth("Termin", 76);
    s.nadawcaWidth = columnWidth("Nadawca", 156);
    s.dotyczyWidth = columnWidth("Dotyczy", 480);
    s.rowHeight = ScreenArea::fit(
        ini.readInteger(MainWindowSection, QStringLiteral("WysRow"), 22), 1, area.maxHeight());
    return s;
}

void save(const Folders& where, const AppSettings& settings)
{
    const QString path = writePath(where);
    const QFileInfo target(path);
    if (target.isSymLink())
        refuse(path,
            QStringLiteral("jest dowiązaniem do pliku %1, a nie plikiem ustawień")
                .arg(QDir::toNativeSeparators(target.symLinkTarget())));
    if (target.exists() && !target.isFile())
        refuse(path, QString::fromUtf8(IniFile::NotASettingsFile));
    if (target.size() > IniFile::MaxBytes)
        refuse(
            path, IniFile::tooLargeReason() + QStringLiteral(" i został pozostawiony bez zmian"));
    if (target.exists() && target.size() > 0) {
        const auto own = IniFile::load(path);
        if (own && !own->toText().trimmed().isEmpty() && !holdsOurSections(*own))
            refuse(path,
                QStringLiteral("nie jest plikiem ustawień programu Kolvar (nie ma w nim żadnej "
                               "z jego sekcji) i został pozostawiony bez zmian"));
    }
    IniFile ini = IniFile::load(readPath(where)).value_or(IniFile {});
    write(ini, settings);
    ini.save(path);
}

void write(IniFile& ini, const AppSettings& s)
{
    ini.writeInteger(MainWindowSection, QStringLiteral("Left"), s.mainBounds.x());
    ini.writeInteger(MainWindowSection, QStringLiteral("Top"), s.mainBounds.y());
    ini.writeInteger(MainWindowSection, QStringLiteral("Width"), s.mainBounds.width());
    ini.writeInteger(MainWindowSection, QStringLiteral("Height"), s.mainBounds.height());

    // The labels only ever hold integers the program wrote; anything else is taken as 0 rather
    // than leaving the file half-written.
    ini.writeInteger(EditorSection, QStringLiteral("Left"), s.editorLeft.toInt());
    ini.writeInteger(EditorSection, QStringLiteral("Top"), s.editorTop.toInt());
    ini.writeInteger(EditorSection, QStringLiteral("Width"), s.editorWidth.toInt());
    ini.writeInteger(EditorSection, QStringLiteral("Height"), s.editorHeight.toInt());

    ini.writeInteger(Kolor, QStringLiteral("Planszy"), s.panelColor);
    ini.writeInteger(Kolor, QStringLiteral("Okien"), s.editBoxColor);
    ini.writeInteger(Kolor, QStringLiteral("FontOpisu"), s.labelFontColor);
    ini.writeInteger(Kolor, QStringLiteral("FontFormy"), s.editFontColor);
    ini.writeInteger(Kolor, QStringLiteral("FixedColor"), s.fixedColor);
    ini.writeInteger(Fonty, QStringLiteral("ASize"), s.editFontSize);

    ini.writeString(Plik, QStringLiteral("Nazwa"), s.databaseName);
    ini.writeInteger(Plik, QStringLiteral("Sort"), s.sortMode);

    ini.writeString(Fonty, QStringLiteral("Nazwa"), s.listFontName);
    ini.writeInteger(Fonty, QStringLiteral("Size"), s.listFontSize);
    ini.writeInteger(Fonty, QStringLiteral("Kolor"), s.listFontColor);
    ini.writeInteger(Fonty, QStringLiteral("FontStyle"), s.listFontStyle);

    ini.writeInteger(Kolumny, QStringLiteral("Termin"), s.terminWidth);
    ini.writeInteger(Kolumny, QStringLiteral("Nadawca"), s.nadawcaWidth);
    ini.writeInteger(Kolumny, QStringLiteral("Dotyczy"), s.dotyczyWidth);
    ini.writeInteger(MainWindowSection, QStringLiteral("WysRow"), s.rowHeight);
}

} // namespace kolvar::SettingsFile
