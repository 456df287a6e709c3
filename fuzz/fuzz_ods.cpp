// The .ods reader on any bytes: it ends in rows and a message, never outside
// its limits.
#include "fuzz_target.h"

ZELVORA_FUZZ_TARGET(ods)
{
    zelvora::fuzz::readWorkbook(data, size, zelvora::WorkbookFormat::Ods);
    return 0;
}
