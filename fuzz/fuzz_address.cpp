// Address rows made of the input, checked as the list check checks them over
// the bundled data (localities, changes, the street directory): each line a
// row, its fields the locality, the province, the code and the address. A
// verdict is one of the outcomes with what an outcome promises: a code
// proposed is made of postal codes, a locality found has its province, a
// street found lies in a city of the directory; and checking a row again,
// after other rows, gives the same verdict.
#include "fuzz_target.h"

#include "common/address_check.h"
#include "common/list_check.h"
#include "common/street_files.h"

#include <QRegularExpression>

using namespace zelvora;

namespace {

bool sameVerdict(const Verdict &a, const Verdict &b)
{
    return a.outcome == b.outcome && a.cap == b.cap && a.locality == b.locality && a.pv == b.pv && a.note == b.note
           && a.city == b.city && a.street == b.street;
}

void checkVerdict(const Verdict &v)
{
    static const QRegularExpression codes(QStringLiteral("^(\\d{5}( \\d{5})*( \\(e altri \\d+\\))?)?$"));
    FUZZ_CHECK(v.outcome >= Verdict::Ok && v.outcome < Verdict::kOutcomes);
    FUZZ_CHECK(!Verdict::text(v.outcome).isEmpty());
    FUZZ_CHECK(codes.match(v.cap).hasMatch());
    FUZZ_CHECK(v.locality.isEmpty() || !v.pv.isEmpty());
    FUZZ_CHECK(v.outcome != Verdict::Ok || !v.locality.isEmpty());
    FUZZ_CHECK(v.outcome != Verdict::InvalidRow || !v.note.isEmpty());
    FUZZ_CHECK(v.city >= -1 && v.city < static_cast<int>(cityTable.size()));
    FUZZ_CHECK(v.street == -1 || v.city >= 0);
    FUZZ_CHECK(v.street >= -1);
}

} // namespace

ZELVORA_FUZZ_TARGET(address)
{
    static AddressCheck *check = new AddressCheck(fuzz::bundledData());
    const QStringList lines = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size))
                                  .split(u'\n')
                                  .mid(0, 8);
    ListColumns columns;
    columns.index = {0, 1, 2, 3};
    QList<ListRow> rows;
    QList<Verdict> verdicts;
    for (const QString &line : lines) {
        const ListRow row{1, line.split(u'\t').mid(0, 4), {}, line.toUtf8()};
        rows << row;
        verdicts << checkRow(*check, columns, row, 4);
        checkVerdict(verdicts.last());
        if (verdicts.last().outcome == Verdict::LocalityUnknown)
            FUZZ_CHECK(check->suggestLocalities(row.fields.value(0), row.fields.value(1)).size() <= 3);
        if (verdicts.last().city >= 0)
            FUZZ_CHECK(check->suggestStreets(verdicts.last().city, row.fields.value(3)).size() <= 3);
    }
    // The same rows again, the other way round.
    for (qsizetype i = rows.size() - 1; i >= 0; --i)
        FUZZ_CHECK(sameVerdict(checkRow(*check, columns, rows.at(i), 4), verdicts.at(i)));
    return 0;
}
