#include "DeliveredModels.h"
#include "ModelTables.h"

namespace narv::modelgen {

namespace {

enum Dissolved { SO2 = 1, SI, SS, SNH4, SN2, SNOX, SALK };
enum Particulate { XI = 1, XS, XH, XSTO, XA, XTS };

// Stoichiometric and composition parameters (Gujer et al., 1999).
constexpr double fSI = 0.0;      // inert soluble COD from hydrolysis
constexpr double YSTO_O2 = 0.85; // [g COD / g COD]
constexpr double YSTO_NOX = 0.80;
constexpr double YH_O2 = 0.63;
constexpr double YH_NOX = 0.54;
constexpr double YA = 0.24;    // [g COD / g N]
constexpr double fXI = 0.20;   // inert fraction of endogenous respiration
constexpr double iN_SI = 0.01; // [g N / g COD]
constexpr double iN_SS = 0.03;
constexpr double iN_XI = 0.02;
constexpr double iN_XS = 0.04;
constexpr double iN_BM = 0.07;
constexpr double iSS_XI = 0.75; // [g TSS / g COD]
constexpr double iSS_XS = 0.75;
constexpr double iSS_BM = 0.90;
constexpr double iSS_STO = 0.60;

// Kinetic parameters at 20 °C and 10 °C (Gujer et al., 1999).
constexpr ValuePair kH{3.0, 2.0};
constexpr ValuePair KX{1.0, 1.0};
constexpr ValuePair kSTO{5.0, 2.5};
constexpr double etaNOX = 0.6;
constexpr ValuePair KO2{0.2, 0.2};
constexpr ValuePair KNOX{0.5, 0.5};
constexpr ValuePair KS{2.0, 2.0};
constexpr ValuePair KSTO{1.0, 1.0};
constexpr ValuePair muH{2.0, 1.0};
constexpr ValuePair KNH4{0.01, 0.01};
constexpr ValuePair KALK{0.1, 0.1};
constexpr ValuePair bH_O2{0.2, 0.1};
constexpr ValuePair bH_NOX{0.1, 0.05};
constexpr ValuePair bSTO_O2{0.2, 0.1};
constexpr ValuePair bSTO_NOX{0.1, 0.05};
constexpr ValuePair muA{1.0, 0.35};
constexpr ValuePair KA_NH4{1.0, 1.0};
constexpr ValuePair KA_O2{0.5, 0.5};
constexpr ValuePair KA_ALK{0.5, 0.5};
constexpr ValuePair bA_O2{0.15, 0.05};
constexpr ValuePair bA_NOX{0.05, 0.02};

constexpr double kNitrateCod = 64.0 / 14.0;         // [g COD / g N], NH4 -> NOX
constexpr double kDenitrificationCod = 40.0 / 14.0; // [g COD / g N], NOX -> N2

// The coefficients below follow from the continuity of COD, N, charge and TSS, as in the
// paper; the composition check in tests/models verifies them.

void setAerobic(TModelDef& m, int p, const ValuePair& KO)
{
    SetDissolvedFactor(m, p, SO2, kMonodS, KO.at20, KO.theta());
}

void setAnoxic(TModelDef& m, int p, const ValuePair& KO)
{
    SetDissolvedFactor(m, p, SO2, kInhibitionS, KO.at20, KO.theta());
    SetDissolvedFactor(m, p, SNOX, kMonodS, KNOX.at20, KNOX.theta());
}

// An electron acceptor demand of `cod` [g COD], as oxygen or as NOX reduced to N2.
void consumeAcceptor(TModelDef& m, int p, double cod, bool anoxic)
{
    if (!anoxic) {
        m.NueS[p][SO2] = -cod;
        return;
    }
    const double nitrogen = cod / kDenitrificationCod;
    m.NueS[p][SNOX] = -nitrogen;
    m.NueS[p][SN2] = nitrogen;
}

// Ammonium released (negative: taken up) and the alkalinity that balances its charge and that
// of the NOX reduced.
void setNitrogenAndAlkalinity(TModelDef& m, int p, double ammonium)
{
    m.NueS[p][SNH4] = ammonium;
    m.NueS[p][SALK] = ammonium / 14.0 - m.NueS[p][SNOX] / 14.0;
}

void addStorage(TModelDef& m, int p, double yield, bool anoxic)
{
    SetDissolvedFactor(m, p, SS, kMonodS, KS.at20, KS.theta());
    SetParticulateFactor(m, p, XH, kFirstOrderX);
    m.NueS[p][SS] = -1.0;
    m.NueX[p][XSTO] = yield;
    consumeAcceptor(m, p, 1.0 - yield, anoxic);
    setNitrogenAndAlkalinity(m, p, iN_SS);
    m.NueX[p][XTS] = iSS_STO * yield;
}

void addHeterotrophicGrowth(TModelDef& m, int p, double yield, bool anoxic)
{
    SetDissolvedFactor(m, p, SNH4, kMonodS, KNH4.at20, KNH4.theta());
    SetDissolvedFactor(m, p, SALK, kMonodS, KALK.at20, KALK.theta());
    SetParticulateFactor(m, p, XH, kFirstOrderX);
    SetParticulateFactor(m, p, XSTO, kAdsorptionX, KSTO.at20, KSTO.theta(), XH);
    m.NueX[p][XH] = 1.0;
    m.NueX[p][XSTO] = -1.0 / yield;
    consumeAcceptor(m, p, 1.0 / yield - 1.0, anoxic);
    setNitrogenAndAlkalinity(m, p, -iN_BM);
    m.NueX[p][XTS] = iSS_BM - iSS_STO / yield;
}

void addEndogenousRespiration(TModelDef& m, int p, int biomass, bool anoxic)
{
    SetParticulateFactor(m, p, biomass, kFirstOrderX);
    m.NueX[p][biomass] = -1.0;
    m.NueX[p][XI] = fXI;
    consumeAcceptor(m, p, 1.0 - fXI, anoxic);
    setNitrogenAndAlkalinity(m, p, iN_BM - fXI * iN_XI);
    m.NueX[p][XTS] = fXI * iSS_XI - iSS_BM;
}

void addStorageRespiration(TModelDef& m, int p, bool anoxic)
{
    SetParticulateFactor(m, p, XSTO, kFirstOrderX);
    m.NueX[p][XSTO] = -1.0;
    consumeAcceptor(m, p, 1.0, anoxic);
    setNitrogenAndAlkalinity(m, p, 0.0);
    m.NueX[p][XTS] = -iSS_STO;
}

} // namespace

TModelDef MakeAsm3()
{
    TModelDef m;
    StartModel(
        m, "ASM3",
        {
            "IWA Activated Sludge Model No. 3: Gujer, Henze, Mino and van Loosdrecht,",
            "Water Science and Technology 39(1), 1999; also IWA STR No. 9, 2000.",
            "Parameters of the paper at 20 °C; theta = ln(k20/k10)/10 from its 10 °C values",
            "(0 where both values agree). Stoichiometry from COD, N, charge and TSS continuity:",
            "f_SI 0, Y_STO,O2 0.85, Y_STO,NOX 0.80, Y_H,O2 0.63, Y_H,NOX 0.54, Y_A 0.24,",
            "f_XI 0.20, i_N: S_I 0.01, S_S 0.03, X_I 0.02, X_S 0.04, biomass 0.07 g N/g COD,",
            "i_SS: X_I 0.75, X_S 0.75, biomass 0.90, X_STO 0.60 g TSS/g COD.",
            "COD of NOX 64/14 and of denitrification to N2 40/14 g/g N. S_NOX is nitrate plus",
            "nitrite. Anoxic respiration of autotrophs uses K_A,O2 and K_NOX (both 0.5).",
            "Alkalinity in mol HCO3-/m3. Influent: settled municipal wastewater.",
            "Component order, processes and factors: data/models/README.md.",
        },
        {
            {"Oxygen", "O2", 0.0, 2.0},
            {"Inert", "COD", 30.0, 30.0},
            {"Substrate", "COD", 60.0, 1.0},
            {"Ammonium", "N", 25.0, 1.0},
            {"Dinitrogen", "N", 0.0, 15.0},
            {"Nitrate", "N", 0.0, 10.0},
            {"Alkalinity", "mol", 5.0, 4.0},
        },
        {
            // TSS from the organic solids: 0.75 (X_I + X_S) + 0.90 (X_H + X_A) + 0.60 X_STO.
            {"Inert", "COD", 40.0, 1200.0},
            {"Substrate", "COD", 160.0, 100.0},
            {"Heterotr.", "COD", 30.0, 2000.0},
            {"Storage", "COD", 0.0, 100.0},
            {"Autotrophs", "COD", 0.0, 120.0},
            {"Solids", "TSS", 177.0, 2943.0},
        });

    int p = AddProcess(m, "Hydrolysis", kH.at20, kH.theta());
    SetParticulateFactor(m, p, XS, kAdsorptionX, KX.at20, KX.theta(), XH);
    SetParticulateFactor(m, p, XH, kFirstOrderX);
    m.NueX[p][XS] = -1.0;
    m.NueS[p][SI] = fSI;
    m.NueS[p][SS] = 1.0 - fSI;
    setNitrogenAndAlkalinity(m, p, iN_XS - fSI * iN_SI - (1.0 - fSI) * iN_SS);
    m.NueX[p][XTS] = -iSS_XS;

    p = AddProcess(m, "Aerobic storage of substrate", kSTO.at20, kSTO.theta());
    setAerobic(m, p, KO2);
    addStorage(m, p, YSTO_O2, false);

    p = AddProcess(m, "Anoxic storage of substrate", kSTO.at20 * etaNOX, kSTO.theta());
    setAnoxic(m, p, KO2);
    addStorage(m, p, YSTO_NOX, true);

    p = AddProcess(m, "Aerobic growth heterotrophs", muH.at20, muH.theta());
    setAerobic(m, p, KO2);
    addHeterotrophicGrowth(m, p, YH_O2, false);

    p = AddProcess(m, "Anoxic growth heterotrophs", muH.at20 * etaNOX, muH.theta());
    setAnoxic(m, p, KO2);
    addHeterotrophicGrowth(m, p, YH_NOX, true);

    p = AddProcess(m, "Aerobic resp. heterotrophs", bH_O2.at20, bH_O2.theta());
    setAerobic(m, p, KO2);
    addEndogenousRespiration(m, p, XH, false);

    p = AddProcess(m, "Anoxic resp. heterotrophs", bH_NOX.at20, bH_NOX.theta());
    setAnoxic(m, p, KO2);
    addEndogenousRespiration(m, p, XH, true);

    p = AddProcess(m, "Aerobic resp. storage", bSTO_O2.at20, bSTO_O2.theta());
    setAerobic(m, p, KO2);
    addStorageRespiration(m, p, false);

    p = AddProcess(m, "Anoxic resp. storage", bSTO_NOX.at20, bSTO_NOX.theta());
    setAnoxic(m, p, KO2);
    addStorageRespiration(m, p, true);

    p = AddProcess(m, "Aerobic growth autotrophs", muA.at20, muA.theta());
    setAerobic(m, p, KA_O2);
    SetDissolvedFactor(m, p, SNH4, kMonodS, KA_NH4.at20, KA_NH4.theta());
    SetDissolvedFactor(m, p, SALK, kMonodS, KA_ALK.at20, KA_ALK.theta());
    SetParticulateFactor(m, p, XA, kFirstOrderX);
    m.NueX[p][XA] = 1.0;
    m.NueS[p][SO2] = -(kNitrateCod - YA) / YA;
    m.NueS[p][SNOX] = 1.0 / YA;
    setNitrogenAndAlkalinity(m, p, -iN_BM - 1.0 / YA);
    m.NueX[p][XTS] = iSS_BM;

    p = AddProcess(m, "Aerobic resp. autotrophs", bA_O2.at20, bA_O2.theta());
    setAerobic(m, p, KA_O2);
    addEndogenousRespiration(m, p, XA, false);

    p = AddProcess(m, "Anoxic resp. autotrophs", bA_NOX.at20, bA_NOX.theta());
    setAnoxic(m, p, KA_O2);
    addEndogenousRespiration(m, p, XA, true);

    FinishModel(m);
    return m;
}

} // namespace narv::modelgen
