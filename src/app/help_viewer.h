#pragma once

#include <QString>

namespace zelvora {

// The help system: shows the contents of a help file. The default opens the
// program's own help viewer; tests install one that records the request.
class HelpSystem
{
public:
    virtual ~HelpSystem() = default;
    virtual void showContents(const QString &helpFile) = 0;
};

HelpSystem &helpSystem();
// Installs another implementation; nullptr restores the real one. The caller
// keeps ownership.
void setHelpSystem(HelpSystem *replacement);

} // namespace zelvora
