// Inputs the fuzz targets found, kept so that the faults stay fixed.
#include <gtest/gtest.h>

#include "widgets/spinLogic.h"

namespace {

struct TDiagonalCase {
    int X, Y, Width, Height;
};

// Points exactly on the diagonal of a button that is not square, where height / width has no
// exact binary form: the rule puts them in the upper part.
TEST(FuzzRegressions, SpinPartAtPointOnTheDiagonalIsUpper) {
    const TDiagonalCase cases[] = {
        {21, 9, 28, 36},     // 36 - 36/28 * 21 = 9
        {25, 111, 50, 222},  // 222 - 222/50 * 25 = 111
        {7, 29, 14, 58},     // 58 - 58/14 * 7 = 29
    };
    for (const TDiagonalCase& c : cases) {
        EXPECT_EQ(SpinPartAt(c.X, c.Y, c.Width, c.Height), TSpinPart::Upper)
            << "x=" << c.X << " y=" << c.Y << " on a " << c.Width << " x " << c.Height << " button";
        // One row further down is below the line.
        EXPECT_EQ(SpinPartAt(c.X, c.Y + 1, c.Width, c.Height), TSpinPart::Lower);
    }
}

}  // namespace
