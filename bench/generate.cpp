// Writes a seeded, reproducible list of surveyed points for the benchmark.
//
//   velmora_bench_generate LINES LAYOUT SEED OUTPUT
//
// LAYOUT 11 gives space-separated "Numer X Y H" lines, LAYOUT 13
// semicolon-separated "Numer Numer_inny X Y H" lines. Lines end in CR LF.
// Besides ordinary points the list holds what real files hold now and then:
// decimal commas, heights with two or three decimals, prefixed point numbers,
// points without a height, blank lines, lines with too few columns, text in a
// number column, an extra column and an overlong point number. The same
// arguments always give the same bytes.

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// splitmix64: small, fast and the same everywhere.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform in [0, bound).
    std::uint64_t Below(std::uint64_t bound) { return Next() % bound; }
    bool Percent(unsigned percent) { return Below(100) < percent; }

private:
    std::uint64_t m_state;
};

class Output {
public:
    explicit Output(std::FILE* file) : m_file(file) { m_buffer.reserve(kCapacity + 4096); }
    ~Output() { Flush(); }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void Put(std::string_view text) {
        m_buffer.append(text);
        if (m_buffer.size() >= kCapacity) {
            Flush();
        }
    }
    void Put(char c) { m_buffer.push_back(c); }
    void PutUnsigned(std::uint64_t value) {
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof digits, value);
        m_buffer.append(digits, result.ptr);
    }
    // value / 10^decimals with exactly `decimals` digits after the point and
    // the decimal mark given.
    void PutFixed(std::uint64_t scaled, int decimals, char mark) {
        std::uint64_t divisor = 1;
        for (int i = 0; i < decimals; ++i) {
            divisor *= 10;
        }
        PutUnsigned(scaled / divisor);
        Put(mark);
        char digits[24];
        std::uint64_t fraction = scaled % divisor;
        for (int i = decimals - 1; i >= 0; --i) {
            digits[i] = static_cast<char>('0' + fraction % 10);
            fraction /= 10;
        }
        m_buffer.append(digits, static_cast<std::size_t>(decimals));
    }
    bool Flush() {
        const bool ok = std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) == m_buffer.size();
        m_buffer.clear();
        return ok;
    }

private:
    static constexpr std::size_t kCapacity = 1 << 20;
    std::FILE* m_file;
    std::string m_buffer;
};

class Generator {
public:
    Generator(Output& out, std::uint64_t seed, int layout)
        : m_out(out), m_random(seed), m_bSemicolon(layout == 13),
          m_separator(layout == 13 ? ';' : ' ') {}

    void Line(std::uint64_t number) {
        const std::uint64_t kind = m_random.Below(10000);
        if (kind < 10) {
            // empty line
        } else if (kind < 20) {
            m_out.Put(m_bSemicolon ? "   " : " \t  ");
        } else if (kind < 35) {
            TooFewColumns(number);
        } else if (kind < 60) {
            TextInNumberColumn(number);
        } else if (kind < 160) {
            Point(number, false, false);
        } else if (kind < 170) {
            Point(number, true, true);
        } else if (kind < 172) {
            LongNumber(number);
        } else {
            if (!m_bSemicolon && m_random.Percent(1)) {
                m_out.Put(m_random.Percent(50) ? "  " : "\t");
            }
            Point(number, true, false);
        }
        m_out.Put("\r\n");
    }

private:
    void PointNumber(std::uint64_t number) {
        static constexpr std::string_view kPrefixes[] = {"P", "K", "S", "PP", "G-", "S\xB3"};
        if (m_random.Percent(12)) {
            m_out.Put(kPrefixes[m_random.Below(std::size(kPrefixes))]);
        }
        m_out.PutUnsigned(number);
    }
    void OtherNumber() {
        static constexpr std::string_view kPrefixes[] = {"A", "II-", "\x8C", "OG", ""};
        m_out.Put(kPrefixes[m_random.Below(std::size(kPrefixes))]);
        m_out.PutUnsigned(1 + m_random.Below(99999));
        if (m_random.Percent(10)) {
            m_out.Put('/');
            m_out.PutUnsigned(1 + m_random.Below(20));
        }
    }
    // Draws in a fixed order (arguments would be evaluated in any order).
    void Number(std::uint64_t base, std::uint64_t range, int decimals) {
        const std::uint64_t scaled = base + m_random.Below(range);
        const char mark = m_random.Percent(4) ? ',' : '.';
        m_out.PutFixed(scaled, decimals, mark);
    }
    void X() { Number(570000000, 10000000, 2); }
    void Y() { Number(650000000, 10000000, 2); }
    void H() {
        if (m_random.Percent(50)) {
            Number(10000, 20000, 2);
        } else {
            Number(100000, 200000, 3);
        }
    }
    void Sep() { m_out.Put(m_separator); }
    void Numbers(std::uint64_t number) {
        PointNumber(number);
        if (m_bSemicolon) {
            Sep();
            OtherNumber();
        }
    }

