// The about box: the sliding cover, the scrolling pages, OK, the state that
// outlives a box, and the status line.
#include "app/about_box.h"
#include "app/application.h"
#include "app/fonts.h"
#include "support/controls.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace zelvora;

namespace {
constexpr int kRestLeft = 1;
constexpr int kRestWidth = 176;
constexpr int kImageLeft = 15;
constexpr int kVersioLeft = 56;
constexpr int kWindoLeft = 57;

// The box's controls, found by their names.
QFrame *frame(const TAboutBox &box, const char *name)
{
    return test::control<QFrame>(&box, name);
}
QLabel *label(const TAboutBox &box, const char *name)
{
    return test::control<QLabel>(&box, name);
}
QTimer *timer(const TAboutBox &box, const char *name)
{
    return test::control<QTimer>(&box, name);
}
AboutPaintBox *paintBox(const TAboutBox &box)
{
    return test::control<AboutPaintBox>(&box, "PaintBox1");
}
QPushButton *okButton(const TAboutBox &box)
{
    return test::control<QPushButton>(&box, "BitBtn1");
}

// Where a control's point lies in the box.
QPoint inBox(TAboutBox &box, QWidget *control, QPoint local)
{
    return control->mapTo(&box, local);
}
QPoint centreInBox(TAboutBox &box, QWidget *control)
{
    return inBox(box, control, control->rect().center());
}

// A click at a point of the box, delivered to whatever control lies there.
void clickAt(TAboutBox &box, QPoint point)
{
    QTest::mouseClick(box.windowHandle(), Qt::LeftButton, {}, point);
}

bool showActive(TAboutBox &box)
{
    box.show();
    box.activateWindow();
    return QTest::qWaitForWindowActive(&box);
}

void steps(TAboutBox &box, int count)
{
    for (int i = 0; i < count; ++i)
        box.Timer2Timer();
}

// Runs cover steps until the cover stops; returns how many ran, the stopping
// one included.
int stepsUntilStopped(TAboutBox &box)
{
    int count = 0;
    while (timer(box, "Timer2")->isActive() && count < 1000) {
        box.Timer2Timer();
        ++count;
    }
    return count;
}

QList<int> childLefts(const TAboutBox &box)
{
    return {label(box, "Image1")->x(), label(box, "Versio")->x(), label(box, "Windo")->x()};
}

const AboutPaintBox::Line *findLine(const QList<AboutPaintBox::Line> &lines, const QString &text)
{
    for (const AboutPaintBox::Line &line : lines)
        if (line.text == text)
            return &line;
    return nullptr;
}

QList<int> wipeTops(const QList<AboutPaintBox::Line> &lines)
{
    QList<int> tops;
    for (const AboutPaintBox::Line &line : lines)
        if (line.text.trimmed().isEmpty()) {
            if (line.text != QString(48, ' ') || line.x != 1)
                return {-1};
            tops << line.y;
        }
    return tops;
}

// Whether some pixel is clearly tinted blue (or red): text in that colour,
// even anti-aliased on the silver background.
bool hasTint(const QImage &image, Qt::GlobalColor colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int tint = colour == Qt::blue ? c.blue() - c.red() : c.red() - c.blue();
            if (tint > 80)
                return true;
        }
    return false;
}
} // namespace

class TestAboutBox : public QObject
{
    Q_OBJECT

private slots:
    // The fonts the program uses, so that the texts measure as they do there.
    void initTestCase() { installFontSubstitutes(); }

    void init()
    {
        Application::instance().reset();
        resetAboutBoxState();
    }

