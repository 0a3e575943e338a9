// Integer texts: what is accepted writes back to digits that read again as
// the same value; decimal texts agree with a plain reading of the digits.
#include "FuzzSupport.h"
#include "TextConv.h"

using namespace pagora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::int32_t value = 0;
    if (!TryTextToInt(text, value))
        return 0;
    std::string back = IntToText(value);
    std::int32_t again = 0;
    fuzz::Require(TryTextToInt(back, again) && again == value, "integer round trip");
    std::size_t first = text.find_first_not_of(' ');
    fuzz::Require(first != std::string_view::npos, "blank text accepted");
    fuzz::Require(text.back() != ' ', "trailing blank accepted");
    return 0;
}
