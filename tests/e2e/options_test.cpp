// The KERG and ZUDP check boxes: at most one ticked, each enabling its own number box, the focus
// following the ticked one, and typed numbers kept while a box is disabled.
#include "velmora.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

struct OptionState {
    bool kergTicked;
    bool kergEnabled;
    bool zudpTicked;
    bool zudpEnabled;
    bool operator==(const OptionState&) const = default;
};

std::ostream& operator<<(std::ostream& out, const OptionState& s) {
    return out << "KERG " << (s.kergTicked ? "ticked" : "clear") << "/"
               << (s.kergEnabled ? "enabled" : "disabled") << ", ZUDP "
               << (s.zudpTicked ? "ticked" : "clear") << "/"
               << (s.zudpEnabled ? "enabled" : "disabled");
}

constexpr OptionState kNone{false, false, false, false};
constexpr OptionState kKerg{true, true, false, false};
constexpr OptionState kZudp{false, false, true, true};

OptionState StateOf(Velmora& app) {
    return {app.Checked(kKergCheck), app.Enabled(kKergNumber), app.Checked(kZudpCheck),
            app.Enabled(kZudpNumber)};
}

struct Step {
    const char* name;
    int click;           // the check box clicked
    OptionState after;   // the state it leads to
    int focus;           // the control with the focus afterwards
    const wchar_t* type; // typed into the focused number box afterwards, if any
};

TEST(Options, KergAndZudpFollowTheirStateTable) {
    Velmora app(L"opcje");
    app.Dialog();
    ASSERT_EQ(StateOf(app), kNone);

    // Every transition of the table, in one walk. A click gives the focus to the check box
    // clicked; a newly ticked box hands it on to its number box.
    const Step steps[] = {
        {"none -> KERG", kKergCheck, kKerg, kKergNumber, L"K-7"},
        {"KERG -> none", kKergCheck, kNone, kKergCheck, nullptr},
        {"none -> ZUDP", kZudpCheck, kZudp, kZudpNumber, L"123"},
        {"ZUDP -> KERG", kKergCheck, kKerg, kKergNumber, nullptr},
        {"KERG -> ZUDP", kZudpCheck, kZudp, kZudpNumber, nullptr},
        {"ZUDP -> none", kZudpCheck, kNone, kZudpCheck, nullptr},
        {"none -> KERG again", kKergCheck, kKerg, kKergNumber, nullptr},
    };
    std::wstring kergTyped;
    std::wstring zudpTyped;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        Click(app.Control(step.click));
        EXPECT_EQ(StateOf(app), step.after);
        EXPECT_EQ(app.FocusedControl(), step.focus);
        if (step.type != nullptr) {
            TypeText(app.Control(step.focus), step.type);
            (step.focus == kKergNumber ? kergTyped : zudpTyped) = step.type;
        }
        // What was typed stays in a box also while it is disabled.
        EXPECT_EQ(Utf8(app.Text(kKergNumber)), Utf8(kergTyped));
        EXPECT_EQ(Utf8(app.Text(kZudpNumber)), Utf8(zudpTyped));
    }
    // Nothing else was ever enabled or disabled.
    for (const int control : {kBrowseInput, kOutputPath, kBrowseOutput, kLayout, kSeparator,
                              kPointCode, kGenerate, kClose}) {
        EXPECT_TRUE(app.Enabled(control)) << "control " << control;
    }
}

TEST(Options, TheMouseAndTheKeyboardWorkTheBoxesToo) {
    Velmora app(L"klawiatura");
    Click(app.Control(kZudpCheck));
    ASSERT_EQ(StateOf(app), kZudp);
    app.Activate();
    ClickWithMouse(app.Control(kKergCheck));
    // Without a window manager, Xvfb now and then drops a synthetic click before it reaches
    // the program (the state then stays as it was); such a click is given once more. Not before
    // a slow machine has had ample time for the first: a second click on top of a late first
    // one would clear the box again.
    if (!PollUntil([&] { return StateOf(app) == kKerg; }, kTimeout / 2) && StateOf(app) == kZudp) {
        app.Activate();
        ClickWithMouse(app.Control(kKergCheck));
    }
    WaitUntil([&] { return StateOf(app) == kKerg; }, "the KERG state after a mouse click");
    EXPECT_EQ(app.FocusedControl(), kKergNumber);

    // Tab from the KERG number reaches the ZUDP check box; the space bar ticks it.
    PressKey(VK_TAB);
    WaitUntil([&] { return app.FocusedControl() == kZudpCheck; }, "the focus on the ZUDP box");
    PressKey(VK_SPACE);
    WaitUntil([&] { return StateOf(app) == kZudp; }, "the ZUDP state after the space bar");
    EXPECT_EQ(app.FocusedControl(), kZudpNumber);
}

} // namespace
} // namespace e2e
