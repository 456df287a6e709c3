#pragma once

#include "common/record_layout.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace zelvora {

// Text in the data files is single-byte, code page 1252.
QString decodeCp1252(QByteArrayView bytes);
// Writes the decoded bytes from `out` on, one character a byte; returns the
// end of what it wrote.
QChar *decodeCp1252(QByteArrayView bytes, QChar *out);

// Encodes text in code page 1252; nothing when a character has no place there.
std::optional<QByteArray> encodeCp1252(const QString &text);

// Compares two texts in code page 1252 byte order, the order of the data
// files: negative, zero or positive as `a` sorts before, with or after `b`.
// A character the code page cannot hold sorts after every one it holds.
int compareCp1252(QStringView a, QStringView b);

// Upper case that stays inside code page 1252: a letter whose capital is in
// the code page gets it ("à" becomes "À", "ÿ" becomes "Ÿ"); a letter without
// one there stays as it is ("ß" and "µ", whose capitals are "SS" and a Greek
// letter).
QString toUpperCp1252(const QString &text);

// A short string of capacity N occupies N + 1 bytes: a length byte, then the
// characters. Only as many characters as the length byte says are read, and a
// length byte beyond the capacity (a damaged file) is cut to the capacity, so a
// read never runs into the next field.
QString readShortString(const char *field, int capacity);
// The short string of a record's text field.
inline QString readText(const char *record, TextField field)
{
    return readShortString(record + field.offset, field.capacity);
}

// The text fields of a record of type `Record`, each read into its member.
template <typename Record>
Record readTexts(const char *record)
{
    Record decoded;
    for (const Text<Record> &text : Record::kTexts)
        decoded.*text.member = readText(record, text);
    return decoded;
}

// Writes `bytes` (already code page 1252, at most `capacity` long) as a short
// string; the padding after the characters is zero.
void writeShortString(char *field, int capacity, QByteArrayView bytes);

// Stored record numbers: signed 16-bit little-endian, 1-based.
int readRecordNumber(const char *field);
void writeRecordNumber(char *field, int number);

constexpr int kMaxRecordNumber = 32767;

} // namespace zelvora
