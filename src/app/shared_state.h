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

// Settings shared by the windows, set before any window is created. Each
// subsystem keeps its own search state.
struct SharedState
{
    QString dataFolder;        // folder of the data files: the program's own
    int pixelsPerInch = 96;    // read from the main window when it is built
    bool provincesLoaded = false;

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
