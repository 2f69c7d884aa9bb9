#include "plant/ControlLoopEditor.h"

#include "core/InputCheck.h"
#include "core/Limits.h"
#include "core/NumberFormat.h"
#include "plant/ControlLoops.h"

#include <cassert>

namespace narv {
namespace {

// The slope of an equation may be steeply negative; the set values and thresholds may not.
constexpr double kMinSlope = -1e100;

} // namespace

ControlLoopRow ControlLoopList::row(int entry) const
{
    const TControlLoopDef& loop = m_plant.ControlLoops[entry];
    ControlLoopRow row;
    row.entry = entry;
    row.name = "CLoop" + std::to_string(entry);
    row.caption = ControlledQuantityCaption(entry);
    row.active = loop.Active;
    row.onOff = loop.OnOff;
    row.editable = loop.Active;
    row.description =
        loop.Active ? DescribeControlLoop(m_model, loop) : "Signal to control " + row.caption;
    return row;
}

std::vector<ControlLoopRow> ControlLoopList::rows() const
{
    std::vector<ControlLoopRow> rows;
    for (int n = 1; n <= rowCount(); ++n)
        rows.push_back(row(n));
    return rows;
}

void ControlLoopList::setActive(int entry, bool active)
{
    assert(entry >= 1 && entry <= rowCount());
    m_plant.ControlLoops[entry].Active = active;
    m_plant.ControlLoopsActive = AnyControlLoopActive(m_plant);
    m_modified = true;
}

void ControlLoopList::deactivateAll()
{
    for (int n = 1; n <= rowCount(); ++n)
        setActive(n, false);
}

void ControlLoopList::chooseType(int entry, bool)
{
    assert(entry >= 1 && entry <= rowCount());
    static_cast<void>(entry);
    m_modified = true;
}

ControlLoopDialog::ControlLoopDialog(const TModelDef& model, const TPlantDef& plant,
                                     TControlLoopDef& entry, const std::string& entryCaption,
                                     bool onOff, bool laneLoop)
    : m_model(model),
      m_plant(plant),
      m_entry(entry),
      m_copy(entry),
      m_caption("Control of " + entryCaption),
      m_laneLoop(laneLoop)
{
    if (laneLoop)
        onOff = true; // the lane fed can only be switched
    // An equation's slope means nothing as the value below the lower threshold.
    if (!m_copy.OnOff && onOff)
        m_copy.Steigung = 0.0;
    m_copy.OnOff = onOff;
}

std::vector<std::string> ControlLoopDialog::compartmentItems() const
{
    std::vector<std::string> items;
    for (int c = 1; c <= m_plant.ReactorCount; ++c)
        items.push_back(std::to_string(c));
    for (int k = 1; k <= m_plant.CompartmentCount - m_plant.ReactorCount; ++k)
        items.push_back("Cl. " + std::to_string(k));
    return items;
}

int ControlLoopDialog::compartmentIndex() const
{
    const int c = m_copy.Compartment;
    return c >= 1 && c <= m_plant.CompartmentCount ? c - 1 : -1;
}

void ControlLoopDialog::chooseCompartment(int index)
{
    if (index >= 0 && index < m_plant.CompartmentCount)
        m_copy.Compartment = index + 1;
}

std::vector<std::string> ControlLoopDialog::signalItems() const
{
    std::vector<std::string> items{"Influent flowrate"};
    for (int j = 1; j <= m_model.NS; ++j)
        items.push_back(m_model.NameS[j]);
    for (int j = 1; j <= m_model.NX; ++j)
        items.push_back(m_model.NameX[j]);
    return items;
}

int ControlLoopDialog::signalIndex() const
{
    const int signal = m_copy.Signal;
    if (signal == kSignalInfluent)
        return 0;
    if (signal >= 3 && signal <= m_model.NS + m_model.NX + 2)
        return signal - 2;
    return -1;
}

void ControlLoopDialog::chooseSignal(int index)
{
    if (index < 0 || index > m_model.NS + m_model.NX)
        return;
    m_copy.Signal = index == 0 ? kSignalInfluent : index + 2;
}

std::string ControlLoopDialog::fieldLabel(Field field) const
{
    if (m_copy.OnOff) {
        switch (field) {
        case ErwartetX:
            return "If signal is higher than";
        case Stellung2:
            return "then set value to";
        case ErwartetY:
            return "If signal is less than ";
        case Steigung:
            return "then set value to";
        }
    }
    switch (field) {
    case ErwartetX:
        return "signal value:";
    case Stellung2:
        return "";
    case ErwartetY:
        return "setpoint of\ncontrolled parameter:";
    case Steigung:
        return "Slope of equation:";
    }
    assert(false);
    return {};
}

double& ControlLoopDialog::value(Field field)
{
    switch (field) {
    case ErwartetX:
        return m_copy.ErwartetX;
    case Stellung2:
        return m_copy.Stellung2;
    case ErwartetY:
        return m_copy.ErwartetY;
    case Steigung:
        return m_copy.Steigung;
    }
    assert(false);
    return m_copy.ErwartetX;
}

double ControlLoopDialog::fieldValue(Field field) const
{
    return const_cast<ControlLoopDialog*>(this)->value(field);
}

std::string ControlLoopDialog::fieldText(Field field) const
{
    return FormatNumber(11, 3, fieldValue(field));
}

ControlLoopEntry ControlLoopDialog::enterField(Field field, const std::string& text)
{
    double& stored = value(field);
    const double min = field == Steigung ? kMinSlope : 0.0;
    const RealCheck check = CheckRealField(text, min, kMaxPlantValue, stored);
    ControlLoopEntry entry{check.accepted, check.message, check.text, check.returnFocus};
    if (check.accepted) {
        stored = check.value;
        entry.text = fieldText(field);
    }
    return entry;
}

int ControlLoopDialog::laneIndex(Field field) const
{
    const double lane = fieldValue(field);
    return lane == 1.0 ? 0 : lane == 2.0 ? 1 : -1;
}

void ControlLoopDialog::chooseLane(Field field, int index)
{
    if (fieldIsLaneChoice(field) && (index == 0 || index == 1))
        value(field) = index + 1.0;
}

void ControlLoopDialog::ok()
{
    m_entry = m_copy;
}

} // namespace narv
