#include "SampleModels.h"

#include "model/Temperature.h"

#include <cmath>

namespace narv::testing {

TModelDef MakeCarbonNitrogenModel()
{
    TModelDef m;
    m.ProgramVersion = "NARV 1.0.0.0";
    m.ModelName = "Carbon and nitrogen removal";
    m.RemarkCount = 2;
    m.Remarks[1] =
        "Heterotrophic growth, nitrification, decay and hydrolysis after IWA ASM1 (1987),";
    m.Remarks[2] = "aerobic hydrolysis only; parameters at 20 °C.";
    m.NS = 7;
    m.NX = 6;
    m.NP = 9;
    // A two-character prefix, then a label of 14 characters: name at the left, unit at the right.
    const char* dissolved[] = {"S Oxygen      O2", "S Inert      COD", "S Substrate  COD",
                               "S Nitrate      N", "S Ammonium     N", "S Org. N       N",
                               "S Alkalinity mol"};
    const char* particulate[] = {"X Inert      COD", "X Slowly deg.COD", "X Heterotr.  COD",
                                 "X Autotrophs COD", "X Products   COD", "X Org. N       N"};
    for (int j = 1; j <= m.NS; ++j)
        m.NameS[j] = dissolved[j - 1];
    for (int j = 1; j <= m.NX; ++j)
        m.NameX[j] = particulate[j - 1];
    const char* processes[] = {"Aeration",
                               "Aerobic growth of heterotrophs",
                               "Anoxic growth of heterotrophs",
                               "Growth of autotrophs",
                               "Decay of heterotrophs",
                               "Decay of autotrophs",
                               "Ammonification",
                               "Hydrolysis",
                               "Hydrolysis of organic N"};
    for (int p = 1; p <= m.NP; ++p)
        m.ProcessName[p] = processes[p - 1];

    enum S { O2 = 1, SI, SS, SNO, SNH, SND, SALK };
    enum X { XI = 1, XS, XBH, XBA, XP, XND };
    const double YH = 0.67, YA = 0.24, fP = 0.08, iXB = 0.08, iXP = 0.06;

    m.Kr[1] = 1.0;
    // Aerobic growth of heterotrophs
    m.Kr[2] = 6.0;
    m.TypeS[2][SS] = 3, m.KS[2][SS] = 20.0;
    m.TypeS[2][O2] = 3, m.KS[2][O2] = 0.2;
    m.TypeX[2][XBH] = 1;
    m.NueS[2][SS] = -1.0 / YH, m.NueS[2][O2] = -(1.0 - YH) / YH, m.NueS[2][SNH] = -iXB;
    m.NueS[2][SALK] = -iXB / 14.0, m.NueX[2][XBH] = 1.0;
    // Anoxic growth of heterotrophs
    m.Kr[3] = 4.8;
    m.TypeS[3][SS] = 3, m.KS[3][SS] = 20.0;
    m.TypeS[3][O2] = 4, m.KS[3][O2] = 0.2;
    m.TypeS[3][SNO] = 3, m.KS[3][SNO] = 0.5;
    m.TypeX[3][XBH] = 1;
    m.NueS[3][SS] = -1.0 / YH, m.NueS[3][SNO] = -(1.0 - YH) / (2.86 * YH), m.NueS[3][SNH] = -iXB;
    m.NueS[3][SALK] = (1.0 - YH) / (14.0 * 2.86 * YH) - iXB / 14.0, m.NueX[3][XBH] = 1.0;
    // Growth of autotrophs
    m.Kr[4] = 0.8;
    m.TypeS[4][SNH] = 3, m.KS[4][SNH] = 1.0;
    m.TypeS[4][O2] = 3, m.KS[4][O2] = 0.4;
    m.TypeX[4][XBA] = 1;
    m.NueS[4][O2] = -(4.57 - YA) / YA, m.NueS[4][SNO] = 1.0 / YA, m.NueS[4][SNH] = -iXB - 1.0 / YA;
    m.NueS[4][SALK] = -iXB / 14.0 - 1.0 / (7.0 * YA), m.NueX[4][XBA] = 1.0;
    // Decay
    m.Kr[5] = 0.62;
    m.TypeX[5][XBH] = 1;
    m.NueX[5][XS] = 1.0 - fP, m.NueX[5][XBH] = -1.0, m.NueX[5][XP] = fP,
    m.NueX[5][XND] = iXB - fP * iXP;
    m.Kr[6] = 0.15;
    m.TypeX[6][XBA] = 1;
    m.NueX[6][XS] = 1.0 - fP, m.NueX[6][XBA] = -1.0, m.NueX[6][XP] = fP,
    m.NueX[6][XND] = iXB - fP * iXP;
    // Ammonification
    m.Kr[7] = 0.08;
    m.TypeS[7][SND] = 1, m.TypeX[7][XBH] = 1;
    m.NueS[7][SND] = -1.0, m.NueS[7][SNH] = 1.0, m.NueS[7][SALK] = 1.0 / 14.0;
    // Hydrolysis: (XS/XBH)/(KX + XS/XBH) XBH
    m.Kr[8] = 3.0;
    m.TypeS[8][O2] = 3, m.KS[8][O2] = 0.2;
    m.TypeX[8][XS] = 3, m.KX[8][XS] = 0.03, m.Compound2X[8][XS] = XBH;
    m.TypeX[8][XBH] = 1;
    m.NueS[8][SS] = 1.0, m.NueX[8][XS] = -1.0;
    // Hydrolysis of organic N, proportional to XND / XS
    m.Kr[9] = 3.0;
    m.TypeS[9][O2] = 3, m.KS[9][O2] = 0.2;
    m.TypeX[9][XS] = 2, m.KX[9][XS] = -1.0;
    m.TypeX[9][XBH] = 1;
    m.TypeX[9][XND] = 1;
    m.NueS[9][SND] = 1.0, m.NueX[9][XND] = -1.0;

    // Temperature coefficients from 20 °C / 10 °C value pairs: theta = ln(k20 / k10) / 10.
    m.ThetaKr[2] = m.ThetaKr[3] = std::log(6.0 / 3.0) / 10.0;
    m.ThetaKr[4] = std::log(0.8 / 0.3) / 10.0;
    m.ThetaKr[5] = m.ThetaKr[6] = std::log(0.62 / 0.2) / 10.0;
    m.ThetaKr[7] = std::log(0.08 / 0.04) / 10.0;
    m.ThetaKr[8] = m.ThetaKr[9] = std::log(3.0 / 1.0) / 10.0;
    m.ThetaKS[4][SNH] = 0.0;
    m.ThetaKX[8][XS] = std::log(0.03 / 0.01) / 10.0;
    m.BaseTemperature = 20.0;

    const double influentS[] = {0.0, 30.0, 70.0, 0.0, 30.0, 7.0, 7.0};
    const double influentX[] = {50.0, 200.0, 30.0, 0.0, 0.0, 10.0};
    const double initialS[] = {2.0, 30.0, 5.0, 10.0, 2.0, 1.0, 5.0};
    const double initialX[] = {1000.0, 100.0, 2000.0, 150.0, 500.0, 5.0};
    for (int j = 1; j <= m.NS; ++j) {
        m.InfluentS[j] = influentS[j - 1];
        m.InitialS[j] = initialS[j - 1];
    }
    for (int j = 1; j <= m.NX; ++j) {
        m.InfluentX[j] = influentX[j - 1];
        m.InitialX[j] = initialX[j - 1];
    }
    m.ThetaKr[1] = 0.0;
    ConvertToOperatingTemperature(m, m.BaseTemperature, m.BaseTemperature);
    return m;
}

void FillTypicalState(SpeciesArray& S, SpeciesArray& X)
{
    const TModelDef model = MakeCarbonNitrogenModel();
    S = model.InitialS;
    X = model.InitialX;
}

} // namespace narv::testing
