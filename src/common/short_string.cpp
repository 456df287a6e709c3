#include "short_string.h"

#include <algorithm>
#include <cstring>

namespace zelvora {

namespace {

// Code page 1252 is Latin-1 except for 0x80-0x9F, where it places the euro
// sign, typographic quotes and a few letters. The five bytes it leaves
// undefined there (0x81, 0x8D, 0x8F, 0x90, 0x9D) decode to the control
// characters of the same number, as the conversion library decodes them.
// A table of our own: every read of the data files decodes its fields, and
// the library's converter cost more than the read.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, //
};

constexpr char16_t toUnicode(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : char16_t(byte);
}

// The byte for a character, or -1 when the code page has no place for it.
int toByte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == c)
            return 0x80 + i;
    return -1;
}

} // namespace

QString decodeCp1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(toUnicode(static_cast<unsigned char>(byte)));
    return text;
}

std::optional<QByteArray> encodeCp1252(const QString &text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    for (const QChar c : text) {
        const int byte = toByte(c.unicode());
        if (byte < 0)
            return std::nullopt;
        *out++ = static_cast<char>(byte);
    }
    return bytes;
}

QString toUpperCp1252(const QString &text)
{
    QString upper = text;
    for (QChar &c : upper) {
        const QChar capital = c.toUpper();
        if (capital != c && encodeCp1252(QString(capital)))
            c = capital;
    }
    return upper;
}

QString readShortString(const char *field, int capacity)
{
    const int length = std::min<int>(static_cast<unsigned char>(field[0]), capacity);
    return decodeCp1252(QByteArrayView(field + 1, length));
}

void writeShortString(char *field, int capacity, QByteArrayView bytes)
{
    const int length = std::min<int>(bytes.size(), capacity);
    std::memset(field, 0, capacity + 1);
    field[0] = static_cast<char>(length);
    // An empty view may carry a null pointer, which memcpy must not be given
    // even for zero bytes.
    if (length > 0)
        std::memcpy(field + 1, bytes.data(), length);
}

int readRecordNumber(const char *field)
{
    const auto lo = static_cast<unsigned char>(field[0]);
    const auto hi = static_cast<unsigned char>(field[1]);
    return static_cast<int16_t>(static_cast<uint16_t>(lo | (hi << 8)));
}

void writeRecordNumber(char *field, int number)
{
    const auto value = static_cast<uint16_t>(static_cast<int16_t>(number));
    field[0] = static_cast<char>(value & 0xff);
    field[1] = static_cast<char>(value >> 8);
}

} // namespace zelvora
