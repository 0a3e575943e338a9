// Float texts: an accepted text gives a finite value whose 15-digit text
// reads back to a value with the same 15-digit text.
#include "FuzzSupport.h"
#include "TextConv.h"

#include <cmath>

using namespace pagora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in = fuzz::Split(data, size);
    double value = 0;
    if (!TryTextToFloat(in.text, in.settings, value))
        return 0;
    fuzz::Require(std::isfinite(value), "float value not finite");
    std::string text = FloatToText(value, in.settings);
    double again = 0;
    fuzz::Require(TryTextToFloat(text, in.settings, again), "written float does not read back");
    fuzz::Require(FloatToText(again, in.settings) == text, "float text not stable");
    return 0;
}
