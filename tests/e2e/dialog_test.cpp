// The dialog as it opens, its About box, its tool tips and the ways of closing it.
#include "velmora.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

std::vector<std::string> Utf8All(const std::vector<std::wstring>& texts) {
    std::vector<std::string> result;
    for (const auto& text : texts) {
        result.push_back(Utf8(text));
    }
    return result;
}

TEST(Dialog, OpensWithTheListsFilledAndTheFocusOnTheInputPath) {
    Velmora app(L"start");
    const HWND dialog = app.Dialog();
    EXPECT_EQ(Utf8(TextOf(dialog)), "Velmora");
    EXPECT_FALSE(app.Process().FindMessageBox().has_value());

    EXPECT_EQ(Utf8All(ComboItems(app.Control(IDC_LAYOUT))),
              (std::vector<std::string>{"Numer X Y RZG", "Numer_inny X Y", "Numer X Y",
                                        "Numer X Y RZG RZD", "Numer X Y RZD", "Numer X Y H RZG",
                                        "Numer X Y H RZD", "X Y", "X Y H", "Numer_inny X Y H",
                                        "Numer_inny Y X", "Numer X Y H", "Numer Numer_inny X Y",
                                        "Numer Numer_inny X Y H"}));
    EXPECT_EQ(Utf8All(ComboItems(app.Control(IDC_SEPARATOR))),
              (std::vector<std::string>{";", ",", "Tab", "Spacja", "|"}));
    EXPECT_EQ(Utf8All(ComboItems(app.Control(IDC_POINT_CODE))),
              (std::vector<std::string>{"KR", "SŁ", "POM"}));
    EXPECT_EQ(ComboSelection(app.Control(IDC_LAYOUT)), 0);
    EXPECT_EQ(ComboSelection(app.Control(IDC_SEPARATOR)), 3);
    EXPECT_EQ(Utf8(TextOf(app.Control(IDC_SEPARATOR))), "Spacja");
    EXPECT_EQ(ComboSelection(app.Control(IDC_POINT_CODE)), 0);

    for (const int box :
         {IDC_INPUT_PATH, IDC_OUTPUT_PATH, IDC_PREVIEW, IDC_KERG_NUMBER, IDC_ZUDP_NUMBER}) {
        EXPECT_EQ(app.Text(box), L"") << "box " << box;
    }
    EXPECT_FALSE(app.Checked(IDC_KERG_CHECK));
    EXPECT_FALSE(app.Checked(IDC_ZUDP_CHECK));
    EXPECT_FALSE(app.Enabled(IDC_KERG_NUMBER));
    EXPECT_FALSE(app.Enabled(IDC_ZUDP_NUMBER));
    for (const int control :
         {IDC_INPUT_PATH, IDC_BROWSE_INPUT, IDC_OUTPUT_PATH, IDC_BROWSE_OUTPUT, IDC_LAYOUT,
          IDC_SEPARATOR, IDC_POINT_CODE, IDC_KERG_CHECK, IDC_ZUDP_CHECK, IDC_GENERATE, IDOK}) {
        EXPECT_TRUE(app.Enabled(control)) << "control " << control;
    }
    EXPECT_TRUE(GetWindowLongW(app.Control(IDC_INPUT_PATH), GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(GetWindowLongW(app.Control(IDC_PREVIEW), GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_ACCEPTFILES)
        << "takes no files dropped";
    EXPECT_EQ(Utf8(app.Text(IDC_GENERATE)), "Generuj");
    EXPECT_EQ(Utf8(app.Text(IDOK)), "Zamknij");
    EXPECT_EQ(Utf8(app.Text(IDC_KERG_CHECK)), "Dopisać KERG:");
    EXPECT_EQ(Utf8(app.Text(IDC_ZUDP_CHECK)), "Dopisać wniosek ZUDP:");

    WaitUntil([&] { return app.FocusedControl() == IDC_INPUT_PATH; },
              "the focus on the input path");
}

TEST(Dialog, AboutBoxFromTheSystemMenuLeavesTheDialogAsItWas) {
    Velmora app(L"o programie");
    const HWND dialog = app.Dialog();
    SelectComboItem(app.Control(IDC_LAYOUT), 5);
    SelectComboItem(app.Control(IDC_POINT_CODE), 2);
    ReplaceText(app.Control(IDC_OUTPUT_PATH), L"C:\\dane\\wynik.wsd");
    Click(app.Control(IDC_ZUDP_CHECK));
    TypeText(app.Control(IDC_ZUDP_NUMBER), L"Z-17");

    const auto snapshot = [&] {
        std::vector<std::wstring> state;
        for (const int box :
             {IDC_INPUT_PATH, IDC_OUTPUT_PATH, IDC_PREVIEW, IDC_KERG_NUMBER, IDC_ZUDP_NUMBER}) {
            state.push_back(app.Text(box));
        }
        for (const int list : {IDC_LAYOUT, IDC_SEPARATOR, IDC_POINT_CODE}) {
            state.push_back(std::to_wstring(ComboSelection(app.Control(list))));
        }
        for (const int box : {IDC_KERG_CHECK, IDC_ZUDP_CHECK}) {
            state.push_back(app.Checked(box) ? L"ticked" : L"clear");
        }
        for (const int box : {IDC_KERG_NUMBER, IDC_ZUDP_NUMBER}) {
            state.push_back(app.Enabled(box) ? L"enabled" : L"disabled");
        }
        return Utf8All(state);
    };
    const auto before = snapshot();

    for (int round = 0; round < 2; ++round) {
        PostMessageW(dialog, WM_SYSCOMMAND, 0x0010, 0);
        const HWND about = app.Process().WaitDialog(
            [](HWND window) { return TextOf(window) == L"O programie"; }, "the About box");
        EXPECT_EQ(GetWindow(about, GW_OWNER), dialog);
        EXPECT_FALSE(IsWindowEnabled(dialog)) << "the About box is modal";
        std::vector<std::string> texts;
        bool iconShown = false;
        for (HWND child : Children(about)) {
            if (!IsWindowVisible(child)) {
                continue;
            }
            if (ClassOf(child) == L"Static" &&
                (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
                iconShown = true;
            } else {
                texts.push_back(Utf8(TextOf(child)));
            }
        }
        EXPECT_TRUE(iconShown) << "the About box shows no icon";
        EXPECT_EQ(texts, (std::vector<std::string>{"Velmora wersja 13.3.0.0", "OK"}));
        ASSERT_NE(GetDlgItem(about, IDOK), nullptr);
        EXPECT_EQ(Utf8(TextOf(GetDlgItem(about, IDOK))), "OK");
        ClickAndGoOn(GetDlgItem(about, IDOK));
        WaitUntil([&] { return !IsAlive(about); }, "the About box to close");
        WaitUntil([&] { return IsWindowEnabled(dialog) != FALSE; }, "the dialog enabled again");
        EXPECT_EQ(snapshot(), before);
    }
    EXPECT_TRUE(app.Process().Running());
}

// The tip window of the program that is visible now, if any.
std::optional<std::wstring> VisibleTip(Program& program) {
    for (HWND window : program.TopLevelWindows()) {
        if (ClassOf(window) == L"tooltips_class32" && IsWindowVisible(window)) {
            return TextOf(window);
        }
    }
    return std::nullopt;
}

// What the program has on screen, for a failure message.
std::string DescribeWindows(Program& program) {
    std::string windows;
    for (HWND window : program.TopLevelWindows()) {
        windows += " " + Utf8(ClassOf(window)) +
                   (IsWindowVisible(window) ? "(visible " : "(hidden ") + "\"" +
                   Utf8(TextOf(window)) + "\")";
    }
    POINT at{};
    GetCursorPos(&at);
    return "pointer at " + std::to_string(at.x) + "," + std::to_string(at.y) +
           "; windows:" + windows;
}

void WaitTip(Program& program, HWND over, const std::wstring& expected) {
    // Each move over a tool restarts the tip's delay, so the pointer moves once and rests; only
    // if no tip comes does it move again, and rests twice as long, so that a slow machine gets
    // the rest its tip needs.
    const auto deadline = Clock::now() + kTimeout;
    auto rest = std::chrono::milliseconds(3s);
    for (int nudge = 0;; ++nudge, rest *= 2) {
        MovePointerOver(over, nudge % 2);
        if (PollUntil([&] { return VisibleTip(program) == expected; }, rest)) {
            return;
        }
        if (Clock::now() >= deadline) {
            throw DriverError("no tool tip \"" + Utf8(expected) + "\"; " +
                              DescribeWindows(program));
        }
    }
}

TEST(Dialog, ToolTipsAppearOverTheButtons) {
    Velmora app(L"podpowiedzi");
    // Tips show only over the active window.
    app.Activate();
    WaitTip(app.Process(), app.Control(IDC_GENERATE), L"Uruchom generowanie piku wsadowego.");
    WaitTip(app.Process(), app.Control(IDC_BROWSE_OUTPUT), L"Wybierz plik wyjściowy.");
    WaitTip(app.Process(), app.Control(IDC_LAYOUT), L"Wskaż, jakie dane zawiera plik wejściowy.");
}

TEST(Dialog, EnterInTheOutputPathClosesWithoutGenerating) {
    Velmora app(L"enter");
    const std::wstring input = app.Folder() / L"punkty.txt";
    WriteBytes(input, "1 2 3\r\n");
    app.ChooseInputFile(input);
    WaitUntil([&] { return app.Text(IDC_INPUT_PATH) == input; }, "the input path");
    app.Activate();
    ClickUntil(
        CentreOf(app.Control(IDC_OUTPUT_PATH)),
        [&] { return app.FocusedControl() == IDC_OUTPUT_PATH; }, "the focus on the output path");
    PressKey(VK_RETURN);
    EXPECT_TRUE(app.WaitEnded());
    EXPECT_FALSE(FileExists(input + L".wsd"));
}

TEST(Dialog, TabWalksTheControlsInTemplateOrder) {
    Velmora app(L"tabulator");
    app.Activate();
    WaitUntil([&] { return app.FocusedControl() == IDC_INPUT_PATH; },
              "the focus on the input path");
    // The preview has no tab stop and the disabled number boxes are passed over.
    const int order[] = {IDC_BROWSE_INPUT,  IDC_LAYOUT,     IDC_SEPARATOR,  IDC_OUTPUT_PATH,
                         IDC_BROWSE_OUTPUT, IDC_POINT_CODE, IDC_KERG_CHECK, IDC_ZUDP_CHECK,
                         IDC_GENERATE,      IDOK,           IDC_INPUT_PATH};
    for (const int next : order) {
        PressKey(VK_TAB);
        WaitUntil([&] { return app.FocusedControl() == next; },
                  "the focus to move on to control " + std::to_string(next));
    }
    // A ticked box's number box joins the order.
    Click(app.Control(IDC_KERG_CHECK));
    ASSERT_EQ(app.FocusedControl(), IDC_KERG_NUMBER);
    PressKey(VK_TAB);
    WaitUntil([&] { return app.FocusedControl() == IDC_ZUDP_CHECK; }, "the focus on the ZUDP box");
}

TEST(Dialog, EnterInANumberBoxCloses) {
    Velmora app(L"enter w numerze");
    app.Activate();
    Click(app.Control(IDC_ZUDP_CHECK));
    TypeText(app.Control(IDC_ZUDP_NUMBER), L"17");
    ASSERT_EQ(app.FocusedControl(), IDC_ZUDP_NUMBER);
    PressKey(VK_RETURN);
    EXPECT_TRUE(app.WaitEnded());
}

TEST(Dialog, TwoCopiesRunSideBySide) {
    Velmora first(L"pierwsza");
    Velmora second(L"druga");
    const HWND one = first.Dialog();
    const HWND two = second.Dialog();
    EXPECT_NE(one, two);
    ClickAndGoOn(first.Control(IDOK));
    EXPECT_TRUE(first.WaitEnded());
    EXPECT_TRUE(second.Process().Running());
    EXPECT_TRUE(IsAlive(two));
    ClickAndGoOn(second.Control(IDOK));
    EXPECT_TRUE(second.WaitEnded());
}

TEST(Dialog, EscCloses) {
    Velmora app(L"esc");
    app.Dialog();
    app.Activate();
    WaitUntil([&] { return app.FocusedControl() == IDC_INPUT_PATH; },
              "the focus on the input path");
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(app.WaitEnded());
}

TEST(Dialog, ZamknijCloses) {
    Velmora app(L"zamknij");
    ClickAndGoOn(app.Control(IDOK));
    EXPECT_TRUE(app.WaitEnded());
}

} // namespace
} // namespace e2e
