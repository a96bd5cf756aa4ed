#pragma once
// The textbook cases of the star test, as the renderer's option lists.

#include <QList>
#include <QString>
#include <QStringList>

namespace diffrascope::lab {

struct Preset {
    QString name;          // translated, with a mnemonic
    QStringList arguments; // the renderer's options; the rest keep the lab's defaults
};

QList<Preset> Presets();

} // namespace diffrascope::lab
