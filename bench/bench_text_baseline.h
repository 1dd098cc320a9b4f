#pragma once
// The baseline of the text import benchmarks: each line read with getline and its two numbers
// with from_chars, the second after the first delimiter.

#include <charconv>
#include <filesystem>
#include <fstream>
#include <string>

inline double SumOfLineNumbers(const std::filesystem::path& file, char delimiter) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    double sum = 0;
    while (std::getline(in, line)) {
        const char* begin = line.data();
        const char* end = begin + line.size();
        double frequency = 0;
        double gain = 0;
        const auto first = std::from_chars(begin, end, frequency);
        const char* second = first.ptr;
        while (second < end && *second != delimiter) {
            ++second;
        }
        if (second < end) {
            std::from_chars(second + 1, end, gain);
        }
        sum += frequency + gain;
    }
    return sum;
}