    void layoutAndWindow()
    {
        TAboutBox box;
        QCOMPARE(box.windowTitle(), "Info");
        QCOMPARE(box.size(), QSize(227, 182));
        QCOMPARE(box.minimumSize(), box.maximumSize());
        QVERIFY(!(box.windowFlags() & (Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                                       | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(!box.windowIcon().isNull());
        QCOMPARE(frame(box, "Panel1")->geometry(), QRect(23, 48, 180, 65));
        QCOMPARE(paintBox(box)->geometry(), QRect(1, 1, 176, 61));
        QCOMPARE(frame(box, "Panel4")->geometry(), QRect(1, 1, 176, 61));
        QCOMPARE(frame(box, "Panel4")->parentWidget(), paintBox(box)->parentWidget());
        QCOMPARE(frame(box, "Panel2")->childAt(5, 5), frame(box, "Panel4")); // the cover lies on top
        QCOMPARE(childLefts(box), QList<int>({kImageLeft, kVersioLeft, kWindoLeft}));
        QCOMPARE(label(box, "InfoHint")->geometry(), QRect(0, 165, 227, 17));
        QCOMPARE(label(box, "InfoHint")->text(), "");
        QCOMPARE(okButton(box)->text(), "&OK");
        QVERIFY(okButton(box)->isDefault());
        QVERIFY(!okButton(box)->icon().isNull());
        QCOMPARE(label(box, "Versio")->text(), "Versione 4.21");
        QCOMPARE(label(box, "Windo")->text(), "Windows 95/98");
        QVERIFY(!label(box, "Image1")->pixmap().isNull());
        QCOMPARE(timer(box, "Timer1")->interval(), 30);
        QCOMPARE(timer(box, "Timer2")->interval(), 40);
        QVERIFY(!timer(box, "Timer1")->isActive());
        QVERIFY(!timer(box, "Timer2")->isActive());
        // Hints feed the status line only.
        QCOMPARE(frame(box, "Panel4")->toolTip(), "");
        QVERIFY(showActive(box));
        QVERIFY(okButton(box)->hasFocus());
    }

    void activationSavesTheCoverWhereItIs()
    {
        TAboutBox box;
        QVERIFY(showActive(box));
        QCOMPARE(aboutBoxState().savedPanelWidth, kRestWidth);
        QCOMPARE(aboutBoxState().savedImageLeft, kImageLeft);
        QCOMPARE(aboutBoxState().savedVersioLeft, kVersioLeft);
        QCOMPARE(aboutBoxState().savedWindoLeft, kWindoLeft);

        // Activated again half open: closing then stops where it was.
        box.Panel4Click();
        steps(box, 21); // left -1, width 136
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        box.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QCOMPARE(aboutBoxState().savedPanelWidth, 136);
        QCOMPARE(aboutBoxState().savedImageLeft, kImageLeft - 42);
        box.PaintBox1Click();
        QCOMPARE(stepsUntilStopped(box), 2); // one step right, one to stop
        QCOMPARE(frame(box, "Panel4")->geometry(), QRect(1, 1, 136, 61));
        QCOMPARE(childLefts(box), QList<int>({kImageLeft - 40, kVersioLeft - 40, kWindoLeft - 40}));
    }

    void openingFromRest()
    {
        TAboutBox box;
        box.FormActivate();
        box.Panel4Click();
        QCOMPARE(aboutBoxState().coverState, "apri");
        QVERIFY(timer(box, "Timer2")->isActive());
        QVERIFY(!timer(box, "Timer1")->isActive());

        box.Timer2Timer();
        QCOMPARE(frame(box, "Panel4")->geometry(), QRect(-1, 1, kRestWidth, 61));
        QCOMPARE(childLefts(box), QList<int>({kImageLeft - 2, kVersioLeft - 2, kWindoLeft - 2}));

        for (int step = 1; step <= 88; ++step) {
            const int widthBefore = frame(box, "Panel4")->width();
            box.Timer2Timer();
            QCOMPARE(frame(box, "Panel4")->x(), -1);
            QCOMPARE(frame(box, "Panel4")->width(), widthBefore - 2);
            // The text starts scrolling at the step that finds the cover 90 wide.
            QCOMPARE(timer(box, "Timer1")->isActive(), widthBefore <= 90);
            QCOMPARE(label(box, "Image1")->x(), kImageLeft - 2 - 2 * step);
            QVERIFY(timer(box, "Timer2")->isActive());
        }
        QCOMPARE(frame(box, "Panel4")->width(), 0);
        const QList<int> openLefts = childLefts(box);
        QCOMPARE(openLefts, QList<int>({kImageLeft - 178, kVersioLeft - 178, kWindoLeft - 178}));

        box.Timer2Timer();
        QVERIFY(!timer(box, "Timer2")->isActive());
        QVERIFY(timer(box, "Timer1")->isActive()); // the text keeps scrolling
        QCOMPARE(frame(box, "Panel4")->geometry(), QRect(-1, 1, 0, 61));
        QCOMPARE(childLefts(box), openLefts);
        QCOMPARE(aboutBoxState().coverState, "apri");
    }

    void clickOnTheCoverOrItsContentsOpens_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("cover") << "Panel4";
        QTest::newRow("icon") << "Image1";
        QTest::newRow("version") << "Versio";
        QTest::newRow("platform") << "Windo";
    }
    void clickOnTheCoverOrItsContentsOpens()
    {
        QFETCH(QString, control);
        TAboutBox box;
        QVERIFY(showActive(box));
        auto *target = box.findChild<QWidget *>(control);
        QVERIFY(target);
        clickAt(box, centreInBox(box, target));
        QCOMPARE(aboutBoxState().coverState, "apri");
        QVERIFY(timer(box, "Timer2")->isActive());
    }

    void clickOnTheCoverWhileOpeningDoesNothingMore()
    {
        TAboutBox box;
        QVERIFY(showActive(box));
        clickAt(box, centreInBox(box, frame(box, "Panel4")));
        steps(box, 10); // width 158
        clickAt(box, inBox(box, frame(box, "Panel4"), QPoint(20, 30)));
        QCOMPARE(aboutBoxState().coverState, "apri");
        QVERIFY(timer(box, "Timer2")->isActive());
        box.Timer2Timer();
        QCOMPARE(frame(box, "Panel4")->width(), 156);
        QCOMPARE(label(box, "Image1")->x(), kImageLeft - 22);
    }

    void clickOnTheUncoveredAreaWhileOpeningReverses()
    {
        TAboutBox box;
        QVERIFY(showActive(box));
        clickAt(box, centreInBox(box, frame(box, "Panel4")));
        steps(box, 60); // width 58, the scroll running
        QVERIFY(timer(box, "Timer1")->isActive());
        box.Timer1Timer();
        clickAt(box, inBox(box, paintBox(box), QPoint(150, 30)));
        QCOMPARE(aboutBoxState().coverState, "chiudi");
        QVERIFY(timer(box, "Timer2")->isActive());

        box.Timer2Timer();
        QCOMPARE(frame(box, "Panel4")->geometry(), QRect(-1, 1, 60, 61));
        QCOMPARE(label(box, "Image1")->x(), kImageLeft - 118);
        QCOMPARE(stepsUntilStopped(box), 58 + 1 + 1); // wider, then right, then stop
        QCOMPARE(frame(box, "Panel4")->geometry(), QRect(kRestLeft, 1, kRestWidth, 61));
        QCOMPARE(childLefts(box), QList<int>({kImageLeft, kVersioLeft, kWindoLeft}));
    }

    void closingFullyStopsAndResetsTheScroll()
    {
        TAboutBox box;
        box.FormActivate();
        box.Panel4Click();
        QCOMPARE(stepsUntilStopped(box), 90);
        for (int i = 0; i < 250; ++i)
            box.Timer1Timer();
        QCOMPARE(aboutBoxState().scrollPage, 1);
        QCOMPARE(aboutBoxState().scrollOffset, 50);

        box.PaintBox1Click();
        QCOMPARE(stepsUntilStopped(box), 90);
        QVERIFY(!timer(box, "Timer1")->isActive());
        QCOMPARE(aboutBoxState().scrollOffset, 0);
        QCOMPARE(aboutBoxState().scrollPage, 0);
        QCOMPARE(frame(box, "Panel4")->geometry(), QRect(kRestLeft, 1, kRestWidth, 61));
        QCOMPARE(childLefts(box), QList<int>({kImageLeft, kVersioLeft, kWindoLeft}));

        // The next opening starts with the credits entering from below.
        box.Panel4Click();
        QVERIFY(timer(box, "Timer2")->isActive());
        const QList<AboutPaintBox::Line> lines = paintBox(box)->lines();
        QVERIFY(findLine(lines, "by"));
        QCOMPARE(lines.first().y, 60);
    }

    void scrollStepMovesOnePixelAndTurnsThePageAt200()
    {
        TAboutBox box;
        for (int i = 0; i < 199; ++i)
            box.Timer1Timer();
        QCOMPARE(aboutBoxState().scrollOffset, 199);
        QCOMPARE(aboutBoxState().scrollPage, 0);
        box.Timer1Timer();
        QCOMPARE(aboutBoxState().scrollOffset, 0);
        QCOMPARE(aboutBoxState().scrollPage, 1);
        QVERIFY(findLine(paintBox(box)->lines(), "Il programma"));
        for (int i = 0; i < 200; ++i)
            box.Timer1Timer();
        QCOMPARE(aboutBoxState().scrollPage, 2);
        QVERIFY(findLine(paintBox(box)->lines(), "by"));
    }

    void pageLines_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("y");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<int>("pixelSize");
        const QColor blue(Qt::blue);
        const QColor red(Qt::red);
        QTest::newRow("credits: by") << 0 << 0 << "by" << 80 << blue << 11;
        QTest::newRow("credits: author") << 0 << 0 << "Progetto Zelvora" << 100 << blue << 11;
        QTest::newRow("credits: E-mail, scrolled") << 0 << 70 << "E-mail" << 65 << blue << 11;
        QTest::newRow("credits again: Web") << 2 << 150 << "Web" << 20 << blue << 11;
        QTest::newRow("description: first") << 1 << 0 << "Il programma" << 80 << red << 13;
        QTest::newRow("description: first, scrolled") << 1 << 37 << "Il programma" << 43 << red << 13;
        QTest::newRow("description: last") << 3 << 199 << "postali d'Italia." << -39 << red << 13;
        QTest::newRow("description: accented") << 1 << 100 << "le località e zone" << 40 << red << 13;
    }
    void pageLines()
    {
        QFETCH(int, page);
        QFETCH(int, offset);
        QFETCH(QString, text);
        QFETCH(int, y);
        QFETCH(QColor, colour);
        QFETCH(int, pixelSize);
        TAboutBox box;
        aboutBoxState().scrollPage = page;
        aboutBoxState().scrollOffset = offset;
        const QList<AboutPaintBox::Line> lines = paintBox(box)->lines();
        const AboutPaintBox::Line *line = findLine(lines, text);
        QVERIFY(line);
        QCOMPARE(line->y, y);
        QCOMPARE(line->colour, colour);
        const int textWidth = QFontMetrics(windowFont(pixelSize)).horizontalAdvance(text);
        QCOMPARE(line->x, (176 - textWidth) / 2);
    }

    void wipeLinesSitJustBelowTheTextAboveThem()
    {
        TAboutBox box;
        // Credits: the 8-point font's height counts as 10 pixels.
        QCOMPARE(wipeTops(paintBox(box)->lines()), QList<int>({73, 93, 163, 183, 198}));
        aboutBoxState().scrollPage = 1;
        aboutBoxState().scrollOffset = 6;
        QCOMPARE(wipeTops(paintBox(box)->lines()), QList<int>({90, 110, 170}));
    }

    void creditLinesFitTheArea()
    {
        TAboutBox box;
        for (int page : {0, 1}) {
            aboutBoxState().scrollPage = page;
            for (const AboutPaintBox::Line &line : paintBox(box)->lines())
                if (!line.text.trimmed().isEmpty())
                    QVERIFY2(line.x >= 0, qPrintable(line.text));
        }
    }

    void paintBoxDrawsThePageInItsColour_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<Qt::GlobalColor>("drawn");
        QTest::addColumn<Qt::GlobalColor>("absent");
        QTest::newRow("credits") << 0 << Qt::blue << Qt::red;
        QTest::newRow("description") << 1 << Qt::red << Qt::blue;
    }
    void paintBoxDrawsThePageInItsColour()
    {
        QFETCH(int, page);
        QFETCH(Qt::GlobalColor, drawn);
        QFETCH(Qt::GlobalColor, absent);
        TAboutBox box;
        aboutBoxState().scrollPage = page;
        aboutBoxState().scrollOffset = 60;
        const QImage image = paintBox(box)->grab().toImage();
        QCOMPARE(image.pixelColor(0, 0), QColor(192, 192, 192));
        QVERIFY(hasTint(image, drawn));
        QVERIFY(!hasTint(image, absent));
        // Scrolled past its end, the page leaves the area blank.
        aboutBoxState().scrollOffset = 199;
        const QImage blank = paintBox(box)->grab().toImage();
        QVERIFY(!hasTint(blank, drawn));
    }

