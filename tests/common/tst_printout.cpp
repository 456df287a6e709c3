// The details printout's page model, checked with numbers.
#include "common/printout.h"

#include <QTest>

using namespace zelvora;

namespace {
const QList<PrintLine> kLines{{40, "Località :", "ROMA"},      {140, QString(), "ROM"},
                              {240, "Provincia :", "ROMA   RM"}, {340, "C.A.P. :", "00100"},
                              {440, "Agenzia recapito :", ""},   {540, "Note :", "CAP PER VIA"}};

QList<int> ys(const PageLayout &layout, PrintItem::Kind kind, bool bold)
{
    QList<int> result;
    for (const PrintItem &item : layout.items)
        if (item.kind == kind && (kind == PrintItem::Kind::Rule || item.bold == bold))
            result << item.y;
    return result;
}
} // namespace

class TestPrintout : public QObject
{
    Q_OBJECT

private slots:
    void rounding()
    {
        QCOMPARE(roundHalfEven(2.5), 2);
        QCOMPARE(roundHalfEven(3.5), 4);
        QCOMPARE(roundHalfEven(308.88), 309);
        QCOMPARE(characterHeight(14, 600), 117); // 116.67
        QCOMPARE(characterHeight(12, 600), 100);
        QCOMPARE(characterHeight(3, 300), 13);   // 12.5 goes away from zero
    }

    void workedExampleAt600DotsPerInch()
    {
        const PageLayout page = layoutDetailsPage({false, 4800, 6800, 600}, "Zelvora", kLines);
        QCOMPARE(page.scaleX, 0.485625);
        QVERIFY(qAbs(page.scaleY - 0.493676) < 1e-6);
        QCOMPARE(page.titleSize, 14);
        QCOMPARE(page.bodySize, 12);
        QCOMPARE(page.items.size(), 14); // heading, 2 rules, 5 labels, 6 values

        const PrintItem &heading = page.items.at(0);
        QCOMPARE(heading.text, "Zelvora");
        QCOMPARE(heading.family, "Times New Roman");
        QVERIFY(heading.bold);
        QCOMPARE(heading.charHeight, 117);
        QCOMPARE(QPoint(heading.x, heading.y), QPoint(309, 288));

        const PrintItem &upper = page.items.at(1);
        QCOMPARE(upper.kind, PrintItem::Kind::Rule);
        QCOMPARE(QList<int>({upper.x, upper.x2, upper.y}), QList<int>({309, 4530, 506}));
        QCOMPARE(ys(page, PrintItem::Kind::Rule, false), QList<int>({506, 2026}));

        QCOMPARE(ys(page, PrintItem::Kind::Text, false), QList<int>({690, 1095, 1298, 1500, 1703}));
        QCOMPARE(ys(page, PrintItem::Kind::Text, true).mid(1), QList<int>({690, 893, 1095, 1298, 1500, 1703}));
        for (const PrintItem &item : page.items.mid(2, 11)) {
            QCOMPARE(item.x, item.bold ? 1133 : 309);
            QCOMPARE(item.charHeight, 100);
            QCOMPARE(item.pointSize, 12);
        }
        // Labels first, then the values, in the order of their lines.
        QCOMPARE(page.items.at(2).text, "Località :");
        QCOMPARE(page.items.at(6).text, "Note :");
        QCOMPARE(page.items.at(7).text, "ROMA");
        QCOMPARE(page.items.at(8).text, "ROM");
        QCOMPARE(page.items.at(13).kind, PrintItem::Kind::Rule);
    }

    void coarsePrinterGrowsTheType_data()
    {
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("scaleX");
        QTest::addColumn<int>("titleSize");
        QTest::addColumn<int>("bodySize");
        QTest::addColumn<int>("titleHeight"); // at 150 dots per inch
        QTest::addColumn<int>("bodyHeight");
        // 27 * 150 / 72 = 56.25, 23 * 150 / 72 = 47.9
        QTest::newRow("portrait, 1200 wide") << false << 1200 << 1700 << 1.9425 << 27 << 23 << 56 << 48;
        // 14 * 1.9747 = 27.6 and 12 * 1.9747 = 23.7; 28 * 150 / 72 = 58.3, 24 * 150 / 72 = 50
        QTest::newRow("landscape, 1700 wide") << true << 1700 << 1200 << 3357.0 / 1700 << 28 << 24 << 58 << 50;
    }
    void coarsePrinterGrowsTheType()
    {
        QFETCH(bool, landscape);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(double, scaleX);
        QFETCH(int, titleSize);
        QFETCH(int, bodySize);
        QFETCH(int, titleHeight);
        QFETCH(int, bodyHeight);
        const PageLayout page = layoutDetailsPage({landscape, width, height, 150}, "Zelvora", kLines);
        QCOMPARE(page.scaleX, scaleX);
        QCOMPARE(page.titleSize, titleSize);
        QCOMPARE(page.bodySize, bodySize);
        QCOMPARE(page.items.at(0).pointSize, titleSize);
        QCOMPARE(page.items.at(0).charHeight, titleHeight);
        QCOMPARE(page.items.at(2).pointSize, bodySize);
        QCOMPARE(page.items.at(2).charHeight, bodyHeight);
    }

    void landscapeSpreadsAcrossTheWiderPage()
    {
        const PageLayout page = layoutDetailsPage({true, 6800, 4800, 600}, "Zelvora", kLines);
        QCOMPARE(page.scaleX, 3357.0 / 6800);
        QCOMPARE(page.scaleY, 2331.0 / 4800);
        QCOMPARE(page.titleSize, 14);
        QCOMPARE(page.items.at(1).x2, 4456);  // 2200 / 0.49368 = 4456.4
        QCOMPARE(page.items.at(1).y, 515);    // 250 / 0.485625 = 514.8
        QCOMPARE(page.items.at(0).x, 304);    // 150 / 0.49368 = 303.8
    }
};

QTEST_GUILESS_MAIN(TestPrintout)
#include "tst_printout.moc"
