#pragma once

#include <QString>
#include <array>

namespace zelvora {

// Where a short string sits in a record and how many characters it holds.
struct TextField
{
    int offset;
    int capacity;
    constexpr int end() const { return offset + capacity + 1; }
};

// A text field of the records of type `Record`, with the member that holds it
// decoded. A record lists its text fields once, in record order (kTexts):
// reading the record, checking a file and the fuzz targets go through them.
template <typename Record>
struct Text : TextField
{
    QString Record::*member;
};

// True when the fields follow one another from the record's start and the
// last one ends at `end`.
template <typename Record, std::size_t N>
constexpr bool adjoining(const std::array<Text<Record>, N> &texts, int end)
{
    int at = 0;
    for (const TextField &text : texts) {
        if (text.offset != at)
            return false;
        at = text.end();
    }
    return at == end;
}

} // namespace zelvora
