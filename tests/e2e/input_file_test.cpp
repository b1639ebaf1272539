// Choosing the input and output files through the real file dialogs: the paths the dialog fills
// in, the preview, the folder the file dialogs open in, and an input that cannot be opened.
#include "velmora.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

// Thirteen lines with mixed line ends; the preview shows the first twelve, each with CR LF.
const std::wstring kThirteenLines[] = {L"# pomiar Łódź, działka 12/3",
                                       L"101 5712345.01 6543210.01 101.5",
                                       L"",
                                       L"102\t5712346 6543211",
                                       L"  103 5712347,5 6543212,25",
                                       L"żółć ĄĘŚ",
                                       L"105 1 2 3",
                                       L"106 1 2 3",
                                       L"107 1 2 3",
                                       L"108 1 2 3",
                                       L"109 1 2 3",
                                       L"110 ostatnia w podglądzie",
                                       L"111 już poza podglądem"};

std::string ThirteenLineFile() {
    std::string bytes;
    for (size_t i = 0; i < std::size(kThirteenLines); ++i) {
        bytes += Ansi(kThirteenLines[i]) + (i % 3 == 1 ? "\n" : "\r\n");
    }
    return bytes;
}

std::wstring PreviewOfTwelve() {
    std::wstring text;
    for (size_t i = 0; i < 12; ++i) {
        text += kThirteenLines[i] + L"\r\n";
    }
    return text;
}

