#pragma once

#include "model/ModelDef.h"

#include <cstdint>
#include <vector>

namespace narv {

// The rates of one compartment. S and X are the compartment's concentrations; the
// variable-order factors raise values below 1e-12 in them. kla [1/d] and o2Saturation are
// the compartment's aeration data. Results go to model.Rho, model.RS and model.RX.
//
// A zero denominator, an overflow or a non-finite value throws FloatingPointError and a
// second-species index outside 1..25 throws IndexError; the evaluation stops at once and no
// non-finite value is left in Rho, RS or RX. Nothing is allocated.

// Fills Rho[1..NP].
void ComputeProcessRates(TModelDef& model, SpeciesArray& S, SpeciesArray& X, double kla,
                         double o2Saturation);

// ComputeProcessRates, then RS[1..25] and RX[1..25] (aeration excluded).
void ComputeConversionRates(TModelDef& model, SpeciesArray& S, SpeciesArray& X, double kla,
                            double o2Saturation);

// ComputeProcessRates, then RS[1] alone: the oxygen conversion of all processes but aeration.
void ComputeOxygenRate(TModelDef& model, SpeciesArray& S, SpeciesArray& X, double kla,
                       double o2Saturation);

// The sparse form of a model's structure for the solvers' inner loop. It visits only the
// factors whose type is not 0 and the stoichiometric coefficients that are not 0, with the same
// arithmetic in the same order as the functions above, so its results are bit-identical to
// theirs. Parameters, exponents, second species and coefficients are read from the model at
// each call; build the plan again when counts, kinetic types or the zero pattern of the
// coefficients change (as a rule, at the start of every run).
class RatePlan {
public:
    explicit RatePlan(const TModelDef& model);

    void computeProcessRates(TModelDef& model, SpeciesArray& S, SpeciesArray& X, double kla,
                             double o2Saturation) const;
    void computeConversionRates(TModelDef& model, SpeciesArray& S, SpeciesArray& X, double kla,
                                double o2Saturation) const;
    void computeOxygenRate(TModelDef& model, SpeciesArray& S, SpeciesArray& X, double kla,
                           double o2Saturation) const;

private:
    struct Entry {
        std::uint8_t species; // 0-based
        std::uint8_t type;
        bool dissolved;
    };

    void checkCounts(const TModelDef& model) const;

    int m_ns = 0;
    int m_nx = 0;
    int m_np = 0;
    std::vector<Entry> m_factors;
    std::vector<int>
        m_factorStart; // factors of process p: [m_factorStart[p], m_factorStart[p + 1])
    std::vector<Entry> m_terms;
    std::vector<int> m_termStart;
    std::vector<int> m_oxygenProcesses; // processes with a coefficient on oxygen
};

} // namespace narv
