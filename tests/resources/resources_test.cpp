// Checks the resources of the built 32-bit Velmora.exe value by value: the dialog
// templates, the string table, the icon group, the version record and the
// manifest, as well as the kind of program file and the DLLs it imports.
#include "pe_reader.h"
#include "resource_formats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#ifndef VELMORA_PRODUCT_EXE
#error "VELMORA_PRODUCT_EXE must name the Velmora.exe to check"
#endif

namespace {

using velmora::pe::PeImage;
using velmora::pe::Resource;
using velmora::pe::ResourceKey;
using velmora::res::NameOrOrdinal;
using velmora::res::ToUtf8;
namespace rt = velmora::pe::resource_type;

// Window, dialog and control styles.
constexpr std::uint32_t WS_POPUP = 0x80000000;
constexpr std::uint32_t WS_CHILD = 0x40000000;
constexpr std::uint32_t WS_VISIBLE = 0x10000000;
constexpr std::uint32_t WS_DISABLED = 0x08000000;
constexpr std::uint32_t WS_CAPTION = 0x00C00000;
constexpr std::uint32_t WS_BORDER = 0x00800000;
constexpr std::uint32_t WS_VSCROLL = 0x00200000;
constexpr std::uint32_t WS_HSCROLL = 0x00100000;
constexpr std::uint32_t WS_SYSMENU = 0x00080000;
constexpr std::uint32_t WS_GROUP = 0x00020000;
constexpr std::uint32_t WS_TABSTOP = 0x00010000;
constexpr std::uint32_t DS_MODALFRAME = 0x80;
constexpr std::uint32_t DS_SETFONT = 0x40;
constexpr std::uint32_t DS_FIXEDSYS = 0x08;
constexpr std::uint32_t DS_3DLOOK = 0x04;
constexpr std::uint32_t WS_EX_APPWINDOW = 0x00040000;
constexpr std::uint32_t WS_EX_STATICEDGE = 0x00020000;
constexpr std::uint32_t WS_EX_CONTEXTHELP = 0x00000400;
constexpr std::uint32_t BS_PUSHBUTTON = 0x0;
constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x1;
constexpr std::uint32_t BS_AUTOCHECKBOX = 0x3;
constexpr std::uint32_t BS_GROUPBOX = 0x7;
constexpr std::uint32_t BS_TYPEMASK = 0xF;
constexpr std::uint32_t SS_LEFT = 0x0;
constexpr std::uint32_t SS_CENTER = 0x1;
constexpr std::uint32_t SS_ICON = 0x3;
constexpr std::uint32_t SS_TYPEMASK = 0x1F;
constexpr std::uint32_t SS_NOPREFIX = 0x80;
constexpr std::uint32_t ES_MULTILINE = 0x4;
constexpr std::uint32_t ES_AUTOHSCROLL = 0x80;
constexpr std::uint32_t ES_READONLY = 0x800;
constexpr std::uint32_t CBS_DROPDOWNLIST = 0x3;
constexpr std::uint32_t CBS_TYPEMASK = 0x3;
constexpr std::uint32_t CBS_OEMCONVERT = 0x80;
constexpr std::uint32_t CBS_SORT = 0x100;
constexpr std::uint32_t CBS_UPPERCASE = 0x2000;
constexpr std::uint32_t CBS_LOWERCASE = 0x4000;

constexpr std::uint16_t kButton = 0x80;
constexpr std::uint16_t kEdit = 0x81;
constexpr std::uint16_t kStatic = 0x82;
constexpr std::uint16_t kComboBox = 0x85;

constexpr std::uint16_t kLangPolish = 0x0415;
constexpr std::uint16_t kLangNeutralSysDefault = 0x0800;
constexpr std::uint16_t kLangEnglishUs = 0x0409;
constexpr std::uint8_t kDefaultCharset = 1;

constexpr int IDOK = 1;
constexpr int kNoId = -1;

// The bits a control's style is compared on: the window bits the dialog relies on
// (visibility, tab stops, groups, disabled state, border and scroll bars) and the
// bits that make the control's kind.
constexpr std::uint32_t kWindowBits = WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_BORDER | WS_VSCROLL |
                                      WS_HSCROLL | WS_GROUP | WS_TABSTOP;

std::uint32_t ComparedBits(std::uint16_t atom) {
    switch (atom) {
    case kButton:
        return kWindowBits | BS_TYPEMASK;
    case kStatic:
        return kWindowBits | SS_TYPEMASK | SS_NOPREFIX;
    case kEdit:
        return kWindowBits | ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL;
    case kComboBox:
        return kWindowBits | CBS_TYPEMASK | CBS_SORT | CBS_OEMCONVERT | CBS_UPPERCASE |
               CBS_LOWERCASE;
    default:
        return kWindowBits;
    }
}

std::string StyleNames(std::uint32_t bits) {
    if (bits == 0) {
        return "none";
    }
    static const std::pair<std::uint32_t, const char*> kNames[] = {
        {WS_POPUP, "WS_POPUP"},       {WS_CHILD, "WS_CHILD"},     {WS_VISIBLE, "WS_VISIBLE"},
        {WS_DISABLED, "WS_DISABLED"}, {WS_CAPTION, "WS_CAPTION"}, {WS_VSCROLL, "WS_VSCROLL"},
        {WS_HSCROLL, "WS_HSCROLL"},   {WS_SYSMENU, "WS_SYSMENU"}, {WS_GROUP, "WS_GROUP"},
        {WS_TABSTOP, "WS_TABSTOP"},
    };
    std::string out;
    for (const auto& [bit, name] : kNames) {
        if ((bits & bit) == bit) {
            out += std::string(out.empty() ? "" : "|") + name;
            bits &= ~bit;
        }
    }
    if ((bits & WS_BORDER) != 0) {
        out += std::string(out.empty() ? "" : "|") + "WS_BORDER";
        bits &= ~WS_BORDER;
    }
    if (bits != 0) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%X", bits);
        out += std::string(out.empty() ? "" : "|") + hex;
    }
    return out;
}

