#include "UserDialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace kolvar;

// The real message box, read and closed by the test once it is up.
class TestUserDialogs : public QObject
{
    Q_OBJECT
private slots:
    void failureShowsItsSentenceAloneAndTheEngineTextUnderSzczegoly()
    {
        QString text, details;
        QStringList captions;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            poll.stop();
            text = box->text();
            details = box->detailedText();
            for (const QPushButton* button : box->findChildren<QPushButton*>())
                captions << button->text();
            box->accept();
        });
        poll.start(10);
        userDialogs().messageWithDetails(nullptr, "Na dysku zabrakło miejsca.",
            "Error executing SQL statement \"COMMIT;\" : database or disk is full",
            MessageIcon::Error);
        QCOMPARE(text, QString("Na dysku zabrakło miejsca."));
        QCOMPARE(details,
            QString("Error executing SQL statement \"COMMIT;\" : database or disk is full"));
        QVERIFY2(captions.contains("Szczegóły"), qPrintable(captions.join(" | ")));
    }
};

QTEST_MAIN(TestUserDialogs)

#include "tst_userdialogs.moc"
