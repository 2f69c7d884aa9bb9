#include "graphics/FlowschemePicture.h"

#include "core/Error.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace narv {
namespace {

constexpr double kEps = 1e-12;

TPlantDef threeReactors()
{
    TPlantDef plant;
    plant.PlantType = TFlowschemeType::ftASR;
    plant.ReactorCount = 3;
    plant.CompartmentCount = 4;
    plant.Volume[1] = 100.0;
    plant.Volume[2] = 200.0;
    plant.Volume[3] = 100.0;
    plant.Volume[4] = 50.0;
    plant.InfluentFlow = 10.0;
    plant.ReturnFlow = 8.0;
    plant.SludgeSeparation = true;
    return plant;
}

TPlantDef batch()
{
    TPlantDef plant;
    plant.PlantType = TFlowschemeType::ftBatch;
    plant.ReactorCount = 2;
    plant.CompartmentCount = 2;
    plant.Volume[1] = 10.0;
    plant.Volume[2] = 10.0;
    plant.InfluentFlow = 0.0;
    plant.Influent2Flow = 0.0;
    plant.ReturnFlow = 0.0;
    plant.SludgeSeparation = false;
    return plant;
}

std::optional<PictureText> findText(const FlowschemePicture& picture, const std::string& text)
{
    for (const PictureText& t : picture.texts())
        if (t.text == text)
            return t;
    return std::nullopt;
}

std::optional<PictureText> findTextStarting(const FlowschemePicture& picture,
                                            const std::string& prefix)
{
    for (const PictureText& t : picture.texts())
        if (t.text.rfind(prefix, 0) == 0)
            return t;
    return std::nullopt;
}

bool same(double a, double b)
{
    return std::abs(a - b) < kEps;
}

// Whether the picture has a line between the two points, in either direction.
bool hasLine(const FlowschemePicture& picture, double x1, double y1, double x2, double y2,
             PicturePen pen = PicturePen::Solid)
{
    for (const PictureLine& l : picture.lines()) {
        if (l.pen != pen)
            continue;
        if ((same(l.x1, x1) && same(l.y1, y1) && same(l.x2, x2) && same(l.y2, y2)) ||
            (same(l.x1, x2) && same(l.y1, y2) && same(l.x2, x1) && same(l.y2, y1)))
            return true;
    }
    return false;
}

// Any line with a point outside the basin x 0.1..0.6 (where influents, effluent, return
// sludge and clarifier lie).
bool hasLineOutsideBasin(const FlowschemePicture& picture)
{
    for (const PictureLine& l : picture.lines())
        for (const double x : {l.x1, l.x2})
            if (x < 0.1 - kEps || x > 0.6 + kEps)
                return true;
    for (const PictureLine& l : picture.lines())
        for (const double y : {l.y1, l.y2})
            if (y < 0.4 - kEps || y > 0.6 + kEps)
                return true;
    return false;
}

TEST(FlowschemePicture, BasinIsDividedInProportionToTheVolumes)
{
    const TPlantDef plant = threeReactors();
    const BasinGeometry basin = DivideBasin(plant, 1, 3, 0.1, 0.6);
    ASSERT_EQ(basin.right.size(), 3u);
    EXPECT_NEAR(basin.right[0], 0.225, kEps);
    EXPECT_NEAR(basin.right[1], 0.475, kEps);
    EXPECT_NEAR(basin.right[2], 0.6, kEps);
    EXPECT_NEAR(basin.centre[0], 0.1625, kEps);
    EXPECT_NEAR(basin.centre[1], 0.35, kEps);
    EXPECT_NEAR(basin.centre[2], 0.5375, kEps);
    EXPECT_NEAR(basin.quarter[1], 0.0625, kEps);

    const FlowschemePicture picture = BuildFlowschemePicture(plant);
    EXPECT_TRUE(hasLine(picture, 0.225, 0.4, 0.225, 0.6, PicturePen::Dotted));
    EXPECT_TRUE(hasLine(picture, 0.475, 0.4, 0.475, 0.6, PicturePen::Dotted));
    // No boundary after the last reactor: the basin's edge is solid.
    EXPECT_FALSE(hasLine(picture, 0.6, 0.4, 0.6, 0.6, PicturePen::Dotted));
    EXPECT_TRUE(hasLine(picture, 0.6, 0.4, 0.6, 0.6));
    EXPECT_TRUE(hasLine(picture, 0.1, 0.4, 0.6, 0.4));
    EXPECT_TRUE(hasLine(picture, 0.1, 0.6, 0.6, 0.6));

    for (const auto& [number, x] : {std::pair{"1", 0.1625}, {"2", 0.35}, {"3", 0.5375}}) {
        const auto text = findText(picture, number);
        ASSERT_TRUE(text) << number;
        EXPECT_NEAR(text->x, x, kEps);
        EXPECT_NEAR(text->y, 0.5, kEps);
        EXPECT_EQ(text->anchorX, TextAnchorX::Centre);
        EXPECT_EQ(text->anchorY, TextAnchorY::Bottom);
    }
}

TEST(FlowschemePicture, TitleAndActivatedSludgeElements)
{
    TPlantDef plant = threeReactors();
    plant.InfluentReactor = 2;
    plant.ReturnReactor = 1;
    const FlowschemePicture picture = BuildFlowschemePicture(plant);

    const auto title = findText(picture, "Flowscheme of the plant");
    ASSERT_TRUE(title);
    EXPECT_DOUBLE_EQ(title->size, 3.0);
    EXPECT_NEAR(title->x, 0.5, kEps);
    EXPECT_NEAR(title->y, 0.102, kEps);
    EXPECT_EQ(title->anchorX, TextAnchorX::Centre);

    // Influent into the left half of reactor 2: c - q = 0.35 - 0.0625.
    EXPECT_TRUE(hasLine(picture, 0.05, 0.32, 0.2875, 0.32));
    EXPECT_TRUE(hasLine(picture, 0.2875, 0.32, 0.2875, 0.4));
    const auto influent = findText(picture, "Influent   =    10.00");
    ASSERT_TRUE(influent);
    EXPECT_NEAR(influent->x, 0.05, kEps);
    EXPECT_NEAR(influent->y, 0.29, kEps);
    EXPECT_DOUBLE_EQ(influent->size, 1.2);
    EXPECT_EQ(influent->anchorX, TextAnchorX::Left);
    EXPECT_EQ(influent->anchorY, TextAnchorY::Bottom);

    // Return sludge from reactor 1's left half: 0.1625 - 0.03125.
    EXPECT_TRUE(hasLine(picture, 0.13125, 0.7, 0.8, 0.7));
    EXPECT_TRUE(hasLine(picture, 0.13125, 0.6, 0.13125, 0.7));
    EXPECT_TRUE(hasLine(picture, 0.8, 0.6, 0.8, 0.7));
    EXPECT_TRUE(findText(picture, "Returnsludge =     8.00"));
    EXPECT_TRUE(findText(picture, "=  6.00")); // sludge age
    EXPECT_TRUE(findText(picture, "= 10.00")); // oxygen saturation

    EXPECT_TRUE(hasLine(picture, 0.8, 0.6, 0.7, 0.4));
    EXPECT_TRUE(hasLine(picture, 0.8, 0.6, 0.9, 0.4));
    EXPECT_TRUE(hasLine(picture, 0.6, 0.5, 0.75, 0.5));
    EXPECT_TRUE(hasLine(picture, 0.87, 0.465, 0.95, 0.465));
    EXPECT_TRUE(hasLine(picture, 0.725, 0.45, 0.875, 0.45, PicturePen::Dotted));
    const auto effluent = findText(picture, "Effluent");
    ASSERT_TRUE(effluent);
    EXPECT_NEAR(effluent->x, 0.88, kEps);
    EXPECT_NEAR(effluent->y, 0.51, kEps);
    const auto clarifier = findText(picture, "Secondary clarifier");
    ASSERT_TRUE(clarifier);
    EXPECT_EQ(clarifier->anchorX, TextAnchorX::Centre);
    EXPECT_NEAR(clarifier->y, 0.38, kEps);
    EXPECT_FALSE(findText(picture, "Contol loops active!"));
    EXPECT_FALSE(findTextStarting(picture, "2.Influent"));
}

TEST(FlowschemePicture, BatchPlantHasNoFlowLines)
{
    const FlowschemePicture picture = BuildFlowschemePicture(batch());
    EXPECT_FALSE(hasLineOutsideBasin(picture));
    EXPECT_FALSE(findText(picture, "Effluent"));
    EXPECT_FALSE(findText(picture, "Secondary clarifier"));
    EXPECT_FALSE(findTextStarting(picture, "Influent"));
    EXPECT_FALSE(findTextStarting(picture, "Returnsludge"));
    EXPECT_FALSE(findText(picture, "Sludgeage,SRT"));
    EXPECT_TRUE(findText(picture, "O2 saturation"));
    EXPECT_TRUE(hasLine(picture, 0.35, 0.4, 0.35, 0.6, PicturePen::Dotted));
}

TEST(FlowschemePicture, CstrCascadeLeavesTheBasinAtMidHeight)
{
    TPlantDef plant = batch();
    plant.PlantType = TFlowschemeType::ftCSTR;
    plant.InfluentFlow = 3.0;
    plant.Influent2Flow = 1.5;
    plant.Influent2Reactor = 2;
    const FlowschemePicture picture = BuildFlowschemePicture(plant);
    EXPECT_TRUE(hasLine(picture, 0.6, 0.5, 0.95, 0.5));
    const auto effluent = findText(picture, "Effluent");
    ASSERT_TRUE(effluent);
    EXPECT_NEAR(effluent->x, 0.87, kEps);
    EXPECT_NEAR(effluent->y, 0.55, kEps);
    EXPECT_FALSE(findText(picture, "Secondary clarifier"));
    // The second influent enters the right half of reactor 2: 0.475 + 0.0625.
    EXPECT_TRUE(hasLine(picture, 0.05, 0.24, 0.5375, 0.24));
    EXPECT_TRUE(hasLine(picture, 0.5375, 0.24, 0.5375, 0.4));
    const auto second = findText(picture, "2.Influent =     1.50");
    ASSERT_TRUE(second);
    EXPECT_NEAR(second->y, 0.21, kEps);
}

TEST(FlowschemePicture, CompartmentTable)
{
    TPlantDef plant = threeReactors();
    plant.O2Setpoint[1] = 2.0;
    plant.O2Setpoint[2] = 0.0;
    plant.Kla[2] = 120.0;
    plant.O2Setpoint[3] = -1.0; // neither a setpoint nor kla shown
    const FlowschemePicture picture = BuildFlowschemePicture(plant);
    const auto texts = picture.texts();
    const auto at = [&](double x, double y) -> std::optional<std::string> {
        for (const PictureText& t : texts)
            if (same(t.x, x) && same(t.y, y))
                return t.text;
        return std::nullopt;
    };
    EXPECT_EQ(at(0.1, 0.8), "Reactor");
    EXPECT_EQ(at(0.1, 0.85), "Volume ");
    EXPECT_EQ(at(0.1, 0.9), "O2 Conc.");
    EXPECT_EQ(at(0.1, 0.95), "Kla Value");
    EXPECT_EQ(at(0.21, 0.8), "     1");
    EXPECT_EQ(at(0.43, 0.8), "     3");
    EXPECT_EQ(at(0.13 + 0.11 * 4, 0.8), "Clar.1");
    EXPECT_EQ(at(0.21, 0.85), "  100.00");
    EXPECT_EQ(at(0.1 + 0.11 * 4, 0.85), "   50.00");
    EXPECT_EQ(at(0.21, 0.9), "    2.00");
    EXPECT_EQ(at(0.21, 0.95), "     -");
    EXPECT_EQ(at(0.32, 0.9), "     -");
    EXPECT_EQ(at(0.32, 0.95), "   120.0");
    EXPECT_EQ(at(0.43, 0.9), "     -");
    EXPECT_EQ(at(0.43, 0.95), "     -");
    // Clarifier compartments have neither oxygen nor kla.
    EXPECT_FALSE(at(0.1 + 0.11 * 4, 0.9));
    EXPECT_FALSE(at(0.1 + 0.11 * 4, 0.95));
    const auto reactor = findText(picture, "Reactor");
    ASSERT_TRUE(reactor);
    EXPECT_DOUBLE_EQ(reactor->size, 1.0);
}

TEST(FlowschemePicture, CompactTableForManyCompartments)
{
    TPlantDef plant = batch();
    plant.ReactorCount = 8;
    plant.CompartmentCount = 8;
    for (int k = 1; k <= 8; ++k)
        plant.Volume[k] = 10.0;
    auto picture = BuildFlowschemePicture(plant);
    EXPECT_DOUBLE_EQ(findText(picture, "Reactor")->size, 0.9);
    const auto one = findText(picture, "     1");
    const auto two = findText(picture, "     2");
    ASSERT_TRUE(one && two);
    EXPECT_NEAR(two->x - one->x, 0.08, kEps);

    plant.ReactorCount = 14;
    plant.CompartmentCount = 14;
    for (int k = 1; k <= 14; ++k)
        plant.Volume[k] = 10.0;
    picture = BuildFlowschemePicture(plant);
    EXPECT_DOUBLE_EQ(findText(picture, "Reactor")->size, 0.75);
    const auto first = findText(picture, "     1");
    const auto last = findText(picture, "    14");
    ASSERT_TRUE(first && last);
    EXPECT_NEAR(last->x - first->x, 13 * 0.055, 1e-9);
    EXPECT_GE(findText(picture, "Reactor")->x, 0.0);
    EXPECT_LT(last->x, 0.95);
}

TEST(FlowschemePicture, RecirculationLabelIsShortRightOfTheMiddle)
{
    TPlantDef plant = batch();
    plant.PlantType = TFlowschemeType::ftCSTR;
    plant.ReactorCount = 5;
    plant.CompartmentCount = 5;
    for (const auto& [k, v] : {std::pair{1, 300.0}, {2, 300.0}, {3, 50.0}, {4, 50.0}, {5, 50.0}})
        plant.Volume[k] = v;
    plant.RecircActive = true;
    plant.RecircFlow = 20.0;
    plant.RecircFrom = 5;
    plant.RecircTo = 3;
    plant.Recirc2Flow = 4.0;
    plant.Recirc2From = 3;
    plant.Recirc2To = 1;
    const FlowschemePicture picture = BuildFlowschemePicture(plant);
    const BasinGeometry basin = DivideBasin(plant, 1, 5, 0.1, 0.6);
    const double to = basin.centre[2] + basin.quarter[2];
    const double from = basin.centre[4] + basin.quarter[4];
    ASSERT_GT(to + 0.015, 0.5);
    EXPECT_TRUE(hasLine(picture, to, 0.65, from, 0.65));
    EXPECT_TRUE(hasLine(picture, to, 0.6, to, 0.65));
    EXPECT_TRUE(hasLine(picture, from, 0.6, from, 0.65));
    const auto rec1 = findText(picture, "Rec1=   20.00");
    ASSERT_TRUE(rec1);
    EXPECT_NEAR(rec1->x, to + 0.015, kEps);
    EXPECT_NEAR(rec1->y, 0.65, kEps);
    EXPECT_FALSE(findTextStarting(picture, "1.Recirculation"));

    // The second one starts left of the middle: the long label, one level lower.
    const double to2 = basin.centre[0] + basin.quarter[0];
    EXPECT_TRUE(hasLine(picture, to2, 0.675, basin.centre[2] + basin.quarter[2], 0.675));
    const auto rec2 = findText(picture, "2.Recirculation =     4.00");
    ASSERT_TRUE(rec2);
    EXPECT_NEAR(rec2->x, to2 + 0.015, kEps);
}

TEST(FlowschemePicture, NoRecirculationWhileInactive)
{
    TPlantDef plant = threeReactors();
    plant.RecircActive = false;
    plant.RecircFlow = 20.0;
    plant.Recirc2Flow = 5.0;
    plant.ControlLoopsActive = true;
    const FlowschemePicture picture = BuildFlowschemePicture(plant);
    for (const PictureLine& l : picture.lines()) {
        EXPECT_FALSE(same(l.y1, 0.65) || same(l.y2, 0.65));
        EXPECT_FALSE(same(l.y1, 0.675) || same(l.y2, 0.675));
    }
    const auto loops = findText(picture, "Contol loops active!");
    ASSERT_TRUE(loops);
    EXPECT_NEAR(loops->x, 0.68, kEps);
    EXPECT_NEAR(loops->y, 0.22, kEps);
}

TEST(FlowschemePicture, PixelsLeaveTheRightMargin)
{
    EXPECT_EQ(ToPixel(1.0, 1.0, 820, 600).x, 800);
    EXPECT_EQ(ToPixel(1.0, 1.0, 820, 600).y, 600);
    EXPECT_EQ(ToPixel(0.225, 0.5, 820, 601).x, 180);
    EXPECT_EQ(ToPixel(0.225, 0.5, 820, 601).y, 301); // 300.5 rounds away from zero
    EXPECT_EQ(PictureFontPoints(1.2), 10);
    EXPECT_EQ(PictureFontPoints(3.0), 24);
    EXPECT_EQ(PictureFontPoints(0.75), 6);
}

TEST(FlowschemePicture, AIPlantShowsLanesPostAerationAndClarifier)
{
    TPlantDef plant;
    plant.PlantType = TFlowschemeType::ftAI;
    TAIPlant ai;
    ai.PolyvalentCount = 2;
    ai.LaneCompartmentCount = 2;
    ai.PostAerationCount = 1;
    plant.ReactorCount = 7;
    plant.CompartmentCount = 8;
    for (int k = 1; k <= 8; ++k)
        plant.Volume[k] = 100.0;
    plant.InfluentFlow = 10.0;
    plant.ReturnFlow = 10.0;
    plant.SludgeSeparation = true;
    const FlowschemePicture picture = BuildAIFlowschemePicture(plant, ai);

    EXPECT_TRUE(findText(picture, "Flowscheme of the A/I-plant"));
    const auto lane1 = findText(picture, "Lane 1");
    const auto lane2 = findText(picture, "Lane 2");
    ASSERT_TRUE(lane1 && lane2);
    EXPECT_LT(lane1->y, lane2->y);
    EXPECT_TRUE(findText(picture, "Secondary clarifier"));
    EXPECT_TRUE(findText(picture, "Effluent"));
    EXPECT_TRUE(findTextStarting(picture, "Influent   = "));
    EXPECT_TRUE(findTextStarting(picture, "Returnsludge = "));
    EXPECT_TRUE(findText(picture, "Clar.1"));

    // Every reactor has its number once; the twins of the lanes lie one above the other,
    // lane 1 above lane 2, between the polyvalent and the post-aeration reactors.
    std::vector<PictureText> numbers;
    for (int k = 1; k <= 7; ++k) {
        int count = 0;
        for (const PictureText& t : picture.texts())
            if (t.text == std::to_string(k) && t.anchorX == TextAnchorX::Centre) {
                ++count;
                numbers.push_back(t);
            }
        ASSERT_EQ(count, 1) << k;
    }
    EXPECT_LT(numbers[1].x, numbers[2].x);         // polyvalent left of the lanes
    EXPECT_NEAR(numbers[2].x, numbers[4].x, kEps); // 3 and 5 are twins
    EXPECT_LT(numbers[2].y, numbers[4].y);         // lane 1 above lane 2
    EXPECT_LT(numbers[3].x, numbers[6].x);         // post-aeration right of the lanes
    EXPECT_GT(lane2->y, numbers[4].y);
    for (const PictureLine& l : picture.lines())
        for (const double v : {l.x1, l.y1, l.x2, l.y2}) {
            EXPECT_GE(v, 0.0);
            EXPECT_LE(v, 1.0);
        }
}

TEST(FlowschemePicture, AILanesAreDividedByTheirVolumesAndFedFromThePolyvalentReactors)
{
    TPlantDef plant;
    plant.PlantType = TFlowschemeType::ftAI;
    TAIPlant ai;
    ai.PolyvalentCount = 2;
    ai.LaneCompartmentCount = 2;
    ai.PostAerationCount = 1;
    plant.ReactorCount = 7;
    plant.CompartmentCount = 8;
    for (const auto& [k, v] : {std::pair{1, 100.0},
                               {2, 300.0},
                               {3, 100.0},
                               {4, 300.0},
                               {5, 100.0},
                               {6, 300.0},
                               {7, 50.0},
                               {8, 80.0}})
        plant.Volume[k] = v;
    plant.InfluentFlow = 10.0;
    plant.InfluentReactor = 2;
    plant.ReturnFlow = 0.0;
    plant.SludgeSeparation = false;
    const FlowschemePicture picture = BuildAIFlowschemePicture(plant, ai);

    // Lane compartments 3, 4 (and their twins 5, 6) share their lane one to three.
    const BasinGeometry lane = DivideBasin(plant, 3, 4, 0.35, 0.55);
    EXPECT_NEAR(lane.right[0], 0.4, kEps);
    std::vector<double> dotted;
    for (const PictureLine& l : picture.lines())
        if (l.pen == PicturePen::Dotted && same(l.x1, l.x2))
            dotted.push_back(l.x1);
    EXPECT_EQ(std::count_if(dotted.begin(), dotted.end(), [](double x) { return same(x, 0.4); }),
              2);
    // The polyvalent basin 0.05..0.3 is divided at a quarter.
    EXPECT_EQ(std::count_if(dotted.begin(), dotted.end(), [](double x) { return same(x, 0.1125); }),
              1);
    // The influent enters reactor 2 on its left half; without return sludge no clarifier and
    // the effluent leaves the post-aeration reactor.
    const BasinGeometry poly = DivideBasin(plant, 1, 2, 0.05, 0.3);
    const double x = poly.centre[1] - poly.quarter[1];
    bool influent = false;
    for (const PictureLine& l : picture.lines())
        influent = influent || (same(l.x1, x) && same(l.x2, x) && same(l.y2, 0.4));
    EXPECT_TRUE(influent);
    EXPECT_FALSE(findText(picture, "Secondary clarifier"));
    EXPECT_FALSE(findTextStarting(picture, "Returnsludge"));
    EXPECT_TRUE(findText(picture, "Effluent"));
    EXPECT_TRUE(hasLine(picture, 0.7, 0.5, 0.97, 0.5));
}

TEST(FlowschemePicture, ReactorOutsideThePlantIsRefused)
{
    TPlantDef plant = threeReactors();
    plant.InfluentReactor = 4;
    EXPECT_THROW(BuildFlowschemePicture(plant), RangeError);
}

} // namespace
} // namespace narv
