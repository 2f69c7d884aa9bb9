#pragma once

#include "ExampleProjects.h"

#include <vector>

namespace narv::modelgen {

inline constexpr const char* kSbrDemoProject = "sbr-demo";
inline constexpr const char* kAIDemoProject = "ai-demo";

// examples/sbr-demo: the delivered ASM1 on a sequencing batch reactor with a six-hour cycle of
// two fill, anoxic and aerated phases (aeration under on/off control of the oxygen), settling,
// supernatant draw and an instant withdrawal of excess sludge.
std::vector<ExampleFile> SbrDemoProjectFiles();

// examples/ai-demo: the delivered ASM1 on an A/I plant of a polyvalent reactor, two lanes of
// two compartments fed by turns every two hours (the lane fed unaerated), a post-aeration
// reactor and a clarifier compartment, with a diurnal variation.
std::vector<ExampleFile> AIDemoProjectFiles();

} // namespace narv::modelgen
