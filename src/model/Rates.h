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

class RatePlan;

namespace detail {
// One recorded factor: how it changes the running product r (op, read by the plan) with its
// operands; a product factor changes it to r * a * c / b, which gives the bits of r * a,
// r * a / b and r * a * a / b with 1 for the operands a factor does not have.
struct RecordedFactor {
    double a = 1.0;
    double b = 1.0;
    double c = 1.0;
    std::uint8_t op = 0;
};
struct RecordedProcess {
    double prefix = 0.0; // the running product before factor `first`
    int first = 0;       // index of the first factor not in the prefix
};
// A process an oxygen sub-step looks at, and evaluates unless the oxygen concentration lies in
// [0, limit] (limit < 0 for a process that is always evaluated). Where its only factor that
// reads oxygen or kla is the Monod (form 3) or inhibition term (form 4) of oxygen and the
// factors after it are all products, the sub-step forms prefix * (O or K) / (K + O) and then
// r * a * c / b for the recorded factors [tailBegin, tailEnd).
struct SubStepVisit {
    double limit = -1.0;
    double prefix = 0.0;
    double K = 0.0;
    int process = 0;
    int tailBegin = 0;
    int tailEnd = 0;
    std::uint8_t form = 0; // 0: replayed factor by factor
};
} // namespace detail

// What the oxygen sub-steps of one compartment reuse: for every process, the product of its
// factors up to the first one that reads oxygen or kla, and the operands of the factors after
// it that read neither, as an evaluation found them; and which processes a sub-step may leave
// alone. Valid while only oxygen and kla change.
class OxygenRateCache {
public:
    bool valid() const { return m_valid; }
    void invalidate() { m_valid = false; }

private:
    friend class RatePlan;
    std::vector<detail::RecordedFactor> m_factors;   // as the plan's factors
    std::vector<detail::RecordedProcess> m_processes; // by process number
    std::vector<double> m_rates;                      // as Rho
    std::vector<detail::SubStepVisit> m_visits;       // in process order
    std::vector<detail::SubStepVisit> m_evaluated;    // those of m_visits without a guard
    double m_guardLimit = -1.0; // where oxygen lies in [0, m_guardLimit], every guard holds
    bool m_valid = false;
};

// The sparse form of a model's structure for the solvers' inner loop. It visits only the
// factors whose type is not 0 (and, for the oxygen rate, the processes with a coefficient on
// oxygen), with the same arithmetic in the same order as the functions above, so its results
// are bit-identical to theirs. Parameters, exponents, second species and coefficients are read from the model at
// each call; build the plan again when counts, kinetic types or the zero pattern of the
// coefficients change (as a rule, at the start of every run).
//
// computeProcessRates and computeConversionRates return false when they raised a concentration
// to its floor: a second evaluation of the same state could then give other rates (a process
// before the one that raised it reads the raised value). Otherwise a second evaluation would
// give the same bits, and the caller may skip it.
class RatePlan {
public:
    explicit RatePlan(const TModelDef& model);

    bool computeProcessRates(TModelDef& model, SpeciesArray& S, SpeciesArray& X, double kla,
                             double o2Saturation) const;
    bool computeConversionRates(TModelDef& model, SpeciesArray& S, SpeciesArray& X, double kla,
                                double o2Saturation) const;
    void computeOxygenRate(TModelDef& model, SpeciesArray& S, SpeciesArray& X, double kla,
                           double o2Saturation) const;

    // Sizes a cache for this plan (the only allocation) and invalidates it.
    void prepare(OxygenRateCache& cache) const;
    // As computeConversionRates, and records the cache: valid when no floor was raised.
    void computeConversionRates(TModelDef& model, SpeciesArray& S, SpeciesArray& X, double kla,
                                double o2Saturation, OxygenRateCache& cache) const;
    // As computeOxygenRate, with the same bits in RS[1] and the same floors and errors, for a
    // compartment whose concentrations other than oxygen, and the model, have not changed since
    // the cache was recorded: replays the recorded factors and evaluates only those that read
    // oxygen or kla. A process without a coefficient on oxygen whose only such factor is a
    // Monod or inhibition term of oxygen is not evaluated at all where that provably cannot
    // fail; its Rho keeps the recorded value, the others get the plain evaluation's bits.
    // With an invalid cache, evaluates everything and records it.
    void computeOxygenRate(TModelDef& model, SpeciesArray& S, SpeciesArray& X, double kla,
                           double o2Saturation, OxygenRateCache& cache) const;

private:
    struct Entry {
        std::uint8_t species; // 0-based
        std::uint8_t type;
        bool dissolved;
    };

    void checkCounts(const TModelDef& model) const;
    template <bool Record>
    bool evaluate(TModelDef& model, SpeciesArray& S, SpeciesArray& X, double kla,
                  double o2Saturation, OxygenRateCache* cache) const;
    void replay(TModelDef& model, SpeciesArray& S, SpeciesArray& X, double kla,
                double o2Saturation, const OxygenRateCache& cache) const;
    double replayProcess(TModelDef& model, int p, SpeciesArray& S, SpeciesArray& X, double kla,
                         const OxygenRateCache& cache, bool& floored) const;
    double visitRate(TModelDef& model, const detail::SubStepVisit& visit, SpeciesArray& S,
                     SpeciesArray& X, double kla, const OxygenRateCache& cache,
                     bool& floored) const;
    void recordVisit(const TModelDef& model, int p, bool productForm,
                     OxygenRateCache& cache) const;
    void sumConversionRates(TModelDef& model) const;
    void sumOxygenRate(TModelDef& model) const;

    int m_ns = 0;
    int m_nx = 0;
    int m_np = 0;
    std::vector<Entry> m_factors;
    std::vector<int>
        m_factorStart; // factors of process p: [m_factorStart[p], m_factorStart[p + 1])
    std::vector<int> m_oxygenProcesses; // processes with a coefficient on oxygen
    std::vector<bool> m_oxygenCoefficient; // by process number
};

} // namespace narv
