#include "graphics/FlowschemePicture.h"

#include "core/Error.h"
#include "core/NumberFormat.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace narv {

std::vector<PictureLine> FlowschemePicture::lines() const
{
    std::vector<PictureLine> result;
    for (const PictureItem& item : items)
        if (const auto* line = std::get_if<PictureLine>(&item))
            result.push_back(*line);
    return result;
}

std::vector<PictureText> FlowschemePicture::texts() const
{
    std::vector<PictureText> result;
    for (const PictureItem& item : items)
        if (const auto* text = std::get_if<PictureText>(&item))
            result.push_back(*text);
    return result;
}

int PictureFontPoints(double size)
{
    return static_cast<int>(std::lround(8.0 * size));
}

PicturePixel ToPixel(double x, double y, int width, int height)
{
    const double w = static_cast<double>(width - kPictureRightMargin);
    return {static_cast<int>(std::lround(w * x)),
            static_cast<int>(std::lround(static_cast<double>(height) * y))};
}

BasinGeometry DivideBasin(const TPlantDef& plant, int first, int last, double x0, double x1)
{
    BasinGeometry basin;
    const int count = std::max(0, last - first + 1);
    double sum = 0.0;
    for (int i = first; i <= last; ++i)
        sum += plant.Volume[i];
    const double span = x1 - x0;
    double left = x0;
    for (int i = first; i <= last; ++i) {
        // Without volumes (never in a valid plant) the reactors share the basin equally.
        const double share = sum > 0.0 ? plant.Volume[i] / sum : 1.0 / count;
        const double right = left + span * share;
        basin.right.push_back(right);
        basin.centre.push_back((left + right) / 2.0);
        basin.quarter.push_back(span * share / 4.0);
        left = right;
    }
    return basin;
}

namespace {

constexpr double kTextSize = 1.2;

class Painter {
public:
    explicit Painter(FlowschemePicture& picture) : m_picture(picture) {}

    void line(double x1, double y1, double x2, double y2, PicturePen pen = PicturePen::Solid)
    {
        m_picture.items.emplace_back(PictureLine{x1, y1, x2, y2, pen});
    }
    void rectangle(double x1, double y1, double x2, double y2)
    {
        line(x1, y1, x2, y1);
        line(x2, y1, x2, y2);
        line(x2, y2, x1, y2);
        line(x1, y2, x1, y1);
    }
    void text(double x, double y, std::string text, double size = kTextSize,
              TextAnchorX anchorX = TextAnchorX::Left, TextAnchorY anchorY = TextAnchorY::Bottom)
    {
        m_picture.items.emplace_back(PictureText{x, y, std::move(text), size, anchorX, anchorY});
    }

private:
    FlowschemePicture& m_picture;
};

std::string flow(double value)
{
    return FormatFixed(8, 2, value);
}

// The basin of reactors first..last with the dotted boundaries between them.
void drawBasin(Painter& p, const BasinGeometry& basin, double x0, double x1, double y0, double y1)
{
    p.rectangle(x0, y0, x1, y1);
    for (std::size_t i = 0; i + 1 < basin.right.size(); ++i)
        p.line(basin.right[i], y0, basin.right[i], y1, PicturePen::Dotted);
}

void drawReactorNumbers(Painter& p, const BasinGeometry& basin, int first, double y)
{
    for (std::size_t i = 0; i < basin.centre.size(); ++i)
        p.text(basin.centre[i], y, std::to_string(first + static_cast<int>(i)), kTextSize,
               TextAnchorX::Centre, TextAnchorY::Bottom);
}

// Volume, oxygen setpoint and kla per compartment; rows[0..3] are the y of the four rows.
void drawCompartmentTable(Painter& p, const TPlantDef& plant, const double (&rows)[4])
{
    const int n = plant.CompartmentCount;
    double size = 1.0;
    double step = 0.11;
    double origin = 0.1;
    if (n >= 13) {
        size = 0.75;
        step = 0.055;
    } else if (n >= 7) {
        size = 0.9;
        step = 0.08;
    }
    if (n >= 7) // the compact table moves left as far as its last column needs
        origin = std::clamp(0.97 - step * n, 0.0, 0.1);
    const double clarOffset = 0.03 * step / 0.11;
    p.text(origin, rows[0], "Reactor", size);
    p.text(origin, rows[1], "Volume ", size);
    p.text(origin, rows[2], "O2 Conc.", size);
    p.text(origin, rows[3], "Kla Value", size);
    for (int k = 1; k <= n; ++k) {
        const double x = origin + step * k;
        if (k <= plant.ReactorCount)
            p.text(x, rows[0], fmt::format("{:>6}", k), size);
        else
            p.text(x + clarOffset, rows[0], fmt::format("Clar.{}", k - plant.ReactorCount), size);
        p.text(x, rows[1], FormatFixed(8, 2, plant.Volume[k]), size);
        if (k <= plant.ReactorCount) {
            const double setpoint = plant.O2Setpoint[k];
            p.text(x, rows[2], setpoint > 0.0 ? FormatFixed(8, 2, setpoint) : "     -", size);
            p.text(x, rows[3], setpoint != 0.0 ? "     -" : FormatFixed(8, 1, plant.Kla[k]), size);
        }
    }
}

void drawOperatingTexts(Painter& p, const TPlantDef& plant)
{
    if (plant.ControlLoopsActive)
        p.text(0.68, 0.22, "Contol loops active!");
    p.text(0.68, 0.26, "O2 saturation");
    p.text(0.85, 0.26, fmt::format("={}", FormatFixed(6, 2, plant.O2Saturation)));
}

// An internal recirculation leaving the basin's bottom edge (y = bottom) at xFrom and entering
// it at xTo, its line at y = level; the short label keeps a label right of the middle inside.
void drawRecirculation(Painter& p, double xTo, double xFrom, double bottom, double level,
                       const std::string& shortLabel, const std::string& longLabel,
                       double flowValue)
{
    p.line(xTo, level, xFrom, level);
    p.line(xTo, bottom, xTo, level);
    p.line(xFrom, bottom, xFrom, level);
    const double labelX = xTo + 0.015;
    p.text(labelX, level,
           fmt::format("{}{}", labelX > 0.5 ? shortLabel : longLabel, flow(flowValue)));
}

} // namespace

