#include "short_string.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <cstring>

namespace zelvora {

namespace {

constexpr const char *kCodePage = "windows-1252";

// Opening a converter looks its name up in the conversion library, which
// costs far more than converting a field: each thread keeps one of each.
// Code page 1252 is a single-byte code page, so no state carries over from
// one text to the next.
QStringDecoder &decoder()
{
    thread_local QStringDecoder decoder(kCodePage);
    decoder.resetState();
    return decoder;
}

QStringEncoder &encoder()
{
    thread_local QStringEncoder encoder(kCodePage);
    encoder.resetState();
    return encoder;
}

} // namespace

QString decodeCp1252(QByteArrayView bytes)
{
    return decoder().decode(bytes);
}

std::optional<QByteArray> encodeCp1252(const QString &text)
{
    QByteArray bytes = encoder().encode(text);
    // A character the code page cannot hold comes back as a substitute, and
    // one that ICU would quietly map to a best-fit neighbour as that
    // neighbour: the round trip catches both. (The encoder's error flag is
    // not used: a reused encoder may keep it from an earlier text.)
    if (decodeCp1252(bytes) != text)
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
