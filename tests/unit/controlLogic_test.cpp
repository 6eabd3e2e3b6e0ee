#include "src/controlLogic.h"

#include <gtest/gtest.h>

namespace {

TEST(EndCommand, ReadsTheHoldFromEitherFormAndRefusesEverythingElse) {
    const struct {
        std::vector<std::string> Args;
        bool Valid, Timed;
        uint32_t Seconds;
    } cases[] = {
        {{"k.scr", "/e"}, true, false, 0},
        {{"k.scr", "-E"}, true, false, 0},
        {{"k.scr", "/e", "900"}, true, true, 900},
        {{"k.scr", "/e:900"}, true, true, 900},
        {{"k.scr", "/E:1"}, true, true, 1},
        {{"k.scr", "/e", "86400"}, true, true, 86400},
        {{"k.scr", "/e", "86401"}, false, false, 0},
        {{"k.scr", "/e", "0"}, false, false, 0},
        {{"k.scr", "/e", "-5"}, false, false, 0},
        {{"k.scr", "/e", "+5"}, false, false, 0},
        {{"k.scr", "/e", "abc"}, false, false, 0},
        {{"k.scr", "/e", "0x10"}, false, false, 0},
        {{"k.scr", "/e", "99999999999999999999"}, false, false, 0},
        {{"k.scr", "/e:"}, false, false, 0},
        {{"k.scr", "/e:5", "6"}, false, false, 0},
        {{"k.scr", "/e", "5", "6"}, false, false, 0},
        {{"k.scr", "/end"}, false, false, 0},
        {{"k.scr", "/s"}, false, false, 0},
        {{"k.scr"}, false, false, 0},
    };
    for (const auto& c : cases) {
        const TEndCommand command = ParseEndCommand(c.Args);
        std::string shown;
        for (const std::string& a : c.Args) shown += a + " ";
        EXPECT_EQ(command.Valid, c.Valid) << shown;
        EXPECT_EQ(command.Timed, c.Timed) << shown;
        EXPECT_EQ(command.HoldSeconds, c.Seconds) << shown;
        EXPECT_EQ(command.Error.empty(), c.Valid) << shown;
    }
    EXPECT_EQ(ParseEndCommand({"k.scr", "/e", "abc"}).Error, "\"abc\" is not a number of seconds from 1 to 86400");
}

}  // namespace
