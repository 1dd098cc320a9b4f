// NormalizeNumberText over the texts the editor meets, against the standard library's plain
// float conversion in both directions on the same texts.

#include <charconv>
#include <cstdint>
#include <string>
#include <system_error>
#include <vector>

#include "bench_ratio.h"
#include "number_text.h"

namespace {

struct Field {
    std::u16string text;
    int32_t decimals;
};

// Table cells (frequencies with 0 decimals, gains with 1) and import fields (1 and 4), in
// the US and the German notation, a few padded with spaces as import files have them.
const std::vector<Field>& Fields() {
    static const std::vector<Field> fields = {
        {u"20", 0},      {u"31.5", 0},    {u"1000", 0},  {u"12500", 0},   {u"-3.5", 1},
        {u"0.25", 1},    {u"-12.75", 1},  {u"6.0", 1},   {u"20", 1},      {u"800,5", 1},
        {u" 1000 ", 1},  {u"16000.0", 1}, {u"-3,25", 4}, {u"2.5", 4},     {u"-0,0625", 4},
        {u"11.2345", 4}, {u"19999,9", 1}, {u"1.5e3", 1}, {u"-24,125", 4}, {u"0.5", 4},
    };
    return fields;
}

void Normalize(benchmark::State& state) {
    const std::vector<Field>& fields = Fields();
    for (auto _ : state) {
        for (const char16_t separator : {u'.', u','}) {
            UserNotation.DecimalSeparator = separator;
            for (const Field& field : fields) {
                benchmark::DoNotOptimize(NormalizeNumberText(field.text, field.decimals));
            }
        }
    }
    UserNotation = NumberNotation{};
}
BENCHMARK(Normalize);

// The least any conversion must do: narrow the text, read a float, write it with the decimals.
void FromCharsToChars(benchmark::State& state) {
    const std::vector<Field>& fields = Fields();
    for (auto _ : state) {
        for (const char separator : {'.', ','}) {
            for (const Field& field : fields) {
                char in[32];
                std::size_t n = 0;
                for (const char16_t c : field.text) {
                    if (c != u' ' && n < sizeof in) {
                        in[n++] = c == u',' ? '.' : static_cast<char>(c);
                    }
                }
                float value = 0;
                std::from_chars(in, in + n, value);
                char out[64];
                const auto end = std::to_chars(out, out + sizeof out, value,
                                               std::chars_format::fixed, field.decimals)
                                     .ptr;
                std::u16string text(out, end);
                for (char16_t& c : text) {
                    if (c == u'.') {
                        c = static_cast<char16_t>(separator);
                    }
                }
                benchmark::DoNotOptimize(text);
            }
        }
    }
}
BENCHMARK(FromCharsToChars);

} // namespace

int main(int argc, char** argv) {
    return RunWithRatios(
        argc, argv,
        {{"NormalizeNumberText / from_chars + to_chars", "Normalize", "FromCharsToChars", 4.0}});
}
