#include "special/SbrEditor.h"

#include "core/InputCheck.h"
#include "core/NumberFormat.h"

#include <fmt/format.h>

namespace narv {
namespace {

SbrEntry fromCheck(const RealCheck& check)
{
    return {check.accepted, check.message, check.text, check.returnFocus};
}

SbrEntry fromCheck(const IntegerCheck& check)
{
    return {check.accepted, check.message, check.text, check.returnFocus};
}

// The volume of a period that a grid column shows; for const and non-const periods alike.
template <class Period> auto& PeriodVolume(Period& p, SbrVolumeColumn column)
{
    switch (column) {
    case SbrVolumeColumn::Influent1:
        return p.Influent1Volume;
    case SbrVolumeColumn::Influent2:
        return p.Influent2Volume;
    case SbrVolumeColumn::Supernatant:
        return p.SupernatantVolume;
    case SbrVolumeColumn::MixedLiquor:
        break;
    }
    return p.MixedLiquorVolume;
}

std::string twoDecimals(double value)
{
    return fmt::format("{:.2f}", value);
}

} // namespace

SbrLeaveCheck CheckLeaveSbrPage(const TPlantDef& plant, const TSbrCycle& cycle, bool sbrPageActive)
{
    SbrLeaveCheck check;
    if (plant.PlantType != TFlowschemeType::ftSBR)
        return check;
    const double minimum = MinimumInitialVolume(cycle);
    if (cycle.InitialVolume < minimum) {
        check.allowed = false;
        check.message = fmt::format("{}{:.2f} m3.", kSbrInitialVolumeMessageStart, minimum);
        if (sbrPageActive)
            check.focus = SbrLeaveCheck::Focus::InitialVolume;
    } else if (!CheckSbrBalance(cycle).passes) {
        check.allowed = false;
        if (sbrPageActive) {
            check.message = kSbrUnbalancedMessage;
            check.focus = SbrLeaveCheck::Focus::Grid;
        }
    }
    return check;
}

const std::vector<std::string>& SbrPageEditor::GridColumnTitles()
{
    static const std::vector<std::string> titles = {"Period No",
                                                    "No of timeslices",
                                                    "Cumulated cycle time",
                                                    "1.influent (vol m3)",
                                                    "2.influent (vol m3)",
                                                    "Supernatant (vol m3)",
                                                    "Mixed Liquor (vol m3)",
                                                    "kla Control",
                                                    "Parameters"};
    return titles;
}

const std::vector<std::string>& SbrPageEditor::AerationModeTexts()
{
    static const std::vector<std::string> texts = {
        SbrAerationModeText(TSbrAerationMode::FixedKla),
        SbrAerationModeText(TSbrAerationMode::FixedO2),
        SbrAerationModeText(TSbrAerationMode::Proportional),
        SbrAerationModeText(TSbrAerationMode::OnOff)};
    return texts;
}

std::string SbrPageEditor::timesliceLengthText() const
{
    return fmt::format("{}", m_cycle.TimesliceLength);
}

std::string SbrPageEditor::accuracyText() const
{
    return fmt::format("{:6.3f}", m_cycle.Accuracy);
}

std::string SbrPageEditor::initialVolumeText() const
{
    return twoDecimals(m_cycle.InitialVolume);
}

std::string SbrPageEditor::cycleLengthLine() const
{
    return SbrCycleLengthLine(m_cycle.TimesliceLength);
}

std::string SbrPageEditor::initialVolumeLabel() const
{
    return SbrInitialVolumeLabel(m_cycle);
}

SbrBalance SbrPageEditor::balance() const
{
    return CheckSbrBalance(m_cycle);
}

std::string SbrPageEditor::cumulatedCycleTimeText(int period) const
{
    return fmt::format("{}", SbrCumulatedCycleTime(m_cycle, period));
}

double& SbrPageEditor::volume(int period, SbrVolumeColumn column)
{
    return PeriodVolume(m_cycle.Periods[period], column);
}

std::string SbrPageEditor::volumeText(int period, SbrVolumeColumn column) const
{
    return twoDecimals(PeriodVolume(m_cycle.Periods[period], column));
}

SbrEntry SbrPageEditor::enterTimesliceLength(const std::string& text)
{
    const IntegerCheck check =
        CheckIntegerField(text, 0, kSbrMaxTimesliceLength, m_cycle.TimesliceLength);
    if (check.accepted) {
        m_cycle.TimesliceLength = check.value;
        m_modified = true;
    }
    return fromCheck(check);
}

SbrEntry SbrPageEditor::enterAccuracy(const std::string& text)
{
    const RealCheck check =
        CheckRealField(text, kSbrMinAccuracy, kSbrMaxAccuracy, m_cycle.Accuracy);
    if (check.accepted) {
        m_cycle.Accuracy = check.value;
        m_modified = true;
    }
    return fromCheck(check);
}

SbrEntry SbrPageEditor::enterInitialVolume(const std::string& text)
{
    const RealCheck check = CheckRealField(text, 0.0, kSbrMaxVolume, m_cycle.InitialVolume);
    if (check.accepted) {
        m_cycle.InitialVolume = check.value;
        m_modified = true;
    }
    ApplySbrInitialVolumeRule(m_cycle);
    SbrEntry entry = fromCheck(check);
    entry.text = initialVolumeText();
    return entry;
}

SbrEntry SbrPageEditor::enterTimeslices(int period, const std::string& text)
{
    TSbrPeriod& p = m_cycle.Periods[period];
    const IntegerCheck check =
        CheckIntegerText(text, 0, SbrTimeslicesBound(m_cycle, period), p.Timeslices);
    if (check.accepted) {
        p.Timeslices = check.value;
        m_modified = true;
    }
    return fromCheck(check);
}

SbrEntry SbrPageEditor::enterVolume(int period, SbrVolumeColumn column, const std::string& text)
{
    double& stored = volume(period, column);
    const RealCheck check = CheckRealText(text, 0.0, kSbrMaxVolume, stored);
    SbrEntry entry = fromCheck(check);
    if (check.accepted) {
        const double previous = stored;
        stored = check.value;
        if (const auto refusal = CheckSbrPeriod(m_cycle, period)) {
            stored = previous;
            entry.accepted = false;
            entry.message = *refusal;
        } else {
            m_modified = true;
        }
        entry.text = twoDecimals(stored);
    }
    ApplySbrInitialVolumeRule(m_cycle);
    return entry;
}

SbrValueRequest SbrPageEditor::chooseAerationMode(int period, TSbrAerationMode mode)
{
    TSbrPeriod& p = m_cycle.Periods[period];
    if (p.AerationMode != mode)
        m_modified = true;
    p.AerationMode = mode;
    return valueRequest(period);
}

SbrValueRequest SbrPageEditor::valueRequest(int period) const
{
    const TSbrPeriod& p = m_cycle.Periods[period];
    SbrValueRequest request;
    switch (p.AerationMode) {
    case TSbrAerationMode::FixedKla:
        request.prompt = "Fixed kla value for this period:";
        request.preset = FormatNumber(10, 3, p.FixedKla);
        break;
    case TSbrAerationMode::FixedO2:
        request.prompt = "Fixed S Oxygen concentration for this period:";
        request.preset = FormatNumber(10, 3, p.FixedO2);
        break;
    case TSbrAerationMode::Proportional:
    case TSbrAerationMode::OnOff:
        request.controlDialog = true;
        return request;
    }
    request.title = fmt::format("SBR Control for period {}", period);
    return request;
}

SbrEntry SbrPageEditor::enterFixedValue(int period, const std::string& text)
{
    TSbrPeriod& p = m_cycle.Periods[period];
    const bool kla = p.AerationMode == TSbrAerationMode::FixedKla;
    const RealCheck check = CheckRealText(text, 0.0, kSbrMaxVolume, kla ? p.FixedKla : p.FixedO2);
    if (check.accepted) {
        if (kla) {
            p.FixedKla = check.value;
            p.FixedO2 = 0.0;
        } else {
            p.FixedO2 = check.value;
            p.FixedKla = 0.0;
        }
        m_modified = true;
    }
    return fromCheck(check);
}

SbrControlDialog::SbrControlDialog(TSbrCycle& cycle, int period, const TModelDef& model,
                                   SbrControlDialogMemory& memory)
    : m_cycle(cycle), m_period(period), m_model(model), m_mode(cycle.Periods[period].AerationMode),
      m_signal(cycle.Periods[period].SignalSpecies)
{
    const TSbrPeriod& p = cycle.Periods[period];
    if (m_mode == TSbrAerationMode::OnOff) {
        m_values[SignalValueOrUpper] = p.UpperThreshold;
        m_values[ValueAbove] = p.ValueAbove;
        m_values[SetpointOrLower] = p.LowerThreshold;
        m_values[SlopeOrBelow] = p.ValueBelow;
        // The dialog shows 0 here after a proportional period, or at its first opening.
        if (!memory.opened || memory.lastMode == TSbrAerationMode::Proportional)
            m_values[SlopeOrBelow] = 0.0;
    } else {
        m_values[SignalValueOrUpper] = p.SignalValue;
        m_values[ValueAbove] = p.ValueAbove;
        m_values[SetpointOrLower] = p.Setpoint;
        m_values[SlopeOrBelow] = p.Slope;
    }
    memory.opened = true;
    memory.lastMode = m_mode;
}

std::string SbrControlDialog::caption() const
{
    return fmt::format("SBR Control of period {}", m_period);
}

std::vector<std::string> SbrControlDialog::signalNames() const
{
    std::vector<std::string> names;
    for (int j = 1; j <= m_model.NS; ++j)
        names.push_back(m_model.NameS[j]);
    return names;
}

void SbrControlDialog::chooseSignal(int species)
{
    if (species >= 1 && species <= m_model.NS)
        m_signal = species;
}

bool SbrControlDialog::fieldVisible(Field field) const
{
    return field != ValueAbove || m_mode == TSbrAerationMode::OnOff;
}

std::string SbrControlDialog::fieldLabel(Field field) const
{
    const bool onOff = m_mode == TSbrAerationMode::OnOff;
    switch (field) {
    case SignalValueOrUpper:
        return onOff ? "If signal is higher than" : "signal value:";
    case ValueAbove:
        return onOff ? "then set value to" : "";
    case SetpointOrLower:
        return onOff ? "If signal is less than " : "setpoint of\ncontrolled parameter:";
    case SlopeOrBelow:
        return onOff ? "then set value to" : "Slope of equation:";
    }
    return "";
}

std::string SbrControlDialog::fieldText(Field field) const
{
    return FormatNumber(11, 3, m_values[field]);
}

SbrEntry SbrControlDialog::enterField(Field field, const std::string& text)
{
    const double low = field == SlopeOrBelow ? -1e100 : 0.0;
    const RealCheck check = CheckRealField(text, low, 1e9, m_values[field]);
    if (check.accepted)
        m_values[field] = check.value;
    return fromCheck(check);
}

void SbrPageEditor::acceptControlDialog(SbrControlDialog& dialog)
{
    dialog.ok();
    m_modified = true;
}

void SbrControlDialog::ok()
{
    TSbrPeriod& p = m_cycle.Periods[m_period];
    if (m_mode == TSbrAerationMode::OnOff) {
        p.UpperThreshold = m_values[SignalValueOrUpper];
        p.ValueAbove = m_values[ValueAbove];
        p.LowerThreshold = m_values[SetpointOrLower];
        p.ValueBelow = m_values[SlopeOrBelow];
    } else {
        p.SignalValue = m_values[SignalValueOrUpper];
        p.Setpoint = m_values[SetpointOrLower];
        p.Slope = m_values[SlopeOrBelow];
    }
    p.SignalSpecies = m_signal;
}

} // namespace narv