struct ExpectedControl {
    int id;
    std::uint16_t atom;
    NameOrOrdinal text;
    std::int16_t x, y, cx, cy;
    std::uint32_t style; // within ComparedBits(atom); WS_CHILD | WS_VISIBLE are added
};

NameOrOrdinal Text(const char16_t* s) {
    return NameOrOrdinal::Text(s);
}

struct ExpectedDialog {
    int id;
    std::uint16_t language;
    std::uint32_t style;
    std::uint32_t exStyle;
    std::int16_t cx, cy;
    std::u16string title;
    std::vector<ExpectedControl> controls;
};

// Dialog 102, the main window.
ExpectedDialog MainDialog() {
    const std::uint32_t label = SS_LEFT | WS_GROUP;
    const std::uint32_t list = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    const std::uint32_t box = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
    return {
        102,
        kLangPolish,
        WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS | DS_3DLOOK,
        WS_EX_APPWINDOW | WS_EX_STATICEDGE | WS_EX_CONTEXTHELP,
        398,
        260,
        u"Velmora",
        {
            {kNoId, kButton, Text(u"Wejście"), 7, 3, 384, 162, BS_GROUPBOX},
            {kNoId, kStatic, Text(u"Plik wejściowy: "), 16, 15, 48, 8, label},
            {1001, kEdit, Text(u""), 66, 14, 292, 13, box | ES_READONLY},
            {1002, kButton, Text(u"..."), 364, 14, 18, 14, BS_PUSHBUTTON | WS_TABSTOP},
            {kNoId, kStatic, Text(u"Format:"), 38, 34, 26, 8, label},
            {1006, kComboBox, Text(u""), 66, 32, 111, 204, list | CBS_OEMCONVERT},
            {kNoId, kStatic, Text(u"Separator:"), 220, 34, 34, 8, label},
            {1007, kComboBox, Text(u""), 257, 32, 100, 217, list | CBS_OEMCONVERT},
            {kNoId, kStatic, Text(u"Podgląd: "), 16, 49, 48, 8, label},
            {1008, kEdit, Text(u""), 14, 61, 368, 97,
             ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | WS_VSCROLL | WS_BORDER},
            {kNoId, kButton, Text(u"Wyjście"), 7, 168, 384, 66, BS_GROUPBOX},
            {kNoId, kStatic, Text(u"Plik wyjściowy: "), 16, 181, 48, 8, label},
            {1003, kEdit, Text(u""), 66, 179, 292, 13, box},
            {1004, kButton, Text(u"..."), 364, 179, 18, 14, BS_PUSHBUTTON | WS_TABSTOP},
            {kNoId, kStatic, Text(u"Kod punktów: "), 16, 199, 47, 8, label},
            {1005, kComboBox, Text(u""), 66, 197, 68, 307, list | CBS_UPPERCASE},
            {1009, kButton, Text(u"Dopisać KERG:"), 157, 199, 92, 10, BS_AUTOCHECKBOX | WS_TABSTOP},
            {1010, kEdit, Text(u""), 250, 197, 132, 12, box | WS_DISABLED},
            {1011, kButton, Text(u"Dopisać wniosek ZUDP:"), 157, 214, 92, 10,
             BS_AUTOCHECKBOX | WS_TABSTOP},
            {1012, kEdit, Text(u""), 250, 213, 132, 12, box | WS_DISABLED},
            {1000, kButton, Text(u"Generuj"), 288, 239, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
            {IDOK, kButton, Text(u"Zamknij"), 341, 239, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
        },
    };
}

// Dialog 100, the About box.
ExpectedDialog AboutDialog() {
    return {
        100,
        kLangNeutralSysDefault,
        WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS,
        0,
        235,
        55,
        u"O programie",
        {
            {kNoId, kStatic, NameOrOrdinal::Ordinal(128), 11, 17, 20, 20, SS_ICON},
            {kNoId, kStatic, Text(u"Velmora wersja 13.3.0.0"), 40, 10, 119, 8,
             SS_CENTER | SS_NOPREFIX | WS_GROUP},
            {IDOK, kButton, Text(u"OK"), 178, 7, 50, 16, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP},
        },
    };
}

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

std::string LowerAscii(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

class ProductResources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_image.reset();
        s_error.clear();
        const std::string path = VELMORA_PRODUCT_EXE;
        if (!std::filesystem::exists(path)) {
            s_error = path + " does not exist: build the preset mingw32 first "
                             "(cmake --preset mingw32 && cmake --build --preset mingw32)";
            return;
        }
        try {
            s_image = std::make_unique<PeImage>(PeImage::Load(path));
        } catch (const std::exception& e) {
            s_error = path + ": " + e.what();
        }
    }

    static void TearDownTestSuite() { s_image.reset(); }

    // The one resource of that type and name; fails when it is missing or exists
    // in more than one language (the system would pick one by the UI language).
    static const Resource* Single(std::uint16_t type, std::uint16_t name) {
        const auto found = s_image->Find(ResourceKey::Number(type), ResourceKey::Number(name));
        if (found.size() != 1) {
            std::string languages;
            for (const Resource* r : found) {
                languages += ' ';
                languages += Hex(r->language);
            }
            ADD_FAILURE() << "resource type " << type << " name " << name << " exists "
                          << found.size() << " times (languages:" << languages << ")";
            return found.empty() ? nullptr : found.front();
        }
        return found.front();
    }

    static std::optional<std::u16string> String(int id) {
        const auto found =
            s_image->Find(ResourceKey::Number(rt::kString),
                          ResourceKey::Number(static_cast<std::uint16_t>(id / 16 + 1)));
        if (found.empty()) {
            return std::nullopt;
        }
        EXPECT_EQ(found.size(), 1u) << "string block of " << id << " exists in several languages";
        const auto strings = velmora::res::ParseStringBlock(found.front()->data);
        const std::u16string& s = strings[static_cast<std::size_t>(id % 16)];
        if (s.empty()) {
            return std::nullopt;
        }
        return s;
    }

    void CheckDialog(const ExpectedDialog& dialog) const;

    static std::unique_ptr<PeImage> s_image;
    static std::string s_error;
};

std::unique_ptr<PeImage> ProductResources::s_image;
std::string ProductResources::s_error;

void ProductResources::CheckDialog(const ExpectedDialog& dialog) const {
    const Resource* res = Single(rt::kDialog, static_cast<std::uint16_t>(dialog.id));
    ASSERT_NE(res, nullptr) << "dialog " << dialog.id << " is missing";
    EXPECT_EQ(res->language, dialog.language)
        << "dialog " << dialog.id << " language " << Hex(res->language);
    velmora::res::DialogTemplate d;
    ASSERT_NO_THROW(d = velmora::res::ParseDialogEx(res->data)) << "dialog " << dialog.id;

    EXPECT_EQ(d.style, dialog.style)
        << "dialog " << dialog.id << " style " << StyleNames(d.style) << " (" << Hex(d.style)
        << "), expected " << StyleNames(dialog.style) << " (" << Hex(dialog.style) << ")";
    EXPECT_EQ(d.exStyle, dialog.exStyle) << "dialog " << dialog.id << " exStyle";
    EXPECT_EQ(d.x, 0);
    EXPECT_EQ(d.y, 0);
    EXPECT_EQ(d.cx, dialog.cx);
    EXPECT_EQ(d.cy, dialog.cy);
    EXPECT_EQ(ToUtf8(d.title), ToUtf8(dialog.title));
    EXPECT_TRUE(d.menu.IsEmpty()) << "dialog " << dialog.id << " has a menu " << Describe(d.menu);
    EXPECT_TRUE(d.windowClass.IsEmpty())
        << "dialog " << dialog.id << " has a class " << Describe(d.windowClass);
    EXPECT_TRUE(d.hasFont);
    EXPECT_EQ(ToUtf8(d.typeface), "MS Shell Dlg");
    EXPECT_EQ(d.pointSize, 8);
    EXPECT_EQ(d.weight, 0) << "default weight";
    EXPECT_EQ(d.italic, 0);
    EXPECT_EQ(d.charset, kDefaultCharset);

    ASSERT_EQ(d.controls.size(), dialog.controls.size()) << "dialog " << dialog.id << " controls";
    for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
        const ExpectedControl& want = dialog.controls[i];
        const velmora::res::DialogControl& got = d.controls[i];
        SCOPED_TRACE("dialog " + std::to_string(dialog.id) + ", control #" + std::to_string(i + 1) +
                     " (id " + std::to_string(want.id) + " " + Describe(want.text) + ")");
        EXPECT_EQ(got.id, want.id);
        const auto atom = velmora::res::PredefinedClassAtom(got.windowClass);
        EXPECT_EQ(atom, std::optional<std::uint16_t>(want.atom))
            << "class " << Describe(got.windowClass);
        EXPECT_EQ(Describe(got.title), Describe(want.text)) << "text";
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        const std::uint32_t mask = ComparedBits(want.atom);
        const std::uint32_t expected = want.style | WS_CHILD | WS_VISIBLE;
        EXPECT_EQ(got.style & mask, expected)
            << "style " << StyleNames(got.style & mask) << ", expected " << StyleNames(expected)
            << "; extra " << StyleNames(got.style & mask & ~expected) << ", missing "
            << StyleNames(expected & ~(got.style & mask)) << " (full style " << Hex(got.style)
            << ")";
        EXPECT_TRUE(got.creationData.empty()) << "control carries creation data";
    }
}

