#include "plant/MassBalance.h"

#include "core/Error.h"

#include <fmt/format.h>

#include <array>
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace narv {
namespace {

double ratio(double flow, const TPlantDef& plant, int c, const char* what)
{
    const double volume = plant.Volume[c];
    if (volume == 0.0)
        throw FloatingPointError(
            fmt::format("Compartment {} has a volume of 0; every compartment in use needs a "
                        "positive volume.",
                        c));
    const double value = flow / volume;
    if (!std::isfinite(value))
        throw FloatingPointError(fmt::format("The {} of compartment {} is not finite.", what, c));
    return value;
}

// The dissolved transport terms (steps 2 to 6) for any dissolved species, oxygen included,
// added to d in the order of the equations.
double dissolvedTransport(double d, const TModelDef& model, const TPlantDef& plant,
                          const TPlantState& state, const FlowRatioTable& ratios,
                          const UpstreamRow& up, int i, int j)
{
    const auto S = [&](int c) { return state.S[c][j]; };
    const double own = S(i);
    const int kq = plant.InfluentReactor;
    if (i == kq)
        d = d + ratios.q1[i] * (model.InfluentS[j] - own);
    else if (i > kq)
        d = d + ratios.q1[i] * (S(up[i]) - own);
    if (plant.SludgeSeparation) {
        const int kr = plant.ReturnReactor;
        if (i > kr)
            d = d + ratios.r[i] * (S(up[i]) - own);
        else if (i == kr)
            d = d + ratios.r[i] * (S(plant.ReactorCount) - own);
    }
    if (plant.RecircActive) {
        const int kf = plant.RecircFrom;
        const int kt = plant.RecircTo;
        if (kt < i && i <= kf)
            d = d + ratios.z1[i] * (S(up[i]) - own);
        else if (i == kt)
            d = d + ratios.z1[i] * (S(kf) - own);
        if (plant.Recirc2Flow > 0.0) {
            const int kf2 = plant.Recirc2From;
            const int kt2 = plant.Recirc2To;
            if (kt2 < i && i <= kf2)
                d = d + ratios.z2[i] * (S(up[i]) - own);
            else if (i == kt2)
                d = d + ratios.z2[i] * (S(kf2) - own);
        }
    }
    if (plant.Influent2Enabled && plant.Influent2Flow > 0.0) {
        const int kq2 = plant.Influent2Reactor;
        if (i == kq2)
            d = d + ratios.q2[i] * (plant.SIn2[j] - own);
        else if (i > kq2)
            d = d + ratios.q2[i] * (S(up[i]) - own);
    }
    return d;
}

UpstreamRow serialUpstream()
{
    UpstreamRow up;
    for (int k = 1; k <= MaxCompartments; ++k)
        up[k] = k - 1;
    return up;
}

} // namespace

const UpstreamRow kSerialUpstream = serialUpstream();

void FlowRatios(const TPlantDef& plant, FlowRatioTable& ratios)
{
    for (int c = 1; c <= plant.CompartmentCount; ++c) {
        ratios.q1[c] = ratio(plant.InfluentFlow, plant, c, "1st influent flow per volume");
        ratios.q2[c] = ratio(plant.Influent2Flow, plant, c, "2nd influent flow per volume");
        ratios.r[c] = ratio(plant.ReturnFlow, plant, c, "return-sludge flow per volume");
        ratios.z1[c] = ratio(plant.RecircFlow, plant, c, "recirculation flow per volume");
        ratios.z2[c] = ratio(plant.Recirc2Flow, plant, c, "2nd recirculation flow per volume");
    }
}

void InfluentReturnRecircRatios(const TPlantDef& plant, FlowRatioTable& ratios)
{
    for (int c = 1; c <= plant.CompartmentCount; ++c) {
        ratios.q1[c] = ratio(plant.InfluentFlow, plant, c, "1st influent flow per volume");
        ratios.r[c] = ratio(plant.ReturnFlow, plant, c, "return-sludge flow per volume");
        ratios.z1[c] = ratio(plant.RecircFlow, plant, c, "recirculation flow per volume");
    }
}

double ExcessSludgeTerm(const TModelDef& model, const TPlantDef& plant, const TPlantState& state)
{
    double mass = 0.0;
    for (int i = 1; i <= plant.ReactorCount; ++i)
        mass += TotalParticulate(model, state, i) * plant.Volume[i];
    const double leaving = TotalParticulate(model, state, plant.ReactorCount);
    if (!(leaving > 0.0))
        return plant.ExcessRate;
    const double w = plant.ExcessRate * mass / (leaving * plant.Volume[plant.ReturnReactor]);
    if (!std::isfinite(w))
        throw FloatingPointError(
            "The excess-sludge term is not finite; check the volume of the reactor that "
            "receives the return sludge.");
    return w;
}

namespace {
// d[j] = d[j] + ratio * (source[j] - own[j]), d[j] = d[j] + (factor * source[j] - ratio *
// own[j]) and d[j] = d[j] + ratio * source[j] for j in [begin, end): two species at a time in
// vector registers, each with the operations of the scalar form.
inline void addThrough(double* d, const double* source, const double* own, double ratio,
                       int begin, int end)
{
    int j = begin;
#if defined(__SSE2__)
    const __m128d r = _mm_set1_pd(ratio);
    for (; j + 2 <= end; j += 2) {
        const __m128d difference = _mm_sub_pd(_mm_loadu_pd(source + j), _mm_loadu_pd(own + j));
        _mm_storeu_pd(d + j, _mm_add_pd(_mm_loadu_pd(d + j), _mm_mul_pd(r, difference)));
    }
#endif
    for (; j < end; ++j)
        d[j] = d[j] + ratio * (source[j] - own[j]);
}

inline void addReturn(double* d, const double* source, const double* own, double ratio,
                      double factor, int end)
{
    int j = 0;
#if defined(__SSE2__)
    const __m128d r = _mm_set1_pd(ratio);
    const __m128d f = _mm_set1_pd(factor);
    for (; j + 2 <= end; j += 2) {
        const __m128d term = _mm_sub_pd(_mm_mul_pd(f, _mm_loadu_pd(source + j)),
                                        _mm_mul_pd(r, _mm_loadu_pd(own + j)));
        _mm_storeu_pd(d + j, _mm_add_pd(_mm_loadu_pd(d + j), term));
    }
#endif
    for (; j < end; ++j)
        d[j] = d[j] + (factor * source[j] - ratio * own[j]);
}

inline void addJoining(double* d, const double* source, double ratio, int end)
{
    int j = 0;
#if defined(__SSE2__)
    const __m128d r = _mm_set1_pd(ratio);
    for (; j + 2 <= end; j += 2)
        _mm_storeu_pd(d + j,
                      _mm_add_pd(_mm_loadu_pd(d + j), _mm_mul_pd(r, _mm_loadu_pd(source + j))));
#endif
    for (; j < end; ++j)
        d[j] = d[j] + ratio * source[j];
}

inline void copyRow(double* d, const double* source, int begin, int end)
{
    for (int j = begin; j < end; ++j)
        d[j] = source[j];
}

// One transport term of a reactor: d + ratio * (source[j] - own) (Through), d + (factor *
// source[j] - ratio * own) (Return), d + ratio * source[j] (Joining).
struct TransportTerm {
    enum Kind { Through, Return, Joining } kind;
    double ratio;
    double factor;
    const SpeciesArray* source;
};
} // namespace

void DissolvedTransportTerms(const TModelDef& model, const TPlantDef& plant,
                             const TPlantState& state, const FlowRatioTable& ratios,
                             const UpstreamRow& up, int reactor, DissolvedTransport& terms)
{
    // In the order of dissolvedTransport.
    const int i = reactor;
    const auto& S = state.S;
    int count = 0;
    const auto add = [&](double ratio, const SpeciesArray& source) {
        terms.ratio[static_cast<std::size_t>(count)] = ratio;
        terms.source[static_cast<std::size_t>(count)] = source.data();
        ++count;
    };
    const int kq = plant.InfluentReactor;
    if (i == kq)
        add(ratios.q1[i], model.InfluentS);
    else if (i > kq)
        add(ratios.q1[i], S[up[i]]);
    if (plant.SludgeSeparation) {
        const int kr = plant.ReturnReactor;
        if (i > kr)
            add(ratios.r[i], S[up[i]]);
        else if (i == kr)
            add(ratios.r[i], S[plant.ReactorCount]);
    }
    if (plant.RecircActive) {
        const int kf = plant.RecircFrom;
        const int kt = plant.RecircTo;
        if (kt < i && i <= kf)
            add(ratios.z1[i], S[up[i]]);
        else if (i == kt)
            add(ratios.z1[i], S[kf]);
        if (plant.Recirc2Flow > 0.0) {
            const int kf2 = plant.Recirc2From;
            const int kt2 = plant.Recirc2To;
            if (kt2 < i && i <= kf2)
                add(ratios.z2[i], S[up[i]]);
            else if (i == kt2)
                add(ratios.z2[i], S[kf2]);
        }
    }
    if (plant.Influent2Enabled && plant.Influent2Flow > 0.0) {
        const int kq2 = plant.Influent2Reactor;
        if (i == kq2)
            add(ratios.q2[i], plant.SIn2);
        else if (i > kq2)
            add(ratios.q2[i], S[up[i]]);
    }
    terms.count = count;
}

void ReactorDerivatives(const TModelDef& model, const TPlantDef& plant, const TPlantState& state,
                        const FlowRatioTable& ratios, double excessSludge, const UpstreamRow& up,
                        int reactor, int firstDissolved, SpeciesArray& dS, SpeciesArray& dX,
                        DissolvedTransport* dissolvedTerms)
{
    using T = TransportTerm;
    const int i = reactor;
    const int last = plant.ReactorCount;
    const int kq = plant.InfluentReactor;
    const int kr = plant.ReturnReactor;
    const bool recirc2 = plant.RecircActive && plant.Recirc2Flow > 0.0;
    const bool influent2 = plant.Influent2Enabled && plant.Influent2Flow > 0.0;
    if (model.NS < 0 || model.NS > MaxSpecies || model.NX < 0 || model.NX > MaxSpecies ||
        firstDissolved < 1)
        throw IndexError(fmt::format("Species {}..{} and 1..{} lie outside 1..{}.",
                                     firstDissolved, model.NS, model.NX, MaxSpecies));

    // Dissolved species. Term by term over all species: each derivative still gets its terms
    // in their order, and the species go two at a time.
    DissolvedTransport local;
    DissolvedTransport& dissolved = dissolvedTerms ? *dissolvedTerms : local;
    DissolvedTransportTerms(model, plant, state, ratios, up, i, dissolved);
    {
        const int begin = firstDissolved - 1;
        const int end = model.NS;
        const double* own = state.S[i].data();
        double* d = dS.data();
        copyRow(d, model.RS.data(), begin, end);
        for (int k = 0; k < dissolved.count; ++k)
            addThrough(d, dissolved.source[static_cast<std::size_t>(k)], own,
                       dissolved.ratio[static_cast<std::size_t>(k)], begin, end);
    }

    std::array<TransportTerm, 6> terms; // the first `count` are set
    int count = 0;
    const auto add = [&](TransportTerm term) { terms[static_cast<std::size_t>(count++)] = term; };

    // Particulate species, in the order of ParticulateDerivative.
    const auto& X = state.X;
    if (i == kq)
        add({T::Through, ratios.q1[i], 0.0, &model.InfluentX});
    else if (i > kq)
        add({T::Through, ratios.q1[i], 0.0, &X[up[i]]});
    if (plant.SludgeSeparation) {
        if (i == kr)
            add({T::Return, ratios.r[i], ratios.r[i] + ratios.q1[i] - excessSludge, &X[last]});
        else if (i > kr)
            add({T::Through, ratios.r[i], 0.0, &X[up[i]]});
    }
    if (plant.RecircActive) {
        const int kf = plant.RecircFrom;
        const int kt = plant.RecircTo;
        if (i == kt)
            add({T::Through, ratios.z1[i], 0.0, &X[kf]});
        else if (kt < i && i <= kf)
            add({T::Through, ratios.z1[i], 0.0, &X[up[i]]});
        if (recirc2) {
            const int kf2 = plant.Recirc2From;
            const int kt2 = plant.Recirc2To;
            if (i == kt2)
                add({T::Through, ratios.z2[i], 0.0, &X[kf2]});
            else if (kt2 < i && i <= kf2)
                add({T::Through, ratios.z2[i], 0.0, &X[up[i]]});
        }
    }
    if (influent2) {
        const int kq2 = plant.Influent2Reactor;
        if (i == kq2)
            add({T::Through, ratios.q2[i], 0.0, &plant.XIn2});
        else if (i > kq2)
            add({T::Through, ratios.q2[i], 0.0, &X[up[i]]});
        if (plant.SludgeSeparation && i == kr)
            add({T::Joining, ratios.q2[i], 0.0, &X[last]});
    }
    const int end = model.NX;
    const double* own = X[i].data();
    double* d = dX.data();
    copyRow(d, model.RX.data(), 0, end);
    for (int k = 0; k < count; ++k) {
        const TransportTerm& t = terms[static_cast<std::size_t>(k)];
        switch (t.kind) {
        case T::Through:
            addThrough(d, t.source->data(), own, t.ratio, 0, end);
            break;
        case T::Return:
            addReturn(d, t.source->data(), own, t.ratio, t.factor, end);
            break;
        case T::Joining:
            addJoining(d, t.source->data(), t.ratio, end);
            break;
        }
    }
}

double DissolvedDerivative(const TModelDef& model, const TPlantDef& plant, const TPlantState& state,
                           const FlowRatioTable& ratios, const UpstreamRow& up, int reactor,
                           int species)
{
    return dissolvedTransport(model.RS[species], model, plant, state, ratios, up, reactor,
                              species);
}

double OxygenDerivative(const TModelDef& model, const TPlantDef& plant, const TPlantState& state,
                        const FlowRatioTable& ratios, const UpstreamRow& up, int reactor)
{
    return dissolvedTransport(model.RS[1] + model.Rho[1], model, plant, state, ratios, up, reactor,
                              1);
}

double ParticulateDerivative(const TModelDef& model, const TPlantDef& plant,
                             const TPlantState& state, const FlowRatioTable& ratios,
                             double excessSludge, const UpstreamRow& up, int reactor, int species)
{
    const int i = reactor;
    const int j = species;
    const auto X = [&](int c) { return state.X[c][j]; };
    const double own = X(i);
    const int last = plant.ReactorCount;
    double d = model.RX[j];
    const int kq = plant.InfluentReactor;
    if (i == kq)
        d = d + ratios.q1[i] * (model.InfluentX[j] - own);
    else if (i > kq)
        d = d + ratios.q1[i] * (X(up[i]) - own);
    if (plant.SludgeSeparation) {
        // The clarifier separates completely: what leaves the last reactor with R and Q comes
        // back with the return sludge, less the excess sludge.
        const int kr = plant.ReturnReactor;
        if (i == kr)
            d = d + ((ratios.r[i] + ratios.q1[i] - excessSludge) * X(last) - ratios.r[i] * own);
        else if (i > kr)
            d = d + ratios.r[i] * (X(up[i]) - own);
    }
    if (plant.RecircActive) {
        const int kf = plant.RecircFrom;
        const int kt = plant.RecircTo;
        if (i == kt)
            d = d + ratios.z1[i] * (X(kf) - own);
        else if (kt < i && i <= kf)
            d = d + ratios.z1[i] * (X(up[i]) - own);
        if (plant.Recirc2Flow > 0.0) {
            const int kf2 = plant.Recirc2From;
            const int kt2 = plant.Recirc2To;
            if (i == kt2)
                d = d + ratios.z2[i] * (X(kf2) - own);
            else if (kt2 < i && i <= kf2)
                d = d + ratios.z2[i] * (X(up[i]) - own);
        }
    }
    if (plant.Influent2Enabled && plant.Influent2Flow > 0.0) {
        const int kq2 = plant.Influent2Reactor;
        if (i == kq2)
            d = d + ratios.q2[i] * (plant.XIn2[j] - own);
        else if (i > kq2)
            d = d + ratios.q2[i] * (X(up[i]) - own);
        if (plant.SludgeSeparation && i == plant.ReturnReactor)
            d = d + ratios.q2[i] * X(last);
    }
    return d;
}

double ClarifierDerivative(const TPlantState& state, const FlowRatioTable& ratios,
                           const UpstreamRow& up, int compartment, int species)
{
    return ratios.q1[compartment] *
           (state.S[up[compartment]][species] - state.S[compartment][species]);
}

} // namespace narv
