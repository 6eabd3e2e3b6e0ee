#include "widgets/spinLogic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include <string>

namespace {

// The field as the dialog leaves it: value written at creation, then the window exists.
TSpinModel CreatedWith(double stored) {
    TSpinModel m;
    m.SetValue(stored);
    m.SetWindowExists(true);
    return m;
}

// A key in the field as it happens there: the field's filter, then the
// edit box (one character at most) edits its text, and a change of the
// box's text reaches the model. caret: where the caret stands when nothing
// is selected.
bool TypeInBox(TSpinModel& m, char c, bool selectAll, int caret = 1) {
    if (!TSpinModel::AcceptChar(c) || c == 0) return false;
    std::string box = m.Text();
    caret = std::clamp(caret, 0, static_cast<int>(box.size()));
    if (c == '\b') {
        if (selectAll)
            box.clear();
        else if (caret > 0)
            box.erase(static_cast<std::size_t>(caret - 1), 1);
    } else if (static_cast<unsigned char>(c) >= 32) {
        if (selectAll)
            box = std::string(1, c);
        else if (box.size() < TSpinModel::MaxLength)
            box.insert(static_cast<std::size_t>(caret), 1, c);
    }
    if (box == m.Text()) return false;
    return m.BoxEdited(box);
}

}  // namespace

TEST(SpinModel, LoadsAsOneWithNothingReported) {
    TSpinModel m;
    EXPECT_EQ(m.Text(), "1");
    EXPECT_EQ(m.Value(), 1.0);
    EXPECT_EQ(m.LastReported(), 1.0);
    EXPECT_FALSE(m.WindowExists());
}

TEST(SpinModel, WriteBeforeWindowExistsReportsNothing) {
    TSpinModel m;
    EXPECT_FALSE(m.SetValue(3));
    EXPECT_EQ(m.Text(), "3");
    EXPECT_EQ(m.LastReported(), 1.0);
    EXPECT_EQ(m.ChangeCount(), 0);
    EXPECT_FALSE(m.Modified());
}

TEST(SpinModel, OutOfRangeWritesAreClamped) {
    TSpinModel m = CreatedWith(9);
    EXPECT_EQ(m.Text(), "5");
    EXPECT_EQ(m.Value(), 5.0);
    TSpinModel low = CreatedWith(-3);
    EXPECT_EQ(low.Text(), "1");
    TSpinModel frac = CreatedWith(2.0);
    EXPECT_EQ(frac.Text(), "2");
}

TEST(SpinModel, WriteAfterWindowExistsRunsChangeCheck) {
    TSpinModel m = CreatedWith(1);
    EXPECT_TRUE(m.SetValue(4));
    EXPECT_EQ(m.LastReported(), 4.0);
    EXPECT_FALSE(m.SetValue(4));
    EXPECT_EQ(m.ChangeCount(), 1);
}

TEST(SpinModel, BackspaceAfterLoadedThreeShowsOneSilently) {
    TSpinModel m = CreatedWith(3);
    EXPECT_FALSE(TypeInBox(m, '\b', false, 1));
    EXPECT_EQ(m.Text(), "1");
    EXPECT_EQ(m.ChangeCount(), 0);
    EXPECT_TRUE(m.StepUp());
    EXPECT_EQ(m.Text(), "2");
    EXPECT_EQ(m.ChangeCount(), 1);
}

TEST(SpinModel, DownThenBackspaceReportsTwice) {
    TSpinModel m = CreatedWith(3);
    EXPECT_TRUE(m.StepDown());
    EXPECT_EQ(m.Text(), "2");
    EXPECT_EQ(m.LastReported(), 2.0);
    EXPECT_TRUE(TypeInBox(m, '\b', true));
    EXPECT_EQ(m.Text(), "1");
    EXPECT_EQ(m.ChangeCount(), 2);
}

TEST(SpinModel, TypedOverSelectionIsCheckedAndClamped) {
    struct Row {
        char typed;
        const char* shown;
    };
    const Row rows[] = {{'7', "5"}, {'9', "5"}, {'6', "5"}, {'4', "4"}, {'0', "1"}, {'-', "1"}, {'+', "1"}, {'1', "1"}};
    for (const Row& r : rows) {
        TSpinModel m = CreatedWith(3);
        TypeInBox(m, r.typed, true);
        EXPECT_EQ(m.Text(), r.shown) << "typed " << r.typed;
    }
}

