#pragma once

#include <QScrollBar>
#include <functional>

namespace zelvora {

// The scroll codes a scroll notification carries.
enum ScrollCode {
    SB_LINEUP = 0,
    SB_LINEDOWN = 1,
    SB_PAGEUP = 2,
    SB_PAGEDOWN = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_TOP = 6,
    SB_BOTTOM = 7,
    SB_ENDSCROLL = 8,
};

// A vertical scroll bar whose scroll notification carries the scroll code and
// a proposed position, passed by reference: the position minus or plus the
// line or page step for the line and page codes, the thumb's position for the
// thumb codes and SB_ENDSCROLL, the minimum or maximum for SB_TOP and
// SB_BOTTOM, always within the range. When the handler returns, the scroll
// bar takes whatever value it left there as its position.
//
// A wheel notch is a line up or down, as a click on an arrow is; the scroll
// bar has no context menu of its own. Setting the position from the program
// raises nothing.
class ScrollBar : public QScrollBar
{
    Q_OBJECT
public:
    using Handler = std::function<void(ScrollCode code, int &position)>;

    explicit ScrollBar(QWidget *parent = nullptr);

    void setScrollHandler(Handler handler) { m_handler = std::move(handler); }

    int position() const { return value(); }
    void setPosition(int position) { setValue(position); }

    // Raises one scroll event as the user's action would.
    void scrollEvent(ScrollCode code);

    // Lets go of a press on an arrow, the trough or the thumb as a button
    // release would, ending the auto-repeat, without a scroll event of its
    // own. A message box shown while the button is held takes the real
    // release, so an error in the handler calls this before it is reported.
    void release();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void onAction(int action);
    int notify(ScrollCode code, int proposed);

    Handler m_handler;
    bool m_dragging = false;
    bool m_releasing = false;
    int m_wheelDelta = 0;
};

// Whole wheel notches in a wheel event, upwards positive; what is left of a
// finer wheel's turn is kept in `remainder` for the next event.
int wheelNotches(QWheelEvent *event, int &remainder);

} // namespace zelvora
