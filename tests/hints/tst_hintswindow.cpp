#include "BevelPanel.h"
#include "ColorValue.h"
#include "DocumentProbe.h"
#include "HintsWindow.h"
#include "ScriptedDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>
#include <QToolTip>

#include <memory>

using kolvar::test::ScriptedDialogs;
using kolvar::test::textOf;
using Property = kolvar::test::TextProperty;

namespace {

const QString Hint = QStringLiteral("Klawisz <ESC> zamyka to okno");

const QStringList Headings
    = { QStringLiteral("I. Wiadomości wstępne"), QStringLiteral("II. Włączenie programu do pracy."),
          QStringLiteral("III. Aktualizacja danych i tworzenie nowej bazy."),
          QStringLiteral("IV. Wyszukiwanie odpowiednich danych w bazie"),
          QStringLiteral("V. Pozostałe polecenia") };

// A hints file as a word processor saves one: Central European fonts, a colour table, a title
// paragraph and an indented one.
const QByteArray RichHints
    = "{\\rtf1\\ansi\\ansicpg1250\\deff0\\deflang1045"
      "{\\fonttbl{\\f0\\fswiss\\fcharset238 Arial;}"
      "{\\f1\\froman\\fcharset238 Times New Roman;}}"
      "{\\colortbl ;\\red0\\green0\\blue255;}"
      "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 "
      "\\pard\\qc\\b\\f0\\fs32 Wskaz\\'f3wki\\b0\\par"
      "\\pard\\li720\\fi-360\\cf1\\f1\\fs24 Ma\\'b3a \\u322?y\\'bfka\\cf0\\par"
      "}";

enum class Elsewhere { Nowhere, WorkingFolder, FolderNamedLikeFile };

enum class Closing { EscapeInText, EscapeOnWindow, CloseBox, Reject };

} // namespace

