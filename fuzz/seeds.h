#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

namespace zelvora::fuzz {

// Small valid inputs for every target, made with the data compiler from a
// few literal rows: the starting corpus of each target, by target name.
QMap<QString, QList<QByteArray>> seedInputs();

} // namespace zelvora::fuzz
