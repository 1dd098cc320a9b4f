// Feeds arbitrary bytes to the equaliser settings reader: it may refuse them with one of its
// messages, but must never crash or overrun; what it reads has usable filters, and what is
// written of them reads back to the same text.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "editor_errors.h"
#include "fuzz_input_file.h"
#include "parametric_eq_file.h"

namespace {

bool Usable(const TParametricEq& eq) {
    if (!std::isfinite(eq.PreampDb) || eq.Filters.empty()) {
        return false;
    }
    for (const TFilter& f : eq.Filters) {
        if (!std::isfinite(f.Frequency) || !(f.Frequency > 0) || !std::isfinite(f.GainDb) ||
            !std::isfinite(f.Q) || !(f.Q > 0)) {
            return false;
        }
    }
    return true;
}

// Whether every filter keeps a frequency and a Q above 0 once rounded as written.
bool SurvivesRounding(const TParametricEq& eq) {
    for (const TFilter& f : eq.Filters) {
        if (f.Frequency < 1 || f.Q < 0.01) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path& input = WriteInputFile("fuzz-parametric-eq", data, size);
    TParametricEq eq;
    try {
        eq = ReadParametricEq(input);
    } catch (const EditorError&) {
        return 0;
    }
    if (!Usable(eq)) {
        std::abort();
    }
    if (!SurvivesRounding(eq)) {
        return 0;
    }
    const std::string text = ParametricEqText({eq.Filters, eq.PreampDb, 0});
    const std::filesystem::path& copy = WriteInputFile(
        "fuzz-parametric-eq-copy", reinterpret_cast<const uint8_t*>(text.data()), text.size());
    const TParametricEq back = ReadParametricEq(copy);
    if (ParametricEqText({back.Filters, back.PreampDb, 0}) != text) {
        std::abort();
    }
    return 0;
}