    void Point(std::uint64_t number, bool height, bool extra) {
        Numbers(number);
        Sep();
        X();
        Sep();
        Y();
        if (height) {
            Sep();
            H();
        }
        if (extra) {
            Sep();
            m_out.Put(m_random.Percent(50) ? "uwaga" : "0");
        }
    }
    void TooFewColumns(std::uint64_t number) {
        Numbers(number);
        if (m_random.Percent(50)) {
            Sep();
            X();
        }
    }
    void TextInNumberColumn(std::uint64_t number) {
        static constexpr std::string_view kWords[] = {"brak", "n/a", "X", "?", "b.d."};
        Numbers(number);
        const std::uint64_t column = m_random.Below(3);
        Sep();
        column == 0 ? m_out.Put(kWords[m_random.Below(std::size(kWords))]) : X();
        Sep();
        column == 1 ? m_out.Put(kWords[m_random.Below(std::size(kWords))]) : Y();
        Sep();
        column == 2 ? m_out.Put(kWords[m_random.Below(std::size(kWords))]) : H();
    }
    void LongNumber(std::uint64_t number) {
        const std::size_t length = 128 + m_random.Below(100);
        std::string text = "DZ";
        while (text.size() < length) {
            text.push_back(static_cast<char>('a' + m_random.Below(26)));
        }
        m_out.Put(text);
        m_out.PutUnsigned(number);
        if (m_bSemicolon) {
            Sep();
            OtherNumber();
        }
        Sep();
        X();
        Sep();
        Y();
        Sep();
        H();
    }

    Output& m_out;
    Random m_random;
    bool m_bSemicolon;
    char m_separator;
};

bool ParseUnsigned(const char* text, std::uint64_t& value) {
    const char* end = text + std::strlen(text);
    const auto result = std::from_chars(text, end, value);
    return result.ec == std::errc() && result.ptr == end;
}

} // namespace

int main(int argc, char** argv) {
    std::uint64_t lines = 0;
    std::uint64_t layout = 0;
    std::uint64_t seed = 0;
    if (argc != 5 || !ParseUnsigned(argv[1], lines) || !ParseUnsigned(argv[2], layout) ||
        (layout != 11 && layout != 13) || !ParseUnsigned(argv[3], seed)) {
        std::fputs("usage: velmora_bench_generate LINES 11|13 SEED OUTPUT\n", stderr);
        return 2;
    }
    std::FILE* file = std::fopen(argv[4], "wb");
    if (file == nullptr) {
        std::perror(argv[4]);
        return 1;
    }
    bool ok = true;
    {
        Output out(file);
        Generator generator(out, seed, static_cast<int>(layout));
        for (std::uint64_t i = 1; i <= lines; ++i) {
            generator.Line(i);
        }
        ok = out.Flush();
    }
    if (std::fclose(file) != 0 || !ok) {
        std::perror(argv[4]);
        return 1;
    }
    return 0;
}
