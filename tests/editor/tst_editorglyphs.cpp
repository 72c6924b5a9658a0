#include "EditorGlyphs.h"

#include <QImage>
#include <QTest>

using kolvar::Glyph;

namespace {

constexpr Glyph All[] = { Glyph::First, Glyph::Prior, Glyph::Next, Glyph::Last, Glyph::Plus,
    Glyph::Minus, Glyph::Tick };

QImage image(Glyph g, bool enabled)
{
    return kolvar::glyphPixmap(g, enabled).toImage().convertToFormat(QImage::Format_ARGB32);
}

int paintedPixels(const QImage& img)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += qAlpha(img.pixel(x, y)) != 0;
    return n;
}

} // namespace

class TestEditorGlyphs : public QObject
{
    Q_OBJECT

private slots:
    void everyGlyphIsDistinctInBothStates()
    {
        QList<QImage> seen;
        for (Glyph g : All) {
            for (bool enabled : { true, false }) {
                const QImage img = image(g, enabled);
                QCOMPARE(img.size(), QSize(16, 16));
                QVERIFY(paintedPixels(img) > 8);
                // The border row and column stay clear, so the picture never touches the button.
                for (int i = 0; i < 16; ++i) {
                    QCOMPARE(qAlpha(img.pixel(i, 0)), 0);
                    QCOMPARE(qAlpha(img.pixel(0, i)), 0);
                }
                QVERIFY(!seen.contains(img));
                seen << img;
            }
        }
    }

    void disabledGlyphsAreGreyAndWhiteOnly()
    {
        for (Glyph g : All) {
            const QImage img = image(g, false);
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    const QRgb p = img.pixel(x, y);
                    if (qAlpha(p) == 0)
                        continue;
                    QVERIFY(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p));
                }
            }
        }
    }

    void arrowsMirrorEachOther_data()
    {
        QTest::addColumn<Glyph>("left");
        QTest::addColumn<Glyph>("right");
        QTest::newRow("previous and next") << Glyph::Prior << Glyph::Next;
        QTest::newRow("first and last") << Glyph::First << Glyph::Last;
    }

    void arrowsMirrorEachOther()
    {
        QFETCH(Glyph, left);
        QFETCH(Glyph, right);
        // Mirrored about the middle of columns 1 to 14, the span the pictures use.
        const QImage l = image(left, true);
        const QImage r = image(right, true);
        for (int y = 0; y < 16; ++y)
            for (int x = 1; x < 15; ++x)
                QCOMPARE(l.pixel(x, y), r.pixel(15 - x, y));
    }
};

QTEST_MAIN(TestEditorGlyphs)
#include "tst_editorglyphs.moc"
