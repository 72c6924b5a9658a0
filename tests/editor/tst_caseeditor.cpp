#include "Announcer.h"
#include "CaseEditor.h"
#include "FakeEditorHost.h"
#include "MaskedDateEdit.h"
#include "ScriptedDialogs.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolButton>
#include <QToolTip>

#include <functional>
#include <memory>

using kolvar::EditorField;
using kolvar::test::FakeEditorHost;
using kolvar::test::ScriptedDialogs;

namespace {

const QString Question = QStringLiteral("W rekordzie dokonano zmian. Czy chcesz je zapisać? ");
const QString EmptyDate = QStringLiteral("    .  .  ");

const QStringList SevenPanels = { "topPanel", "buttonPanel", "upperPanel", "lowerPanel",
    "settlementPanel", "detailsPanel", "replyModePanel" };
const QStringList SevenEdits = { "dateEdit", "senderEdit", "subjectEdit", "settlementCombo",
    "replyModeEdit", "detailsMemo", "annotationsMemo" };

void fillAll(CaseEditor& form)
{
    form.setFieldText(EditorField::Termin, QStringLiteral("2024.03.15"));
    form.setFieldText(EditorField::Nadawca, QStringLiteral("Urząd Gminy"));
    form.setFieldText(EditorField::Dotyczy, QStringLiteral("Wniosek"));
    form.setFieldText(EditorField::Tryb, QStringLiteral("Pilne"));
    form.setFieldText(EditorField::Odpowiedz, QStringLiteral("Pisemnie"));
    form.setFieldText(EditorField::Szczegoly, QStringLiteral("raz\r\ndwa"));
    form.setFieldText(EditorField::Adnotacje, QStringLiteral("uwaga"));
}

QStringList allTexts(const CaseEditor& form)
{
    QStringList out;
    for (EditorField f : kolvar::AllEditorFields)
        out << form.fieldText(f);
    return out;
}

// The control a focus lands in, under its component name (a combo box focuses its line edit).
QString focusName()
{
    QWidget* w = QApplication::focusWidget();
    if (!w)
        return QStringLiteral("(none)");
    if (auto* combo = qobject_cast<QComboBox*>(w->parentWidget()))
        return combo->objectName();
    return w->objectName();
}

// Calls back every time a widget is shown.
class ShowSpy : public QObject
{
public:
    ShowSpy(QWidget* widget, std::function<void()> shown)
        : m_shown(std::move(shown))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            m_shown();
        return false;
    }

private:
    std::function<void()> m_shown;
};

} // namespace

class TestCaseEditor : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FakeEditorHost> m_host;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<CaseEditor> m_form;

    template <typename T> T* child(const QString& name) const
    {
        T* w = m_form->findChild<T*>(name);
        if (!w)
            qFatal("no child %s", qPrintable(name));
        return w;
    }

    void makeForm() { m_form = std::make_unique<CaseEditor>(*m_host); }

    bool showForm()
    {
        m_form->show();
        return QTest::qWaitForWindowExposed(m_form.get());
    }

    bool activateForm()
    {
        if (!showForm())
            return false;
        m_form->activateWindow();
        return QTest::qWaitForWindowActive(m_form.get());
    }

    void resizeClientTo(int clientHeight)
    {
        m_form->resize(m_form->width(), clientHeight + m_form->menuBar()->height());
        QCoreApplication::processEvents();
    }