TEST_F(ProductResources, IsA32BitGuiProgram) {
    ASSERT_TRUE(s_image) << s_error;
    EXPECT_EQ(s_image->OptionalMagic(), velmora::pe::optional_magic::kPe32) << "not PE32";
    EXPECT_EQ(s_image->Machine(), velmora::pe::machine::kI386) << "not i386";
    EXPECT_EQ(s_image->Subsystem(), 2) << "not the Windows GUI subsystem";
}

TEST_F(ProductResources, HasTheHeaderFlagsOfAGuiProgramFromWindowsCompilers) {
    ASSERT_TRUE(s_image) << s_error;
    const struct {
        std::uint16_t flag;
        const char* name;
    } kFlags[] = {
        {0x0040, "DYNAMIC_BASE (address space layout randomisation)"},
        {0x0100, "NX_COMPAT (data execution prevention)"},
        {0x8000, "TERMINAL_SERVER_AWARE"},
    };
    for (const auto& [flag, name] : kFlags) {
        EXPECT_NE(s_image->DllCharacteristics() & flag, 0) << name << " is not set";
    }
}

TEST_F(ProductResources, ImportsOnlyWindowsOwnDlls) {
    ASSERT_TRUE(s_image) << s_error;
    static const char* const kAllowed[] = {
        "kernel32.dll", "user32.dll",  "gdi32.dll",   "comctl32.dll", "comdlg32.dll", "ole32.dll",
        "oleaut32.dll", "shell32.dll", "shlwapi.dll", "advapi32.dll", "msvcrt.dll",
    };
    const auto& dlls = s_image->ImportedDlls();
    std::string all;
    for (const std::string& dll : dlls) {
        all += " " + dll;
    }
    SCOPED_TRACE("imports:" + all);
    bool commonControls = false;
    for (const std::string& dll : dlls) {
        const std::string name = LowerAscii(dll);
        const bool allowed =
            std::find(std::begin(kAllowed), std::end(kAllowed), name) != std::end(kAllowed) ||
            name.starts_with("api-ms-win-crt-");
        EXPECT_TRUE(allowed) << dll << " is not one of Windows' own DLLs";
        commonControls = commonControls || name == "comctl32.dll";
    }
    EXPECT_TRUE(commonControls) << "the common controls library is not imported";
}

