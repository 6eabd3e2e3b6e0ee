#include "platform/dialogKeys.h"
#include "src/dialogLayout.h"

#include <gtest/gtest.h>

#include <cstdint>

#include <string>
#include <vector>

namespace {

TDialogLayoutInput Input(TSize message, std::vector<TSize> captions, uint8_t icon) {
    TDialogLayoutInput in;
    in.MessageExtent = message;
    in.CaptionExtents = captions;
    in.IconKind = icon;
    return in;
}

int32_t Bottom(const TRect32& r) { return r.Top + r.Height; }
int32_t Right(const TRect32& r) { return r.Left + r.Width; }

// The relations that hold for every layout: margins of 8, a bottom-aligned column.
void ExpectInvariants(const TDialogLayout& l) {
    EXPECT_EQ(l.Frame.Left, 8);
    EXPECT_EQ(l.Frame.Top, 8);
    EXPECT_EQ(l.Frame.Width, Right(l.Label) + 8);
    EXPECT_EQ(l.Frame.Height, l.Label.Height + 32);
    EXPECT_EQ(l.ClientHeight, Bottom(l.Frame) + 8);
    for (size_t i = 0; i < l.Buttons.size(); ++i) {
        const TRect32& b = l.Buttons[i];
        EXPECT_EQ(b.Left, Right(l.Frame) + 8);
        EXPECT_EQ(Right(b) + 8, l.ClientWidth);
        EXPECT_EQ(b.Width, l.ButtonWidth);
        EXPECT_EQ(b.Height, l.ButtonHeight);
        if (i + 1 < l.Buttons.size()) {
            EXPECT_EQ(l.Buttons[i + 1].Top, Bottom(b) + 8);
        }
    }
    if (!l.Buttons.empty()) {
        EXPECT_EQ(Bottom(l.Buttons.back()), Bottom(l.Frame));
        EXPECT_GE(l.Buttons.front().Top, l.Frame.Top);
    }
}

TEST(DialogLayout, ErrorDialogWithOneOkButton) {
    const TDialogLayout l = ComputeDialogLayout(Input({250, 13}, {{19, 13}}, 4));
    EXPECT_TRUE(l.HasIcon);
    EXPECT_EQ(l.Icon.Left, 24);
    EXPECT_EQ(l.Icon.Top, 24);
    EXPECT_EQ(l.Icon.Width, 32);
    EXPECT_EQ(l.Icon.Height, 32);
    EXPECT_EQ(l.ButtonHeight, 25);
    EXPECT_EQ(l.ButtonWidth, 65);
    EXPECT_EQ(l.Label.Left, 72);
    EXPECT_EQ(l.Label.Top, 24);
    EXPECT_EQ(l.Label.Width, 250);
    EXPECT_EQ(l.Label.Height, 32);
    EXPECT_EQ(l.Frame.Width, 330);
    EXPECT_EQ(l.Frame.Height, 64);
    EXPECT_EQ(l.ClientWidth, 330 + 65 + 24);
    EXPECT_EQ(l.ClientHeight, 80);
    ASSERT_EQ(l.Buttons.size(), 1u);
    EXPECT_EQ(l.Buttons[0].Left, 346);
    EXPECT_EQ(l.Buttons[0].Top, 47);
    EXPECT_EQ(Bottom(l.Buttons[0]), 72);
    ExpectInvariants(l);
}

TEST(DialogLayout, ThreeButtonsFillTheFrameHeight) {
    const TDialogLayout l = ComputeDialogLayout(Input({300, 13}, {{40, 13}, {60, 13}, {70, 13}}, 1));
    EXPECT_EQ(l.ButtonHeight, 25);
    EXPECT_EQ(l.Label.Height, 59);  // T - 32 with T = 91
    EXPECT_EQ(l.Frame.Height, 91);
    ASSERT_EQ(l.Buttons.size(), 3u);
    EXPECT_EQ(l.Buttons[0].Top, 8);
    EXPECT_EQ(l.Buttons[1].Top, 41);
    EXPECT_EQ(l.Buttons[2].Top, 74);
    EXPECT_EQ(l.ButtonWidth, 102);  // widest caption 70 + 32
    ExpectInvariants(l);
}

TEST(DialogLayout, MessageTallerThanTheColumnKeepsItsHeight) {
    const TDialogLayout l = ComputeDialogLayout(Input({300, 130}, {{40, 13}, {60, 13}, {70, 13}}, 1));
    EXPECT_EQ(l.Label.Height, 130);
    EXPECT_EQ(l.Frame.Height, 162);
    EXPECT_EQ(l.ClientHeight, 178);
    EXPECT_EQ(l.Buttons[0].Top, 79);
    EXPECT_GT(l.Buttons[0].Top, l.Frame.Top);
    ExpectInvariants(l);
}

TEST(DialogLayout, LabelHeightIsLargestOfTextColumnAndMinimum) {
    struct Case {
        int32_t textHeight;
        size_t buttons;
        int32_t label;
    };
    const Case cases[] = {
        {0, 1, 32},  {31, 1, 32}, {32, 1, 32}, {33, 1, 33}, {13, 2, 32},   // T = 58, T - 32 = 26 < 32
        {13, 3, 59}, {58, 3, 59}, {59, 3, 59}, {60, 3, 60}, {13, 5, 125},  // T = 157
    };
    for (const Case& c : cases) {
        const std::vector<TSize> captions(c.buttons, TSize{20, 13});
        const TDialogLayout l = ComputeDialogLayout(Input({100, c.textHeight}, captions, 4));
        EXPECT_EQ(l.Label.Height, c.label) << "text " << c.textHeight << ", buttons " << c.buttons;
        ExpectInvariants(l);
    }
}

TEST(DialogLayout, CaptionExtentsWidenAndHeightenEveryButton) {
    struct Case {
        TSize caption;
        int32_t width;
        int32_t height;
    };
    const Case cases[] = {
        {{33, 13}, 65, 25},  // 33 + 32 is not greater than 65
        {{34, 13}, 66, 25}, {{120, 13}, 152, 25}, {{20, 14}, 65, 26}, {{20, 30}, 65, 42},
    };
    for (const Case& c : cases) {
        const TDialogLayout l = ComputeDialogLayout(Input({100, 13}, {{10, 13}, c.caption}, 4));
        EXPECT_EQ(l.ButtonWidth, c.width);
        EXPECT_EQ(l.ButtonHeight, c.height);
        for (const TRect32& b : l.Buttons) {
            EXPECT_EQ(b.Width, c.width);
            EXPECT_EQ(b.Height, c.height);
        }
        ExpectInvariants(l);
    }
}

TEST(DialogLayout, NoIconIsFortyEightNarrower) {
    const TDialogLayout with = ComputeDialogLayout(Input({180, 26}, {{19, 13}}, 2));
    const TDialogLayout without = ComputeDialogLayout(Input({180, 26}, {{19, 13}}, 0));
    EXPECT_FALSE(without.HasIcon);
    EXPECT_EQ(without.Label.Left, 24);
    EXPECT_EQ(with.Frame.Width - without.Frame.Width, 48);
    EXPECT_EQ(with.ClientWidth - without.ClientWidth, 48);
    EXPECT_EQ(with.Frame.Height, without.Frame.Height);
    ExpectInvariants(without);
}

TEST(DialogLayout, UnknownIconKindLaysOutLikeAnIcon) {
    const TDialogLayout l = ComputeDialogLayout(Input({100, 13}, {{19, 13}}, 9));
    EXPECT_TRUE(l.HasIcon);
    EXPECT_EQ(l.Label.Left, 72);
    EXPECT_EQ(IconResourceId(9), 0);
}

TEST(DialogLayout, NoCaptionsGivesNoButtons) {
    const TDialogLayout l = ComputeDialogLayout(Input({100, 13}, {}, 4));
    EXPECT_TRUE(l.Buttons.empty());
    EXPECT_EQ(l.Label.Height, 32);
    EXPECT_EQ(l.ButtonWidth, 65);
    ExpectInvariants(l);
}

TEST(DialogLayout, HugeExtentsDoNotWrap) {
    const TDialogLayout l = ComputeDialogLayout(Input({2000000000, 2000000000}, {{2000000000, 2000000000}}, 4));
    EXPECT_GT(l.ClientWidth, 0);
    EXPECT_GT(l.ClientHeight, 0);
}

TEST(DialogPosition, CentredOverTheMainWindowWithTruncatedHalves) {
    TPoint p = ComputeDialogPosition(301, 101, true, 100, 50, 600, 400, 1920, 1080);
    EXPECT_EQ(p.X, 100 + 149);  // 299 / 2
    EXPECT_EQ(p.Y, 50 + 149);
    // Negative differences truncate toward zero, and the result is not clamped.
    p = ComputeDialogPosition(205, 105, true, -10, 0, 100, 100, 1920, 1080);
    EXPECT_EQ(p.X, -10 - 52);
    EXPECT_EQ(p.Y, -2);
}

TEST(DialogPosition, CentredOnTheScreenWithoutMainWindow) {
    TPoint p = ComputeDialogPosition(419, 115, false, 100, 50, 600, 400, 1920, 1080);
    EXPECT_EQ(p.X, 750);
    EXPECT_EQ(p.Y, 482);
    p = ComputeDialogPosition(801, 601, false, 0, 0, 0, 0, 640, 480);
    EXPECT_EQ(p.X, -80);
    EXPECT_EQ(p.Y, -60);
}

// The centred place is kept where the box fits; otherwise it moves just
// enough, and a box larger than the area keeps its top-left corner inside.
TEST(DialogPosition, KeptInTheWorkAreaOnlyWhereItWouldLeaveIt) {
    struct Case {
        TPoint At;
        int32_t W, H;
        TRect Area;
        TPoint Expected;
    } cases[] = {
        {{697, 328}, 525, 424, {0, 0, 1920, 1080}, {697, 328}},       // centred over a centred dialog
        {{-42, -69}, 525, 424, {0, 0, 1920, 1080}, {0, 0}},           // over a dialog at (0, 0)
        {{1700, 900}, 525, 424, {0, 0, 1920, 1080}, {1395, 656}},     // past the right and bottom edges
        {{100, 100}, 2500, 1200, {0, 0, 1920, 1080}, {0, 0}},         // larger than the area: top-left wins
        {{-100, 10}, 525, 424, {-1920, 0, 0, 1050}, {-525, 10}},      // a monitor left of the primary
        {{5, 5}, 525, 424, {0, 40, 1920, 1080}, {5, 40}},             // a task bar at the top
        {{INT32_MAX, INT32_MIN}, 10, 10, {0, 0, 100, 100}, {90, 0}},  // no overflow
    };
    for (const Case& c : cases) {
        const TPoint p = KeepInWorkArea(c.At, c.W, c.H, c.Area);
        EXPECT_EQ(p.X, c.Expected.X) << c.At.X << "," << c.At.Y;
        EXPECT_EQ(p.Y, c.Expected.Y) << c.At.X << "," << c.At.Y;
    }
}

TEST(DialogKeys, AcceleratorOfCaption) {
    struct Case {
        const char* caption;
        char accel;
    };
    const Case cases[] = {
        {"&OK", 'O'},      {"&Close", 'C'}, {"&More info", 'M'}, {"&Order now!", 'O'},
        {"Save &as", 'A'}, {"&&Both", 0},   {"A && B &x", 'X'},  {"No marker", 0},
        {"Trailing&", 0},  {"", 0},         {"&1st", '1'},       {"&a&b", 'A'},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tk::CaptionAccelerator(c.caption), c.accel) << c.caption;
    }
}

