#include "fonts.h"

#include <QStringList>

namespace zelvora {

void installFontSubstitutes()
{
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"),
                               QStringList{QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")});
}

QFont windowFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    // Latin text needs no shaping: laying it out without kerning or
    // ligatures makes setting a field's text (a keystroke, the note line at
    // every line move) several times cheaper, and the windows' small sans
    // serif looks the same. Every character the windows show is in code page
    // 1252, which the sans serif covers whole, so no other font is looked
    // for to fill gaps: that look-up (a sorted list of every installed font)
    // was a fortieth of the start-up.
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferNoShaping | QFont::NoFontMerging));
    return font;
}

} // namespace zelvora
