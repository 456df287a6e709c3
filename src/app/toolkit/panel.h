#pragma once

#include <QLabel>

namespace zelvora {

// A panel with the classic two bevels: an outer bevel along its edge, a
// border of the panel's own colour inside it, and an inner bevel inside the
// border, each raised (light above and left, dark below and right), lowered
// (the other way round) or absent. Its caption, if any, and its children lie
// inside the three.
class Panel : public QLabel
{
    Q_OBJECT
public:
    enum class Bevel { None, Raised, Lowered };

    explicit Panel(QWidget *parent = nullptr);

    // Bevel width is the width of each bevel, border width the gap between them.
    void setBevels(Bevel outer, Bevel inner, int bevelWidth = 1, int borderWidth = 0);
    // The width of the edge that the bevels and the border take on each side.
    int edgeWidth() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Bevel m_outer = Bevel::Raised;
    Bevel m_inner = Bevel::None;
    int m_bevelWidth = 1;
    int m_borderWidth = 0;
};

} // namespace zelvora
