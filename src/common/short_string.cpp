#include "short_string.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zelvora {

namespace {

// Code page 1252 is Latin-1 but for the bytes 0x80 to 0x9F, which hold the
// euro sign, the curly quotes and a few letters; the five it leaves unused
// stand for the control characters of the same number, as the conversion
// libraries read them. A single-byte code page: a text is exactly its bytes
// decoded one by one. Written out here rather than asked of the conversion
// library at start-up, which loads its converter data for that alone.
constexpr std::array<char16_t, 32> kHighBytes{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char16_t toUnicode(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kHighBytes[byte - 0x80] : char16_t(byte);
}

// The byte of a character, or -1 for one the code page does not hold.
int toByte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    const auto at = std::find(kHighBytes.begin(), kHighBytes.end(), c);
    return at == kHighBytes.end() ? -1 : 0x80 + int(at - kHighBytes.begin());
}

} // namespace

QString decodeCp1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    decodeCp1252(bytes, text.data());
    return text;
}

QChar *decodeCp1252(QByteArrayView bytes, QChar *out)
{
    for (const char byte : bytes)
        *out++ = QChar(toUnicode(static_cast<unsigned char>(byte)));
    return out;
}

std::optional<QByteArray> encodeCp1252(const QString &text)
{
    // A character the code page cannot hold has no byte; one that the
    // library would map to a best-fit neighbour is refused the same way.
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    for (const QChar c : text) {
        // Below 0x80 a character is its own byte.
        if (c.unicode() < 0x80) {
            *out++ = char(c.unicode());
            continue;
        }
        const int byte = toByte(c.unicode());
        if (byte < 0)
            return std::nullopt;
        *out++ = char(byte);
    }
    return bytes;
}

int compareCp1252(QStringView a, QStringView b)
{
    // A character outside the code page sorts after every byte.
    const auto byteOrder = [](QChar c) -> int {
        const int byte = toByte(c.unicode());
        return byte < 0 ? 0x100 + c.unicode() : byte;
    };
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        if (a[i] == b[i])
            continue;
        return byteOrder(a[i]) - byteOrder(b[i]);
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

QString toUpperCp1252(const QString &text)
{
    QString upper = text;
    for (QChar &c : upper) {
        // Plain letters, most of any text, need no look-up.
        if (c.unicode() < 0x80) {
            if (c >= u'a' && c <= u'z')
                c = QChar(c.unicode() - (u'a' - u'A'));
            continue;
        }
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