    void okPutsTheCoverBackAtOnceAndCloses_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("click") << false;
        QTest::newRow("Enter") << true;
    }
    void okPutsTheCoverBackAtOnceAndCloses()
    {
        QFETCH(bool, byKey);
        TAboutBox box;
        QVERIFY(showActive(box));
        box.Panel4Click();
        steps(box, 70);
        for (int i = 0; i < 30; ++i)
            box.Timer1Timer();
        QVERIFY(timer(box, "Timer1")->isActive());
        if (byKey)
            QTest::keyClick(&box, Qt::Key_Return);
        else
            QTest::mouseClick(okButton(box), Qt::LeftButton);
        QCOMPARE(frame(box, "Panel4")->geometry(), QRect(kRestLeft, 1, kRestWidth, 61));
        QCOMPARE(childLefts(box), QList<int>({kImageLeft, kVersioLeft, kWindoLeft}));
        QVERIFY(!timer(box, "Timer1")->isActive());
        QVERIFY(!timer(box, "Timer2")->isActive());
        QCOMPARE(aboutBoxState().coverState, "");
        QCOMPARE(aboutBoxState().scrollOffset, 0);
        QCOMPARE(aboutBoxState().scrollPage, 0);
        QCOMPARE(box.result(), int(QDialog::Accepted));
        QVERIFY(!box.isVisible());
    }

    void escapeDoesNotCloseTheBox()
    {
        TAboutBox box;
        QVERIFY(showActive(box));
        QTest::keyClick(&box, Qt::Key_Escape);
        QVERIFY(box.isVisible());
    }

    void stateOutlivesTheBox()
    {
        {
            TAboutBox box;
            QVERIFY(showActive(box));
            box.Panel4Click();
            steps(box, 90);
            for (int i = 0; i < 120; ++i)
                box.Timer1Timer();
            box.reject();
        }
        QCOMPARE(aboutBoxState().coverState, "apri");
        QCOMPARE(aboutBoxState().scrollOffset, 120);

        // The next box starts covered but with the cover "opening": a click
        // on it changes nothing.
        TAboutBox box;
        QVERIFY(showActive(box));
        QCOMPARE(frame(box, "Panel4")->geometry(), QRect(kRestLeft, 1, kRestWidth, 61));
        clickAt(box, centreInBox(box, frame(box, "Panel4")));
        QVERIFY(!timer(box, "Timer2")->isActive());
        QCOMPARE(paintBox(box)->lines().first().y, 60 - 120);
    }

    void statusLineShowsTheHintUnderTheMouse()
    {
        TAboutBox box;
        QVERIFY(showActive(box));
        const QString cover = "Click per altre informazioni sul programma";
        QTest::mouseMove(&box, centreInBox(box, frame(box, "Panel4")));
        QTRY_COMPARE(label(box, "InfoHint")->text(), cover);
        QTest::mouseMove(&box, centreInBox(box, label(box, "Label1")));
        QTRY_COMPARE(label(box, "InfoHint")->text(), "Versione programma");
        QTest::mouseMove(&box, centreInBox(box, label(box, "Versio")));
        QTRY_COMPARE(label(box, "InfoHint")->text(), cover);
        QTest::mouseMove(&box, centreInBox(box, okButton(box)));
        QTRY_COMPARE(label(box, "InfoHint")->text(), "Torna a Zelvora");
        QTest::mouseMove(&box, QPoint(5, 100));
        QTRY_COMPARE(label(box, "InfoHint")->text(), "");
        QTest::mouseMove(&box, centreInBox(box, label(box, "Image1")));
        QTRY_COMPARE(label(box, "InfoHint")->text(), cover);

        box.Panel4Click();
        steps(box, 90);
        QTest::mouseMove(&box, centreInBox(box, label(box, "InfoHint")));
        QTRY_COMPARE(label(box, "InfoHint")->text(), "");
        QTest::mouseMove(&box, centreInBox(box, paintBox(box)));
        QTRY_COMPARE(label(box, "InfoHint")->text(), "Click per chiudere");
        // Leaving the box keeps the last hint.
        QVERIFY(box.mouseInside());
        QTest::mouseMove(&box, QPoint(-50, -50));
        QTRY_VERIFY(!box.mouseInside());
        QTRY_COMPARE(Application::instance().hint(), "");
        QCOMPARE(label(box, "InfoHint")->text(), "Click per chiudere");
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_about_box.moc"
