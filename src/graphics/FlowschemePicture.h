#pragma once

#include "plant/PlantDef.h"
#include "special/AIPlant.h"

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

namespace narv {

// Coordinates of the picture are fractions: x from 0 (left) to 1 (right), y from 0 (top) to
// 1 (bottom).

enum class PicturePen { Solid, Dotted }; // solid black 2 pixels, dotted black 1 pixel

struct PictureLine {
    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;
    PicturePen pen = PicturePen::Solid;
};

enum class TextAnchorX { Left, Centre, Right };
enum class TextAnchorY { Bottom, Middle, Top };

// A text in bold "Times New Roman" of round(8 * size) points, placed with the given edge or
// centre at (x, y).
struct PictureText {
    double x = 0.0;
    double y = 0.0;
    std::string text;
    double size = 1.2;
    TextAnchorX anchorX = TextAnchorX::Left;
    TextAnchorY anchorY = TextAnchorY::Bottom;
};

using PictureItem = std::variant<PictureLine, PictureText>;

// The drawing in painting order.
struct FlowschemePicture {
    std::vector<PictureItem> items;

    std::vector<PictureLine> lines() const;
    std::vector<PictureText> texts() const;
};

inline constexpr const char* kFlowschemeFontFamily = "Times New Roman";
inline constexpr int kPictureRightMargin = 20; // pixels of the width the fractions do not span

// The point size of a text of size factor s.
int PictureFontPoints(double size);

struct PicturePixel {
    int x = 0;
    int y = 0;
};
// Where (x, y) lies in a picture of width x height pixels.
PicturePixel ToPixel(double x, double y, int width, int height);

// Where the reactors of a basin lie: boundaries, centres and quarter widths, per reactor.
struct BasinGeometry {
    std::vector<double> right;   // right boundary of each reactor
    std::vector<double> centre;  // c
    std::vector<double> quarter; // q: flows enter or leave at c - q and c + q
};
// The reactors first..last dividing x0..x1 in proportion to their volumes (element 0 is
// reactor first).
BasinGeometry DivideBasin(const TPlantDef& plant, int first, int last, double x0, double x1);

// The picture of a plant of the standard types (activated sludge, CSTR cascade, batch).
FlowschemePicture BuildFlowschemePicture(const TPlantDef& plant);

// The picture of a plant with A/I processes: polyvalent reactors, the two lanes, the
// post-aeration reactors and the clarifier.
FlowschemePicture BuildAIFlowschemePicture(const TPlantDef& plant, const TAIPlant& ai);

enum class PictureFileFormat { Png, Bmp };

// The format a file name asks for by its extension (".png" or ".bmp", any case); RangeError
// for any other.
PictureFileFormat PictureFormatForFile(const std::filesystem::path& file);

} // namespace narv
