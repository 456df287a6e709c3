// A city's three street files on any bytes: the city opens or is refused
// with an IoError, then every street is read with its note, every group is
// looked up and the street file is paged from places inside and outside.
#include "fuzz_target.h"

#include "common/io_error.h"
#include "common/street_files.h"

using namespace zelvora;

ZELVORA_FUZZ_TARGET(street_files)
{
    // .loc, .lox and .civ; without a third part the city has no notes.
    const QList<QByteArray> parts = fuzz::splitInput(data, size, 3);
    StreetFiles city;
    try {
        city.open(parts.value(0), parts.value(1), parts.size() > 2 ? std::optional(parts.value(2)) : std::nullopt,
                  QStringLiteral("roma"));
    } catch (const IoError &) {
        FUZZ_CHECK(!city.isOpen() && city.prefixIndex().isEmpty());
        return 0;
    }
    FUZZ_CHECK(city.isOpen());
    FUZZ_CHECK(city.notesAvailable() == (parts.size() > 2));
    const int count = city.streetCount();
    FUZZ_CHECK(count == parts.value(0).size() / StreetRecord::kSize);

    // An open city's index names groups inside the street file, in order.
    const PrefixIndex &prefixes = city.prefixIndex();
    for (int i = 0; i < prefixes.size(); ++i) {
        const int first = prefixes.at(i).firstRecord;
        FUZZ_CHECK(first >= 1 && first <= count);
        const std::optional<Group> group = city.group(prefixes.at(i).prefix().toString());
        if (group) {
            FUZZ_CHECK(group->first >= 1 && group->first <= count);
            FUZZ_CHECK(group->last <= count);
        }
    }

    city.seek(0);
    for (int i = 0; i < count; ++i) {
        FUZZ_CHECK(city.position() == i);
        const StreetRecord street = city.readNext();
        for (const auto &text : StreetRecord::kTexts)
            FUZZ_CHECK((street.*text.member).size() <= text.capacity);
        try {
            const QString note = city.note(street);
            FUZZ_CHECK(note.size() <= StreetNote::kText.capacity);
            // Reading a note leaves the street file where it was.
            FUZZ_CHECK(city.position() == i + 1);
        } catch (const IoError &) {
            FUZZ_CHECK(street.noteNo > 0);
        }
    }
    FUZZ_CHECK(city.atEnd());

    // Pages start before the first street (held at 0) or past the last.
    for (const int start : {-8, -1, count, count + 1, count + 8}) {
        try {
            city.seek(start);
            FUZZ_CHECK(start <= count);
            FUZZ_CHECK(city.position() == std::max(start, 0));
        } catch (const IoError &) {
            FUZZ_CHECK(start > count);
        }
    }
    if (count > 0) {
        try {
            city.readStreet(count);
            FUZZ_CHECK(false);
        } catch (const IoError &) {
        }
    }
    return 0;
}