FlowschemePicture BuildFlowschemePicture(const TPlantDef& plant)
{
    FlowschemePicture picture;
    Painter p(picture);
    const int nR = plant.ReactorCount;
    const BasinGeometry basin = DivideBasin(plant, 1, nR, 0.1, 0.6);
    // A reactor index outside the plant (a damaged plant) must not read beyond the basin.
    const auto index = [&](int i) {
        if (i < 1 || i > nR)
            throw RangeError(fmt::format("The flowscheme names reactor {}, but the plant has "
                                         "reactors 1 to {}.",
                                         i, nR));
        return static_cast<std::size_t>(i - 1);
    };
    const auto c = [&](int i) { return basin.centre[index(i)]; };
    const auto q = [&](int i) { return basin.quarter[index(i)]; };

    p.text(0.5, 0.102, "Flowscheme of the plant", 3.0, TextAnchorX::Centre, TextAnchorY::Middle);
    drawBasin(p, basin, 0.1, 0.6, 0.4, 0.6);

    if (plant.InfluentFlow > 0.0) {
        const int k = plant.InfluentReactor;
        p.line(0.05, 0.32, c(k) - q(k), 0.32);
        p.line(c(k) - q(k), 0.32, c(k) - q(k), 0.4);
        p.text(0.05, 0.29, fmt::format("Influent   = {}", flow(plant.InfluentFlow)));
        if (plant.ReturnFlow == 0.0)
            p.text(0.87, 0.55, "Effluent");
    }
    if (plant.Influent2Flow > 0.0) {
        const int k = plant.Influent2Reactor;
        p.line(0.05, 0.24, c(k) + q(k), 0.24);
        p.line(c(k) + q(k), 0.24, c(k) + q(k), 0.4);
        p.text(0.05, 0.21, fmt::format("2.Influent = {}", flow(plant.Influent2Flow)));
    }

    drawCompartmentTable(p, plant, {0.8, 0.85, 0.9, 0.95});
    drawOperatingTexts(p, plant);

    if (plant.RecircActive) {
        drawRecirculation(p, c(plant.RecircTo) + q(plant.RecircTo),
                          c(plant.RecircFrom) + q(plant.RecircFrom), 0.6, 0.65,
                          "Rec1=", "1.Recirculation = ", plant.RecircFlow);
        if (plant.Recirc2Flow > 0.0)
            drawRecirculation(p, c(plant.Recirc2To) + q(plant.Recirc2To),
                              c(plant.Recirc2From) + q(plant.Recirc2From), 0.6, 0.675,
                              "Rec2=", "2.Recirculation = ", plant.Recirc2Flow);
    }

    if (plant.SludgeSeparation) {
        const int k = plant.ReturnReactor;
        const double x = c(k) - q(k);
        p.line(x, 0.7, 0.8, 0.7);
        p.line(x, 0.6, x, 0.7);
        p.line(0.8, 0.6, 0.8, 0.7);
        p.text(0.5, 0.74, fmt::format("Returnsludge = {}", flow(plant.ReturnFlow)));
        p.text(0.68, 0.3, "Sludgeage,SRT");
        p.text(0.85, 0.3, fmt::format("={}", FormatFixed(6, 2, plant.SludgeAge)));
        p.line(0.8, 0.6, 0.7, 0.4);
        p.line(0.8, 0.6, 0.9, 0.4);
        p.line(0.6, 0.5, 0.75, 0.5);
        if (plant.InfluentFlow > 0.0) {
            p.line(0.87, 0.465, 0.95, 0.465);
            p.text(0.88, 0.51, "Effluent");
        }
        p.text(0.8, 0.38, "Secondary clarifier", kTextSize, TextAnchorX::Centre);
        p.line(0.725, 0.45, 0.875, 0.45, PicturePen::Dotted);
    } else if (plant.InfluentFlow > 0.0) {
        p.line(0.6, 0.5, 0.95, 0.5);
    }

    drawReactorNumbers(p, basin, 1, 0.5);
    return picture;
}

