#pragma once

#include "common/error.h"

namespace zelvora {

// An input/output failure on a data file: a read past the end, a record number
// outside its file, a file that vanished.
class IoError : public Error
{
public:
    using Error::Error;
};

} // namespace zelvora