TEST_F(ProductResources, MainDialogTemplate) {
    ASSERT_TRUE(s_image) << s_error;
    CheckDialog(MainDialog());
}

TEST_F(ProductResources, AboutBoxTemplate) {
    ASSERT_TRUE(s_image) << s_error;
    CheckDialog(AboutDialog());
}

TEST_F(ProductResources, StringTable) {
    ASSERT_TRUE(s_image) << s_error;
    const struct {
        int id;
        const char16_t* text;
    } kStrings[] = {
        {101, u"O programie Velmora..."},
        {1000, u"Uruchom generowanie piku wsadowego."},
        {1002, u"Wybierz plik wejściowy."},
        {1003, u"Wpisz ścieżkę do pliku wyjściowego."},
        {1004, u"Wybierz plik wyjściowy."},
        {1005, u"Wybierz kod, który zostanie przypisany punktom w pliku wyjściowym."},
        {1006, u"Wskaż, jakie dane zawiera plik wejściowy."},
        {1007, u"Wskaż, w jaki sposób rozdzielone są dane w pliku wejściowym."},
    };
    for (const auto& [id, text] : kStrings) {
        const auto got = String(id);
        ASSERT_TRUE(got.has_value()) << "string " << id << " is missing";
        EXPECT_EQ(ToUtf8(*got), ToUtf8(text)) << "string " << id;
    }
    // Controls without a tip, and the application title, which must come from the
    // program file's name.
    for (const int id : {IDOK, 1001, 1008, 1009, 1010, 1011, 1012, 0xE000}) {
        const auto got = String(id);
        EXPECT_FALSE(got.has_value()) << "string " << id << " should not exist but is \""
                                      << ToUtf8(got.value_or(u"")) << "\"";
    }
}

