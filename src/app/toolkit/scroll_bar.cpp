#include "scroll_bar.h"

#include <QMouseEvent>
#include <QWheelEvent>

namespace zelvora {

ScrollBar::ScrollBar(QWidget *parent) : QScrollBar(Qt::Vertical, parent)
{
    setSingleStep(1);
    setPageStep(1);
    setFocusPolicy(Qt::NoFocus);
    // Its "Scroll here", "Top", "Bottom"... would move the position past the
    // handler.
    setContextMenuPolicy(Qt::PreventContextMenu);
    connect(this, &QAbstractSlider::actionTriggered, this, &ScrollBar::onAction);
    connect(this, &QAbstractSlider::sliderPressed, this, [this] { m_dragging = true; });
    connect(this, &QAbstractSlider::sliderReleased, this, [this] {
        m_dragging = false;
        if (m_releasing)
            return;
        setValue(notify(SB_THUMBPOSITION, sliderPosition()));
        setValue(notify(SB_ENDSCROLL, sliderPosition()));
    });
}

int ScrollBar::notify(ScrollCode code, int proposed)
{
    int position = std::clamp(proposed, minimum(), maximum());
    if (m_handler)
        m_handler(code, position);
    return std::clamp(position, minimum(), maximum());
}

void ScrollBar::onAction(int action)
{
    // Qt has already moved the slider to the proposed position; the handler's
    // answer replaces it before Qt adopts it as the value.
    ScrollCode code;
    switch (action) {
    case SliderSingleStepSub: code = SB_LINEUP; break;
    case SliderSingleStepAdd: code = SB_LINEDOWN; break;
    case SliderPageStepSub: code = SB_PAGEUP; break;
    case SliderPageStepAdd: code = SB_PAGEDOWN; break;
    case SliderToMinimum: code = SB_TOP; break;
    case SliderToMaximum: code = SB_BOTTOM; break;
    case SliderMove: code = SB_THUMBTRACK; break;
    default: return;
    }
    setSliderPosition(notify(code, sliderPosition()));
}

void ScrollBar::scrollEvent(ScrollCode code)
{
    switch (code) {
    case SB_LINEUP: triggerAction(SliderSingleStepSub); break;
    case SB_LINEDOWN: triggerAction(SliderSingleStepAdd); break;
    case SB_PAGEUP: triggerAction(SliderPageStepSub); break;
    case SB_PAGEDOWN: triggerAction(SliderPageStepAdd); break;
    case SB_TOP: triggerAction(SliderToMinimum); break;
    case SB_BOTTOM: triggerAction(SliderToMaximum); break;
    default: setValue(notify(code, sliderPosition())); break;
    }
}

void ScrollBar::release()
{
    // QScrollBar's own release stops the repeat timer and forgets the pressed
    // part; the thumb is let go without a jump.
    m_releasing = true;
    QMouseEvent event(QEvent::MouseButtonRelease, QPointF(), mapToGlobal(QPointF()), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
    QScrollBar::mouseReleaseEvent(&event);
    setRepeatAction(SliderNoAction);
    m_releasing = false;
    m_dragging = false;
}

void ScrollBar::mouseReleaseEvent(QMouseEvent *event)
{
    const bool wasDragging = m_dragging || isSliderDown();
    QScrollBar::mouseReleaseEvent(event);
    // An arrow or a click in the trough ends its scroll with SB_ENDSCROLL; the
    // thumb sends its own on release.
    if (!wasDragging && event->button() == Qt::LeftButton)
        setValue(notify(SB_ENDSCROLL, value()));
}

} // namespace zelvora

namespace zelvora {

int wheelNotches(QWheelEvent *event, int &remainder)
{
    // A notch is 120 eighths of a degree; finer wheels add up to one.
    remainder += event->angleDelta().y();
    const int notches = remainder / QWheelEvent::DefaultDeltasPerStep;
    remainder -= notches * QWheelEvent::DefaultDeltasPerStep;
    return notches;
}

void ScrollBar::wheelEvent(QWheelEvent *event)
{
    // Qt would move the thumb as a drag, past the handler's paging.
    event->accept();
    for (int notches = wheelNotches(event, m_wheelDelta); notches != 0; notches += notches > 0 ? -1 : 1) {
        scrollEvent(notches > 0 ? SB_LINEUP : SB_LINEDOWN);
        scrollEvent(SB_ENDSCROLL);
    }
}

} // namespace zelvora
