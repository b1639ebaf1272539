// The table of the fourteen input layouts.

#include "layouts.h"

#include "errors.h"

namespace velmora {

namespace {

constexpr FieldFormat T = FieldFormat::Text;
constexpr FieldFormat F6 = FieldFormat::Fixed6;
constexpr FieldFormat F3 = FieldFormat::Fixed3;

// Fields are listed in output order; the short record (where there is one)
// is the full record without its last field, keeping that field's ';'.
// Each layout: name, definition, full count, short count, field count, then
// its fields (token, format).
// clang-format off
constexpr std::array<Layout, kLayoutCount> kLayouts = {{
    {"Numer X Y RZG", "_code.n;_number;_X;_Y;RZG", 4, 0, 4,
     {{{0, T}, {1, F6}, {2, F6}, {3, F3}, {}}}},
    {"Numer_inny X Y", "_code.n;NRI;_X;_Y", 3, 0, 3,
     {{{0, T}, {1, F6}, {2, F6}, {}, {}}}},
    {"Numer X Y", "_code.n;_number;_X;_Y", 3, 0, 3,
     {{{0, T}, {1, F6}, {2, F6}, {}, {}}}},
    {"Numer X Y RZG RZD", "_code.n;_number;_X;_Y;RZG;RZD", 5, 4, 5,
     {{{0, T}, {1, F6}, {2, F6}, {3, F3}, {4, F3}}}},
    {"Numer X Y RZD", "_code.n;_number;_X;_Y;RZD", 4, 0, 4,
     {{{0, T}, {1, F6}, {2, F6}, {3, F3}, {}}}},
    {"Numer X Y H RZG", "_code.n;_number;_X;_Y;_H;RZG", 5, 0, 5,
     {{{0, T}, {1, F6}, {2, F6}, {3, F3}, {4, F3}}}},
    {"Numer X Y H RZD", "_code.n;_number;_X;_Y;_H;RZD", 5, 0, 5,
     {{{0, T}, {1, F6}, {2, F6}, {3, F3}, {4, F3}}}},
    {"X Y", "_code.n;_X;_Y", 2, 0, 2,
     {{{0, F6}, {1, F6}, {}, {}, {}}}},
    {"X Y H", "_code.n;_X;_Y;_H", 3, 2, 3,
     {{{0, F6}, {1, F6}, {2, F3}, {}, {}}}},
    {"Numer_inny X Y H", "_code.n;NRI;_X;_Y;_H", 4, 3, 4,
     {{{0, T}, {1, F6}, {2, F6}, {3, F3}, {}}}},
    // The input holds Y before X; the record puts X first.
    {"Numer_inny Y X", "_code.n;NRI;_X;_Y", 3, 0, 3,
     {{{0, T}, {2, F6}, {1, F6}, {}, {}}}},
    {"Numer X Y H", "_code.n;_number;_X;_Y;_H", 4, 3, 4,
     {{{0, T}, {1, F6}, {2, F6}, {3, F3}, {}}}},
    {"Numer Numer_inny X Y", "_code.n;_number;NRI;_X;_Y", 4, 0, 4,
     {{{0, T}, {1, T}, {2, F6}, {3, F6}, {}}}},
    {"Numer Numer_inny X Y H", "_code.n;_number;NRI;_X;_Y;_H", 5, 4, 5,
     {{{0, T}, {1, T}, {2, F6}, {3, F6}, {4, F3}}}},
}};
// clang-format on

} // namespace

const Layout& GetLayout(int index) {
    if (index < 0 || index >= kLayoutCount) {
        throw InvalidArgumentError();
    }
    return kLayouts[static_cast<std::size_t>(index)];
}

} // namespace velmora
