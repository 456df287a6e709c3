// The streets of a city and addresses made of the input, and the street
// matcher between them: lines with a "|" are streets (designation|name|code),
// the others addresses ("Via G. Mazzini, 12"), or a designation and a name
// apart when they hold a '#' (designation#name, a second '#' for a last word
// cut). A match names streets of the city, one or several, never both; the
// house number is the one the address gives (none when it ends the name of
// the street found); and a matcher asked the same addresses the other way
// round, or each address again, answers the same.
#include "fuzz_target.h"

#include "common/street_match.h"

#include <QRegularExpression>
#include <QSet>

using namespace zelvora;

namespace {

struct Query
{
    QString designation;
    QString name;
    bool cut = false;
    bool apart = false;
};

StreetMatcher::Match find(const StreetMatcher &matcher, const Query &q)
{
    return q.apart ? matcher.find(q.designation, q.name, q.cut) : matcher.find(q.name);
}

bool sameMatch(const StreetMatcher::Match &a, const StreetMatcher::Match &b)
{
    return a.street == b.street && a.alternatives == b.alternatives && a.otherDesignations == b.otherDesignations
           && a.writtenDesignation == b.writtenDesignation && a.houseNumber == b.houseNumber;
}

void checkMatch(const StreetMatcher &matcher, const Query &q, const StreetMatcher::Match &m)
{
    const auto inCity = [&](const QList<int> &streets) {
        for (const int s : streets)
            FUZZ_CHECK(s >= 0 && s < matcher.count());
        FUZZ_CHECK(QSet<int>(streets.begin(), streets.end()).size() == streets.size());
    };
    FUZZ_CHECK(m.street >= -1 && m.street < matcher.count());
    FUZZ_CHECK(m.street < 0 || m.alternatives.isEmpty());
    inCity(m.alternatives);
    inCity(m.otherDesignations);
    FUZZ_CHECK(m.writtenDesignation.isEmpty() || m.street >= 0);
    FUZZ_CHECK(m.houseNumber.number >= 0 && m.houseNumber.last >= m.houseNumber.number);
    FUZZ_CHECK(m.houseNumber.number == 0 || !m.houseNumber.text.isEmpty());
    // The number that ends the name of the street found is the name's, no
    // house number; at a corner (ANGOLO, or two names parted by a slash) the
    // number may be the corner street's.
    static const QRegularExpression corner(QStringLiteral("ANG|[A-Z']{3}\\s*/\\s*[A-Z]{3}"));
    if (!q.apart && !corner.match(foldedUpper(q.name)).hasMatch())
        FUZZ_CHECK(m.houseNumber == matcher.split(q.name).houseNumber
                   || (m.street >= 0 && m.houseNumber == HouseNumber{}));
    // Read as the matcher reads it: a combining mark between two digits
    // goes with the accents (5\u034C0 is 50).
    FUZZ_CHECK(m.houseNumber.number == 0 || foldedUpper(q.name).contains(QString::number(m.houseNumber.number)));
    for (const int s : matcher.suggest(q.name))
        FUZZ_CHECK(s >= 0 && s < matcher.count());
}

} // namespace

ZELVORA_FUZZ_TARGET(streets)
{
    const QStringList lines = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size))
                                  .split(u'\n')
                                  .mid(0, 40);
    std::vector<StreetMatcher::Street> streets;
    QList<Query> queries;
    for (const QString &line : lines) {
        const QString text = line.left(120);
        if (text.contains(u'|')) {
            const QStringList f = text.split(u'|');
            streets.push_back({f.value(1), f.value(0), f.value(2), f.value(3)});
        } else if (text.contains(u'#')) {
            const QStringList f = text.split(u'#');
            queries << Query{f.value(0), f.value(1), f.size() > 2, true};
        } else {
            queries << Query{{}, text, false, false};
        }
    }
    // The city of the first row of the directory (Ancona) when the input
    // starts with an empty line, so that the city's own names count too.
    const int cityRow = lines.value(0).isEmpty() ? 0 : -1;
    const StreetMatcher matcher(streets, cityRow);
    QList<StreetMatcher::Match> matches;
    for (const Query &q : std::as_const(queries)) {
        matches << find(matcher, q);
        checkMatch(matcher, q, matches.last());
    }
    const StreetMatcher fresh(streets, cityRow);
    for (qsizetype i = queries.size() - 1; i >= 0; --i) {
        FUZZ_CHECK(sameMatch(find(fresh, queries.at(i)), matches.at(i)));
        FUZZ_CHECK(sameMatch(find(matcher, queries.at(i)), matches.at(i)));
    }
    return 0;
}
