// "Generuj": the checks before the job, a whole generation checked byte for byte, and the
// failures a user meets (output = input, no code list).
#include "velmora.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace e2e {
namespace {

constexpr wchar_t kSuccess[] = L"Plik wsadowy został wygenerowany.\n\nPunkty zapisane w pliku: ";
// "zła linia", line 5 of the input below, gives no point in either layout.
constexpr wchar_t kFourAndLineFive[] = L"4\nWiersze pominięte: 1 (5)";

TEST(Generate, WithoutAnInputPathAsksForOneAndFocusesItsButton) {
    Velmora app(L"brak wejścia");
    app.PressGenerate();
    auto box = app.WaitMessage();
    app.ExpectMessage(box, L"Nie wskazano pliku wejściowego");
    EXPECT_FALSE(IsWindowEnabled(app.Dialog())) << "the message is modal to the dialog";
    app.Answer(box);
    WaitUntil([&] { return app.FocusedControl() == IDC_BROWSE_INPUT; }, "the focus on button 1002");

    // A typed output path alone is not enough either.
    ReplaceText(app.Control(IDC_OUTPUT_PATH), L"C:\\wynik.wsd");
    app.PressGenerate();
    box = app.WaitMessage();
    app.ExpectMessage(box, L"Nie wskazano pliku wejściowego");
    app.Answer(box);
    WaitUntil([&] { return app.FocusedControl() == IDC_BROWSE_INPUT; }, "the focus on button 1002");
    EXPECT_EQ(app.Text(IDC_OUTPUT_PATH), L"C:\\wynik.wsd");
}

TEST(Generate, WithoutAnOutputPathAsksForOneAndFocusesIt) {
    Velmora app(L"brak wyjścia");
    const std::wstring input = app.Folder() / L"punkty.txt";
    WriteBytes(input, "1 2 3\r\n");
    app.ChooseInputFile(input);
    WaitUntil([&] { return app.Text(IDC_INPUT_PATH) == input; }, "the input path");
    ReplaceText(app.Control(IDC_OUTPUT_PATH), L"");
    ASSERT_EQ(app.Text(IDC_OUTPUT_PATH), L"");
    app.PressGenerate();
    const auto box = app.WaitMessage();
    app.ExpectMessage(box, L"Nie wskazano pliku wyjściowego");
    app.Answer(box);
    WaitUntil([&] { return app.FocusedControl() == IDC_OUTPUT_PATH; },
              "the focus on the output path");
    EXPECT_EQ(Utf8(app.Text(IDC_INPUT_PATH)), Utf8(input));
    EXPECT_EQ(app.Text(IDC_PREVIEW), L"1 2 3\r\n");
}

TEST(Generate, AWholeGenerationWritesTheBatchFileBeforeReportingSuccess) {
    Velmora app(L"generowanie");
    const std::wstring input = app.Folder().Subfolder(L"pomiary łąka") + L"działka 7.txt";
    const std::string inputBytes = Ansi(L"101;5712345,12;6543210.5;102,3\r\n"
                                        L"\r\n"
                                        L"  102;5712346.125;6543211;103\n"
                                        L"103;1;2\r\n"
                                        L"zła linia\r\n"
                                        L"104;-0,5;7e2;1,2345\r\n");
    WriteBytes(input, inputBytes);

    app.ChooseInputFile(input);
    WaitUntil([&] { return app.Text(IDC_INPUT_PATH) == input; }, "the input path");
    const std::wstring output = input + L".wsd";
    ASSERT_EQ(Utf8(app.Text(IDC_OUTPUT_PATH)), Utf8(output));
    SelectComboItem(app.Control(IDC_LAYOUT), 11);    // "Numer X Y H"
    SelectComboItem(app.Control(IDC_SEPARATOR), 0);  // ";"
    SelectComboItem(app.Control(IDC_POINT_CODE), 1); // "SŁ"
    ASSERT_EQ(Utf8(TextOf(app.Control(IDC_LAYOUT))), "Numer X Y H");
    Click(app.Control(IDC_KERG_CHECK));
    TypeText(app.Control(IDC_KERG_NUMBER), L"KERG-2024/7");

    const std::string expected =
        Ansi(L"# Plik wsadowy KARTOVIA 7, wygenerowany przez program Velmora\r\n"
             L"# \r\n"
             L"#Słup energetyczny=_code.n;_number;_X;_Y;_H;KRG.n\r\n"
             L"SŁ;101;5712345.120000;6543210.500000;102.300;KERG-2024/7\r\n"
             L"SŁ;102;5712346.125000;6543211.000000;103.000;KERG-2024/7\r\n"
             L"SŁ;103;1.000000;2.000000;;KERG-2024/7\r\n"
             L"SŁ;104;-0.500000;700.000000;1.234;KERG-2024/7\r\n"
             L"#KONIEC\r\n");

    app.PressGenerate();
    const auto box = app.WaitMessage();
    app.ExpectMessage(box, std::wstring(kSuccess) + kFourAndLineFive);
    // While the success message is on screen the batch file is already complete and closed.
    const auto whileShown = ReadBytes(output);
    ASSERT_TRUE(whileShown.has_value()) << "the batch file is still held by the program";
    EXPECT_EQ(*whileShown, expected);
    app.Answer(box);

    for (const int box :
         {IDC_INPUT_PATH, IDC_OUTPUT_PATH, IDC_PREVIEW, IDC_KERG_NUMBER, IDC_ZUDP_NUMBER}) {
        WaitUntil([&] { return app.Text(box).empty(); }, "box " + std::to_string(box) + " emptied");
    }
    EXPECT_EQ(ReadBytes(output), expected);
    EXPECT_EQ(ReadBytes(input), inputBytes);
    // The choices stay.
    EXPECT_EQ(ComboSelection(app.Control(IDC_LAYOUT)), 11);
    EXPECT_EQ(ComboSelection(app.Control(IDC_SEPARATOR)), 0);
    EXPECT_EQ(ComboSelection(app.Control(IDC_POINT_CODE)), 1);
    EXPECT_TRUE(app.Checked(IDC_KERG_CHECK));
    EXPECT_TRUE(app.Enabled(IDC_KERG_NUMBER));
    EXPECT_FALSE(app.Enabled(IDC_ZUDP_NUMBER));

    // Pressing "Generuj" again at once asks for an input file.
    app.PressGenerate();
    const auto again = app.WaitMessage();
    app.ExpectMessage(again, L"Nie wskazano pliku wejściowego");
    app.Answer(again);
    WaitUntil([&] { return app.FocusedControl() == IDC_BROWSE_INPUT; }, "the focus on button 1002");

    // The remembered folder survives the generation; ZUDP replaces KERG in the file.
    app.ChooseInputFile(L"działka 7.txt");
    WaitUntil([&] { return app.Text(IDC_INPUT_PATH) == input; }, "the input path again");
    Click(app.Control(IDC_ZUDP_CHECK));
    TypeText(app.Control(IDC_ZUDP_NUMBER), L"Z 1");
    SelectComboItem(app.Control(IDC_LAYOUT), 7);     // "X Y"
    SelectComboItem(app.Control(IDC_POINT_CODE), 2); // "POM"
    app.PressGenerate();
    const auto second = app.WaitMessage();
    app.ExpectMessage(second, std::wstring(kSuccess) + kFourAndLineFive);
    app.Answer(second);
    EXPECT_EQ(ReadBytes(output),
              Ansi(L"# Plik wsadowy KARTOVIA 7, wygenerowany przez program Velmora\r\n"
                   L"# \r\n"
                   L"#Punkt pomiarowy, stały=_code.n;_X;_Y;NWN.n\r\n"
                   L"POM;101.000000;5712345.120000;Z 1\r\n"
                   L"POM;102.000000;5712346.125000;Z 1\r\n"
                   L"POM;103.000000;1.000000;Z 1\r\n"
                   L"POM;104.000000;-0.500000;Z 1\r\n"
                   L"#KONIEC\r\n"));
}

// Point lists as Excel saves "Tekst Unicode" (UTF-16 with its mark, tabs) and Notepad saves
// UTF-8 (no mark): the preview and the batch file hold the Polish point names.
TEST(Generate, UnicodeFilesFromExcelAndNotepadKeepTheirPolishPointNames) {
    Velmora app(L"unicode");
    const std::wstring table = L"Nr\tX\tY\tH\r\nŚ101\t5712345,12\t6543210,50\t101,5\r\n"
                               L"Łąka-2\t1\t2\t3\r\n103\t4\t5\t6\r\n";
    std::wstring text = table;
    std::ranges::replace(text, L'\t', L' ');
    std::string excel = "\xFF\xFE";
    excel.append(reinterpret_cast<const char*>(table.data()), table.size() * sizeof(wchar_t));
    const struct {
        std::wstring name;
        std::string bytes;
        std::wstring preview;
        int separator;
    } files[] = {{L"tekst unicode.txt", excel, table, 2}, {L"notatnik.txt", Utf8(text), text, 3}};
    SelectComboItem(app.Control(IDC_LAYOUT), 11); // "Numer X Y H"
    for (const auto& file : files) {
        const std::wstring input = app.Folder() / file.name;
        WriteBytes(input, file.bytes);
        app.ChooseInputFile(input);
        WaitUntil([&] { return app.Text(IDC_INPUT_PATH) == input; }, "the input path");
        EXPECT_EQ(Utf8(app.Text(IDC_PREVIEW)), Utf8(file.preview));
        SelectComboItem(app.Control(IDC_SEPARATOR), file.separator);
        app.PressGenerate();
        const auto box = app.WaitMessage();
        app.ExpectMessage(box, std::wstring(kSuccess) + L"3\nWiersze pominięte: 1 (1)");
        app.Answer(box);
        WaitUntil([&] { return app.Text(IDC_INPUT_PATH).empty(); }, "the input path emptied");
        EXPECT_EQ(ReadBytes(input + L".wsd"),
                  Ansi(L"# Plik wsadowy KARTOVIA 7, wygenerowany przez program Velmora\r\n"
                       L"# \r\n"
                       L"#Kamień graniczny=_code.n;_number;_X;_Y;_H\r\n"
                       L"KR;Ś101;5712345.120000;6543210.500000;101.500\r\n"
                       L"KR;Łąka-2;1.000000;2.000000;3.000\r\n"
                       L"KR;103;4.000000;5.000000;6.000\r\n"
                       L"#KONIEC\r\n"))
            << Utf8(file.name);
        EXPECT_EQ(ReadBytes(input), file.bytes);
    }
}

// A QGIS export ("Save Features As... CSV", UTF-8): the texts that look like numbers and
// those holding a comma come quoted. The quotes go, the comma and a doubled quote stay.
TEST(Generate, AQgisExportLosesItsQuotesAndKeepsTheCommasInItsNames) {
    Velmora app(L"eksport qgis");
    const std::wstring input = app.Folder() / L"punkty.csv";
    const std::string bytes = Utf8(L"nr,opis,X,Y\r\n"
                                   L"\"101\",\"Kraków, ul. Długa\",5712345.12,6543210.55\r\n"
                                   L"\"102\",\"\",5712346.5,6543211.25\r\n"
                                   L"\"103\",\"Słup \"\"A\"\"\",5712347,6543212\r\n");
    WriteBytes(input, bytes);
    app.ChooseInputFile(input);
    WaitUntil([&] { return app.Text(IDC_INPUT_PATH) == input; }, "the input path");
    SelectComboItem(app.Control(IDC_LAYOUT), 12);   // "Numer Numer_inny X Y"
    SelectComboItem(app.Control(IDC_SEPARATOR), 1); // ","
    app.PressGenerate();
    const auto box = app.WaitMessage();
    app.ExpectMessage(box, std::wstring(kSuccess) + L"2\nWiersze pominięte: 2 (1, 3)");
    app.Answer(box);
    WaitUntil([&] { return app.Text(IDC_INPUT_PATH).empty(); }, "the input path emptied");
    EXPECT_EQ(ReadBytes(input + L".wsd"),
              Ansi(L"# Plik wsadowy KARTOVIA 7, wygenerowany przez program Velmora\r\n"
                   L"# \r\n"
                   L"#Kamień graniczny=_code.n;_number;NRI;_X;_Y\r\n"
                   L"KR;101;Kraków, ul. Długa;5712345.120000;6543210.550000\r\n"
                   L"KR;103;Słup \"A\";5712347.000000;6543212.000000\r\n"
                   L"#KONIEC\r\n"));
    EXPECT_EQ(ReadBytes(input), bytes);
}

TEST(Generate, OutputNamingTheInputFailsAndLeavesTheInputAlone) {
    Velmora app(L"to samo");
    const std::wstring input = app.Folder() / L"punkty.txt";
    const std::string inputBytes = "101 1 2\r\n102 3 4\r\n";
    WriteBytes(input, inputBytes);
    app.ChooseInputFile(input);
    WaitUntil([&] { return app.Text(IDC_INPUT_PATH) == input; }, "the input path");
    ReplaceText(app.Control(IDC_OUTPUT_PATH), input);
    app.PressGenerate();
    const auto box = app.WaitMessage();
    app.ExpectMessage(box, L"Błąd otwarcia pliku:\n" + input);
    app.Answer(box);
    // The command holds the input until it returns, a moment after the box closed.
    const std::string after =
        WaitFor<std::string>([&] { return ReadBytes(input); }, "the input released by the command");
    EXPECT_EQ(after, inputBytes);
    EXPECT_EQ(Utf8(app.Text(IDC_INPUT_PATH)), Utf8(input));
    EXPECT_EQ(Utf8(app.Text(IDC_OUTPUT_PATH)), Utf8(input));
    EXPECT_EQ(app.Text(IDC_PREVIEW), L"101 1 2\r\n102 3 4\r\n");
    EXPECT_FALSE(app.Process().FindMessageBox().has_value());
}

TEST(Generate, AnOutputHeldByAnotherProgramIsLeftAsItWas) {
    Velmora app(L"wyjście zajęte");
    const std::wstring input = app.Folder() / L"punkty.txt";
    WriteBytes(input, "101 1 2 3\r\n");
    const std::wstring output = app.Folder() / L"wynik.wsd";
    const std::string outputBytes = "# poprzedni wynik\r\n#KONIEC\r\n";
    WriteBytes(output, outputBytes);
    app.ChooseInputFile(input);
    WaitUntil([&] { return app.Text(IDC_INPUT_PATH) == input; }, "the input path");
    ReplaceText(app.Control(IDC_OUTPUT_PATH), output);
    {
        HeldFile hold(output);
        app.PressGenerate();
        const auto box = app.WaitMessage();
        app.ExpectMessage(box, L"Błąd otwarcia pliku:\n" + output);
        app.Answer(box);
    }
    EXPECT_EQ(ReadBytes(output), outputBytes);
    EXPECT_EQ(Utf8(app.Text(IDC_OUTPUT_PATH)), Utf8(output));

    // Once it is free, the same press replaces it.
    app.PressGenerate();
    const auto box = app.WaitMessage();
    app.ExpectMessage(box, std::wstring(kSuccess) + L"1");
    app.Answer(box);
    const auto written = ReadBytes(output);
    ASSERT_TRUE(written.has_value());
    EXPECT_TRUE(written->ends_with("KR;101;1.000000;2.000000;3.000\r\n#KONIEC\r\n")) << *written;
}

TEST(Generate, WithoutTheCodeListNothingIsWritten) {
    Velmora app(L"bez listy łąka", std::nullopt);
    const std::wstring listMessage = L"Nie można otworzyć pliku '" + app.ListPath() + L"'!";

    // The list's message comes before the dialog.
    auto box = app.WaitMessage();
    EXPECT_FALSE(app.DialogShown());
    EXPECT_EQ(Utf8(box.text), Utf8(listMessage));
    EXPECT_EQ(Utf8(box.caption), "Velmora");
    EXPECT_EQ(NameOf(box.icon), NameOf(Icon::Exclamation));
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    app.Answer(box);

    EXPECT_TRUE(ComboItems(app.Control(IDC_POINT_CODE)).empty());
    EXPECT_EQ(ComboSelection(app.Control(IDC_POINT_CODE)), -1);
    EXPECT_EQ(ComboSelection(app.Control(IDC_LAYOUT)), 0);
    EXPECT_EQ(ComboSelection(app.Control(IDC_SEPARATOR)), 3);

    const std::wstring input = app.Folder() / L"punkty.txt";
    WriteBytes(input, "101 1 2\r\n");
    app.ChooseInputFile(input);
    WaitUntil([&] { return app.Text(IDC_INPUT_PATH) == input; }, "the input path");
    const std::wstring proposed = input + L".wsd";
    const std::wstring existing = app.Folder() / L"istniejący.wsd";
    const std::string existingBytes = "# stary plik\r\n#KONIEC\r\n";
    WriteBytes(existing, existingBytes);

    for (const auto& output : {proposed, existing}) {
        SCOPED_TRACE(Utf8(output));
        ReplaceText(app.Control(IDC_OUTPUT_PATH), output);
        app.PressGenerate();
        // The writer reads the list again and says so first.
        box = app.WaitMessage();
        app.ExpectMessage(box, listMessage);
        app.Answer(box);
        box = app.WaitMessage();
        EXPECT_EQ(Utf8(box.text), "Encountered an improper argument.");
        EXPECT_EQ(Utf8(box.caption), "Velmora");
        EXPECT_EQ(NameOf(box.icon), NameOf(Icon::Stop));
        EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
        app.Answer(box);
        EXPECT_FALSE(app.Process().FindMessageBox().has_value());
        EXPECT_EQ(Utf8(app.Text(IDC_INPUT_PATH)), Utf8(input));
        EXPECT_EQ(Utf8(app.Text(IDC_OUTPUT_PATH)), Utf8(output));
    }
    EXPECT_FALSE(FileExists(proposed));
    EXPECT_EQ(ReadBytes(existing), existingBytes);
}

} // namespace
} // namespace e2e
