// Write faults of the real disk: a full file system and a read-only folder. scripts/with-display
// runs the tests under scripts/with-fault-mounts, which mounts both for them alone; Wine shows
// the machine's / as Z:.
#include "velmora.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace e2e {
namespace {

// The folder an environment variable of scripts/with-fault-mounts names, as a Windows path
// ending in a backslash; empty when it is not set.
std::wstring FaultFolder(const wchar_t* name) {
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, path.data(), MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    path.resize(length);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return L"Z:" + path + L"\\";
}

std::string WhyNoFaultFolders() {
    std::wstring why(512, L'\0');
    why.resize(GetEnvironmentVariableW(L"VELMORA_NO_FAULT_MOUNTS", why.data(), 512));
    return "no fault mounts: " +
           (why.empty() ? "not run under scripts/with-fault-mounts" : Utf8(why));
}

void Paste(HWND edit, const std::wstring& text) {
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring AllText(Velmora& app) {
    std::wstring all;
    for (const int id : {IDC_INPUT_PATH, IDC_OUTPUT_PATH, IDC_PREVIEW, IDC_KERG_NUMBER, IDC_LAYOUT,
                         IDC_SEPARATOR, IDC_POINT_CODE}) {
        all += app.Text(id) + L"|";
    }
    return all + (app.Checked(IDC_KERG_CHECK) ? L"KERG" : L"-");
}

TEST(Fault, AFullDiskStopsTheBatchFileIncompleteAndKeepsTheDialog) {
    const std::wstring small = FaultFolder(L"VELMORA_SMALL_FS");
    if (small.empty()) {
        GTEST_SKIP() << WhyNoFaultFolders();
    }
    Velmora app(L"pełny dysk");
    const std::wstring input = app.Folder() / L"punkty.txt";
    // About 400 KB of records for a file system of 256 KB.
    std::string points;
    for (int i = 0; i < 10000; ++i) {
        points += std::to_string(1000 + i) + " 5712345,12 6543210,5\r\n";
    }
    WriteBytes(input, points);
    app.ChooseInputFile(input);
    WaitUntil([&] { return app.Text(IDC_INPUT_PATH) == input; }, "the input path");
    SelectComboItem(app.Control(IDC_LAYOUT), 2); // "Numer X Y"
    Click(app.Control(IDC_KERG_CHECK));
    Paste(app.Control(IDC_KERG_NUMBER), L"KERG 1");
    const std::wstring full = small + L"punkty.wsd";
    Paste(app.Control(IDC_OUTPUT_PATH), full);
    const std::wstring fields = AllText(app);

    app.PressGenerate();
    const auto box = app.WaitMessage();
    EXPECT_EQ(Utf8(box.text), Utf8(L"Disk full while accessing " + full + L"."));
    EXPECT_EQ(NameOf(box.icon), NameOf(Icon::Stop));
    app.Answer(box);
    EXPECT_FALSE(app.Process().FindMessageBox().has_value()) << "a message after the error";
    const auto written = ReadBytes(full);
    ASSERT_TRUE(written.has_value());
    EXPECT_GT(written->size(), 100'000u);
    EXPECT_EQ(written->find("#KONIEC"), std::string::npos);
    EXPECT_EQ(ReadBytes(input), points);
    EXPECT_EQ(Utf8(AllText(app)), Utf8(fields));

    // The same choices into a folder with room.
    const std::wstring roomy = app.Folder() / L"punkty.wsd";
    Paste(app.Control(IDC_OUTPUT_PATH), roomy);
    app.PressGenerate();
    const auto done = app.WaitMessage();
    app.ExpectMessage(done, L"Plik wsadowy został wygenerowany.\n\nPunkty zapisane w pliku: 10000");
    app.Answer(done);
    const auto batch = ReadBytes(roomy);
    ASSERT_TRUE(batch.has_value());
    EXPECT_TRUE(batch->ends_with("KR;10999;5712345.120000;6543210.500000;KERG 1\r\n#KONIEC\r\n"));
}

// The program and its code list lie in a read-only folder: the list is read, and a batch file
// of the same folder is neither replaced nor created.
TEST(Fault, AReadOnlyFolderGivesItsCodeListButTakesNoBatchFile) {
    const std::wstring folder = FaultFolder(L"VELMORA_READONLY_DIR");
    const std::wstring writable = FaultFolder(L"VELMORA_READONLY_SOURCE");
    if (folder.empty() || writable.empty()) {
        GTEST_SKIP() << WhyNoFaultFolders();
    }
    const std::string old = "# poprzedni wynik\r\n#KONIEC\r\n";
    WriteBytes(writable + L"stary.wsd", old);
    Velmora app(L"tylko odczyt", writable, folder,
                CodeList({L"RO,Punkt z listy tylko do odczytu"}));
    EXPECT_EQ(ComboItems(app.Control(IDC_POINT_CODE)), std::vector<std::wstring>{L"RO"});
    const std::wstring input = app.Folder() / L"punkty.txt";
    WriteBytes(input, "101 1 2\r\n");
    app.ChooseInputFile(input);
    WaitUntil([&] { return app.Text(IDC_INPUT_PATH) == input; }, "the input path");

    for (const std::wstring& output : {folder + L"stary.wsd", folder + L"nowy.wsd"}) {
        Paste(app.Control(IDC_OUTPUT_PATH), output);
        app.PressGenerate();
        const auto box = app.WaitMessage();
        app.ExpectMessage(box, L"Błąd otwarcia pliku:\n" + output);
        app.Answer(box);
    }
    EXPECT_EQ(ReadBytes(folder + L"stary.wsd"), old);
    EXPECT_FALSE(ReadBytes(folder + L"nowy.wsd").has_value());
}

} // namespace
} // namespace e2e