// The preview shows its text from the first line, with nothing selected.
void ExpectPreviewAtTop(Velmora& app) {
    const HWND preview = app.Control(IDC_PREVIEW);
    const auto selection = static_cast<DWORD>(SendMessageW(preview, EM_GETSEL, 0, 0));
    EXPECT_EQ(LOWORD(selection), HIWORD(selection)) << "text selected in the preview";
    EXPECT_EQ(SendMessageW(preview, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

void WaitInputPath(Velmora& app, const std::wstring& path) {
    WaitUntil([&] { return app.Text(IDC_INPUT_PATH) == path; }, "the input path " + Utf8(path));
}

TEST(InputFile, ChoosingFillsThePathsAndThePreviewAndIsRemembered) {
    Velmora app(L"wybór");
    const std::wstring survey = app.Folder().Subfolder(L"dane łąka");
    const std::wstring elsewhere = app.Folder().Subfolder(L"inne");
    const std::wstring input = survey + L"pomiar.txt";
    WriteBytes(input, ThirteenLineFile());
    WriteBytes(survey + L"krótki.csv", "1;2;3\r\n4;5;6\n7;8;9");
    WriteBytes(elsewhere + L"krótki.csv", "nie ten\r\n");

    app.ChooseInputFile(input);
    WaitInputPath(app, input);
    EXPECT_EQ(Utf8(app.Text(IDC_OUTPUT_PATH)), Utf8(input + L".wsd"));
    EXPECT_EQ(Utf8(app.Text(IDC_PREVIEW)), Utf8(PreviewOfTwelve()));
    ExpectPreviewAtTop(app);
    // The user scrolls down the preview; the next file shows from its top again.
    SendMessageW(app.Control(IDC_PREVIEW), WM_VSCROLL, SB_BOTTOM, 0);
    ASSERT_GT(SendMessageW(app.Control(IDC_PREVIEW), EM_GETFIRSTVISIBLELINE, 0, 0), 0);

    // The file dialog now opens in the chosen file's folder: a bare name is found there.
    app.ChooseInputFile(L"krótki.csv");
    WaitInputPath(app, survey + L"krótki.csv");
    EXPECT_EQ(Utf8(app.Text(IDC_OUTPUT_PATH)), Utf8(survey + L"krótki.csv.wsd"));
    EXPECT_EQ(Utf8(app.Text(IDC_PREVIEW)), "1;2;3\r\n4;5;6\r\n7;8;9\r\n");
    ExpectPreviewAtTop(app);

    // The output file dialog opens there too, and choosing an output touches nothing else.
    app.ChooseOutputFile(L"wynik.wsd");
    WaitUntil([&] { return app.Text(IDC_OUTPUT_PATH) == survey + L"wynik.wsd"; },
              "the output path");
    EXPECT_EQ(Utf8(app.Text(IDC_INPUT_PATH)), Utf8(survey + L"krótki.csv"));
    EXPECT_EQ(Utf8(app.Text(IDC_PREVIEW)), "1;2;3\r\n4;5;6\r\n7;8;9\r\n");

    // An output chosen elsewhere does not move where the file dialogs open.
    app.ChooseOutputFile(elsewhere + L"nowy.wsd");
    WaitUntil([&] { return app.Text(IDC_OUTPUT_PATH) == elsewhere + L"nowy.wsd"; },
              "the output path");
    app.ChooseOutputFile(L"drugi.wsd");
    WaitUntil([&] { return app.Text(IDC_OUTPUT_PATH) == survey + L"drugi.wsd"; },
              "the output path");
    app.ChooseInputFile(L"pomiar.txt");
    WaitInputPath(app, input);
    EXPECT_EQ(Utf8(app.Text(IDC_OUTPUT_PATH)), Utf8(input + L".wsd"));
    EXPECT_EQ(Utf8(app.Text(IDC_PREVIEW)), Utf8(PreviewOfTwelve()));

    // The input must exist; the output need not, and an existing one is taken without a question.
    ClickAndGoOn(app.Control(IDC_BROWSE_INPUT));
    EXPECT_TRUE(TryFileDialog(app.Process(), app.Dialog(), survey + L"nie ma.txt").has_value());
    WriteBytes(survey + L"stary.wsd", "#KONIEC\r\n");
    app.ChooseOutputFile(L"stary.wsd");
    WaitUntil([&] { return app.Text(IDC_OUTPUT_PATH) == survey + L"stary.wsd"; },
              "the output path");
    EXPECT_FALSE(app.Process().FindMessageBox().has_value());
    EXPECT_EQ(ReadBytes(survey + L"stary.wsd"), "#KONIEC\r\n");
    app.ChooseOutputFile(input + L".wsd");
    WaitUntil([&] { return app.Text(IDC_OUTPUT_PATH) == input + L".wsd"; }, "the output path");

    // Cancelling changes nothing.
    ClickAndGoOn(app.Control(IDC_BROWSE_INPUT));
    CancelFileDialog(app.Process(), app.Dialog());
    ClickAndGoOn(app.Control(IDC_BROWSE_OUTPUT));
    CancelFileDialog(app.Process(), app.Dialog());
    EXPECT_EQ(Utf8(app.Text(IDC_INPUT_PATH)), Utf8(input));
    EXPECT_EQ(Utf8(app.Text(IDC_OUTPUT_PATH)), Utf8(input + L".wsd"));
    EXPECT_EQ(Utf8(app.Text(IDC_PREVIEW)), Utf8(PreviewOfTwelve()));
    EXPECT_FALSE(app.Process().FindMessageBox().has_value());
}

TEST(InputFile, ANameWithoutExtensionGetsWsdAppended) {
    Velmora app(L"bez rozszerzenia");
    const std::wstring input = app.Folder() / L"punkty";
    WriteBytes(input, "");
    app.ChooseInputFile(input);
    WaitInputPath(app, input);
    EXPECT_EQ(Utf8(app.Text(IDC_OUTPUT_PATH)), Utf8(input + L".wsd"));
    EXPECT_EQ(app.Text(IDC_PREVIEW), L"");
}

TEST(InputFile, ABareOutputNameBecomesABatchFile) {
    Velmora app(L"wynik");
    const std::wstring input = app.Folder() / L"punkty.txt";
    WriteBytes(input, "101 5712345,12 6543210,50\r\n");
    app.ChooseInputFile(input);
    WaitInputPath(app, input);
    // The output file dialog opens in the input's folder; a name with an extension keeps it.
    for (const std::wstring_view typed : {L"wynik", L"raport.txt", L"wynik"}) {
        const std::wstring expected =
            app.Folder() / (typed == L"wynik" ? std::wstring_view(L"wynik.wsd") : typed);
        app.ChooseOutputFile(std::wstring(typed));
        PollUntil([&] { return app.Text(IDC_OUTPUT_PATH) == expected; }, kTimeout);
        EXPECT_EQ(Utf8(app.Text(IDC_OUTPUT_PATH)), Utf8(expected)) << "typed " << Utf8(typed);
    }
    SelectComboItem(app.Control(IDC_LAYOUT), 2); // "Numer X Y"
    app.PressGenerate();
    const auto box = app.WaitMessage();
    app.ExpectMessage(box, L"Plik wsadowy został wygenerowany.\n\nPunkty zapisane w pliku: 1");
    app.Answer(box);
    EXPECT_TRUE(FileExists(app.Folder() / L"wynik.wsd"));
    EXPECT_FALSE(FileExists(app.Folder() / L"wynik"));
}

TEST(InputFile, AnInputHeldByAnotherProgramIsReportedWithOkAndCancel) {
    Velmora app(L"zajęty");
    const std::wstring readable = app.Folder() / L"dobry.txt";
    WriteBytes(readable, "1 2 3\r\n");
    app.ChooseInputFile(readable);
    WaitInputPath(app, readable);
    ASSERT_EQ(app.Text(IDC_PREVIEW), L"1 2 3\r\n");

    const std::wstring held = app.Folder() / L"zajęty.txt";
    WriteBytes(held, "4 5 6\r\n");
    HeldFile hold(held);
    app.ChooseInputFile(held);
    auto box = app.WaitMessage();
    app.ExpectMessage(box, L"Błąd otwarcia pliku:\n" + held, true);
    // The paths are taken before the file is read; the preview keeps the previous file.
    EXPECT_EQ(Utf8(app.Text(IDC_INPUT_PATH)), Utf8(held));
    EXPECT_EQ(Utf8(app.Text(IDC_OUTPUT_PATH)), Utf8(held + L".wsd"));
    EXPECT_EQ(app.Text(IDC_PREVIEW), L"1 2 3\r\n");
    app.Answer(box, IDCANCEL);

    // Generating from it reports the same file, with OK only, and creates nothing.
    app.PressGenerate();
    box = app.WaitMessage();
    app.ExpectMessage(box, L"Błąd otwarcia pliku:\n" + held);
    app.Answer(box);
    EXPECT_FALSE(FileExists(held + L".wsd"));
    EXPECT_EQ(Utf8(app.Text(IDC_INPUT_PATH)), Utf8(held));
    EXPECT_EQ(Utf8(app.Text(IDC_OUTPUT_PATH)), Utf8(held + L".wsd"));

    // Answering OK does the same as Cancel.
    app.ChooseInputFile(held);
    box = app.WaitMessage();
    app.ExpectMessage(box, L"Błąd otwarcia pliku:\n" + held, true);
    app.Answer(box, IDOK);
    EXPECT_EQ(app.Text(IDC_PREVIEW), L"1 2 3\r\n");
    EXPECT_FALSE(app.Process().FindMessageBox().has_value());
}

} // namespace
} // namespace e2e