namespace {

// The buttons' accelerators, in tab order, as the form's dialog keys see them.
std::vector<char> Accelerators(const std::vector<std::string>& captions) {
    std::vector<char> accelerators;
    for (const std::string& caption : captions) accelerators.push_back(tk::CaptionAccelerator(caption));
    return accelerators;
}

int32_t ButtonForAccelerator(const std::vector<std::string>& captions, char typed) {
    return tk::AcceleratorTarget(Accelerators(captions), typed);
}

}  // namespace

TEST(DialogKeys, AcceleratorPicksButtonRegardlessOfCase) {
    const std::vector<std::string> about = {"&Close", "&More info", "&Order now!"};
    EXPECT_EQ(ResultFromModal(101 + ButtonForAccelerator(about, 'm')), 2);
    EXPECT_EQ(ResultFromModal(101 + ButtonForAccelerator(about, 'M')), 2);
    EXPECT_EQ(ResultFromModal(101 + ButtonForAccelerator(about, 'o')), 3);
    EXPECT_EQ(ButtonForAccelerator(about, 'x'), -1);
    EXPECT_EQ(ButtonForAccelerator(about, 0), -1);
    EXPECT_EQ(ButtonForAccelerator({"&OK"}, 'o'), 0);
    EXPECT_EQ(ButtonForAccelerator({"&&OK"}, 'o'), -1);
}

