#include "short_string.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <unordered_map>
#include <cstring>

namespace zelvora {

namespace {

// Every read of the data files decodes its fields, and calling the
// conversion library's converter for each field cost more than the read.
// So the library decodes each of the 256 bytes once, and fields are decoded
// through that table; code page 1252 is a single-byte code page, so a text is
// exactly its bytes decoded one by one.
struct CodePage
{
    std::array<char16_t, 256> toUnicode{};
    std::unordered_map<char16_t, char> toByte; // only the characters the code page holds

    CodePage()
    {
        QStringDecoder decoder("windows-1252");
        for (int byte = 0; byte < 256; ++byte) {
            const char c = char(byte);
            decoder.resetState();
            const QString one = decoder.decode(QByteArrayView(&c, 1));
            toUnicode[byte] = one.size() == 1 ? one[0].unicode() : char16_t(QChar::ReplacementCharacter);
            toByte.emplace(toUnicode[byte], c);
        }
    }
};

const CodePage &codePage()
{
    static const CodePage table;
    return table;
}

} // namespace

QString decodeCp1252(QByteArrayView bytes)
{
    const auto &table = codePage().toUnicode;
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(table[static_cast<unsigned char>(byte)]);
    return text;
}

std::optional<QByteArray> encodeCp1252(const QString &text)
{
    // A character the code page cannot hold has no byte; one that the
    // library would map to a best-fit neighbour is refused the same way.
    const auto &table = codePage().toByte;
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    for (const QChar c : text) {
        // Below 0x80 a character is its own byte.
        if (c.unicode() < 0x80) {
            *out++ = char(c.unicode());
            continue;
        }
        const auto byte = table.find(c.unicode());
        if (byte == table.end())
            return std::nullopt;
        *out++ = byte->second;
    }
    return bytes;
}

int compareCp1252(QStringView a, QStringView b)
{
    // Below 0x80 and from 0xA0 to 0xFF a character is its own byte; the
    // table places the others (the euro sign, the curly quotes...).
    const auto byteOrder = [](QChar c) -> int {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
            return u;
        const auto &table = codePage().toByte;
        const auto byte = table.find(u);
        return byte == table.end() ? 0x100 + u : static_cast<unsigned char>(byte->second);
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
