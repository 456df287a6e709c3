#pragma once

#include "app/window_helpers.h"

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QList>
#include <QString>
#include <memory>

class QFrame;
class QLabel;
class QPushButton;
class QTimer;

namespace zelvora {

// What the about box remembers for the whole run of the program: a box opened
// again starts where the last one was left, unless that one ended with OK.
struct AboutBoxState
{
    int scrollOffset = 0;     // pixels the current page has scrolled up, 0 to 199
    int scrollPage = 0;       // completed passes: even = credits, odd = description
    QString coverState;       // "apri", "chiudi" or empty: the requested cover movement
    int savedPanelWidth = 0;  // the cover's width when a box was last activated
    int savedImageLeft = 0;   // and the left edges of its three children then
    int savedVersioLeft = 0;
    int savedWindoLeft = 0;
};

AboutBoxState &aboutBoxState();

// A line of the credits: the text itself, or, for a contact line that the
// build was not given, a pointer to the help.
QString contactLine(const char *configured);
// Back to the values at program start.
void resetAboutBoxState();

// The scroll area of the about box: the current page of text, moved up by
// the scroll offset, on a silver background.
class AboutPaintBox : public QWidget
{
    Q_OBJECT
public:
    // One text drawn on the area: its top-left corner and its colour. Wipe
    // lines (spaces) are listed too, at the place the page gives them.
    struct Line
    {
        QString text;
        int x = 0;
        int y = 0;
        QColor colour;
    };

    explicit AboutPaintBox(QWidget *parent = nullptr);

    // The font of a page: 8 points for the credits, 10 for the description.
    static QFont pageFont(int page);
    static QColor pageColour(int page);
    // What the area shows for the current scroll position and page.
    QList<Line> lines() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// The "Info" box: the program's name and version on a cover that slides away
// on a click, uncovering the description and the credits scrolling upwards.
class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);

    // Handlers.
    void FormActivate();
    void DisplayHint();
    void Panel4Click();
    void PaintBox1Click();
    void BitBtn1Click();
    void Timer1Timer();
    void Timer2Timer();

    bool mouseInside() const { return m_status->mouseInside(); }

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildLayout();
    void moveCoverChildren(int dx);

    // Controls, named as their objectNames; the timers too.
    QLabel *ProductName = nullptr;
    QLabel *Label1 = nullptr;
    QFrame *Panel1 = nullptr;
    QFrame *Panel2 = nullptr;
    AboutPaintBox *PaintBox1 = nullptr;
    QFrame *Panel4 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Versio = nullptr;
    QLabel *Windo = nullptr;
    QPushButton *BitBtn1 = nullptr;
    QLabel *InfoHint = nullptr;
    QTimer *Timer1 = nullptr; // the scroll step, 30 ms
    QTimer *Timer2 = nullptr; // the cover step, 40 ms

    std::unique_ptr<StatusLine> m_status;
};

} // namespace zelvora