namespace {

// Tab, Right and Down move forward; Shift+Tab, Left and Up back.
enum class TDialogKey { Tab, ShiftTab, Left, Right, Up, Down };
int32_t NextFocusIndex(int32_t current, int32_t count, TDialogKey key) {
    return tk::NextInTabOrder(current, count,
                              key == TDialogKey::Tab || key == TDialogKey::Right || key == TDialogKey::Down);
}

}  // namespace

TEST(DialogKeys, FocusMovesInTabOrderAndWraps) {
    EXPECT_EQ(NextFocusIndex(0, 3, TDialogKey::Tab), 1);
    EXPECT_EQ(NextFocusIndex(2, 3, TDialogKey::Tab), 0);
    EXPECT_EQ(NextFocusIndex(2, 3, TDialogKey::Right), 0);
    EXPECT_EQ(NextFocusIndex(1, 3, TDialogKey::Down), 2);
    EXPECT_EQ(NextFocusIndex(0, 3, TDialogKey::ShiftTab), 2);
    EXPECT_EQ(NextFocusIndex(0, 3, TDialogKey::Left), 2);
    EXPECT_EQ(NextFocusIndex(2, 3, TDialogKey::Up), 1);
    EXPECT_EQ(NextFocusIndex(0, 1, TDialogKey::Tab), 0);
    EXPECT_EQ(NextFocusIndex(0, 1, TDialogKey::Up), 0);
    EXPECT_EQ(NextFocusIndex(-1, 3, TDialogKey::Tab), 0);
    EXPECT_EQ(NextFocusIndex(7, 3, TDialogKey::ShiftTab), 2);
    EXPECT_EQ(NextFocusIndex(0, 0, TDialogKey::Tab), -1);
}

TEST(DialogRules, ResultFromModalResult) {
    struct Case {
        int32_t modal;
        int32_t result;
    };
    const Case cases[] = {{101, 1}, {102, 2}, {103, 3}, {100, 0}, {2, 0}, {1, 0}, {0, 0}, {-101, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(ResultFromModal(c.modal), c.result) << c.modal;
    }
}

TEST(DialogRules, HelpFolder) {
    struct Case {
        const char* path;
        const char* folder;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Kestrane\\help.chm", "C:\\Program Files\\Kestrane\\"},
        {"C:help.chm", "C:"},
        {"help.chm", ""},
        {"", ""},
        {"\\\\server\\share\\h.chm", "\\\\server\\share\\"},
        {"a:b\\c:d", "a:b\\c:"},
        {"C:\\dir\\", "C:\\dir\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HelpFolderOf(c.path), c.folder) << c.path;
    }
}

TEST(DialogRules, IconResourceIds) {
    const int32_t expected[] = {0, 32516, 32514, 32515, 32513, 0};
    for (uint8_t kind = 0; kind < 6; ++kind) {
        EXPECT_EQ(IconResourceId(kind), expected[kind]);
    }
    EXPECT_EQ(IconResourceId(255), 0);
}

}  // namespace
