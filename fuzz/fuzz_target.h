#pragma once

// What every fuzz target shares. A target is written once with
// ZELVORA_FUZZ_TARGET(name) { ... } and builds two ways: with libFuzzer, as
// the program's LLVMFuzzerTestOneInput, and into the corpus replay, where it
// registers itself by name so that one executable runs every target.

#include "app/message_box.h"
#include "common/workbook.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace zelvora::fuzz {

using TargetFunction = int (*)(const uint8_t *data, size_t size);

struct Target
{
    const char *name;
    TargetFunction run;
};

QList<Target> &targets();
bool registerTarget(const char *name, TargetFunction run);

// Parts of an input, cut at every kSeparator: the files of a data folder, or
// files and a script. At most `maxParts` parts; the last one takes the rest.
// The parts point into the input, which must outlive them.
inline const QByteArray kSeparator = QByteArrayLiteral("\xff\xfe--\n");
QList<QByteArray> splitInput(const uint8_t *data, size_t size, int maxParts);
// The inverse, to make seeds.
QByteArray joinParts(const QList<QByteArray> &parts);

// The data folder the build compiles from the bundled sources.
QString bundledData();

// A widget application on the offscreen platform, made once.
void ensureApplication();

// Reads every row of a workbook made of the input, checking what a reader
// always gives: rows in order within the sheet, cells within the columns
// and the field limit, a message once it stops early, and nothing after
// the end.
void readWorkbook(const uint8_t *data, size_t size, WorkbookFormat format);

} // namespace zelvora::fuzz

// A property that a correct reader always has: its failure is a finding.
#define FUZZ_CHECK(condition)                                                                        \
    do {                                                                                             \
        if (!(condition)) {                                                                          \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);       \
            std::abort();                                                                            \
        }                                                                                            \
    } while (false)

#ifdef ZELVORA_LIBFUZZER
#define ZELVORA_FUZZ_ENTRY(name)                                                                     \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)                         \
    {                                                                                                \
        return fuzzOne_##name(data, size);                                                           \
    }
#else
#define ZELVORA_FUZZ_ENTRY(name)                                                                     \
    [[maybe_unused]] static const bool registered_##name =                                          \
        zelvora::fuzz::registerTarget(#name, &fuzzOne_##name);
#endif

#define ZELVORA_FUZZ_TARGET(name)                                                                    \
    static int fuzzOne_##name(const uint8_t *data, size_t size);                                     \
    ZELVORA_FUZZ_ENTRY(name)                                                                         \
    static int fuzzOne_##name(const uint8_t *data, size_t size)

namespace zelvora::fuzz {

// Counts the messages and answers at once. Each must have a text; the icon
// is Error, or also Information where the program may tell the user about a
// missing optional file.
class CountingMessageBoxes : public MessageBoxes
{
public:
    explicit CountingMessageBoxes(bool informationToo) : m_informationToo(informationToo) {}
    void show(const MessageRequest &request) override
    {
        FUZZ_CHECK(!request.text.isEmpty());
        FUZZ_CHECK(request.icon == MessageIcon::Error
                   || (m_informationToo && request.icon == MessageIcon::Information));
        ++shown;
    }
    int shown = 0;

private:
    bool m_informationToo;
};

} // namespace zelvora::fuzz
