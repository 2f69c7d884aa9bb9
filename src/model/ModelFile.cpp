#include "model/ModelFile.h"

#include "core/Error.h"
#include "core/Limits.h"
#include "core/NumberFormat.h"
#include "core/TextReader.h"
#include "core/TextUtil.h"
#include "core/TextWriter.h"

#include <fmt/format.h>

#include <ostream>

namespace narv {
namespace {

constexpr const char* kTemperatureKeyword = "Temperature koefficients";
constexpr const char* kBaseTemperatureKeyword = "Base temperature";
constexpr const char* kInfluentKeyword = "Influent concentrations";
constexpr const char* kInitialKeyword = "Typical initial conditions";

// E15: sign position, one digit, six decimals, four exponent digits.
std::string e15(double value)
{
    return FormatFileReal(value, 15);
}

// n integers right-aligned in at least 2 characters, each followed by a blank, then the label.
template <class Row> std::string integerLine(const Row& values, int count, const char* label)
{
    std::string line;
    for (int j = 1; j <= count; ++j)
        line += fmt::format("{:2d} ", values[j]);
    return line + label;
}

// E15 followed by a blank for each value, then the label.
template <class Row> std::string realLine(const Row& values, int count, const char* label)
{
    std::string line;
    for (int j = 1; j <= count; ++j)
        line.append(e15(values[j])).append(" ");
    return line + label;
}

// A blank then E15 for each value, then the label.
std::string concentrationLine(const SpeciesArray& values, int count, const char* label)
{
    std::string line;
    for (int j = 1; j <= count; ++j)
        line.append(" ").append(e15(values[j]));
    return line + label;
}

template <class Row> void readIntegers(TextReader& in, Row& values, int count)
{
    for (int j = 1; j <= count; ++j)
        values[j] = in.readInt();
    in.skipLine();
}

template <class Row> void readReals(TextReader& in, Row& values, int count)
{
    for (int j = 1; j <= count; ++j)
        values[j] = in.readReal();
    in.skipLine();
}

template <class Row, class Names>
void readConcentrations(TextReader& in, Row& values, int count, const Names& names,
                        const char* where)
{
    for (int j = 1; j <= count; ++j)
        values[j] = in.readConcentration(QuotedName(names[j]) + where);
    in.skipLine();
}

int readCount(TextReader& in, int low, int high, const char* what)
{
    const int value = in.readInt();
    if (value < low || value > high)
        throw RangeError(in.located(fmt::format(
            "the number of {} is {}; it must lie between {} and {}.", what, value, low, high)));
    return value;
}

bool isInteger(const std::string& text, int& value)
{
    return parseInteger(TrimBlanks(text), value);
}

} // namespace

void WriteModelText(std::ostream& out, const TModelDef& model)
{
    CheckModelCounts(model);
    if (model.RemarkCount < 0 || model.RemarkCount > MaxRemarks)
        throw RangeError(fmt::format("The model has {} remark lines; at most {} are allowed.",
                                     model.RemarkCount, MaxRemarks));
    const int n = model.NS;
    const int m = model.NX;
    const int P = model.NP;
    TextWriter w(out);
    w.line(model.ProgramVersion);
    w.line(model.ModelName);
    w.line(fmt::format("{}", model.RemarkCount));
    for (int i = 1; i <= model.RemarkCount; ++i)
        w.line(model.Remarks[i]);
    w.line(fmt::format("{:2d} {:2d} {:2d}", n, m, P));
    for (int j = 1; j <= n; ++j)
        w.line(model.NameS[j]);
    for (int j = 1; j <= m; ++j)
        w.line(model.NameX[j]);
    for (int p = 1; p <= P; ++p)
        w.line(model.ProcessName[p]);
    for (int p = 1; p <= P; ++p) {
        w.line(model.ProcessName[p]);
        w.line(integerLine(model.TypeS[p], n, "Type S"));
        w.line(integerLine(model.TypeX[p], m, "Type X"));
        w.line(integerLine(model.Compound2S[p], n, "Compound 2 S"));
        w.line(integerLine(model.Compound2X[p], m, "Compound 2 X"));
        w.line(realLine(model.NueS[p], n, "Nue S"));
        w.line(realLine(model.NueX[p], m, "Nue X"));
        w.line(e15(model.Kr[p]) + " Rate");
        w.line(realLine(model.KS[p], n, "Ks"));
        w.line(realLine(model.KX[p], m, "Kx"));
    }
    w.line(kTemperatureKeyword);
    for (int p = 2; p <= P; ++p) {
        w.line(model.ProcessName[p]);
        w.line(e15(model.ThetaKr[p]) + " Rate");
        w.line(realLine(model.ThetaKS[p], n, "Ks"));
        w.line(realLine(model.ThetaKX[p], m, "Kx"));
    }
    w.line(kBaseTemperatureKeyword);
    w.line(e15(model.BaseTemperature));
    w.line(kInfluentKeyword);
    w.line(concentrationLine(model.InfluentS, n, " S"));
    w.line(concentrationLine(model.InfluentX, m, " X"));
    w.line(kInitialKeyword);
    w.line(concentrationLine(model.InitialS, n, " S"));
    w.line(concentrationLine(model.InitialX, m, " X"));
    if (!out)
        throw IoError("Write error while saving the model.");
}

void ReadModelText(TextReader& in, TModelDef& model)
{
    model.ProgramVersion = in.readLine();
    model.ModelName = in.readLine();

    // Files of the oldest layout have five remark lines and no count.
    model.Remarks[1] = in.readLine();
    int remarkCount = 0;
    if (!isInteger(model.Remarks[1], remarkCount)) {
        for (int i = 2; i <= 5; ++i)
            model.Remarks[i] = in.readLine();
        model.RemarkCount = 5;
    } else {
        if (remarkCount < 0 || remarkCount > MaxRemarks) {
            throw RangeError(fmt::format(
                "{}, line 3: the number of remark lines is {}; it must lie between 0 and {}.",
                in.sourceName(), remarkCount, MaxRemarks));
        }
        model.RemarkCount = remarkCount;
        for (int i = 1; i <= remarkCount; ++i)
            model.Remarks[i] = in.readLine();
    }

    model.NS = readCount(in, 1, MaxSpecies, "dissolved species");
    model.NX = readCount(in, 0, MaxSpecies, "particulate species");
    model.NP = readCount(in, 1, MaxProcesses, "processes");
    in.skipLine();
    const int n = model.NS;
    const int m = model.NX;
    const int P = model.NP;

    for (int j = 1; j <= n; ++j)
        model.NameS[j] = in.readLine();
    for (int j = 1; j <= m; ++j)
        model.NameX[j] = in.readLine();
    for (int p = 1; p <= P; ++p)
        model.ProcessName[p] = in.readLine();

    for (int p = 1; p <= P; ++p) {
        in.readLine(); // the process name again
        readIntegers(in, model.TypeS[p], n);
        readIntegers(in, model.TypeX[p], m);
        readIntegers(in, model.Compound2S[p], n);
        readIntegers(in, model.Compound2X[p], m);
        readReals(in, model.NueS[p], n);
        readReals(in, model.NueX[p], m);
        model.Kr[p] = in.readReal();
        in.skipLine();
        readReals(in, model.KS[p], n);
        readReals(in, model.KX[p], m);
    }

    in.readLine(); // "Temperature koefficients"
    for (int p = 2; p <= P; ++p) {
        in.readLine();
        model.ThetaKr[p] = in.readReal();
        in.skipLine();
        readReals(in, model.ThetaKS[p], n);
        readReals(in, model.ThetaKX[p], m);
    }

    in.readLine(); // "Base temperature"
    model.BaseTemperature = in.readReal(kMinTemperature, kMaxTemperature, "the base temperature");
    in.skipLine();

    in.readLine(); // "Influent concentrations"
    readConcentrations(in, model.InfluentS, n, model.NameS, " in the influent");
    readConcentrations(in, model.InfluentX, m, model.NameX, " in the influent");

    in.readLine(); // "Typical initial conditions"
    readConcentrations(in, model.InitialS, n, model.NameS, " in the initial conditions");
    readConcentrations(in, model.InitialX, m, model.NameX, " in the initial conditions");
}

} // namespace narv
