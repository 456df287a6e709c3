#include "session_model.h"

#include <QFile>
#include <QStringDecoder>

#include <bit>

namespace zelvora::test {

namespace {

// Scroll codes and keys as the scroll bar and the grid pass them.
enum { LineUp, LineDown, PageUp, PageDown, ThumbPosition, ThumbTrack, Top, Bottom, EndScroll };

QString text1252(const char *bytes, int size)
{
    QStringDecoder decoder("windows-1252");
    if (!decoder.isValid())
        return QString::fromLatin1(bytes, size);
    return decoder.decode(QByteArrayView(bytes, size));
}

// A length byte and up to `capacity` characters.
QString shortString(const QByteArray &record, int offset, int capacity)
{
    const int length = std::min(int(uchar(record.at(offset))), capacity);
    return text1252(record.constData() + offset + 1, length);
}

int number16(const QByteArray &record, int offset)
{
    return qint16(quint16(uchar(record.at(offset))) | quint16(uchar(record.at(offset + 1))) << 8);
}

QList<QByteArray> records(const QString &path, int size, bool *present = nullptr)
{
    QFile file(path);
    if (present)
        *present = file.open(QIODevice::ReadOnly);
    else
        file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    QList<QByteArray> list;
    for (qsizetype at = 0; at + size <= bytes.size(); at += size)
        list.append(bytes.mid(at, size));
    return list;
}

void readIndex(const QString &path, LocalityData::Order &order)
{
    bool present = false;
    for (const QByteArray &entry : records(path, 6, &present)) {
        order.prefixes.append(shortString(entry, 0, 3));
        order.firstRecords.append(number16(entry, 4));
    }
    order.present = order.present && present;
}

} // namespace

bool LocalityData::read(const QString &folder)
{
    bool present = false;
    for (const QByteArray &record : records(folder + "/localita.loc", 161, &present))
        localities.append({shortString(record, 0, 39), shortString(record, 40, 2), shortString(record, 86, 5),
                           shortString(record, 126, 34)});
    if (!present)
        return false;

    Order &byName = orders[ByName];
    byName.present = true;
    for (int i = 0; i < localities.size(); ++i) {
        byName.rows.append(i);
        byName.keys.append(localities.at(i).name);
    }
    readIndex(folder + "/localita.lox", byName);

    Order &byCap = orders[ByCap];
    for (const QByteArray &entry : records(folder + "/locacap.cod", 8, &byCap.present)) {
        byCap.rows.append(number16(entry, 6) - 1);
        byCap.keys.append(shortString(entry, 0, 5));
    }
    byCap.rowCost = 2;
    readIndex(folder + "/locacap.cox", byCap);

    Order &byProvince = orders[ByProvince];
    for (const QByteArray &entry : records(folder + "/locapv.cod", 6, &byProvince.present)) {
        byProvince.rows.append(number16(entry, 4) - 1);
        byProvince.keys.append(QString()); // the province order is never refined
    }
    byProvince.rowCost = 2;
    readIndex(folder + "/locapv.cox", byProvince);
    return true;
}

// ---- the paged list -------------------------------------------------------

void PageModel::click()
{
    setPosition(position + (selected - lastRow));
    lastRow = selected;
}

void PageModel::selectRow(int row)
{
    // The grid keeps a selected row within its rows.
    row = std::clamp(row, 0, rows() - 1);
    if (row == selected)
        return;
    selected = row;
    click();
}

void PageModel::clearPage()
{
    // One row remains; the selection moves to it without a click.
    shown = 0;
    selected = 0;
}

void PageModel::appendRow(int row)
{
    if (row == 0)
        first = readPosition;
    shown = row + 1;
    reads += costs ? costs->value(readPosition, rowCost) : rowCost;
    ++readPosition;
}

void PageModel::enter()
{
    selectRow(lastRow);
}

void PageModel::exit()
{
    lastRow = selected;
    gridFocus = false;
}

void PageModel::park()
{
    // Parking the selection on the remembered row selects that row; the
    // program's grid holds a row beyond its last at its last row.
    selectRow(lastRow);
}

void PageModel::appOnActivate()
{
    if (!gridFocus)
        park();
}

void PageModel::focusGrid()
{
    if (gridFocus)
        return;
    gridFocus = true;
    enter();
}

void PageModel::settle()
{
    if (!gridFocus)
        park();
}

void PageModel::scroll(int code, int &proposed)
{
    appOnActivate();
    focusGrid();
    const int r = selected;
    const int n = rows();
    const int p = readPosition;
    const int rpp = rowsPerPage;
    switch (code) {
    case LineDown:
        if (r < n - 1)
            selectRow(r + 1);
        else
            refillDown(code, p - rpp + 1, proposed);
        break;
    case LineUp:
        if (r > 0)
            selectRow(r - 1);
        else
            refillUp(p - rpp - 1, proposed);
        break;
    case PageDown:
        if (r < n - 1)
            selectRow(n - 1);
        else
            refillDown(code, p, proposed);
        break;
    case PageUp:
        if (r > 0)
            selectRow(0);
        else
            refillUp(p - 2 * rpp, proposed);
        break;
    case ThumbPosition:
        jump(proposed);
        break;
    default:
        break;
    }
}

void PageModel::refillDown(int code, int start, int &proposed)
{
    const int n = recordCount;
    for (int pass = 0; pass < 2; ++pass) {
        clearPage();
        // The program holds a page start at record 0 and stops at the end of
        // the file: both matter only for an order shorter than a page, where
        // the plain rule would read before the file's start.
        currentRecord = std::max(start, 0);
        readPosition = currentRecord;
        int appended = 0;
        for (int i = 0; i < rowsPerPage; ++i) {
            if (code == PageDown && currentRecord == n)
                break;
            if (readPosition >= n)
                break;
            ++currentRecord;
            appendRow(i);
            ++appended;
            selectRow(i);
            if (currentRecord == n)
                break;
        }
        setPosition(currentRecord);
        proposed = currentRecord;
        if (appended == rowsPerPage)
            break;
        // The end came first: the last full page instead.
        currentRecord = code == LineDown ? n - 1 : n - rowsPerPage;
        readPosition = std::max(currentRecord, 0);
        start = code == LineDown ? readPosition - rowsPerPage + 1 : readPosition;
    }
}

void PageModel::refillUp(int start, int &proposed)
{
    clearPage();
    currentRecord = std::max(start, 0);
    readPosition = currentRecord;
    int appended = 0;
    for (int i = 0; i < rowsPerPage; ++i) {
        // Only an order shorter than a page ends here (see refillDown).
        if (readPosition >= recordCount)
            break;
        ++currentRecord;
        appendRow(i);
        ++appended;
    }
    proposed = currentRecord - appended;
    setPosition(proposed);
}

void PageModel::jump(int &proposed)
{
    const int n = recordCount;
    int p = proposed;
    if (p < n / 50)
        p = 0;
    if (p > n - n / 100)
        p = n - 1;
    for (int pass = 0; pass < 2; ++pass) {
        clearPage();
        currentRecord = std::clamp(p, 0, std::max(n, 0));
        readPosition = currentRecord;
        int appended = 0;
        for (int i = 0; i < rowsPerPage; ++i) {
            ++currentRecord;
            if (currentRecord > n)
                break;
            appendRow(i);
            ++appended;
            if (currentRecord == n)
                break;
        }
        if (appended == rowsPerPage)
            break;
        // Held at 0 for an order shorter than a page (see refillDown).
        p = std::max(n - rowsPerPage, 0);
    }
    setPosition(currentRecord);
    proposed = p;
}

void PageModel::gridKey(int key)
{
    const int r = selected;
    int scratch = 0;
    switch (key) {
    case Qt::Key_Down:
        if (r + 1 < rows()) {
            selectRow(r + 1);
        } else {
            scratch = r + 1;
            scroll(LineDown, scratch);
        }
        break;
    case Qt::Key_Up:
        if (r - 1 > 0) {
            selectRow(r - 1);
        } else {
            scratch = r - 1;
            scroll(LineUp, scratch);
        }
        break;
    case Qt::Key_PageDown:
        scratch = r;
        scroll(PageDown, scratch);
        break;
    case Qt::Key_PageUp:
        scratch = r;
        scroll(PageUp, scratch);
        break;
    default:
        break;
    }
}

void PageModel::scrollBarEvent(int code, int thumb)
{
    int proposed = position;
    switch (code) {
    case LineUp:
    case PageUp:
        proposed = position - 1; // line and page step are both 1
        break;
    case LineDown:
    case PageDown:
        proposed = position + 1;
        break;
    case Top:
        proposed = 0;
        break;
    case Bottom:
        proposed = maximum;
        break;
    case ThumbPosition:
    case ThumbTrack:
        proposed = thumb;
        break;
    default:
        break;
    }
    proposed = std::clamp(proposed, 0, maximum);
    scroll(code, proposed);
    setPosition(proposed);
}

// ---- the incremental search ----------------------------------------------

void SearchModel::setField(const QString &text)
{
    const QString upper = text.toUpper().left(maxLength);
    if (upper == field)
        return;
    field = upper;
    searchChange();
}

void SearchModel::typeCharacter(QChar c)
{
    if (field.size() < maxLength)
        setField(field + c);
}

void SearchModel::backspace()
{
    if (!field.isEmpty())
        setField(field.chopped(1));
}

void SearchModel::focusField()
{
    if (page.gridFocus)
        page.exit();
}

void SearchModel::clickRow(int row)
{
    page.focusGrid();
    if (row != page.selected)
        page.selectRow(row);
    else
        page.click();
}

void SearchModel::searchChange()
{
    const int n = page.recordCount;
    for (;;) {
        const QString t = field;
        if (t == lastSearchText)
            return;
        page.lastRow = 0;
        lastSearchText = t;
        QString prefix = t.left(keyLength);

        int group = -1;
        if (!prefix.isEmpty() && prefixes) {
            for (int i = 0; i < prefixes->size(); ++i) {
                if (prefixes->at(i).startsWith(prefix)) {
                    group = i;
                    break;
                }
            }
        }
        if (group < 0) {
            if (t.isEmpty()) {
                showSearchPage(0);
                return;
            }
            // The prefix less its last character goes back into the field.
            prefix.chop(1);
            field = prefix;
            continue;
        }
        const int first = firstRecords->at(group);
        const int last = group + 1 < firstRecords->size() ? firstRecords->at(group + 1) - 1 : n;
        if (t.size() <= keyLength) {
            showSearchPage(first - 1);
            return;
        }

        // The page from the first record of the group whose key begins with
        // the text. The group is sorted, so the program finds it by halving:
        // it may read up to 2 log2 of the group's records, on top of the page.
        int match = 0;
        for (int record = first; record <= last; ++record) {
            if (keys->at(record - 1).startsWith(t)) {
                match = record;
                break;
            }
        }
        page.readsSlack += 2 * std::bit_width(unsigned(std::max(last - first + 1, 0)));
        if (match > 0) {
            showSearchPage(match - 1);
            return;
        }
        field = t.chopped(1);
    }
}

void SearchModel::showSearchPage(int start)
{
    page.clearPage();
    page.currentRecord = std::max(start, 0);
    page.readPosition = page.currentRecord;
    for (int row = 1; row <= page.rowsPerPage && page.readPosition < page.recordCount; ++row) {
        page.appendRow(row - 1);
        page.setPosition(page.currentRecord - (row + 1));
        ++page.currentRecord;
    }
}

// ---- the locality search ------------------------------------------------

void LocalityModel::start()
{
    page.maximum = 99; // a new scroll bar's range, until the first switch sets it
    switchMode(LocalityData::ByName);
    page.gridFocus = false;
    page.settle();
}

void LocalityModel::switchMode(LocalityData::Mode to)
{
    // Emptying a field that holds text searches the empty text, still in
    // the old mode.
    if (!field.isEmpty()) {
        field.clear();
        searchChange();
    }
    static constexpr int lengths[] = {30, 5, 2};
    maxLength = lengths[to];
    mode = to;
    keyLength = to == LocalityData::ByProvince ? 2 : 3;
    const LocalityData::Order &o = order();
    prefixes = &o.prefixes;
    firstRecords = &o.firstRecords;
    keys = &o.keys;
    page.rowCost = o.rowCost;
    page.recordCount = int(o.rows.size());
    page.currentRecord = 0;

    // The first page, reading one record more than a page holds.
    page.clearPage();
    page.readPosition = 0;
    int read = 0;
    while (read <= page.rowsPerPage && page.readPosition < page.recordCount) {
        if (read < page.rowsPerPage) {
            page.appendRow(read);
        } else {
            page.reads += page.rowCost;
            ++page.readPosition;
        }
        ++page.currentRecord;
        ++read;
    }
    if (read > page.rowsPerPage)
        page.readPosition = page.currentRecord - 1;

    // The position is set within the old range, then the range changes.
    page.setPosition(to == LocalityData::ByName ? 0 : page.currentRecord);
    page.maximum = page.recordCount;
    page.setPosition(page.position);
    page.reads += o.prefixes.size();
    focusField();
}

QStringList LocalityModel::rowCells(int row) const
{
    if (row >= page.shown)
        return {QString(), QString(), QString()};
    const LocalityData::Locality &l = data.localities.at(order().rows.at(page.first + row));
    return {l.name, l.pv, l.cap};
}

QString LocalityModel::noteOf(int row) const
{
    if (row >= page.shown)
        return {};
    return data.localities.at(order().rows.at(page.first + row)).note;
}


// ---- the street window ----------------------------------------------------

bool CityData::read(const QString &zoneFolder, const QString &fileBase)
{
    const QString base = zoneFolder + u'/' + fileBase;
    bool withNotes = false;
    const QList<QByteArray> notes = records(base + ".civ", 71, &withNotes);
    bool present = false;
    for (const QByteArray &record : records(base + ".loc", 104, &present)) {
        const int noteNo = number16(record, 102);
        Street street{shortString(record, 0, 40), shortString(record, 41, 25), QString()};
        const bool noted = withNotes && noteNo > 0 && noteNo <= notes.size();
        if (noted)
            street.note = shortString(notes.at(noteNo - 1), 0, 70);
        streets.append(street);
        costs.append(noted ? 2 : 1);
        keys.append(street.name);
    }
    LocalityData::Order index;
    index.present = present;
    readIndex(base + ".lox", index);
    prefixes = index.prefixes;
    firstRecords = index.firstRecords;
    return index.present;
}

void StreetModel::pickCity(int row, const CityData &data)
{
    cityRow = row;
    city = &data;
    prefixes = &data.prefixes;
    firstRecords = &data.firstRecords;
    keys = &data.keys;
    page.costs = &data.costs;
    page.lastRow = 0;
    page.recordCount = int(data.streets.size());

    // The city's first page, stopping at its end; the scroll bar spans it.
    page.clearPage();
    page.currentRecord = 0;
    page.readPosition = 0;
    for (int row = 0; row < page.rowsPerPage && page.readPosition < page.recordCount; ++row) {
        ++page.currentRecord;
        page.appendRow(row);
    }
    page.maximum = page.recordCount;
    page.setPosition(0);
    // Emptying the field searches the empty text when it held one.
    setField(QString());
    focusField();
}

QStringList StreetModel::rowCells(int row) const
{
    if (!city || row >= page.shown)
        return {QString(), QString()};
    const CityData::Street &street = city->streets.at(page.first + row);
    return {street.name, street.designation};
}

QString StreetModel::noteOf(int row) const
{
    if (!city || row >= page.shown)
        return {};
    return city->streets.at(page.first + row).note;
}

} // namespace zelvora::test
