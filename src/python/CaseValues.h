#pragma once

#include "shell/Workspace.h"

#include <string>
#include <vector>

namespace narv::python {

// Plant, model and state values of a workspace by name, as scripts and sweep files give them:
// "SludgeAge", "Kla[3]", "InfluentS[Ammonium]", "KS[Aerobic growth heterotrophs, Oxygen]".
// An index is a number (1-based, as everywhere in the program) or a species or process name.
// Setting a value applies the rules of the plant dialog and the model editor for that one value
// (ranges, ExcessRate from SludgeAge, kla or setpoint, the temperature conversion) without
// the dialog's refresh of the rest of the plant, so a loaded plant stays as it is stored.
class CaseValues {
public:
    explicit CaseValues(Workspace& workspace) : m_workspace(workspace) {}

    double get(const std::string& name) const;
    // Throws Error with a message naming the value when the name, an index or the value is not
    // accepted; nothing changes then.
    void set(const std::string& name, double value);

    // Every value of the loaded plant's type, with its indices spelled out for the loaded model
    // and plant (an SBR plant's flows, volumes and kla, which its cycle replaces, are left out).
    std::vector<std::string> names() const;
    // Whether set() accepts the name (some values are derived and only read).
    static bool settable(const std::string& name);

private:
    Workspace& m_workspace;
};

} // namespace narv::python
