#include "fonts.h"

#include <QStringList>

namespace zelvora {

namespace {
// The stand-ins for the windows' design font, in order.
const QStringList kWindowFamilies{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
} // namespace

void installFontSubstitutes()
{
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), kWindowFamilies);
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"),
                               QStringList{QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")});
}

QFont windowFont(int pixelSize, bool bold)
{
    // The design font has no copy here: its stand-ins are asked for by name,
    // in order. Asking for "MS Sans Serif" made fontconfig look up a family
    // the system does not have for every font the windows use, a fiftieth of
    // the start-up.
    QFont font;
    font.setFamilies(kWindowFamilies);
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
