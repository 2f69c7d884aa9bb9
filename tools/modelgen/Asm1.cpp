#include "Asm1Matrix.h"
#include "DeliveredModels.h"
#include "ModelTables.h"

namespace narv::modelgen {

namespace {

enum Dissolved { SO = 1, SI, SS, SNO, SNH, SND, SALK };
enum Particulate { XI = 1, XS, XBH, XBA, XP, XND };

// Typical values at neutral pH, 20 °C and 10 °C (Henze et al., 1987).
constexpr ValuePair muH{6.0, 3.0};
constexpr ValuePair KS{20.0, 20.0};
constexpr ValuePair KOH{0.2, 0.2};
constexpr ValuePair KNO{0.5, 0.5};
constexpr ValuePair bH{0.62, 0.2};
constexpr ValuePair kh{3.0, 1.0};
constexpr ValuePair KX{0.03, 0.01};
constexpr ValuePair muA{0.8, 0.3};
constexpr ValuePair KNH{1.0, 1.0};
constexpr ValuePair KOA{0.4, 0.4};
constexpr ValuePair ka{0.08, 0.04};
// The sources differ; the aerobic autotrophic decay of ASM3 (see the remarks).
constexpr ValuePair bA{0.15, 0.05};
// kh / KX: 3 / 0.03 at 20 °C, 1 / 0.01 at 10 °C; written out, as the quotients round in binary.
constexpr ValuePair khPerKX{100.0, 100.0};

Parameter at20(const ValuePair& pair)
{
    return {pair.at20, pair.theta()};
}

void addHydrolysis(TModelDef& m, int p, const Parameter& halfSaturation)
{
    SetParticulateFactor(m, p, XS, kAdsorptionX, halfSaturation.value, halfSaturation.theta, XBH);
    SetParticulateFactor(m, p, XBH, kFirstOrderX);
    m.NueS[p][SS] = 1.0;
    m.NueX[p][XS] = -1.0;
}

// kh (XS/XBH)/(KX + XS/XBH) XBH * XND/XS simplifies to (kh/KX) * KX/(KX + XS/XBH) * XND:
// the inhibition factor on XS and first order on XND, with no singular 1/XS. kh and KX share
// their temperature dependence, so kh/KX has the coefficient 0 and KX carries the dependence.
void addOrganicNitrogenHydrolysis(TModelDef& m, int p, const Parameter& halfSaturation)
{
    SetParticulateFactor(m, p, XS, kInhibitionX, halfSaturation.value, halfSaturation.theta, XBH);
    SetParticulateFactor(m, p, XND, kFirstOrderX);
    m.NueS[p][SND] = 1.0;
    m.NueX[p][XND] = -1.0;
}

void addDecay(TModelDef& m, int p, int biomass, double fP, double iXB, double iXP)
{
    SetParticulateFactor(m, p, biomass, kFirstOrderX);
    m.NueX[p][biomass] = -1.0;
    m.NueX[p][XS] = 1.0 - fP;
    m.NueX[p][XP] = fP;
    m.NueX[p][XND] = iXB - fP * iXP;
}

} // namespace

Asm1Parameters Asm1TypicalParameters()
{
    Asm1Parameters typical{};
    typical.YA = 0.24;
    typical.YH = 0.67;
    typical.fP = 0.08;
    typical.iXB = 0.086;
    typical.iXP = 0.06;
    typical.etaG = 0.8;
    typical.etaH = 0.4;
    // Exact conversion factors instead of the rounded 4.57 and 2.86 of the report, so that COD
    // closes to the digits the file keeps.
    typical.nitrateCod = 64.0 / 14.0;
    typical.denitrificationCod = 40.0 / 14.0;
    typical.muH = at20(muH);
    typical.KS = at20(KS);
    typical.KOH = at20(KOH);
    typical.KNO = at20(KNO);
    typical.bH = at20(bH);
    typical.kh = at20(kh);
    typical.KX = at20(KX);
    typical.muA = at20(muA);
    typical.KNH = at20(KNH);
    typical.KOA = at20(KOA);
    typical.ka = at20(ka);
    typical.bA = at20(bA);
    typical.khPerKX = at20(khPerKX);
    return typical;
}

void AddAsm1Processes(TModelDef& m, const Asm1Parameters& parameters)
{
    int p =
        AddProcess(m, "Aerobic growth heterotrophs", parameters.muH.value, parameters.muH.theta);
    SetDissolvedFactor(m, p, SO, kMonodS, parameters.KOH.value, parameters.KOH.theta);
    SetDissolvedFactor(m, p, SS, kMonodS, parameters.KS.value, parameters.KS.theta);
    SetParticulateFactor(m, p, XBH, kFirstOrderX);
    m.NueS[p][SO] = -(1.0 - parameters.YH) / parameters.YH;
    m.NueS[p][SS] = -1.0 / parameters.YH;
    m.NueS[p][SNH] = -parameters.iXB;
    m.NueS[p][SALK] = -parameters.iXB / 14.0;
    m.NueX[p][XBH] = 1.0;

    p = AddProcess(m, "Anoxic growth heterotrophs", parameters.muH.value * parameters.etaG,
                   parameters.muH.theta);
    SetDissolvedFactor(m, p, SO, kInhibitionS, parameters.KOH.value, parameters.KOH.theta);
    SetDissolvedFactor(m, p, SS, kMonodS, parameters.KS.value, parameters.KS.theta);
    SetDissolvedFactor(m, p, SNO, kMonodS, parameters.KNO.value, parameters.KNO.theta);
    SetParticulateFactor(m, p, XBH, kFirstOrderX);
    m.NueS[p][SS] = -1.0 / parameters.YH;
    m.NueS[p][SNO] = -(1.0 - parameters.YH) / (parameters.denitrificationCod * parameters.YH);
    m.NueS[p][SNH] = -parameters.iXB;
    m.NueS[p][SALK] =
        (1.0 - parameters.YH) / (14.0 * parameters.denitrificationCod * parameters.YH) -
        parameters.iXB / 14.0;
    m.NueX[p][XBH] = 1.0;

    p = AddProcess(m, "Aerobic growth autotrophs", parameters.muA.value, parameters.muA.theta);
    SetDissolvedFactor(m, p, SO, kMonodS, parameters.KOA.value, parameters.KOA.theta);
    SetDissolvedFactor(m, p, SNH, kMonodS, parameters.KNH.value, parameters.KNH.theta);
    SetParticulateFactor(m, p, XBA, kFirstOrderX);
    m.NueS[p][SO] = -(parameters.nitrateCod - parameters.YA) / parameters.YA;
    m.NueS[p][SNO] = 1.0 / parameters.YA;
    m.NueS[p][SNH] = -parameters.iXB - 1.0 / parameters.YA;
    m.NueS[p][SALK] = -parameters.iXB / 14.0 - 1.0 / (7.0 * parameters.YA);
    m.NueX[p][XBA] = 1.0;

    addDecay(m, AddProcess(m, "Decay of heterotrophs", parameters.bH.value, parameters.bH.theta),
             XBH, parameters.fP, parameters.iXB, parameters.iXP);
    addDecay(m, AddProcess(m, "Decay of autotrophs", parameters.bA.value, parameters.bA.theta), XBA,
             parameters.fP, parameters.iXB, parameters.iXP);

    p = AddProcess(m, "Ammonification", parameters.ka.value, parameters.ka.theta);
    SetDissolvedFactor(m, p, SND, kFirstOrderS, 0.0);
    SetParticulateFactor(m, p, XBH, kFirstOrderX);
    m.NueS[p][SNH] = 1.0;
    m.NueS[p][SND] = -1.0;
    m.NueS[p][SALK] = 1.0 / 14.0;

    p = AddProcess(m, "Aerobic hydrolysis", parameters.kh.value, parameters.kh.theta);
    SetDissolvedFactor(m, p, SO, kMonodS, parameters.KOH.value, parameters.KOH.theta);
    addHydrolysis(m, p, parameters.KX);

    p = AddProcess(m, "Anoxic hydrolysis", parameters.kh.value * parameters.etaH,
                   parameters.kh.theta);
    SetDissolvedFactor(m, p, SO, kInhibitionS, parameters.KOH.value, parameters.KOH.theta);
    SetDissolvedFactor(m, p, SNO, kMonodS, parameters.KNO.value, parameters.KNO.theta);
    addHydrolysis(m, p, parameters.KX);

    p = AddProcess(m, "Aerobic hydrolysis of org. N", parameters.khPerKX.value,
                   parameters.khPerKX.theta);
    SetDissolvedFactor(m, p, SO, kMonodS, parameters.KOH.value, parameters.KOH.theta);
    addOrganicNitrogenHydrolysis(m, p, parameters.KX);

    p = AddProcess(m, "Anoxic hydrolysis of org. N", parameters.khPerKX.value * parameters.etaH,
                   parameters.khPerKX.theta);
    SetDissolvedFactor(m, p, SO, kInhibitionS, parameters.KOH.value, parameters.KOH.theta);
    SetDissolvedFactor(m, p, SNO, kMonodS, parameters.KNO.value, parameters.KNO.theta);
    addOrganicNitrogenHydrolysis(m, p, parameters.KX);
}

TModelDef MakeAsm1()
{
    TModelDef m;
    StartModel(
        m, "ASM1",
        {
            "IWA Activated Sludge Model No. 1: Henze, Grady, Gujer, Marais and Matsuo, IAWPRC",
            "Scientific and Technical Report No. 1, 1987; reprinted in IWA STR No. 9, 2000.",
            "Typical values at neutral pH and 20 °C; theta = ln(k20/k10)/10 from the report's",
            "10 °C values (0 where a value is given as temperature independent).",
            "Y_H 0.67, Y_A 0.24, f_P 0.08, i_XB 0.086, i_XP 0.06, eta_g 0.8, eta_h 0.4.",
            "b_A: the sources differ (0.05 to 0.15 /d at 20 °C); chosen 0.15 /d at 20 °C and",
            "0.05 /d at 10 °C, the aerobic autotrophic decay of ASM3 (Gujer et al., 1999).",
            "COD of nitrate 64/14 and of denitrification 40/14 g/g N, not 4.57 and 2.86.",
            "Hydrolysis is split into an aerobic and an anoxic process (eta_h in the rate).",
            "Hydrolysis of org. N: kh (X_S/X_BH)/(K_X+X_S/X_BH) X_BH X_ND/X_S is written as",
            "kh/K_X K_X/(K_X+X_S/X_BH) X_ND, the same rate without a factor 1/X_S.",
            "Alkalinity in mol HCO3-/m3. Influent: settled municipal wastewater.",
            "Component order, processes and factors: data/models/README.md.",
        },
        {
            {"Oxygen", "O2", 0.0, 2.0},
            {"Inert", "COD", 30.0, 30.0},
            {"Substrate", "COD", 70.0, 2.0},
            {"Nitrate", "N", 0.0, 10.0},
            {"Ammonium", "N", 30.0, 1.0},
            {"Organic N", "N", 7.0, 1.0},
            {"Alkalinity", "mol", 7.0, 5.0},
        },
        {
            {"Inert", "COD", 50.0, 1000.0},
            {"Substrate", "COD", 200.0, 100.0},
            {"Heterotr.", "COD", 30.0, 2000.0},
            {"Autotrophs", "COD", 0.0, 120.0},
            {"Products", "COD", 0.0, 600.0},
            {"Organic N", "N", 10.0, 5.0},
        });

    AddAsm1Processes(m, Asm1TypicalParameters());
    FinishModel(m);
    return m;
}

} // namespace narv::modelgen
