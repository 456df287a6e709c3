#pragma once

#include <QString>
#include <QStringList>
#include <memory>

namespace zelvora {

// The thirteen string lists that the windows share. The main window creates
// them when it is built and frees them when it is destroyed, so the street
// window may only be opened while the main window exists.
struct SharedLists
{
    QStringList streetCaps;
    QStringList streetNotes;
    QStringList prefixes;
    QStringList streetPrefixes;
    QStringList bils;
    QStringList notes;
    QStringList provinceCodes;
    QStringList provinceNames;
    QStringList firstRecords;
    QStringList streetFirstRecords;
    QStringList cityTags;
    QStringList agencies;
    QStringList streetAgencies;
};

inline const QString kModeLocality = QStringLiteral("localita");
inline const QString kModeCap = QStringLiteral("cap");
inline const QString kModeProvince = QStringLiteral("pv");

// Settings and search state shared by the windows, set before any window is
// created.
struct SharedState
{
    QString dataFolder;        // folder of the data files: the program's own
    int pixelsPerInch = 96;    // read from the main window when it is built
    bool provincesLoaded = false;

    // Search state of the main window.
    QString searchMode = kModeLocality;
    int keyLength = 3;
    int rowsPerPage = 8;
    int currentRecord = 0;
    int recordCount = 0;
    QString lastSearchText;
    QString searchPrefix;
    int lastRow = 0;

    std::unique_ptr<SharedLists> lists;
};

SharedState &shared();

// Starts the shared settings afresh for a program whose data lie in
// `dataFolder`; the lists are not created here but by the main window.
void resetSharedState(const QString &dataFolder);

// Scales a size designed at 96 pixels per inch: multiplied first, the
// division truncating.
constexpr int scaleByPixelsPerInch(int size, int pixelsPerInch)
{
    return size * pixelsPerInch / 96;
}

} // namespace zelvora