private slots:
    void init()
    {
        m_host = std::make_unique<FakeEditorHost>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
    }

    void cleanup()
    {
        m_form.reset();
        m_dialogs.reset();
        m_host.reset();
    }

    void firstShowWithoutSettingsIsAt10_10With602x673()
    {
        makeForm();
        QVERIFY(!m_form->isVisible());
        QVERIFY(showForm());
        QCOMPARE(m_form->pos(), QPoint(10, 10));
        QCOMPARE(m_form->size(), QSize(602, 673));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Edycja i druk"));

        QVERIFY(m_form->close());
        QCOMPARE(QStringList({ m_host->lewa, m_host->top, m_host->szer, m_host->wys }),
            QStringList({ "10", "10", "602", "673" }));
    }

    void closeWritesGeometryThenEnablesRegenerateAndSavesOnce()
    {
        m_host->lewa = "120";
        m_host->top = "80";
        m_host->szer = "500";
        m_host->wys = "450";
        makeForm();
        QVERIFY(showForm());
        QCOMPARE(m_form->pos(), QPoint(120, 80));
        QCOMPARE(m_form->size(), QSize(500, 450));

        m_form->move(200, 150);
        m_form->resize(640, 480);
        QTRY_COMPARE(m_form->pos(), QPoint(200, 150));
        QTest::mouseClick(child<QPushButton>("closeButton"), Qt::LeftButton);

        QVERIFY(!m_form->isVisible());
        QCOMPARE(QStringList({ m_host->lewa, m_host->top, m_host->szer, m_host->wys }),
            QStringList({ "200", "150", "640", "480" }));
        QCOMPARE(m_host->log, QStringList({ "enableRegenerate", "saveSettings" }));
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    void closingAgainWhileHiddenStillSaves_data()
    {
        QTest::addColumn<bool>("shownBefore");
        QTest::newRow("shown and closed once") << true;
        QTest::newRow("never shown") << false;
    }

    // The save command closes the editor whether or not it is on screen, and the settings are
    // written every time.
    void closingAgainWhileHiddenStillSaves()
    {
        QFETCH(bool, shownBefore);
        makeForm();
        if (shownBefore) {
            QVERIFY(showForm());
            QVERIFY(m_form->close());
            m_host->log.clear();
        }
        m_form->setRecordChanged(true);
        m_dialogs->answers.push_back(kolvar::DialogButton::No);
        QVERIFY(m_form->close());
        QCOMPARE(m_dialogs->texts(), QStringList({ Question }));
        QCOMPARE(m_host->log, QStringList({ "enableRegenerate", "saveSettings" }));
        QVERIFY(!m_form->recordChanged());
        QVERIFY(!m_form->isVisible());
    }

    void closeBoxRunsTheSameCloseSequence()
    {
        makeForm();
        QVERIFY(showForm());
        m_form->setRecordChanged(true);
        m_dialogs->answers.push_back(kolvar::DialogButton::Yes);
        QVERIFY(!static_cast<QWidget*>(m_form.get())->close());
        QVERIFY(m_form->isVisible());

        m_dialogs->answers.push_back(kolvar::DialogButton::No);
        QVERIFY(static_cast<QWidget*>(m_form.get())->close());
        QVERIFY(!m_form->isVisible());
        QCOMPARE(m_dialogs->texts(), QStringList({ Question, Question }));
        QCOMPARE(m_host->count("saveSettings"), 1);
    }

    void closeQuestionAnswer_data()
    {
        QTest::addColumn<kolvar::DialogButton>("answer");
        QTest::addColumn<bool>("staysOpen");
        QTest::newRow("Yes keeps the window open with texts and flag")
            << kolvar::DialogButton::Yes << true;
        QTest::newRow("No closes, clears the flag and keeps the texts")
            << kolvar::DialogButton::No << false;
    }

    void closeQuestionAnswer()
    {
        QFETCH(kolvar::DialogButton, answer);
        QFETCH(bool, staysOpen);
        makeForm();
        fillAll(*m_form);
        QVERIFY(showForm());
        QTest::keyClick(child<QLineEdit>("senderEdit"), Qt::Key_End);
        QTest::keyClick(child<QLineEdit>("senderEdit"), Qt::Key_X);
        const QStringList texts = allTexts(*m_form);
        QVERIFY(m_form->recordChanged());

        m_dialogs->answers.push_back(answer);
        QTest::mouseClick(child<QPushButton>("closeButton"), Qt::LeftButton);

        QCOMPARE(m_dialogs->texts(), QStringList({ Question }));
        QCOMPARE(m_dialogs->shown.constFirst().buttons,
            QList<kolvar::DialogButton>({ kolvar::DialogButton::Yes, kolvar::DialogButton::No }));
        QCOMPARE(m_form->isVisible(), staysOpen);
        QCOMPARE(m_form->recordChanged(), staysOpen);
        QCOMPARE(allTexts(*m_form), texts);
        QCOMPARE(m_host->count("saveSettings"), staysOpen ? 0 : 1);
        QCOMPARE(m_host->count("saveChanges"), 0);
    }

    void clearButtonEmptiesEveryFieldAndCountsAsAChange_data()
    {
        QTest::addColumn<bool>("filled");
        QTest::newRow("a filled case is changed") << true;
        QTest::newRow("an empty case stays unchanged") << false;
    }

    void clearButtonEmptiesEveryFieldAndCountsAsAChange()
    {
        QFETCH(bool, filled);
        const bool changed = filled;
        makeForm();
        if (filled)
            fillAll(*m_form);
        QVERIFY(showForm());
        QVERIFY(!m_form->recordChanged());

        QTest::mouseClick(child<QPushButton>("clearButton"), Qt::LeftButton);

        QCOMPARE(allTexts(*m_form), QStringList({ EmptyDate, "", "", "", "", "", "" }));
        QCOMPARE(m_form->recordChanged(), changed);
        QVERIFY(m_host->log.isEmpty());

        m_dialogs->answers.push_back(kolvar::DialogButton::No);
        QVERIFY(m_form->close());
        QCOMPARE(m_dialogs->texts().size(), changed ? 1 : 0);
    }

    // A case is changed when, and only when, some field's text differs from what the editor
    // showed: keys that read or move change nothing, and every field counts.
    void onlyADifferentTextIsAChange_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("changed");
        QTest::newRow("digit in the date") << "dateEdit"
                                           << "^1" << true;
        QTest::newRow("letter in the sender") << "senderEdit"
                                              << "a" << true;
        QTest::newRow("letter in the details") << "detailsMemo"
                                               << "a" << true;
        QTest::newRow("letter in the annotations") << "annotationsMemo"
                                                   << "b" << true;
        QTest::newRow("letter in the mode of settling") << "settlementCombo"
                                                        << "a" << true;
        QTest::newRow("letter in the mode of reply") << "replyModeEdit"
                                                     << "a" << true;
        QTest::newRow("arrows and Home in the subject") << "subjectEdit"
                                                        << "<>^" << false;
        QTest::newRow("shift alone in the details") << "detailsMemo"
                                                    << "S" << false;
        QTest::newRow("a letter typed and taken back in the sender") << "senderEdit"
                                                                     << "aB" << false;
        QTest::newRow("a letter typed and taken back in the mode of reply") << "replyModeEdit"
                                                                            << "aB" << false;
    }

    void onlyADifferentTextIsAChange()
    {
        QFETCH(QString, control);
        QFETCH(QString, keys);
        QFETCH(bool, changed);
        makeForm();
        fillAll(*m_form);
        QVERIFY(showForm());
        QWidget* target = child<QWidget>(control);
        if (auto* combo = qobject_cast<QComboBox*>(target))
            target = combo->lineEdit();
        for (const QChar k : keys) {
            const Qt::Key key = k == u'<' ? Qt::Key_Left
                : k == u'>'               ? Qt::Key_Right
                : k == u'^'               ? Qt::Key_Home
                : k == u'S'               ? Qt::Key_Shift
                : k == u'B'               ? Qt::Key_Backspace
                : k.isDigit()             ? Qt::Key(Qt::Key_0 + k.digitValue())
                                          : Qt::Key(Qt::Key_A + (k.unicode() - u'a'));
            QTest::keyClick(target, key);
        }
        QCOMPARE(m_form->recordChanged(), changed);

        m_dialogs->answers.push_back(kolvar::DialogButton::No);
        QVERIFY(m_form->close());
        QCOMPARE(m_dialogs->texts(), changed ? QStringList({ Question }) : QStringList());
    }

    void choosingAnotherItemOfTheModeOfSettlingIsAChange()
    {
        makeForm();
        QVERIFY(showForm());
        auto* combo = child<QComboBox>("settlementCombo");
        combo->setCurrentIndex(2);
        QCOMPARE(m_form->fieldText(EditorField::Tryb),
            QStringLiteral("Załatwić w trybie administracyjnym w okresie jednego miesiąca"));
        QVERIFY(m_form->recordChanged());
        m_dialogs->answers.push_back(kolvar::DialogButton::No);
        QVERIFY(m_form->close());
        QCOMPARE(m_dialogs->texts(), QStringList({ Question }));
    }

    void tabbingThroughTheFieldsToHearThemChangesNothing()
    {
        makeForm();
        fillAll(*m_form);
        QVERIFY(activateForm());
        child<QWidget>("dateEdit")->setFocus();
        QTRY_COMPARE(focusName(), QStringLiteral("dateEdit"));
        for (int i = 0; i < 7; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(focusName(), QStringLiteral("clearButton"));
        QVERIFY(!m_form->recordChanged());
        QVERIFY(m_form->close());
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    // After "Nie" the typing stays in the fields without the question; typing on asks again.
    void droppedTypingIsNotAskedAboutTwice()
    {
        makeForm();
        fillAll(*m_form);
        QVERIFY(showForm());
        QTest::keyClick(child<QLineEdit>("subjectEdit"), Qt::Key_X);
        m_form->setRecordChanged(false);
        QVERIFY(!m_form->recordChanged());
        QVERIFY(m_form->fieldChanged(EditorField::Dotyczy));
        QTest::keyClick(child<QLineEdit>("subjectEdit"), Qt::Key_Y);
        QVERIFY(m_form->recordChanged());
    }

    // A window the user opens gets the focus, in its first field, whatever window had it.
    void openingTheEditorTakesTheFocusToItsFirstField_data()
    {
        QTest::addColumn<bool>("present");
        QTest::newRow("shown") << false;
        QTest::newRow("brought back while open") << true;
    }

    void openingTheEditorTakesTheFocusToItsFirstField()
    {
        QFETCH(bool, present);
        makeForm();
        if (present) {
            QVERIFY(activateForm());
            child<QWidget>("annotationsMemo")->setFocus();
        }
        QLineEdit list;
        list.show();
        list.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&list));

        if (present)
            m_form->present();
        else
            m_form->show();

        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        QTRY_COMPARE(focusName(), QStringLiteral("dateEdit"));
    }

    // A step that shows another case says it to a screen reader, once, without moving the
    // focus: its date, sender, subject and place. At either end the step says so instead of
    // the same case again; one that shows nothing new (the user kept the typing) says nothing.
    void steppingAnnouncesTheNewCase_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("shows");
        QTest::addColumn<QStringList>("heard");
        QTest::newRow("next") << "nextButton"
                              << "2024.01.29"
                              << "2 z 17"
                              << "3 z 17" << true
                              << QStringList({ "Wpłynęło: 2024.01.29. Nadawca: Urząd Gminy. "
                                               "Dotyczy: Wniosek. Rekord 3 z 17" });
        QTest::newRow("first, a case without a date")
            << "firstButton"
            << ""
            << "3 z 17"
            << "1 z 17" << true
            << QStringList(
                   { "Wpłynęło: pusto. Nadawca: Urząd Gminy. Dotyczy: Wniosek. Rekord 1 z 17" });
        QTest::newRow("last, the typing kept") << "lastButton"
                                               << ""
                                               << "00"
                                               << "00" << false << QStringList();
        QTest::newRow("last at the last case, shown again")
            << "lastButton"
            << "2024.01.29"
            << "17 z 17"
            << "17 z 17" << true << QStringList({ "To jest ostatni rekord." });
        QTest::newRow("next at the last case")
            << "nextButton"
            << ""
            << "17 z 17"
            << "17 z 17" << false << QStringList({ "To jest ostatni rekord." });
        QTest::newRow("previous at the first case")
            << "previousButton"
            << ""
            << "1 z 17"
            << "1 z 17" << false << QStringList({ "To jest pierwszy rekord." });
    }

    void steppingAnnouncesTheNewCase()
    {
        QFETCH(QString, button);
        QFETCH(QString, date);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(bool, shows);
        QFETCH(QStringList, heard);
        makeForm();
        QVERIFY(activateForm());
        m_form->positionLabel()->setText(before);
        auto* b = child<QToolButton>(button);
        b->setFocus();
        QTRY_VERIFY(b->hasFocus());
        m_host->onCommand = [&](const QString&) {
            if (!shows)
                return;
            m_form->setFieldText(EditorField::Termin, date);
            m_form->setFieldText(EditorField::Nadawca, QStringLiteral("Urząd Gminy"));
            m_form->setFieldText(EditorField::Dotyczy, QStringLiteral("Wniosek"));
            m_form->positionLabel()->setText(after);
            m_form->markShown();
        };
        // A reader hears the notification each time it appears, so every appearance counts.
        auto* announcer = m_form->findChild<kolvar::Announcer*>();
        QVERIFY(announcer);
        QStringList notices;
        ShowSpy appearances(announcer, [&] { notices << announcer->text(); });

        QTest::keyClick(b, Qt::Key_Space);
        QCoreApplication::processEvents();

        QCOMPARE(m_host->log.size(), 1);
        QCOMPARE(notices, heard);
        QVERIFY(b->hasFocus());
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(announcer);
        QCOMPARE(iface->role(), QAccessible::Notification);
        QCOMPARE(iface->text(QAccessible::Name), heard.value(0));
        QCOMPARE(announcer->size(), QSize(0, 0));
    }

    // A line said once is not said again: not when the editor comes back after being closed,
    // and not after it shows another case.
    void anAnnouncementIsNotHeardAgain_data()
    {
        QTest::addColumn<bool>("reopened");
        QTest::newRow("editor closed and shown again") << true;
        QTest::newRow("another case shown") << false;
    }

    void anAnnouncementIsNotHeardAgain()
    {
        QFETCH(bool, reopened);
        makeForm();
        QVERIFY(activateForm());
        m_host->onCommand = [&](const QString&) {
            m_form->positionLabel()->setText(QStringLiteral("2 z 35"));
            m_form->markShown();
        };
        QTest::keyClick(child<QToolButton>(QStringLiteral("nextButton")), Qt::Key_Space);
        QCoreApplication::processEvents();
        auto* announcer = m_form->findChild<kolvar::Announcer*>();
        QVERIFY(announcer->isVisible());
        QStringList notices;
        ShowSpy appearances(announcer, [&] { notices << announcer->text(); });

        if (reopened) {
            m_form->close();
        } else {
            m_form->positionLabel()->setText(QStringLiteral("35 z 35"));
            m_form->markShown();
        }
        QVERIFY(activateForm());

        QCOMPARE(notices, QStringList());
        QVERIFY(!announcer->isVisible());
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(announcer);
        QCOMPARE(iface->text(QAccessible::Name), QString());
    }

    void tabOrderRunsThroughTheControls()
    {
        makeForm();
        QVERIFY(activateForm());
        child<QWidget>("closeButton")->setFocus();
        QTRY_COMPARE(focusName(), QStringLiteral("closeButton"));
        QStringList visited;
        for (int i = 0; i < 16; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << focusName();
        }
        QCOMPARE(visited,
            QStringList({ "dateEdit", "senderEdit", "subjectEdit", "settlementCombo", "detailsMemo",
                "annotationsMemo", "replyModeEdit", "clearButton", "firstButton", "previousButton",
                "nextButton", "lastButton", "addButton", "deleteButton", "saveButton",
                "closeButton" }));
    }

    void everyControlIsNamedForAScreenReader_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        const QList<std::pair<const char*, const char*>> names { { "dateEdit", "Wpłynęło:" },
            { "senderEdit", "Nadawca:" }, { "subjectEdit", "Dotyczy:" },
            { "settlementCombo", "Tryb załatwienia kolvar:" },
            { "detailsMemo", "Dane szczegółowe kolvar" },
            { "annotationsMemo", "Adnotacje urzędowe." },
            { "replyModeEdit", "Tryb udzielenia odpowiedzi:" },
            { "firstButton", "Na Pierwszy rekord" },
            { "saveButton", "Zatwierdza zmiany w tekście rekordu" }, { "clearButton", "Czyść" } };
        for (const auto& [control, name] : names)
            QTest::newRow(control) << QString::fromUtf8(control) << QString::fromUtf8(name);
    }
    void everyControlIsNamedForAScreenReader()
    {
        QFETCH(QString, control);
        QFETCH(QString, name);
        makeForm();
        QAccessibleInterface* iface
            = QAccessible::queryAccessibleInterface(child<QWidget>(control));
        QCOMPARE(iface->text(QAccessible::Name), name);
    }

    void halvesShareTheClientHeight_data()
    {
        QTest::addColumn<int>("clientHeight");
        QTest::addColumn<int>("upperPanelHeight");
        QTest::addColumn<int>("lowerPanelHeight");
        QTest::newRow("600 gives 222 each") << 600 << 222 << 222;
        QTest::newRow("odd remainder goes to pnl2") << 601 << 222 << 223;
        QTest::newRow("small window") << 400 << 122 << 122;
    }

    void halvesShareTheClientHeight()
    {
        QFETCH(int, clientHeight);
        QFETCH(int, upperPanelHeight);
        QFETCH(int, lowerPanelHeight);
        makeForm();
        QVERIFY(showForm());
        resizeClientTo(clientHeight);
        QCOMPARE(m_form->centralWidget()->height(), clientHeight);

        QCOMPARE(child<QWidget>("topPanel")->geometry(), QRect(0, 0, m_form->width(), 112));
        QCOMPARE(child<QWidget>("upperPanel")->y(), 112);
        QCOMPARE(child<QWidget>("upperPanel")->height(), upperPanelHeight);
        QCOMPARE(child<QWidget>("lowerPanel")->y(), 112 + upperPanelHeight);
        QCOMPARE(child<QWidget>("lowerPanel")->height(), lowerPanelHeight);
        QCOMPARE(child<QWidget>("buttonPanel")->y(), clientHeight - 44);
        QCOMPARE(child<QWidget>("annotationsPanel")->height(), 29);
        // The details memo fills what the two strips above it leave inside the bevels.
        QCOMPARE(child<QWidget>("detailsMemo")->height(), upperPanelHeight - 4 - 41 - 29);
    }

    void controlsFollowTheCaptionWidths_data()
    {
        QTest::addColumn<int>("width");
        QTest::newRow("first run size") << 602;
        QTest::newRow("wide") << 900;
        QTest::newRow("settings default size") << 454;
    }

    void controlsFollowTheCaptionWidths()
    {
        QFETCH(int, width);
        m_host->szer = QString::number(width);
        makeForm();
        QVERIFY(showForm());
        const QFontMetrics fm(m_form->font());
        const auto caption = [&](const char* label) {
            auto* l = child<QLabel>(label);
            // Every label is exactly as wide as its caption.
            if (l->width() != fm.horizontalAdvance(l->text()))
                qWarning("%s is %d wide", label, l->width());
            return fm.horizontalAdvance(l->text());
        };
        const auto x = [&](const char* name) { return child<QWidget>(name)->x(); };
        const auto w = [&](const char* name) { return child<QWidget>(name)->width(); };
        const int gorny = w("topPanel");
        QCOMPARE(gorny, width);

        QCOMPARE(x("dateLabel"), 20);
        QCOMPARE(x("dateEdit"), 20 + caption("dateLabel") + 10);
        QCOMPARE(x("subjectLabel"), 20);
        QCOMPARE(x("subjectEdit"), 20 + caption("subjectLabel") + 10);
        QCOMPARE(w("subjectEdit"), gorny - x("subjectEdit") - 25);
        QCOMPARE(x("senderLabel"), x("dateEdit") + w("dateEdit") + 20);
        QCOMPARE(x("senderEdit"), x("senderLabel") + caption("senderLabel") + 10);
        QCOMPARE(w("senderEdit"), gorny - x("senderEdit") - 25);
        // The strips sit inside their halves' bevels, and the captions keep 20 pixels from the
        // strip's own left edge in the half.
        QCOMPARE(x("settlementPanel"), 2);
        QCOMPARE(x("settlementLabel"), 22);
        QCOMPARE(x("settlementCombo"), 22 + caption("settlementLabel") + 10);
        QCOMPARE(w("settlementCombo"), w("settlementPanel") - caption("settlementLabel") - 55);
        QCOMPARE(x("replyModePanel"), 1);
        QCOMPARE(x("replyModeLabel"), 21);
        QCOMPARE(x("replyModeEdit"), 21 + caption("replyModeLabel") + 10);
        QCOMPARE(w("replyModeEdit"), w("replyModePanel") - caption("replyModeLabel") - 55);
        for (const char* label :
            { "dateLabel", "senderLabel", "subjectLabel", "settlementLabel", "replyModeLabel" })
            QCOMPARE(child<QLabel>(label)->width(), caption(label));
    }

    void speedButtonsCallTheirCommand_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("command");
        QTest::newRow("first") << "firstButton"
                               << "Na Pierwszy rekord"
                               << "firstCase";
        QTest::newRow("previous") << "previousButton"
                                  << "Poprzedni rekord"
                                  << "previousCase";
        QTest::newRow("next") << "nextButton"
                              << "Następny rekord"
                              << "nextCase";
        QTest::newRow("last") << "lastButton"
                              << "Na ostatni rekord"
                              << "lastCase";
        QTest::newRow("add") << "addButton"
                             << "Dodaje rekord"
                             << "addNewCase";
        QTest::newRow("delete") << "deleteButton"
                                << "Usuwa zaznaczony rekord"
                                << "deleteCurrentCase";
        QTest::newRow("save") << "saveButton"
                              << "Zatwierdza zmiany w tekście rekordu"
                              << "saveChanges";
    }

    void speedButtonsCallTheirCommand()
    {
        QFETCH(QString, button);
        QFETCH(QString, hint);
        QFETCH(QString, command);
        makeForm();
        fillAll(*m_form);
        const QStringList texts = allTexts(*m_form);
        QVERIFY(showForm());
        auto* b = child<QToolButton>(button);
        QCOMPARE(b->size(), QSize(25, 25));
        QCOMPARE(b->toolTip(), hint);
        // Reached by Tab, never by a click, which leaves the focus in the field being edited.
        QCOMPARE(b->focusPolicy(), Qt::TabFocus);
        QVERIFY(b->icon().pixmap(16, QIcon::Normal).toImage()
            != b->icon().pixmap(16, QIcon::Disabled).toImage());

        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(m_host->log, QStringList({ command }));
        QCOMPARE(allTexts(*m_form), texts);
        QVERIFY(!m_form->recordChanged());
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    void memoTextsTravelWithCrLf_data()
    {
        QTest::addColumn<EditorField>("field");
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("read");
        QTest::addColumn<int>("lines");
        QTest::newRow("details, CR LF kept") << EditorField::Szczegoly << "raz\r\ndwa"
                                             << "raz\r\ndwa" << 2;
        QTest::newRow("details, bare LF read as CR LF") << EditorField::Szczegoly << "raz\ndwa"
                                                        << "raz\r\ndwa" << 2;
        QTest::newRow("annotations, empty lines and a final break")
            << EditorField::Adnotacje << "a\r\n\r\nb\r\n"
            << "a\r\n\r\nb\r\n"
            << 4;
        QTest::newRow("annotations, empty") << EditorField::Adnotacje << ""
                                            << "" << 1;
        // A stored no-break space is a byte of the code page like any other: saving an
        // untouched memo must not turn it into a plain blank.
        QTest::newRow("details, no-break space kept")
            << EditorField::Szczegoly << QString::fromUtf8("art.\u00A05\r\nust.\u00A02")
            << QString::fromUtf8("art.\u00A05\r\nust.\u00A02") << 2;
        // Shift+Enter breaks the line inside a paragraph; it is stored as a line break.
        QTest::newRow("annotations, line separator read as CR LF")
            << EditorField::Adnotacje << QString::fromUtf8("raz\u2028dwa") << "raz\r\ndwa" << 1;
    }

    void memoTextsTravelWithCrLf()
    {
        QFETCH(EditorField, field);
        QFETCH(QString, given);
        QFETCH(QString, read);
        QFETCH(int, lines);
        makeForm();
        m_form->setFieldText(field, given);
        QCOMPARE(m_form->fieldText(field), read);
        QPlainTextEdit* memo
            = field == EditorField::Szczegoly ? m_form->detailsMemo() : m_form->annotationsMemo();
        QCOMPARE(memo->blockCount(), lines);
        QVERIFY(!memo->toPlainText().contains(QLatin1Char('\r')));
        QVERIFY(!m_form->recordChanged());
    }

    // A run of letters longer than a line (a pasted code) is broken anywhere, and shown whole;
    // words are never split. Before, a megabyte without a blank kept the editor busy for minutes.
    void detailsBreakWordsBetweenAndLongRunsAnywhere_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<bool>("splitsWords");
        const QString code = QString(QStringLiteral("0123456789ABCDEF")).repeated(12500);
        const QString words = QStringLiteral("wniosek o wpis ").repeated(200);
        QTest::newRow("ordinary words") << words << false;
        QTest::newRow("200,000 letters without a blank") << code << true;
        QTest::newRow("words, then a long code") << words + code << true;
    }

    void detailsBreakWordsBetweenAndLongRunsAnywhere()
    {
        QFETCH(QString, given);
        QFETCH(bool, splitsWords);
        makeForm();
        m_form->setFieldText(EditorField::Szczegoly, given);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        QCOMPARE(m_form->fieldText(EditorField::Szczegoly), given);
        const QTextLayout* layout = m_form->detailsMemo()->document()->firstBlock().layout();
        QVERIFY(layout->lineCount() > 1);
        bool split = false;
        for (int i = 0; i + 1 < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const int end = line.textStart() + line.textLength();
            split = split || (!given.at(end - 1).isSpace() && !given.at(end).isSpace());
        }
        QCOMPARE(split, splitsWords);
    }

    void typingStopsAtTheMaximumLength_data()
    {
        QTest::addColumn<EditorField>("field");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("limit");
        QTest::newRow("sender 40") << EditorField::Nadawca << "senderEdit" << 40;
        QTest::newRow("subject 120") << EditorField::Dotyczy << "subjectEdit" << 120;
        QTest::newRow("mode of settling 120") << EditorField::Tryb << "settlementCombo" << 120;
        QTest::newRow("mode of reply 120") << EditorField::Odpowiedz << "replyModeEdit" << 120;
    }

    void typingStopsAtTheMaximumLength()
    {
        QFETCH(EditorField, field);
        QFETCH(QString, control);
        QFETCH(int, limit);
        makeForm();
        QWidget* target = child<QWidget>(control);
        if (auto* combo = qobject_cast<QComboBox*>(target))
            target = combo->lineEdit();
        QTest::keyClicks(target, QString(limit + 5, QLatin1Char('k')));
        QCOMPARE(m_form->fieldText(field), QString(limit, QLatin1Char('k')));
        // The key refused is said, not swallowed.
        QCOMPARE(QToolTip::text(), QString("To pole mieści najwyżej %1 znaków.").arg(limit));

        // Room made by deleting a selection is room to type again.
        auto* edit = qobject_cast<QLineEdit*>(target);
        edit->setSelection(0, 5);
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, QStringLiteral("abc"));
        QCOMPARE(
            m_form->fieldText(field), QStringLiteral("abc") + QString(limit - 5, QLatin1Char('k')));
        edit->setSelection(0, 3);
        QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
        QTest::keyClicks(edit, QStringLiteral("de"));
        edit->setSelection(0, 2);
        QTest::keyClicks(edit, QStringLiteral("fgh"));
        QCOMPARE(
            m_form->fieldText(field), QStringLiteral("fgh") + QString(limit - 5, QLatin1Char('k')));
    }

    // A stored text over the limit (doubled quotes, an older register) must survive the editor
    // whole, or the next save would cut it.
    void storedTextOverTheLimitStaysWhole()
    {
        makeForm();
        const QString stored = QString(39, QLatin1Char('a')) + QStringLiteral("''b''");
        m_form->setFieldText(EditorField::Nadawca, stored);
        QCOMPARE(m_form->fieldText(EditorField::Nadawca), stored);

        auto* edit = child<QLineEdit>("senderEdit");
        edit->end(false);
        QTest::keyClick(edit, Qt::Key_Z);
        QCOMPARE(m_form->fieldText(EditorField::Nadawca), stored);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(m_form->fieldText(EditorField::Nadawca), stored.chopped(1));
    }

    // A line edit holds 32,767 characters and cuts the rest of what it is given: a longer
    // stored text is shown read-only, kept whole, and typing into it is answered with why.
    void textLongerThanALineEditHoldsIsKeptWholeAndReadOnly_data()
    {
        QTest::addColumn<EditorField>("field");
        QTest::addColumn<QString>("control");
        QTest::newRow("date") << EditorField::Termin << "dateEdit";
        QTest::newRow("sender") << EditorField::Nadawca << "senderEdit";
        QTest::newRow("subject") << EditorField::Dotyczy << "subjectEdit";
        QTest::newRow("mode of settling") << EditorField::Tryb << "settlementCombo";
        QTest::newRow("mode of reply") << EditorField::Odpowiedz << "replyModeEdit";
    }
    void textLongerThanALineEditHoldsIsKeptWholeAndReadOnly()
    {
        QFETCH(EditorField, field);
        QFETCH(QString, control);
        makeForm();
        QWidget* target = child<QWidget>(control);
        if (auto* combo = qobject_cast<QComboBox*>(target))
            target = combo->lineEdit();
        auto* edit = qobject_cast<QLineEdit*>(target);
        const QString stored = QString(40000, u'ż') + QStringLiteral("koniec");
        m_form->setFieldText(field, stored);
        QCOMPARE(m_form->fieldText(field), stored);
        QVERIFY(edit->isReadOnly());
        m_form->markShown();
        const QLocale polish(QLocale::Polish, QLocale::Poland);
        const QString note = QString("Tekst jest dłuższy, niż to pole może pokazać; zmień go w "
                                     "programie, który go zapisał. Pole pokazuje %1 z %2 znaków i "
                                     "zapis sprawy pozostawi ten tekst w całości.")
                                 .arg(polish.toString(32767), polish.toString(40006));
        QCOMPARE(edit->toolTip(), note);
        edit->end(false);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClick(edit, Qt::Key_X);
        QCOMPARE(m_form->fieldText(field), stored);
        QVERIFY(!m_form->fieldChanged(field));
        QCOMPARE(QToolTip::text(), note);

        // The next case's text is the user's to edit again.
        m_form->setFieldText(field, QStringLiteral("krótki"));
        QVERIFY(!edit->isReadOnly());
        QCOMPARE(edit->toolTip(), QString());
        QCOMPARE(m_form->fieldText(field), QStringLiteral("krótki"));
    }

    void shownTextsReadFromTheirFirstLetter()
    {
        makeForm();
        QVERIFY(showForm());
        const QString longMode
            = QStringLiteral("Załatwić w trybie administracyjnym w okresie jednego "
                             "miesiąca, z powiadomieniem strony");
        m_form->setFieldText(EditorField::Tryb, longMode);
        m_form->setFieldText(EditorField::Dotyczy, QString(120, QLatin1Char('d')));
        QCOMPARE(child<QComboBox>("settlementCombo")->lineEdit()->cursorPosition(), 0);
        QCOMPARE(child<QLineEdit>("subjectEdit")->cursorPosition(), 0);
    }

    void dateFieldKeepsItsSeparatorsAndBlanks()
    {
        makeForm();
        QCOMPARE(m_form->fieldText(EditorField::Termin), EmptyDate);
        m_form->setFieldText(EditorField::Termin, QStringLiteral("2023.11.05"));
        QCOMPARE(m_form->fieldText(EditorField::Termin), QStringLiteral("2023.11.05"));
        m_form->setFieldText(EditorField::Termin, QString());
        QCOMPARE(m_form->fieldText(EditorField::Termin), EmptyDate);
    }

    void appearanceComesFromTheHost()
    {
        m_host->storedPanelColor = 0x00FF00; // green
        m_host->storedEditBoxColor = 0xFFFF00; // aqua
        m_host->storedLabelFontColor = 0x800000; // navy
        m_host->storedEditFontColor = 0x000080; // maroon
        m_host->storedEditFontSize = 14;
        makeForm();

        for (const QString& name : SevenPanels)
            QCOMPARE(child<QWidget>(name)->palette().color(QPalette::Window), QColor(0, 255, 0));
        QCOMPARE(child<QWidget>("annotationsPanel")->palette().color(QPalette::Window),
            QColor(192, 192, 192));

        for (const QString& name : SevenEdits) {
            QWidget* w = child<QWidget>(name);
            QCOMPARE(w->palette().color(QPalette::Base), QColor(0, 255, 255));
            QCOMPARE(w->palette().color(QPalette::Text), QColor(128, 0, 0));
            QCOMPARE(w->font().pointSize(), 14);
            QCOMPARE(w->font().family(), QStringLiteral("Arial"));
            QVERIFY(w->font().bold());
        }
        // Captions take their colour from the panel they sit on.
        for (const char* label : { "titleLabel", "dateLabel", "settlementLabel", "detailsLabel",
                 "replyModeLabel", "annotationsLabel", "positionCaptionLabel", "positionLabel" })
            QCOMPARE(
                child<QWidget>(label)->palette().color(QPalette::WindowText), QColor(0, 0, 128));
        QCOMPARE(child<QLabel>("titleLabel")->font().pixelSize(), 21);
        QCOMPARE(m_form->font().pixelSize(), 13);
    }

    void colourCommandPaintsAndTellsTheHost_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QStringList>("widgets");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("setter");

        QTest::newRow("panel colour")
            << "chooseWindowColor"
            << "#c0c0c0" << SevenPanels << int(QPalette::Window) << "setPanelColor";
        QTest::newRow("edit box colour")
            << "chooseFieldColor"
            << "#fffff0" << SevenEdits << int(QPalette::Base) << "setEditBoxColor";
        QTest::newRow("caption colour")
            << "chooseCaptionColor"
            << "#c0c0c0"
            << QStringList({ "titleLabel", "dateLabel", "senderLabel", "subjectLabel",
                   "settlementLabel", "detailsLabel", "annotationsLabel", "replyModeLabel",
                   "positionCaptionLabel", "positionLabel" })
            << int(QPalette::WindowText) << "setLabelFontColor";
    }

    void colourCommandPaintsAndTellsTheHost()
    {
        QFETCH(QString, action);
        QFETCH(QString, preset);
        QFETCH(QStringList, widgets);
        QFETCH(int, role);
        QFETCH(QString, setter);
        m_host->storedEditBoxColor = 0xF0FFFF; // ivory, so the preset shows where it came from
        makeForm();

        m_dialogs->colors.push_back(QColor(255, 0, 0));
        child<QAction>(action)->trigger();

        QCOMPARE(m_dialogs->shown.size(), 1);
        QCOMPARE(m_dialogs->shown.constFirst().kind, ScriptedDialogs::Shown::Color);
        QCOMPARE(m_dialogs->shown.constFirst().text, preset);
        for (const QString& name : widgets)
            QCOMPARE(child<QWidget>(name)->palette().color(QPalette::ColorRole(role)),
                QColor(255, 0, 0));
        QCOMPARE(m_host->log, QStringList({ setter }));
        const kolvar::ColorValue red = 0x0000FF;
        const kolvar::ColorValue stored = setter == "setPanelColor" ? m_host->storedPanelColor
            : setter == "setEditBoxColor"                           ? m_host->storedEditBoxColor
                                                                    : m_host->storedLabelFontColor;
        QCOMPARE(stored, red);
    }

    void fontCommandTakesOnlyColourAndSize()
    {
        makeForm();
        QFont courier(QStringLiteral("Courier New"));
        courier.setPointSize(16);
        courier.setItalic(true);
        courier.setUnderline(true);
        m_dialogs->fonts.push_back(kolvar::FontChoice { courier, QColor(0, 0, 255) });
        child<QAction>("chooseFieldFont")->trigger();

        QCOMPARE(m_dialogs->shown.size(), 1);
        QFont preset;
        QVERIFY(preset.fromString(m_dialogs->shown.constFirst().text));
        QCOMPARE(preset.pointSize(), 10);
        QVERIFY(!preset.bold());
        QVERIFY(!preset.italic());

        for (const QString& name : SevenEdits) {
            QWidget* w = child<QWidget>(name);
            QCOMPARE(w->font().family(), QStringLiteral("Arial"));
            QVERIFY(w->font().bold());
            QVERIFY(!w->font().italic());
            QVERIFY(!w->font().underline());
            QCOMPARE(w->font().pointSize(), 16);
            QCOMPARE(w->palette().color(QPalette::Text), QColor(0, 0, 255));
        }
        QCOMPARE(m_host->storedEditFontSize, 16);
        QCOMPARE(m_host->storedEditFontColor, kolvar::ColorValue(0xFF0000));
        QCOMPARE(m_host->log, QStringList({ "setEditFontColor", "setEditFontSize" }));

        // The next time the dialog starts from the size now in force, again in plain style.
        child<QAction>("chooseFieldFont")->trigger();
        QVERIFY(preset.fromString(m_dialogs->shown.last().text));
        QCOMPARE(preset.pointSize(), 16);
        QVERIFY(!preset.italic());
    }

    void cancelledDialogChangesNothing_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("panel colour") << "chooseWindowColor";
        QTest::newRow("edit box colour") << "chooseFieldColor";
        QTest::newRow("caption colour") << "chooseCaptionColor";
        QTest::newRow("edit font") << "chooseFieldFont";
    }

    void cancelledDialogChangesNothing()
    {
        QFETCH(QString, action);
        makeForm();
        QList<QPalette> palettes;
        QList<QFont> fonts;
        const QStringList names
            = SevenPanels + SevenEdits + QStringList({ "titleLabel", "settlementLabel" });
        for (const QString& name : names) {
            palettes << child<QWidget>(name)->palette();
            fonts << child<QWidget>(name)->font();
        }

        child<QAction>(action)->trigger(); // nothing queued: the dialog is cancelled

        QCOMPARE(m_dialogs->shown.size(), 1);
        QVERIFY(m_host->log.isEmpty());
        for (int i = 0; i < names.size(); ++i) {
            QVERIFY2(child<QWidget>(names[i])->palette() == palettes[i], qPrintable(names[i]));
            QVERIFY2(child<QWidget>(names[i])->font() == fonts[i], qPrintable(names[i]));
        }
    }

    void firstUnencodableFieldNamesTheField_data()
    {
        QTest::addColumn<EditorField>("bad");
        QTest::addColumn<EditorField>("alsoBad");
        QTest::addColumn<QString>("named");
        QTest::newRow("Cyrillic in the annotations")
            << EditorField::Adnotacje << EditorField::Adnotacje << "Adnotacje urzędowe";
        QTest::newRow("emoji in the sender")
            << EditorField::Nadawca << EditorField::Nadawca << "Nadawca";
        QTest::newRow("mode of settling")
            << EditorField::Tryb << EditorField::Tryb << "Tryb załatwienia";
        QTest::newRow("mode of reply")
            << EditorField::Odpowiedz << EditorField::Odpowiedz << "Tryb udzielenia odpowiedzi";
        QTest::newRow("two fields: the first in table order")
            << EditorField::Szczegoly << EditorField::Dotyczy << "Dotyczy";
    }

    void firstUnencodableFieldNamesTheField()
    {
        QFETCH(EditorField, bad);
        QFETCH(EditorField, alsoBad);
        QFETCH(QString, named);
        makeForm();
        fillAll(*m_form);
        m_form->setFieldText(EditorField::Dotyczy, QStringLiteral("Zażółć gęślą jaźń"));
        // Polish letters are all within Latin Extended-A; Cyrillic and emoji are not.
        const auto latinOnly = [](QStringView text) {
            return std::all_of(
                text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x0180; });
        };
        QCOMPARE(m_form->firstUnencodableField(latinOnly), QString());

        m_form->setFieldText(bad, QStringLiteral("Тест"));
        m_form->setFieldText(alsoBad, QStringLiteral("ok \U0001F600"));
        QCOMPARE(m_form->firstUnencodableField(latinOnly), named);
    }
};

QTEST_MAIN(TestCaseEditor)
#include "tst_caseeditor.moc"
