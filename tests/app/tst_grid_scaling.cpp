// The results grid is scaled by the screen's pixels per inch when the main
// window is built. CTest runs this on screens of 96, 120 and 144 pixels per inch.
#include "app/application.h"
#include "app/toolkit/string_grid.h"
#include "locality/main_window.h"
#include "support/fixtures.h"
#include "support/recording_message_boxes.h"

#include <QTemporaryDir>
#include <QTest>

using namespace zelvora;

class TestGridScaling : public QObject
{
    Q_OBJECT

private slots:
    void columnsAndRowsFollowThePixelsPerInch()
    {
        const int dpi = qEnvironmentVariableIntValue("ZELVORA_EXPECTED_DPI");
        // Designed at 96: columns 264, 23, 52 and rows of 17, multiplied first,
        // the division truncating (23 * 120 / 96 = 28.75 gives 28).
        const QMap<int, QList<int>> expected{{96, {264, 23, 52, 17}},
                                             {120, {330, 28, 65, 21}},
                                             {144, {396, 34, 78, 25}}};
        QVERIFY2(expected.contains(dpi), "ZELVORA_EXPECTED_DPI names the screen's pixels per inch");

        QTemporaryDir dir;
        QVERIFY(test::buildDataFolder(dir.path(), {{.locality = "ROMA", .province = "RM", .cap = "00100"}},
                                      {{.province = "RM", .name = "ROMA"}}));
        test::RecordingMessageBoxes boxes;
        TCapF window(dir.path());
        QCOMPARE(window.settings().pixelsPerInch, dpi);
        const StringGrid *grid = window.findChild<StringGrid *>("StringGrid1");
        QVERIFY(grid);
        const QList<int> sizes{grid->colWidth(0), grid->colWidth(1), grid->colWidth(2), grid->defaultRowHeight()};
        QCOMPARE(sizes, expected.value(dpi));
    }
};

QTEST_MAIN(TestGridScaling)
#include "tst_grid_scaling.moc"
