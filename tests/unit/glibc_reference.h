#pragma once
// glibc's answers to the number questions of the differential tests: strtod
// after the decimal-comma rule, snprintf's "%.*f", and the record that a line
// "P x y h" gives in layout 11 with the code ABC. Natively each question is
// put to glibc at once. The Windows builds have no glibc: there every
// question goes, with the program's answer, to a transcript, which
// glibc_check (a native program) puts to glibc after the run.

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::glibc {

#ifdef _WIN32
// Random cases per test: a share of the native count, since the 32-bit
// program runs emulated here and glibc answers afterwards from a file.
inline constexpr int kCaseDivisor = 8;
#else
inline constexpr int kCaseDivisor = 1;
#endif

constexpr int Cases(int nativeCount) {
    return nativeCount / kCaseDivisor;
}

// The seed of the random cases: fixed, so that runs are reproducible;
// VELMORA_NUMBERS_SEED=<n> picks another one.
inline std::uint64_t TestSeed() {
    if (const char* text = std::getenv("VELMORA_NUMBERS_SEED")) {
        return std::strtoull(text, nullptr, 10);
    }
    return 20261209;
}

inline std::string Describe(double value) {
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "%.17g (0x%016llx)", value,
                  static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(value)));
    return buffer;
}

#ifndef _WIN32

inline std::string WithPoint(std::string_view token) {
    std::string text(token);
    if (const std::size_t comma = text.find(','); comma != std::string::npos) {
        text[comma] = '.';
    }
    return text;
}

inline std::string Format(double value, int decimals) {
    char buffer[400];
    const int length = std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return std::string(buffer, static_cast<std::size_t>(length));
}

// A coordinate holds one number when strtod takes a character, the value is
// finite and no digit follows what strtod took.
inline bool HoldsNumber(std::string_view token) {
    const std::string text = WithPoint(token);
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return end != text.c_str() && std::isfinite(value) &&
           std::strpbrk(end, "0123456789") == nullptr;
}

// The record of "P x y h" in layout 11 with the code ABC; empty when the line
// gives none.
inline std::string Record(std::string_view x, std::string_view y, std::string_view h) {
    if (!HoldsNumber(x) || !HoldsNumber(y)) {
        return {};
    }
    const auto number = [](std::string_view token, int decimals) {
        return Format(std::strtod(WithPoint(token).c_str(), nullptr), decimals);
    };
    return "ABC;P;" + number(x, 6) + ";" + number(y, 6) + ";" + number(h, 3);
}

// glibc's answer where it differs from ours, nothing where they agree.
inline std::optional<std::string> CheckFormat(double value, int decimals, std::string_view ours) {
    std::string expected = Format(value, decimals);
    return ours == expected ? std::nullopt : std::optional(std::move(expected));
}

// Values agree bit for bit; NaNs only in their sign ("nan" or "-nan"), as no
// output shows a payload.
inline std::optional<std::string> CheckParse(std::string_view token, double ours) {
    const double expected = std::strtod(WithPoint(token).c_str(), nullptr);
    const bool same =
        std::bit_cast<std::uint64_t>(ours) == std::bit_cast<std::uint64_t>(expected) ||
        (std::isnan(ours) && std::isnan(expected) && std::signbit(ours) == std::signbit(expected));
    return same ? std::nullopt : std::optional(Describe(expected));
}

inline std::optional<std::string> CheckRecord(std::string_view x, std::string_view y,
                                              std::string_view h, std::string_view ours) {
    std::string expected = Record(x, y, h);
    return ours == expected ? std::nullopt : std::optional(std::move(expected));
}

#else

// The transcript: one question and our answer a line, tokens in hexadecimal
// behind an 'x' (so that an empty token is still a field), "END" last.
class Transcript {
public:
    static Transcript& Get() {
        static Transcript transcript;
        return transcript;
    }
    Transcript(const Transcript&) = delete;
    Transcript& operator=(const Transcript&) = delete;
    ~Transcript() {
        std::fputs("END\n", m_file);
        std::fclose(m_file);
    }

    void Line(char kind, std::initializer_list<std::string_view> tokens, std::string_view rest) {
        std::fputc(kind, m_file);
        for (const std::string_view token : tokens) {
            std::fputs(" x", m_file);
            for (const char c : token) {
                std::fprintf(m_file, "%02x", static_cast<unsigned char>(c));
            }
        }
        std::fprintf(m_file, " %.*s\n", static_cast<int>(rest.size()), rest.data());
    }

private:
    Transcript() : m_file(std::fopen("glibc-transcript.txt", "wb")) {
        if (m_file == nullptr) {
            std::abort();
        }
    }
    std::FILE* m_file;
};

inline std::optional<std::string> CheckFormat(double value, int decimals, std::string_view ours) {
    char question[40];
    std::snprintf(question, sizeof question, "%016llx %d ",
                  static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(value)), decimals);
    Transcript::Get().Line('F', {}, question + std::string(ours));
    return std::nullopt;
}

inline std::optional<std::string> CheckParse(std::string_view token, double ours) {
    char answer[20];
    std::snprintf(answer, sizeof answer, "%016llx",
                  static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(ours)));
    Transcript::Get().Line('P', {token}, answer);
    return std::nullopt;
}

// An empty record (the line gave none) is written as "-".
inline std::optional<std::string> CheckRecord(std::string_view x, std::string_view y,
                                              std::string_view h, std::string_view ours) {
    Transcript::Get().Line('R', {x, y, h}, ours.empty() ? "-" : ours);
    return std::nullopt;
}

#endif

} // namespace velmora::glibc
