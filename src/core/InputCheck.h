#pragma once

#include <string>
#include <string_view>

namespace narv {

// Outcome of a numeric entry check. On acceptance value is the number typed; on refusal
// value is the stored value unchanged, message is the text to show, and text is what the
// field shows again.
struct IntegerCheck {
    bool accepted = false;
    int value = 0;
    std::string message;
    std::string text;
    bool returnFocus = false; // the field keeps the focus after a refusal
};

struct RealCheck {
    bool accepted = false;
    double value = 0.0;
    std::string message;
    std::string text;
    bool returnFocus = false;
};

inline constexpr const char* kInvalidNumberMessage = "Input isn't a valid number";

// The grid-cell checks; the field variants of a window call these and give the focus back
// to the field on refusal.
IntegerCheck CheckIntegerText(std::string_view text, int min, int max, int stored);
RealCheck CheckRealText(std::string_view text, double min, double max, double stored);

// The edit-field checks: as the text checks, and a refused field keeps the focus.
IntegerCheck CheckIntegerField(std::string_view text, int min, int max, int stored);
RealCheck CheckRealField(std::string_view text, double min, double max, double stored);

} // namespace narv