TEST(SpinModel, SevenOverThreeReportsUnlessAlreadyFive) {
    TSpinModel m = CreatedWith(3);
    EXPECT_TRUE(TypeInBox(m, '7', true));
    EXPECT_EQ(m.LastReported(), 5.0);
    EXPECT_FALSE(TypeInBox(m, '7', true));
    EXPECT_EQ(m.Text(), "5");
    EXPECT_EQ(m.ChangeCount(), 1);
}

TEST(SpinModel, CharacterFilter) {
    for (char c : std::string("0123456789+-")) EXPECT_TRUE(TSpinModel::AcceptChar(c)) << c;
    for (char c : {'\b', '\r', '\x1b', '\x03', '\x16', '\x18', '\x1a'})
        EXPECT_TRUE(TSpinModel::AcceptChar(c)) << int(c);
    for (char c : std::string("a.,Z e*/")) EXPECT_FALSE(TSpinModel::AcceptChar(c)) << c;
    EXPECT_FALSE(TSpinModel::AcceptChar(static_cast<char>(0xB2)));
}

TEST(SpinModel, RefusedCharacterChangesNothing) {
    TSpinModel m = CreatedWith(3);
    EXPECT_FALSE(TypeInBox(m, 'a', true));
    EXPECT_FALSE(TypeInBox(m, '.', true));
    EXPECT_EQ(m.Text(), "3");
    EXPECT_FALSE(m.Modified());
}

TEST(SpinModel, SecondDigitRefusedByLengthLimit) {
    TSpinModel m = CreatedWith(3);
    EXPECT_FALSE(TypeInBox(m, '4', false, 1));
    EXPECT_EQ(m.Text(), "3");
    EXPECT_FALSE(TypeInBox(m, '4', false, 0));
    EXPECT_EQ(m.Text(), "3");
    EXPECT_FALSE(m.Modified());
}

TEST(SpinModel, EnterAndEscLeaveTextAlone) {
    TSpinModel m = CreatedWith(3);
    EXPECT_FALSE(TypeInBox(m, '\r', true));
    EXPECT_FALSE(TypeInBox(m, '\x1b', false));
    EXPECT_FALSE(TypeInBox(m, '\0', true));  // discarded by the key handler
    EXPECT_EQ(m.Text(), "3");
}

TEST(SpinModel, StepsStopAtBounds) {
    TSpinModel top = CreatedWith(5);
    EXPECT_FALSE(top.StepUp());
    EXPECT_EQ(top.Text(), "5");
    EXPECT_FALSE(top.Modified());
    TSpinModel bottom = CreatedWith(1);
    EXPECT_FALSE(bottom.StepDown());
    EXPECT_EQ(bottom.Text(), "1");
    EXPECT_EQ(bottom.ChangeCount(), 0);
}

TEST(SpinModel, StepBackToLastReportedIsSilent) {
    // Stored 2, stepped down to 1: equal to the value last reported, so nothing fires.
    TSpinModel m = CreatedWith(2);
    EXPECT_FALSE(m.StepDown());
    EXPECT_EQ(m.Text(), "1");
    EXPECT_TRUE(m.Modified());
}

TEST(SpinModel, WheelStepsOncePerMessage) {
    TSpinModel m = CreatedWith(3);
    m.WheelDelta(360);
    EXPECT_EQ(m.Text(), "4");
    m.WheelDelta(1);
    EXPECT_EQ(m.Text(), "5");
    m.WheelDelta(0);
    EXPECT_EQ(m.Text(), "4");
    m.WheelDelta(-720);
    EXPECT_EQ(m.Text(), "3");
}

TEST(SpinModel, ValueReading) {
    struct Row {
        const char* pasted;
        const char* shown;
    };
    // Pasting into an empty box is cut to one character, then checked.
    const Row rows[] = {{"", "1"}, {"x", "1"}, {"42", "4"}, {"-5", "1"}, {"+", "1"}, {" 3", "1"}};
    for (const Row& r : rows) {
        TSpinModel m = CreatedWith(3);
        m.BoxEdited(r.pasted);
        EXPECT_EQ(m.Text(), r.shown) << "pasted '" << r.pasted << "'";
    }
}

