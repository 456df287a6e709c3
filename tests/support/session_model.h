#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// An independent model of a search window's session: what the window should
// show after each user action, worked out from the rules of the search and of
// the paged list on plain in-memory copies of the data files. It shares no
// code with the program: the files are read here byte by byte, and the
// searching and paging are written out again from the rules.
namespace zelvora::test {

// The locality files of a data folder, read whole.
struct LocalityData
{
    struct Locality
    {
        QString name, pv, cap, note;
    };
    // One search mode's order: the display order as indexes into
    // `localities`, the key compared when refining, and its prefix index.
    struct Order
    {
        bool present = false;
        QList<int> rows;
        QStringList keys;
        QStringList prefixes;
        QList<int> firstRecords; // 1-based record numbers in the order
        int rowCost = 1;         // records read to show one row
    };
    enum Mode { ByName, ByCap, ByProvince };

    QList<Locality> localities;
    Order orders[3];

    // False when localita.loc cannot be read.
    bool read(const QString &folder);
};

// One page of a list of `rowsPerPage` rows onto an order of records, with its
// grid selection, remembered row and scroll bar: the paging rules, with the
// page size as a parameter so that the same piece serves both windows.
struct PageModel
{
    explicit PageModel(int rows) : rowsPerPage(rows) {}

    int rowsPerPage;
    int recordCount = 0;   // N, also the scroll bar's maximum once set
    int rowCost = 1;       // records read per row appended
    const QList<int> *costs = nullptr; // or per record of the order
    int first = 0;         // order position of grid row 0
    int shown = 0;         // records on the page (the grid has max(shown, 1) rows)
    int readPosition = 0;  // P, the order file's read position
    int currentRecord = 0;
    int selected = 0;      // the grid's selected row
    int lastRow = 0;
    bool gridFocus = false;
    int position = 0;      // the scroll bar's
    int maximum = 0;
    qint64 reads = 0;      // records read, counted up by every fill
    qint64 readsSlack = 0; // reads a refining search may add to `reads`, at most

    int rows() const { return std::max(shown, 1); }

    // The grid and the scroll bar.
    void setPosition(int value) { position = std::clamp(value, 0, maximum); }
    void click();
    void selectRow(int row); // a change of row raises click
    void clearPage();
    void appendRow(int row);
    void enter();
    void exit();
    void park();
    void appOnActivate();
    void focusGrid();
    // The state once the grid has been painted: away from the focus the
    // selection sits parked on the remembered row.
    void settle();

    // The paging routine; `proposed` is the scroll bar's proposal, and the
    // value it leaves there is what the scroll bar adopts.
    void scroll(int code, int &proposed);
    void refillDown(int code, int start, int &proposed);
    void refillUp(int start, int &proposed);
    void jump(int &proposed);
    // The grid's keys Down, Up, Page Down and Page Up, with the grid's own
    // navigation that follows the handler.
    void gridKey(int key);
    // A scroll event raised by the scroll bar itself: its proposal, the
    // routine, then the adopted position.
    void scrollBarEvent(int code, int thumb = 0);
};

// A search field over one order with its prefix index, and the page list
// under it: the incremental search, its take-back, and the field's keys.
struct SearchModel
{
    explicit SearchModel(int rowsPerPage) : page(rowsPerPage) {}
    virtual ~SearchModel() = default;

    PageModel page;
    QString field;
    QString lastSearchText;
    int keyLength = 3;
    int maxLength = 30;
    // The active order: its prefix index and the keys a search refines on.
    const QStringList *prefixes = nullptr;
    const QList<int> *firstRecords = nullptr;
    const QStringList *keys = nullptr;

    // The field's text becomes `text` (typed, pasted or set back).
    void setField(const QString &text);
    void typeCharacter(QChar c);
    void backspace();
    void fieldEscape() { setField(QString()); }
    void fieldEnter() { page.focusGrid(); }
    void gridEscape() { focusField(); }
    // Enter in the grid: the details of the selected row open, which
    // remembers the row; they read nothing and change nothing once closed.
    void openDetails() { page.lastRow = page.selected; }
    void focusField();
    void clickRow(int row);

    // The texts of grid row `row` and its note, as the model expects them.
    virtual QStringList rowCells(int row) const = 0;
    virtual QString noteOf(int row) const = 0;

protected:
    // The search on a change of the field's text.
    void searchChange();
    void showSearchPage(int start);
};

// The main window's search and results list.
struct LocalityModel : SearchModel
{
    explicit LocalityModel(const LocalityData &data) : SearchModel(8), data(data) {}

    const LocalityData &data;
    LocalityData::Mode mode = LocalityData::ByName;

    const LocalityData::Order &order() const { return data.orders[mode]; }

    // The window as it opens: locality mode, the first page, focus in Cerca.
    void start();
    void switchMode(LocalityData::Mode to);

    QStringList rowCells(int row) const override;
    QString noteOf(int row) const override;
};

// One city's street files, read whole.
struct CityData
{
    struct Street
    {
        QString name, designation, note;
    };
    QList<Street> streets;
    QList<int> costs; // records read to show each street: the street, and its note if it has one
    QStringList keys;
    QStringList prefixes;
    QList<int> firstRecords;

    // False when the street file or its index cannot be read.
    bool read(const QString &zoneFolder, const QString &fileBase);
};

// The street window's city, search and street list.
struct StreetModel : SearchModel
{
    StreetModel() : SearchModel(7) { maxLength = 40; }

    const CityData *city = nullptr;
    int cityRow = -1;

    // A city picked from the list, its files read into `data`.
    void pickCity(int row, const CityData &data);

    QStringList rowCells(int row) const override;
    QString noteOf(int row) const override;
};

} // namespace zelvora::test