TEST_F(ProductResources, IconGroupHasTheTwelveImages) {
    ASSERT_TRUE(s_image) << s_error;
    const Resource* group = Single(rt::kGroupIcon, 128);
    ASSERT_NE(group, nullptr) << "icon group 128 is missing";
    const auto entries = velmora::res::ParseGroupIcon(group->data);

    using SizeDepth = std::pair<int, int>;
    std::vector<SizeDepth> expected = {{48, 8},  {32, 8},  {24, 8},  {16, 8},  {128, 32}, {96, 32},
                                       {72, 32}, {64, 32}, {48, 32}, {32, 32}, {24, 32},  {16, 32}};
    std::vector<SizeDepth> got;
    for (const auto& e : entries) {
        SCOPED_TRACE("icon " + std::to_string(e.iconId) + " " + std::to_string(e.width) + "px " +
                     std::to_string(e.bitCount) + " bpp");
        EXPECT_EQ(e.width, e.height) << "not square";
        EXPECT_EQ(e.planes, 1);
        got.emplace_back(e.width == 0 ? 256 : e.width, e.bitCount);

        const auto images =
            s_image->Find(ResourceKey::Number(rt::kIcon), ResourceKey::Number(e.iconId));
        ASSERT_EQ(images.size(), 1u) << "RT_ICON " << e.iconId << " missing or duplicated";
        const auto& data = images.front()->data;
        EXPECT_EQ(data.size(), e.bytesInRes) << "size in the group differs from the image";
        velmora::res::IconImageHeader h;
        ASSERT_NO_THROW(h = velmora::res::ParseIconImage(data));
        EXPECT_EQ(h.width, e.width);
        EXPECT_EQ(h.height, 2 * e.height) << "colour bitmap plus AND mask";
        EXPECT_EQ(h.bitCount, e.bitCount);
        EXPECT_EQ(h.compression, 0u);
        EXPECT_EQ(h.expectedSize, data.size()) << "image data does not fit its header";
    }
    std::sort(expected.begin(), expected.end());
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, expected) << "icon sizes and colour depths";
}