TEST(SpinModel, CaretRestoredAfterCheck) {
    TSpinModel m = CreatedWith(3);
    TypeInBox(m, '8', true);
    EXPECT_EQ(m.Text(), "5");
    EXPECT_EQ(TSpinModel::CaretAfterCheck(1, m.Text()), 1);
    EXPECT_EQ(TSpinModel::CaretAfterCheck(7, m.Text()), 1);
    EXPECT_EQ(TSpinModel::CaretAfterCheck(-3, m.Text()), 0);
}

TEST(SpinModel, LeavingRewritesWithoutReport) {
    TSpinModel m = CreatedWith(4);
    EXPECT_TRUE(m.StepDown());
    EXPECT_FALSE(m.Leave());
    EXPECT_EQ(m.Text(), "3");
}

TEST(SpinButton, DiagonalHitTest) {
    struct Row {
        int x, y;
        TSpinPart part;
    };
    // 16 x 16 button: the diagonal runs from (0, 16) to (16, 0).
    const Row rows[] = {
        {0, 0, TSpinPart::Upper}, {15, 0, TSpinPart::Upper},  {0, 15, TSpinPart::Upper}, {8, 8, TSpinPart::Upper},
        {8, 9, TSpinPart::Lower}, {15, 15, TSpinPart::Lower}, {1, 15, TSpinPart::Upper}, {2, 15, TSpinPart::Lower},
        {-1, 5, TSpinPart::None}, {16, 5, TSpinPart::None},   {5, 16, TSpinPart::None},  {5, -1, TSpinPart::None},
    };
    for (const Row& r : rows) EXPECT_EQ(SpinPartAt(r.x, r.y, 16, 16), r.part) << r.x << "," << r.y;
}

TEST(SpinButton, NonSquareUsesRealSlope) {
    // 3 wide, 17 high: the slope is 5.67; integer division would make it 5 and put these
    // points above the line (at 7 and 12).
    EXPECT_EQ(SpinPartAt(2, 6, 3, 17), TSpinPart::Lower);   // line at 5.67
    EXPECT_EQ(SpinPartAt(1, 12, 3, 17), TSpinPart::Lower);  // line at 11.33
    EXPECT_EQ(SpinPartAt(2, 5, 3, 17), TSpinPart::Upper);
}

TEST(SpinButton, DegenerateSizeHitsNothing) {
    EXPECT_EQ(SpinPartAt(0, 0, 0, 16), TSpinPart::None);
    EXPECT_EQ(SpinPartAt(0, 0, 16, 0), TSpinPart::None);
}

TEST(SpinRepeat, HoldingUpperFromOne) {
    TSpinModel m = CreatedWith(1);
    TSpinRepeat r;
    std::string seen;
    int clock = 0;
    r.Press(TSpinPart::Upper);
    m.StepUp();
    seen += "0:" + m.Text();
    int due = clock + r.NextDelay();
    for (clock = 0; clock <= 1000; ++clock) {
        if (clock != due) continue;
        if (r.Timer() == TSpinPart::Upper && m.StepUp()) seen += " " + std::to_string(clock) + ":" + m.Text();
        due = clock + r.NextDelay();
    }
    EXPECT_EQ(seen, "0:2 400:3 500:4 600:5");
    EXPECT_EQ(m.Text(), "5");
}

TEST(SpinRepeat, PausesOffThePressedPart) {
    TSpinRepeat r;
    r.Press(TSpinPart::Lower);
    EXPECT_EQ(r.NextDelay(), SpinRepeatFirstDelayMs);
    EXPECT_EQ(r.Timer(), TSpinPart::Lower);
    EXPECT_EQ(r.NextDelay(), SpinRepeatIntervalMs);
    r.PointerOver(TSpinPart::Upper);
    EXPECT_TRUE(r.Paused());
    EXPECT_EQ(r.Timer(), TSpinPart::None);
    r.PointerOver(TSpinPart::None);
    EXPECT_EQ(r.Timer(), TSpinPart::None);
    r.PointerOver(TSpinPart::Lower);
    EXPECT_EQ(r.Timer(), TSpinPart::Lower);
    r.Release();
    EXPECT_EQ(r.Timer(), TSpinPart::None);
    EXPECT_EQ(r.NextDelay(), SpinRepeatFirstDelayMs);
}
