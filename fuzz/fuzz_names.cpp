// Names made of the input, each line one, and the suggestions among them for
// every line as typed: at most as many as asked, each a name added, none
// twice, a name of the same key as the one typed first of all, the same
// answer asked again or by a suggester that was asked nothing before; and
// the edit distance between any two lines a distance (zero only between
// equal texts, the same both ways, cut at its limit).
#include "fuzz_target.h"

#include "common/name_match.h"

#include <QSet>

using namespace zelvora;

ZELVORA_FUZZ_TARGET(names)
{
    const QStringList lines = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size))
                                  .split(u'\n')
                                  .mid(0, 24);
    NameSuggester suggester;
    QHash<QString, int> firstOfKey;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).left(80);
        if (i % 2)
            suggester.add(line, i);
        else
            suggester.add(nameWords(line), i);
        firstOfKey.insert(nameKey(line), i);
    }
    const auto preferred = [](int item) { return item % 3 == 0; };
    QList<QList<int>> answers;
    for (int i = 0; i < lines.size(); ++i) {
        const QString typed = lines.at(i).left(80);
        const QList<int> items = suggester.suggest(typed, 1 + i % 4, i % 2 ? preferred : std::function<bool(int)>());
        FUZZ_CHECK(items.size() <= 1 + i % 4);
        FUZZ_CHECK(QSet<int>(items.begin(), items.end()).size() == items.size());
        for (const int item : items)
            FUZZ_CHECK(item >= 0 && item < lines.size());
        const QString key = nameKey(typed);
        if (!key.isEmpty() && firstOfKey.contains(key))
            FUZZ_CHECK(!items.isEmpty() && nameKey(lines.at(items.first()).left(80)) == key);
        answers << items;
    }
    NameSuggester again;
    for (int i = 0; i < lines.size(); ++i)
        again.add(lines.at(i).left(80), i);
    for (int i = lines.size() - 1; i >= 0; --i)
        FUZZ_CHECK(again.suggest(lines.at(i).left(80), 1 + i % 4, i % 2 ? preferred : std::function<bool(int)>())
                   == answers.at(i));

    for (int i = 0; i + 1 < lines.size() && i < 8; ++i) {
        const QString a = lines.at(i).left(40);
        const QString b = lines.at(i + 1).left(40);
        const int d = editDistance(a, b, 80);
        FUZZ_CHECK(d == editDistance(b, a, 80));
        FUZZ_CHECK((d == 0) == (a == b));
        FUZZ_CHECK(d >= std::abs(a.size() - b.size()) && d <= std::max(a.size(), b.size()));
        for (const int limit : {0, 1, 2, 5})
            FUZZ_CHECK(editDistance(a, b, limit) == std::min(d, limit + 1));
        FUZZ_CHECK(numberWord(numberWord(a)) == numberWord(a));
    }
    return 0;
}