TEST_F(ProductResources, VersionRecord) {
    ASSERT_TRUE(s_image) << s_error;
    const Resource* res = Single(rt::kVersion, 1);
    ASSERT_NE(res, nullptr) << "version record 1 is missing";
    EXPECT_EQ(res->language & 0x3FF, 0) << "not language neutral: " << Hex(res->language);
    velmora::res::VersionInfo v;
    ASSERT_NO_THROW(v = velmora::res::ParseVersionInfo(res->data));
    EXPECT_EQ(ToUtf8(v.rootKey), "VS_VERSION_INFO");
    ASSERT_TRUE(v.fixed.has_value()) << "no VS_FIXEDFILEINFO";
    const auto& f = *v.fixed;
    const std::uint32_t high = (18u << 16) | 3u; // 18.3
    EXPECT_EQ(f.fileVersionMs, high);
    EXPECT_EQ(f.fileVersionLs, 0u);
    EXPECT_EQ(f.productVersionMs, high);
    EXPECT_EQ(f.productVersionLs, 0u);
    EXPECT_EQ(f.fileFlagsMask, 0x3Fu);
    EXPECT_EQ(f.fileFlags, 0u);
    EXPECT_EQ(f.fileOs, 4u) << "VOS__WINDOWS32";
    EXPECT_EQ(f.fileType, 1u) << "VFT_APP";
    EXPECT_EQ(f.fileSubtype, 0u);

    ASSERT_EQ(v.stringTables.size(), 1u) << "one string block";
    const auto block = v.stringTables.find(u"041504e4");
    ASSERT_TRUE(block != v.stringTables.end())
        << "string block is \"" << ToUtf8(v.stringTables.begin()->first) << "\"";
    const auto& values = block->second;
    const auto value = [&](const std::u16string& key) -> std::string {
        const auto it = values.find(key);
        return it == values.end() ? "<missing>" : ToUtf8(it->second);
    };
    EXPECT_EQ(value(u"FileDescription"), "Velmora dla KARTOVIA 7");
    EXPECT_EQ(value(u"ProductName"), "Velmora dla KARTOVIA 7");
    EXPECT_EQ(value(u"FileVersion"), "18.3.0.0");
    EXPECT_EQ(value(u"ProductVersion"), "18.3.0.0");
    for (const char16_t* key :
         {u"CompanyName", u"LegalCopyright", u"InternalName", u"OriginalFilename"}) {
        const std::string text = value(key);
        EXPECT_TRUE(text != "<missing>" && !text.empty()) << ToUtf8(key) << " is missing or empty";
    }
    using Translation = std::pair<std::uint16_t, std::uint16_t>;
    EXPECT_EQ(v.translations, (std::vector<Translation>{{0x0415, 0x04E4}}));
}

