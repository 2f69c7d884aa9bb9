#include "DeliveredModels.h"
#include "ModelTables.h"

namespace narv::modelgen {

namespace {

enum Dissolved { SO = 1, SI, SS, SNO, SNH, SND, SALK };
enum Particulate { XI = 1, XS, XBH, XBA, XP, XND };

// Typical values at neutral pH, 20 °C and 10 °C (Henze et al., 1987).
constexpr double YA = 0.24;   // [g COD / g N]
constexpr double YH = 0.67;   // [g COD / g COD]
constexpr double fP = 0.08;   // inert fraction of decayed biomass
constexpr double iXB = 0.086; // [g N / g COD] in biomass
constexpr double iXP = 0.06;  // [g N / g COD] in decay products
constexpr ValuePair muH{6.0, 3.0};
constexpr ValuePair KS{20.0, 20.0};
constexpr ValuePair KOH{0.2, 0.2};
constexpr ValuePair KNO{0.5, 0.5};
constexpr ValuePair bH{0.62, 0.2};
constexpr double etaG = 0.8;
constexpr double etaH = 0.4;
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

// Exact conversion factors instead of the rounded 4.57 and 2.86 of the report, so that COD
// closes to the digits the file keeps.
constexpr double kNitrateCod = 64.0 / 14.0;         // [g COD / g N], NH4 -> NO3
constexpr double kDenitrificationCod = 40.0 / 14.0; // [g COD / g N], NO3 -> N2

void addHydrolysis(TModelDef& m, int p)
{
    SetParticulateFactor(m, p, XS, kAdsorptionX, KX.at20, KX.theta(), XBH);
    SetParticulateFactor(m, p, XBH, kFirstOrderX);
    m.NueS[p][SS] = 1.0;
    m.NueX[p][XS] = -1.0;
}

// kh (XS/XBH)/(KX + XS/XBH) XBH * XND/XS simplifies to (kh/KX) * KX/(KX + XS/XBH) * XND:
// the inhibition factor on XS and first order on XND, with no singular 1/XS. kh and KX share
// their 20/10 °C ratio, so kh/KX = 100 has the coefficient 0 and KX carries the dependence.
void addOrganicNitrogenHydrolysis(TModelDef& m, int p)
{
    SetParticulateFactor(m, p, XS, kInhibitionX, KX.at20, KX.theta(), XBH);
    SetParticulateFactor(m, p, XND, kFirstOrderX);
    m.NueS[p][SND] = 1.0;
    m.NueX[p][XND] = -1.0;
}

void addDecay(TModelDef& m, int p, int biomass)
{
    SetParticulateFactor(m, p, biomass, kFirstOrderX);
    m.NueX[p][biomass] = -1.0;
    m.NueX[p][XS] = 1.0 - fP;
    m.NueX[p][XP] = fP;
    m.NueX[p][XND] = iXB - fP * iXP;
}

} // namespace

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

    int p = AddProcess(m, "Aerobic growth heterotrophs", muH.at20, muH.theta());
    SetDissolvedFactor(m, p, SO, kMonodS, KOH.at20, KOH.theta());
    SetDissolvedFactor(m, p, SS, kMonodS, KS.at20, KS.theta());
    SetParticulateFactor(m, p, XBH, kFirstOrderX);
    m.NueS[p][SO] = -(1.0 - YH) / YH;
    m.NueS[p][SS] = -1.0 / YH;
    m.NueS[p][SNH] = -iXB;
    m.NueS[p][SALK] = -iXB / 14.0;
    m.NueX[p][XBH] = 1.0;

    p = AddProcess(m, "Anoxic growth heterotrophs", muH.at20 * etaG, muH.theta());
    SetDissolvedFactor(m, p, SO, kInhibitionS, KOH.at20, KOH.theta());
    SetDissolvedFactor(m, p, SS, kMonodS, KS.at20, KS.theta());
    SetDissolvedFactor(m, p, SNO, kMonodS, KNO.at20, KNO.theta());
    SetParticulateFactor(m, p, XBH, kFirstOrderX);
    m.NueS[p][SS] = -1.0 / YH;
    m.NueS[p][SNO] = -(1.0 - YH) / (kDenitrificationCod * YH);
    m.NueS[p][SNH] = -iXB;
    m.NueS[p][SALK] = (1.0 - YH) / (14.0 * kDenitrificationCod * YH) - iXB / 14.0;
    m.NueX[p][XBH] = 1.0;

    p = AddProcess(m, "Aerobic growth autotrophs", muA.at20, muA.theta());
    SetDissolvedFactor(m, p, SO, kMonodS, KOA.at20, KOA.theta());
    SetDissolvedFactor(m, p, SNH, kMonodS, KNH.at20, KNH.theta());
    SetParticulateFactor(m, p, XBA, kFirstOrderX);
    m.NueS[p][SO] = -(kNitrateCod - YA) / YA;
    m.NueS[p][SNO] = 1.0 / YA;
    m.NueS[p][SNH] = -iXB - 1.0 / YA;
    m.NueS[p][SALK] = -iXB / 14.0 - 1.0 / (7.0 * YA);
    m.NueX[p][XBA] = 1.0;

    addDecay(m, AddProcess(m, "Decay of heterotrophs", bH.at20, bH.theta()), XBH);
    addDecay(m, AddProcess(m, "Decay of autotrophs", bA.at20, bA.theta()), XBA);

    p = AddProcess(m, "Ammonification", ka.at20, ka.theta());
    SetDissolvedFactor(m, p, SND, kFirstOrderS, 0.0);
    SetParticulateFactor(m, p, XBH, kFirstOrderX);
    m.NueS[p][SNH] = 1.0;
    m.NueS[p][SND] = -1.0;
    m.NueS[p][SALK] = 1.0 / 14.0;

    p = AddProcess(m, "Aerobic hydrolysis", kh.at20, kh.theta());
    SetDissolvedFactor(m, p, SO, kMonodS, KOH.at20, KOH.theta());
    addHydrolysis(m, p);

    p = AddProcess(m, "Anoxic hydrolysis", kh.at20 * etaH, kh.theta());
    SetDissolvedFactor(m, p, SO, kInhibitionS, KOH.at20, KOH.theta());
    SetDissolvedFactor(m, p, SNO, kMonodS, KNO.at20, KNO.theta());
    addHydrolysis(m, p);

    p = AddProcess(m, "Aerobic hydrolysis of org. N", khPerKX.at20, khPerKX.theta());
    SetDissolvedFactor(m, p, SO, kMonodS, KOH.at20, KOH.theta());
    addOrganicNitrogenHydrolysis(m, p);

    p = AddProcess(m, "Anoxic hydrolysis of org. N", khPerKX.at20 * etaH, khPerKX.theta());
    SetDissolvedFactor(m, p, SO, kInhibitionS, KOH.at20, KOH.theta());
    SetDissolvedFactor(m, p, SNO, kMonodS, KNO.at20, KNO.theta());
    addOrganicNitrogenHydrolysis(m, p);

    FinishModel(m);
    return m;
}

} // namespace narv::modelgen
