#include "short_string.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <cstring>

namespace zelvora {

namespace {
constexpr const char *kCodePage = "windows-1252";
}

QString decodeCp1252(QByteArrayView bytes)
{
    QStringDecoder decoder(kCodePage);
    return decoder.decode(bytes);
}

std::optional<QByteArray> encodeCp1252(const QString &text)
{
    QStringEncoder encoder(kCodePage);
    QByteArray bytes = encoder.encode(text);
    // The encoder flags characters it cannot map; a round trip also catches
    // code points that ICU would quietly map to a best-fit neighbour.
    if (encoder.hasError() || decodeCp1252(bytes) != text)
        return std::nullopt;
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