FlowschemePicture BuildAIFlowschemePicture(const TPlantDef& plant, const TAIPlant& ai)
{
    // The polyvalent chain on the left, the two lanes one above the other in the middle, the
    // post-aeration chain and the clarifier on the right; the flows below as in the standard
    // picture.
    constexpr double kPolyLeft = 0.05, kPolyRight = 0.3;
    constexpr double kLaneLeft = 0.35, kLaneRight = 0.55;
    constexpr double kPostLeft = 0.6, kPostRight = 0.7;
    constexpr double kTop = 0.4, kBottom = 0.6, kMiddle = 0.5;
    constexpr double kLane1Top = 0.33, kLane1Bottom = 0.45;
    constexpr double kLane2Top = 0.55, kLane2Bottom = 0.67;
    constexpr double kLane1Flow = (kLane1Top + kLane1Bottom) / 2.0;
    constexpr double kLane2Flow = (kLane2Top + kLane2Bottom) / 2.0;
    constexpr double kSplit = (kPolyRight + kLaneLeft) / 2.0;
    constexpr double kJoin = (kLaneRight + kPostLeft) / 2.0;
    constexpr double kApex = 0.82; // bottom of the clarifier, where the return sludge leaves

    FlowschemePicture picture;
    Painter p(picture);
    const int P = ai.PolyvalentCount;
    const int A = ai.LaneCompartmentCount;
    const int nR = plant.ReactorCount;
    const BasinGeometry poly = DivideBasin(plant, 1, P, kPolyLeft, kPolyRight);
    const BasinGeometry lane1 = DivideBasin(plant, P + 1, P + A, kLaneLeft, kLaneRight);
    const BasinGeometry lane2 = DivideBasin(plant, P + A + 1, P + 2 * A, kLaneLeft, kLaneRight);
    const BasinGeometry post = DivideBasin(plant, P + 2 * A + 1, nR, kPostLeft, kPostRight);
    // Where flows leave or enter reactor i on the bottom or top edge: polyvalent or
    // post-aeration reactors only (the only ones with influents and recirculations).
    const auto at = [&](int i, double sign) {
        if (i >= 1 && i <= P) {
            const auto n = static_cast<std::size_t>(i - 1);
            return poly.centre[n] + sign * poly.quarter[n];
        }
        if (post.centre.empty()) // counts that CheckAICounts refuses
            return kPostLeft;
        const int last = static_cast<int>(post.centre.size()) - 1;
        const auto n = static_cast<std::size_t>(std::clamp(i - (P + 2 * A) - 1, 0, last));
        return post.centre[n] + sign * post.quarter[n];
    };

    p.text(0.5, 0.102, "Flowscheme of the A/I-plant", 3.0, TextAnchorX::Centre,
           TextAnchorY::Middle);
    drawBasin(p, poly, kPolyLeft, kPolyRight, kTop, kBottom);
    drawBasin(p, lane1, kLaneLeft, kLaneRight, kLane1Top, kLane1Bottom);
    drawBasin(p, lane2, kLaneLeft, kLaneRight, kLane2Top, kLane2Bottom);
    drawBasin(p, post, kPostLeft, kPostRight, kTop, kBottom);
    p.text((kLaneLeft + kLaneRight) / 2.0, kLane1Top - 0.01, "Lane 1", kTextSize,
           TextAnchorX::Centre, TextAnchorY::Bottom);
    p.text((kLaneLeft + kLaneRight) / 2.0, kLane2Bottom + 0.01, "Lane 2", kTextSize,
           TextAnchorX::Centre, TextAnchorY::Top);

    // The last polyvalent reactor feeds either lane; either lane feeds the post-aeration.
    p.line(kPolyRight, kMiddle, kSplit, kMiddle);
    p.line(kSplit, kLane1Flow, kSplit, kLane2Flow);
    p.line(kSplit, kLane1Flow, kLaneLeft, kLane1Flow);
    p.line(kSplit, kLane2Flow, kLaneLeft, kLane2Flow);
    p.line(kLaneRight, kLane1Flow, kJoin, kLane1Flow);
    p.line(kLaneRight, kLane2Flow, kJoin, kLane2Flow);
    p.line(kJoin, kLane1Flow, kJoin, kLane2Flow);
    p.line(kJoin, kMiddle, kPostLeft, kMiddle);

    if (plant.InfluentFlow > 0.0) {
        const double x = at(std::clamp(plant.InfluentReactor, 1, P), -1.0);
        p.line(0.02, 0.32, x, 0.32);
        p.line(x, 0.32, x, kTop);
        p.text(0.02, 0.29, fmt::format("Influent   = {}", flow(plant.InfluentFlow)));
        if (plant.ReturnFlow == 0.0)
            p.text(0.87, 0.55, "Effluent");
    }
    if (plant.Influent2Flow > 0.0) {
        const double x = at(std::clamp(plant.Influent2Reactor, 1, P), 1.0);
        p.line(0.02, 0.24, x, 0.24);
        p.line(x, 0.24, x, kTop);
        p.text(0.02, 0.21, fmt::format("2.Influent = {}", flow(plant.Influent2Flow)));
    }

    drawCompartmentTable(p, plant, {0.85, 0.89, 0.93, 0.97});
    drawOperatingTexts(p, plant);

    // Below the second lane and its label.
    if (plant.RecircActive) {
        drawRecirculation(p, at(plant.RecircTo, 1.0), at(plant.RecircFrom, 1.0), kBottom, 0.73,
                          "Rec1=", "1.Recirculation = ", plant.RecircFlow);
        if (plant.Recirc2Flow > 0.0)
            drawRecirculation(p, at(plant.Recirc2To, 1.0), at(plant.Recirc2From, 1.0), kBottom,
                              0.755, "Rec2=", "2.Recirculation = ", plant.Recirc2Flow);
    }

    if (plant.SludgeSeparation) {
        const double x = at(std::clamp(plant.ReturnReactor, 1, P), -1.0);
        p.line(x, 0.78, kApex, 0.78);
        p.line(x, kBottom, x, 0.78);
        p.line(kApex, kBottom, kApex, 0.78);
        p.text(0.5, 0.82, fmt::format("Returnsludge = {}", flow(plant.ReturnFlow)));
        p.text(0.68, 0.3, "Sludgeage,SRT");
        p.text(0.85, 0.3, fmt::format("={}", FormatFixed(6, 2, plant.SludgeAge)));
        p.line(kApex, kBottom, 0.74, kTop);
        p.line(kApex, kBottom, 0.9, kTop);
        p.line(kPostRight, kMiddle, 0.78, kMiddle);
        if (plant.InfluentFlow > 0.0) {
            p.line(0.874, 0.465, 0.97, 0.465);
            p.text(0.88, 0.51, "Effluent");
        }
        p.text(kApex, 0.38, "Secondary clarifier", kTextSize, TextAnchorX::Centre);
        p.line(0.76, 0.45, 0.88, 0.45, PicturePen::Dotted);
    } else if (plant.InfluentFlow > 0.0) {
        p.line(kPostRight, kMiddle, 0.97, kMiddle);
    }

    drawReactorNumbers(p, poly, 1, kMiddle);
    drawReactorNumbers(p, lane1, P + 1, kLane1Flow);
    drawReactorNumbers(p, lane2, P + A + 1, kLane2Flow);
    drawReactorNumbers(p, post, P + 2 * A + 1, kMiddle);
    return picture;
}

PictureFileFormat PictureFormatForFile(const std::filesystem::path& file)
{
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".png")
        return PictureFileFormat::Png;
    if (extension == ".bmp")
        return PictureFileFormat::Bmp;
    throw RangeError(fmt::format("{}: the picture is written as PNG (.png) or bitmap (.bmp) only.",
                                 file.string()));
}

} // namespace narv