class tst_HintsWindow : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_program;
    std::unique_ptr<QTemporaryDir> m_user;
    std::unique_ptr<QTemporaryDir> m_working;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<HintsWindow> m_window;
    QString m_startFolder;

    [[nodiscard]] QString hintsPath() const
    {
        return QDir(m_program->path()).filePath(QStringLiteral("Ruvarez.rtf"));
    }
    // A plain hints file long enough to scroll: "wiersz 1" to "wiersz N", one a line.
    [[nodiscard]] static QByteArray numberedLines(int count)
    {
        QByteArray lines;
        for (int i = 1; i <= count; ++i)
            lines += "wiersz " + QByteArray::number(i) + "\r\n";
        return lines;
    }
    void writeHints(const QByteArray& bytes) const
    {
        QFile file(hintsPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    HintsWindow& window()
    {
        if (!m_window)
            m_window = std::make_unique<HintsWindow>(m_program->path(), m_user->path(), nullptr);
        return *m_window;
    }
    void showWindow()
    {
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
    }
    [[nodiscard]] QString shownText() { return textOf(*window().textView()->document()); }

private slots:
    void initTestCase() { m_startFolder = QDir::currentPath(); }
    void init()
    {
        m_program = std::make_unique<QTemporaryDir>();
        m_user = std::make_unique<QTemporaryDir>();
        m_working = std::make_unique<QTemporaryDir>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        QVERIFY(QDir::setCurrent(m_working->path()));
    }
    void cleanup()
    {
        m_window.reset();
        m_dialogs.reset();
        QDir::setCurrent(m_startFolder);
        m_working.reset();
        m_user.reset();
        m_program.reset();
    }

    void isLaidOutAsDesigned()
    {
        showWindow();
        HintsWindow& w = window();
        QCOMPARE(w.windowTitle(), QStringLiteral("Plik pomocy"));
        QCOMPARE(w.size(), QSize(795, 415));
        QCOMPARE(w.palette().color(QPalette::Window), kolvar::toQColor(kolvar::colors::BtnShadow));
        // The panel fills the window, its two lowered bevels of 2 pixels frame the text.
        QCOMPARE(w.textPanel()->geometry(), w.rect());
        QCOMPARE(w.textView()->geometry(), w.textPanel()->rect().adjusted(4, 4, -4, -4));
        QVERIFY(w.textView()->isReadOnly());
        QVERIFY(w.textView()->verticalScrollBar()->isVisible());
        QCOMPARE(w.textView()->font().pixelSize(), 16);
        QVERIFY(!w.textView()->font().bold());
        QCOMPARE(w.textView()->lineWrapMode(), QTextEdit::WidgetWidth);
    }

    void showsBuiltInGuideWithoutHintsFileBesideProgram_data()
    {
        QTest::addColumn<Elsewhere>("elsewhere");
        QTest::newRow("no hints file anywhere") << Elsewhere::Nowhere;
        QTest::newRow("hints file only in the working folder") << Elsewhere::WorkingFolder;
        QTest::newRow("a folder beside the program named like the file")
            << Elsewhere::FolderNamedLikeFile;
    }
    void showsBuiltInGuideWithoutHintsFileBesideProgram()
    {
        QFETCH(Elsewhere, elsewhere);
        if (elsewhere == Elsewhere::WorkingFolder) {
            QFile file(QStringLiteral("Ruvarez.rtf"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("{\\rtf1 z folderu roboczego}");
        } else if (elsewhere == Elsewhere::FolderNamedLikeFile) {
            QVERIFY(QDir(m_program->path()).mkdir(QStringLiteral("Ruvarez.rtf")));
        }
        showWindow();

        const QStringList lines = shownText().split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), QString());
        QCOMPARE(lines.value(1), Headings[0]);
        QCOMPARE(lines.size(), 247);
        int previous = -1;
        for (const QString& heading : Headings) {
            const int at = int(lines.indexOf(heading));
            QVERIFY2(at > previous, qPrintable(heading));
            previous = at;
        }
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    void builtInGuideNamesTheProgramsFilesCommandsAndKeys_data()
    {
        QTest::addColumn<QString>("phrase");
        for (const char* phrase : { "przyklad.db", "kolvar.ini", "SQLite", "\"Edycja i druk\"",
                 "F1", "F2", "F3", "Ctrl+N", "Ctrl+O", "Ctrl+R", "Ctrl+D", "Ctrl+F", "Insert",
                 "Ctrl+Delete", "Shift+F1", "Shift+F2", "Shift+F3", "\"Czyść\"", "\"Pusty\"",
                 "\"Szukanie\"", "\"Nowa Baza\"", "\"Otwórz bazę\"", "\"Regeneruj (odśwież) bazę\"",
                 "\"Edycja aktualnego rekordu\"", "\"Zapisz zmiany w rekordzie\"",
                 "\"Zniszcz wybrany rekord\"", "\"Znajdź następną\"", "\"Sortuj według Nadawcy\"",
                 "\"Zamknij\"", "Esc", "dokładnie tak, jak go wpisano, również cudzysłów",
                 "~/.config/Kolvar", "folderu dokumentów" })
            QTest::newRow(phrase) << QString::fromUtf8(phrase);
    }
    void builtInGuideNamesTheProgramsFilesCommandsAndKeys()
    {
        QFETCH(QString, phrase);
        QVERIFY(window().textView()->toPlainText().contains(phrase));
    }

    void showsHintsFileBesideProgram_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain text in Windows-1250")
            << QByteArray("Pierwsza linia\r\nDruga: \xb3\xb9\r\n")
            << QStringLiteral("Pierwsza linia\nDruga: łą\n");
        QTest::newRow("plain text in UTF-8") << QByteArray("Zażółć\n{\\b bez formatu}")
                                             << QStringLiteral("Zażółć\n{\\b bez formatu}");
        QTest::newRow("rich text") << RichHints << QStringLiteral("Wskazówki\nMała łyżka\n");
        QTest::newRow("empty file") << QByteArray() << QString();
    }
    void showsHintsFileBesideProgram()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        writeHints(file);
        showWindow();
        QCOMPARE(shownText(), expected);
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    void looksBesideProgramThenInUserFolder_data()
    {
        QTest::addColumn<bool>("besideProgram");
        QTest::addColumn<bool>("inUserFolder");
        QTest::addColumn<QString>("expected");
        QTest::newRow("beside the program only") << true << false << QStringLiteral("program");
        QTest::newRow("in the user's folder only") << false << true << QStringLiteral("user");
        QTest::newRow("in both, the program's wins") << true << true << QStringLiteral("program");
    }
    void looksBesideProgramThenInUserFolder()
    {
        QFETCH(bool, besideProgram);
        QFETCH(bool, inUserFolder);
        QFETCH(QString, expected);
        if (besideProgram)
            writeHints("program");
        if (inUserFolder) {
            QFile file(QDir(m_user->path()).filePath(QStringLiteral("Ruvarez.rtf")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("user");
        }
        showWindow();
        QCOMPARE(shownText(), expected);
    }

    void richTextFormatsReachTheWindow_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<Property>("property");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("bold title") << "Wskaz" << Property::Bold << QVariant(true);
        QTest::newRow("title size") << "Wskaz" << Property::PointSize << QVariant(16.0);
        QTest::newRow("title face")
            << "Wskaz" << Property::Family << QVariant(QStringLiteral("Arial"));
        QTest::newRow("centred title")
            << "Wskaz" << Property::Alignment << QVariant(int(Qt::AlignHCenter));
        QTest::newRow("text not bold") << "Ma" << Property::Bold << QVariant(false);
        QTest::newRow("text colour") << "Ma" << Property::Foreground << QVariant(QColor(Qt::blue));
        QTest::newRow("text size") << "Ma" << Property::PointSize << QVariant(12.0);
        QTest::newRow("text face")
            << "Ma" << Property::Family << QVariant(QStringLiteral("Times New Roman"));
        QTest::newRow("left indent") << "Ma" << Property::LeftMargin << QVariant(48.0);
        QTest::newRow("first line indent") << "Ma" << Property::FirstLineIndent << QVariant(-24.0);
        QTest::newRow("ł from \\'b3") << "Mał" << Property::Bold << QVariant(false);
        QTest::newRow("ł from \\u322, its stand-in skipped")
            << "łyż" << Property::Foreground << QVariant(QColor(Qt::blue));
    }
    void richTextFormatsReachTheWindow()
    {
        QFETCH(QString, word);
        QFETCH(Property, property);
        QFETCH(QVariant, expected);
        writeHints(RichHints);
        showWindow();
        QCOMPARE(
            kolvar::test::propertyAt(*window().textView()->document(), word, property), expected);
    }

    void firstParagraphIndents_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("withFile");
        QTest::addColumn<double>("firstLinePoints"); // where the first line starts
        QTest::addColumn<double>("otherLinesPoints");
        QTest::newRow("the guide's paragraph under the selection takes the window's")
            << QByteArray() << false << 25.0 << 40.0;
        QTest::newRow("a loaded file's first paragraph keeps its own")
            << QByteArray("{\\rtf1\\li240\\fi120 x}") << true << 18.0 << 12.0;
        QTest::newRow("a plain file has none") << QByteArray("x") << true << 0.0 << 0.0;
    }
    void firstParagraphIndents()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, withFile);
        QFETCH(double, firstLinePoints);
        QFETCH(double, otherLinesPoints);
        if (withFile)
            writeHints(file);
        showWindow();
        const double pixelsPerPoint = window().textView()->logicalDpiX() / 72.0;
        const QTextBlockFormat first = window().textView()->document()->begin().blockFormat();
        QVERIFY(qAbs(first.leftMargin() + first.textIndent() - firstLinePoints * pixelsPerPoint)
            < 1e-6);
        QVERIFY(qAbs(first.leftMargin() - otherLinesPoints * pixelsPerPoint) < 1e-6);
    }

    void resizeAfterScrollingReloadsAndShowsStart()
    {
        const QByteArray lines = numberedLines(300);
        writeHints(lines);
        showWindow();
        QScrollBar* bar = window().textView()->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());

        writeHints("nowy pocz\xb9tek\r\n" + lines);
        window().resize(700, 380);
        QTRY_VERIFY(shownText().startsWith(QStringLiteral("nowy początek\nwiersz 1\n")));
        QCOMPARE(bar->value(), 0);
        QCOMPARE(window().textView()->textCursor().position(), 0);
    }

    void heightOnlyResizeKeepsTheReadersPlace()
    {
        const QByteArray lines = numberedLines(300);
        writeHints(lines);
        showWindow();
        QScrollBar* bar = window().textView()->verticalScrollBar();
        bar->setValue(bar->maximum() / 2);
        const int place = bar->value();

        writeHints("nowy pocz\xb9tek\r\n" + lines);
        window().resize(window().width(), window().height() - 40);
        QTest::qWait(50);
        QVERIFY(shownText().startsWith(QStringLiteral("wiersz 1\n")));
        QCOMPARE(bar->value(), place);
    }

    void resizeAfterAClickLeavesTheParagraphItsWidth()
    {
        showWindow();
        QTextEdit* text = window().textView();
        const QTextBlock block = text->document()->findBlockByNumber(25);
        QVERIFY(block.text().count(QLatin1Char(' ')) >= 8);
        QTextCursor click(block);
        text->setTextCursor(click);
        window().resize(760, 400);
        QTRY_VERIFY(block.layout()->lineCount() > 0);
        QVERIFY2(block.layout()->lineCount() <= 2, qPrintable(block.text()));
    }

    void closesWithAccepted_data()
    {
        QTest::addColumn<Closing>("closing");
        QTest::newRow("Escape with the focus in the text") << Closing::EscapeInText;
        QTest::newRow("Escape on the window") << Closing::EscapeOnWindow;
        QTest::newRow("close box") << Closing::CloseBox;
        QTest::newRow("the dialog's own cancel") << Closing::Reject;
    }
    void closesWithAccepted()
    {
        QFETCH(Closing, closing);
        HintsWindow& w = window();
        QTimer::singleShot(0, &w, [&w, closing] {
            switch (closing) {
            case Closing::EscapeInText:
                w.textView()->setFocus();
                QTest::keyClick(w.textView(), Qt::Key_Escape);
                break;
            case Closing::EscapeOnWindow:
                QTest::keyClick(&w, Qt::Key_Escape);
                break;
            case Closing::CloseBox:
                w.close();
                break;
            case Closing::Reject:
                w.reject();
                break;
            }
        });
        // A window that stays open ends the loop with a result no closing gives.
        QTimer::singleShot(5000, &w, [&w] { w.done(-1); });
        QCOMPARE(w.exec(), int(QDialog::Accepted));
        QVERIFY(!w.isVisible());
    }

    void otherKeysStayWithTheText()
    {
        showWindow();
        QTextEdit* text = window().textView();
        text->setFocus();
        QTest::keyClick(text, Qt::Key_End, Qt::ControlModifier);
        QVERIFY(window().isVisible());
        QVERIFY(text->verticalScrollBar()->value() > 0);
    }

    void unreadableHintsFileShowsErrorAndEmptyText()
    {
        // Opens as a file, but reading it fails at once.
        QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), hintsPath()));
        showWindow();
        QCOMPARE(m_dialogs->shown.size(), 1);
        QCOMPARE(m_dialogs->shown[0].icon, kolvar::MessageIcon::Error);
        QVERIFY2(
            m_dialogs->shown[0].text.contains(hintsPath()), qPrintable(m_dialogs->shown[0].text));
        QCOMPARE(window().textView()->toPlainText(), QString());
    }

    void hintShowsOverTheText()
    {
        showWindow();
        QWidget* viewport = window().textView()->viewport();
        const QPoint at(20, 20);
        QHelpEvent help(QEvent::ToolTip, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &help);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), Hint);
        QToolTip::hideText();
    }
};

QTEST_MAIN(tst_HintsWindow)
#include "tst_hintswindow.moc"
