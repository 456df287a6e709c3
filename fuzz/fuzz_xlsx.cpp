// The .xlsx reader on any bytes: it ends in rows and a message, never
// outside its limits.
#include "fuzz_target.h"

ZELVORA_FUZZ_TARGET(xlsx)
{
    zelvora::fuzz::readWorkbook(data, size, zelvora::WorkbookFormat::Xlsx);
    return 0;
}
