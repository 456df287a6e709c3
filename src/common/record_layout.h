#pragma once

namespace zelvora {

// Where a short string sits in a record and how many characters it holds.
struct TextField
{
    int offset;
    int capacity;
    constexpr int end() const { return offset + capacity + 1; }
};

} // namespace zelvora
