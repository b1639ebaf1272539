// Fuzzes the point-code list parser: the input is the list file's bytes.

#include "catalogue.h"
#include "errors.h"
#include "fuzz_support.h"
#include "platform.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

bool g_bMessageShown = false;

void RecordMessage(const std::string&) {
    g_bMessageShown = true;
}

bool HasLowercaseAscii(std::string_view text) {
    for (const char c : text) {
        if (c >= 'a' && c <= 'z') {
            return true;
        }
    }
    return false;
}

template <typename Getter> bool Throws(Getter getter) {
    try {
        getter();
    } catch (const velmora::InvalidArgumentError&) {
        return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    velmora::platform::SetMessageFunction(RecordMessage);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = fuzz::TempPath("ListaKodow.txt");
    fuzz::WriteFile(path, bytes);

    g_bMessageShown = false;
    const velmora::CCatalogue catalogue(path);
    fuzz::Check(!g_bMessageShown, "a readable list was reported as unreadable");

    fuzz::Check(catalogue.GetLayoutCount() == 14, "layout count");
    fuzz::Check(catalogue.GetSeparatorCount() == 5, "separator count");

    const std::vector<fuzz::PointCode> expected = fuzz::ModelPointCodes(bytes);
    const int count = catalogue.GetCodeCount();
    fuzz::Check(count == static_cast<int>(expected.size()), "number of point codes");
    for (int i = 0; i < count; ++i) {
        const std::string code = catalogue.GetCode(i);
        const std::string description = catalogue.GetDescription(i);
        fuzz::Check(!code.empty() && !description.empty(), "empty code or description");
        fuzz::Check(fuzz::TrimList(code) == code, "code not trimmed");
        fuzz::Check(fuzz::TrimList(description) == description, "description not trimmed");
        fuzz::Check(!HasLowercaseAscii(code), "lowercase letter in a code");
        fuzz::Check(velmora::UppercaseCp1250(code) == code, "code not uppercase");
        fuzz::Check(code.find('\0') == std::string::npos, "NUL in a code");
        fuzz::Check(description.find('\0') == std::string::npos, "NUL in a description");
        fuzz::Check(code == expected[i].code, "code differs from the list rules");
        fuzz::Check(description == expected[i].description,
                    "description differs from the list rules");
    }

    // Codes and descriptions end at the same index.
    fuzz::Check(Throws([&] { return catalogue.GetCode(count); }), "GetCode past the end");
    fuzz::Check(Throws([&] { return catalogue.GetDescription(count); }),
                "GetDescription past the end");
    fuzz::Check(Throws([&] { return catalogue.GetCode(-1); }), "GetCode(-1)");
    fuzz::Check(Throws([&] { return catalogue.GetDescription(-1); }), "GetDescription(-1)");
    return 0;
}
