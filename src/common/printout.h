#pragma once

#include <QList>
#include <QString>

namespace zelvora {

// The printable area of a printer, in device pixels.
struct PageGeometry
{
    bool landscape = false;
    int width = 0;   // printable width
    int height = 0;  // printable height
    int dpiY = 0;    // vertical resolution
};

// One line of a printout's body: a label at the left margin and a value
// beside it, on the base line `refY` reference units below the body's top.
// A line without a label prints only its value.
struct PrintLine
{
    int refY = 0;
    QString label;
    QString value;
};

// One thing to draw on the page, in device pixels: a text with its top-left
// corner at (x, y), or a horizontal rule from x to x2 at y.
struct PrintItem
{
    enum class Kind { Text, Rule };
    Kind kind = Kind::Text;
    QString text;
    QString family;
    bool bold = false;
    int pointSize = 0;
    int charHeight = 0; // in device pixels
    int x = 0;
    int y = 0;
    int x2 = 0;
};

// The page of a details printout: laid out on a reference page of 2331 x
// 3357 units (3357 x 2331 in landscape), mapped onto the printable area.
struct PageLayout
{
    double scaleX = 1;
    double scaleY = 1;
    int titleSize = 0; // points
    int bodySize = 0;  // points
    QList<PrintItem> items; // in drawing order
};

constexpr int kReferenceWidth = 2331;
constexpr int kReferenceHeight = 3357;
inline const QString kPrintFontFamily = QStringLiteral("Times New Roman");

// The heading, the upper rule, every label, every value and the lower rule.
PageLayout layoutDetailsPage(const PageGeometry &page, const QString &heading, const QList<PrintLine> &lines);

// Reference units to device pixels: the nearest integer, halves to even.
int roundHalfEven(double value);
// Points to device pixels at `dpi`: the nearest integer, halves away from zero.
int characterHeight(int points, int dpi);

} // namespace zelvora
