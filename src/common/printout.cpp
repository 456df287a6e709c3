#include "printout.h"

#include <algorithm>
#include <cmath>

namespace zelvora {

int roundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value)); // the default rounding mode: to nearest, ties to even
}

int characterHeight(int points, int dpi)
{
    return static_cast<int>(std::round(static_cast<double>(points) * dpi / 72.0));
}

PageLayout layoutDetailsPage(const PageGeometry &page, const QString &heading, const QList<PrintLine> &lines)
{
    PageLayout layout;
    const double width = std::max(page.width, 1);
    const double height = std::max(page.height, 1);
    if (page.landscape) {
        layout.scaleY = kReferenceWidth / height;
        layout.scaleX = kReferenceHeight / width;
    } else {
        layout.scaleY = kReferenceHeight / height;
        layout.scaleX = kReferenceWidth / width;
    }
    const auto x = [&](int k) { return roundHalfEven(k / layout.scaleX); };
    const auto y = [&](int k) { return roundHalfEven(k / layout.scaleY); };
    // Coarse printers get larger type, so the page looks the same.
    const bool fine = layout.scaleX < 1;
    layout.titleSize = fine ? 14 : roundHalfEven(14 * layout.scaleX);
    layout.bodySize = fine ? 12 : roundHalfEven(12 * layout.scaleX);
    const int titleHeight = characterHeight(layout.titleSize, page.dpiY);
    const int bodyHeight = characterHeight(layout.bodySize, page.dpiY);

    const auto text = [&](const QString &t, bool bold, int size, int h, int left, int top) {
        layout.items.append({PrintItem::Kind::Text, t, kPrintFontFamily, bold, size, h, left, top, 0});
    };
    const auto rule = [&](int refY) {
        layout.items.append({PrintItem::Kind::Rule, {}, {}, false, 0, 0, x(150), y(refY), x(2200)});
    };

    text(heading, true, layout.titleSize, titleHeight, x(150), y(200) - titleHeight);
    rule(250);
    const int bodyTop = y(350);
    for (const PrintLine &line : lines)
        if (!line.label.isNull())
            text(line.label, false, layout.bodySize, bodyHeight, x(150), bodyTop + y(line.refY) - bodyHeight);
    for (const PrintLine &line : lines)
        text(line.value, true, layout.bodySize, bodyHeight, x(550), bodyTop + y(line.refY) - bodyHeight);
    // The lower rule under the last line, the page's longest lists too.
    int lastRefY = 0;
    for (const PrintLine &line : lines)
        lastRefY = std::max(lastRefY, line.refY);
    rule(std::max(1000, 350 + lastRefY + 110));
    return layout;
}

} // namespace zelvora