TEST_F(ProductResources, ManifestAsksForCommonControls6AndNoElevation) {
    ASSERT_TRUE(s_image) << s_error;
    const auto manifests = s_image->FindType(ResourceKey::Number(rt::kManifest));
    ASSERT_EQ(manifests.size(), 1u) << "expected exactly one manifest resource";
    const Resource& m = *manifests.front();
    EXPECT_EQ(m.name, ResourceKey::Number(1)) << "manifest is not resource 1";
    EXPECT_EQ(m.language, kLangEnglishUs) << "manifest language " << Hex(m.language);
    const std::string xml(m.data.begin(), m.data.end());
    SCOPED_TRACE("manifest:\n" + xml);

    int commonControls = 0;
    for (const auto& e : velmora::res::FindXmlElements(xml, "assemblyIdentity")) {
        const auto name = e.attributes.find("name");
        if (name == e.attributes.end() || name->second != "Microsoft.Windows.Common-Controls") {
            continue;
        }
        ++commonControls;
        const auto attribute = [&](const std::string& key) {
            const auto it = e.attributes.find(key);
            return it == e.attributes.end() ? std::string("<missing>") : it->second;
        };
        EXPECT_EQ(attribute("version"), "6.0.0.0");
        EXPECT_EQ(attribute("processorArchitecture"), "x86");
        EXPECT_EQ(attribute("type"), "win32");
        EXPECT_EQ(LowerAscii(attribute("publicKeyToken")), "6595b64144ccf1df");
    }
    EXPECT_EQ(commonControls, 1) << "dependency on the common controls assembly";

    const auto levels = velmora::res::FindXmlElements(xml, "requestedExecutionLevel");
    ASSERT_EQ(levels.size(), 1u) << "requestedExecutionLevel";
    const auto& attrs = levels.front().attributes;
    EXPECT_EQ(attrs.count("level") ? attrs.at("level") : "<missing>", "asInvoker");
    EXPECT_EQ(attrs.count("uiAccess") ? LowerAscii(attrs.at("uiAccess")) : "<missing>", "false");

    const auto dpi = velmora::res::FindXmlElements(xml, "dpiAware");
    ASSERT_EQ(dpi.size(), 1u) << "dpiAware";
    EXPECT_EQ(LowerAscii(Trim(dpi.front().text)), "true");
}

} // namespace

// The reader must refuse damaged files with FormatError rather than read past
// their end.
TEST(PeReader, RejectsDamagedImages) {
    std::vector<std::uint8_t> header(0x40, 0);
    header[0] = 'M';
    header[1] = 'Z';
    std::vector<std::uint8_t> farHeader = header;
    farHeader[0x3C] = 0xF0; // PE header beyond the end of the file
    std::vector<std::uint8_t> noSignature = header;
    noSignature[0x3C] = 0x3C;
    std::vector<std::uint8_t> truncatedCoff = header;
    truncatedCoff[0x3C] = 0x40; // signature right after the DOS header, COFF header cut short
    truncatedCoff.insert(truncatedCoff.end(), {'P', 'E', 0, 0, 0x4C, 0x01});
    const std::vector<std::vector<std::uint8_t>> cases = {
        {}, {'M', 'Z'}, header, farHeader, noSignature, truncatedCoff,
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_THROW(PeImage::Parse(cases[i]), velmora::pe::FormatError) << "case " << i;
    }
}
