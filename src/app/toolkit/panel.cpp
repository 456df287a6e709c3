#include "panel.h"

#include <QPainter>

namespace zelvora {

namespace {

// Draws `width` rings inwards from `rect`, top and left edges in `top`,
// bottom and right edges in `bottom`, and shrinks `rect` past them.
void frame3D(QPainter &painter, QRect &rect, const QColor &top, const QColor &bottom, int width)
{
    // At one device pixel to a point, each edge is a rectangle one pixel wide:
    // the same pixels as a line drawn with a pen, at a small part of the cost
    // (the lines were a twentieth of the main window's start-up). Scaled, a
    // line straddles device pixels where the rectangle would not: lines.
    const bool pixels = painter.device()->devicePixelRatio() == 1.0
                        && painter.deviceTransform().type() <= QTransform::TxTranslate;
    for (; width > 0 && rect.width() > 0 && rect.height() > 0; --width) {
        if (pixels) {
            painter.fillRect(QRect(rect.left(), rect.top(), rect.width() - 1, 1), top);
            painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height() - 1), top);
            painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottom);
            painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottom);
        } else {
            painter.setPen(top);
            painter.drawLine(rect.left(), rect.top(), rect.right() - 1, rect.top());
            painter.drawLine(rect.left(), rect.top(), rect.left(), rect.bottom() - 1);
            painter.setPen(bottom);
            painter.drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
            painter.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
        }
        rect.adjust(1, 1, -1, -1);
    }
}

} // namespace

Panel::Panel(QWidget *parent) : QLabel(parent)
{
    setAutoFillBackground(true);
    setBevels(Bevel::Raised, Bevel::None);
}

void Panel::setBevels(Bevel outer, Bevel inner, int bevelWidth, int borderWidth)
{
    m_outer = outer;
    m_inner = inner;
    m_bevelWidth = bevelWidth;
    m_borderWidth = borderWidth;
    const int edge = edgeWidth();
    setContentsMargins(edge, edge, edge, edge);
    update();
}

int Panel::edgeWidth() const
{
    return (m_outer != Bevel::None ? m_bevelWidth : 0) + m_borderWidth + (m_inner != Bevel::None ? m_bevelWidth : 0);
}

void Panel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    QPainter painter(this);
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    const QColor face = palette().color(QPalette::Window);
    QRect rect = this->rect();
    auto bevel = [&](Bevel kind) {
        if (kind == Bevel::Raised)
            frame3D(painter, rect, light, dark, m_bevelWidth);
        else if (kind == Bevel::Lowered)
            frame3D(painter, rect, dark, light, m_bevelWidth);
    };
    bevel(m_outer);
    frame3D(painter, rect, face, face, m_borderWidth);
    bevel(m_inner);
}

} // namespace zelvora
