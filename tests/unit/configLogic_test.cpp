#include "src/configLogic.h"
#include "widgets/spinLogic.h"

#include <gtest/gtest.h>

#include <string>

TEST(ConfigLoad, DefaultsLeaveApplyDisabled) {
    const TCfg cfg;
    EXPECT_FALSE(ApplyEnabledAfterLoad(cfg, TCfgSources{}));
    EXPECT_FALSE(ControlsDifferFromCfg(ControlsFromCfg(cfg, TCfgSources{}), cfg));
}

TEST(ConfigLoad, ValuesTheControlsCannotShowEnableApply) {
    // When a policy enforces the same values, the controls show them as the band holds
    // them and Apply stays disabled.
    struct Row {
        const char* name;
        int32_t cover, time, movement;
        bool enabled;
        int32_t heldCover;
        double heldTime;
        int32_t heldMovement;
    };
    const Row rows[] = {
        // -1 shows as no selection, which reads -1 again.
        {"cover 7", 7, 2, 1, true, 3, 2, 1},       {"cover -1", -1, 2, 1, false, 0, 2, 1},
        {"cover 3", 3, 2, 1, false, 3, 2, 1},      {"cover 4", 4, 2, 1, true, 3, 2, 1},
        {"time 9", 1, 9, 1, true, 1, 5, 1},        {"time 0", 1, 0, 1, true, 1, 1, 1},
        {"time 5", 1, 5, 1, false, 1, 5, 1},       {"time 1", 1, 1, 1, false, 1, 1, 1},
        {"movement 2", 1, 2, 2, true, 1, 2, 1},    {"movement 0", 1, 2, 0, false, 1, 2, 0},
        {"movement -1", 1, 2, -1, false, 1, 2, 1},
    };
    TCfgSources enforced;
    for (TSettingSource& source : enforced.Of) source = TSettingSource::MachinePolicy;
    for (const Row& r : rows) {
        TCfg cfg;
        cfg.CoverArea = r.cover;
        cfg.TransitionTime = r.time;
        cfg.MovementType = r.movement;
        EXPECT_EQ(ApplyEnabledAfterLoad(cfg, TCfgSources{}), r.enabled) << r.name;
        EXPECT_FALSE(ApplyEnabledAfterLoad(cfg, enforced)) << r.name;
        const TConfigControls held = ControlsFromCfg(cfg, enforced);
        EXPECT_EQ(held.CoverIndex, r.heldCover) << r.name;
        EXPECT_EQ(held.TransitionValue, r.heldTime) << r.name;
        EXPECT_EQ(held.MovementIndex, r.heldMovement) << r.name;
        // Whatever the controls hold, OK keeps the enforced values.
        const TCfg applied = ApplyControls(TConfigControls{0, 4.0, 0, false, "x", "y"}, cfg, enforced);
        EXPECT_EQ(applied.CoverArea, r.cover) << r.name;
        EXPECT_EQ(applied.TransitionTime, r.time) << r.name;
        EXPECT_EQ(applied.TextLine1, cfg.TextLine1) << r.name;
    }
}

TEST(ConfigLoad, OnlyAChangedRecommendationBecomesTheUsersOwn) {
    TCfg cfg;
    cfg.CoverArea = 7;  // recommended, shown as no selection
    TCfgSources sources;
    sources.Of[stCoverArea] = TSettingSource::RecommendedForMachine;
    sources.Of[stTransitionTime] = TSettingSource::RecommendedForUser;
    sources.Of[stTextLine1] = TSettingSource::RecommendedForUser;
    const TConfigControls loaded = ControlsFromCfg(cfg, sources);
    TConfigControls shown = loaded;
    shown.Line1 = "edited";
    shown.Line2 = "edited too";  // a default: stored anyway
    TakeChangedRecommendations(shown, loaded, sources);
    EXPECT_EQ(sources.Of[stCoverArea], TSettingSource::RecommendedForMachine);
    EXPECT_EQ(sources.Of[stTransitionTime], TSettingSource::RecommendedForUser);
    EXPECT_EQ(sources.Of[stTextLine1], TSettingSource::Own);
    EXPECT_EQ(sources.Of[stTextLine2], TSettingSource::Default);
    shown.TransitionValue = 3;
    TakeChangedRecommendations(shown, loaded, sources);
    EXPECT_EQ(sources.Of[stTransitionTime], TSettingSource::Own);
}

TEST(ConfigLoad, ControlsShowWhatTheyCan) {
    TCfg cfg;
    cfg.CoverArea = 7;
    cfg.TransitionTime = 9;
    cfg.MovementType = -4;
    cfg.TextLine1 = std::string(60, 'x');
    const TConfigControls c = ControlsFromCfg(cfg, TCfgSources{});
    EXPECT_EQ(c.CoverIndex, -1);
    EXPECT_EQ(c.TransitionValue, 5.0);
    EXPECT_EQ(c.MovementIndex, -1);
    EXPECT_EQ(c.Line1.size(), 60u);
    // OK then stores what the controls show.
    const TCfg saved = ApplyControls(c, cfg);
    EXPECT_EQ(saved.CoverArea, -1);
    EXPECT_EQ(saved.TransitionTime, 5);
    EXPECT_EQ(saved.MovementType, -1);
}

TEST(ConfigLoad, NoNotificationKeepsApplyDisabled) {
    // Nothing raises a notification, so even an unshowable time leaves Apply as laid out.
    TCfg cfg;
    cfg.DrawBorders = false;
    cfg.TextLine1.clear();
    cfg.TextLine2.clear();
    EXPECT_FALSE(ApplyEnabledAfterLoad(cfg, TCfgSources{}));
    cfg.TransitionTime = 9;
    EXPECT_FALSE(ApplyEnabledAfterLoad(cfg, TCfgSources{}));
}

TEST(ConfigLoad, LastNotificationDecides) {
    // The check box notifies while the first line is still empty (enabling Apply); the
    // first line's notification then finds everything shown and disables it again.
    TCfg cfg;
    cfg.TextLine2.clear();
    EXPECT_FALSE(ApplyEnabledAfterLoad(cfg, TCfgSources{}));

    // Only the check box notifies, after the time was shown as 5 against a stored 9.
    TCfg onlyBox;
    onlyBox.TextLine1.clear();
    onlyBox.TextLine2.clear();
    EXPECT_FALSE(ApplyEnabledAfterLoad(onlyBox, TCfgSources{}));
    onlyBox.TransitionTime = 9;
    EXPECT_TRUE(ApplyEnabledAfterLoad(onlyBox, TCfgSources{}));

    // Only the second line notifies.
    TCfg secondLineOnly;
    secondLineOnly.TextLine1.clear();
    secondLineOnly.DrawBorders = false;
    EXPECT_FALSE(ApplyEnabledAfterLoad(secondLineOnly, TCfgSources{}));
    secondLineOnly.MovementType = 5;
    EXPECT_TRUE(ApplyEnabledAfterLoad(secondLineOnly, TCfgSources{}));
}

TEST(ConfigCompare, EachControlCounts) {
    const TCfg cfg;
    const TConfigControls same = ControlsFromCfg(cfg, TCfgSources{});
    TConfigControls c = same;
    c.CoverIndex = 2;
    EXPECT_TRUE(ControlsDifferFromCfg(c, cfg));
    c = same;
    c.TransitionValue = 2.5;
    EXPECT_TRUE(ControlsDifferFromCfg(c, cfg));
    c = same;
    c.MovementIndex = 0;
    EXPECT_TRUE(ControlsDifferFromCfg(c, cfg));
    c = same;
    c.Borders = false;
    EXPECT_TRUE(ControlsDifferFromCfg(c, cfg));
    c = same;
    c.Line1[0] = 'p';  // case matters
    EXPECT_TRUE(ControlsDifferFromCfg(c, cfg));
    c = same;
    c.Line2 += " ";
    EXPECT_TRUE(ControlsDifferFromCfg(c, cfg));
}

TEST(ConfigCompare, UndoingAnEditDisablesApplyAgain) {
    const TCfg cfg;
    TConfigControls c = ControlsFromCfg(cfg, TCfgSources{});
    c.CoverIndex = 2;
    EXPECT_TRUE(ControlsDifferFromCfg(c, cfg));
    c.CoverIndex = 1;
    EXPECT_FALSE(ControlsDifferFromCfg(c, cfg));
}

TEST(ConfigApply, CopiesControlsAndKeepsVersion) {
    TCfg base;
    base.Version = "9.99";
    const TConfigControls c{3, 4.9, 0, false, "a", ""};
    const TCfg out = ApplyControls(c, base);
    EXPECT_EQ(out.CoverArea, 3);
    EXPECT_EQ(out.TransitionTime, 4);
    EXPECT_EQ(out.MovementType, 0);
    EXPECT_FALSE(out.DrawBorders);
    EXPECT_EQ(out.TextLine1, "a");
    EXPECT_EQ(out.TextLine2, "");
    EXPECT_EQ(out.Version, "9.99");
}

TEST(ConfigApply, TimeTruncatesTowardZeroAndSaturates) {
    const TCfg base;
    TConfigControls c = ControlsFromCfg(base, TCfgSources{});
    c.TransitionValue = -1.7;
    EXPECT_EQ(ApplyControls(c, base).TransitionTime, -1);
    c.TransitionValue = 1e12;
    EXPECT_EQ(ApplyControls(c, base).TransitionTime, INT32_MAX);
    c.TransitionValue = -1e12;
    EXPECT_EQ(ApplyControls(c, base).TransitionTime, INT32_MIN);
}

TEST(ConfigSpin, StepToLastReportedValueIsNotNoticedUntilAnotherChange) {
    TCfg cfg;  // TransitionTime 2
    TSpinModel spin;
    spin.SetValue(cfg.TransitionTime);
    spin.SetWindowExists(true);
    TConfigControls c = ControlsFromCfg(cfg, TCfgSources{});
    bool applyEnabled = ApplyEnabledAfterLoad(cfg, TCfgSources{});
    ASSERT_FALSE(applyEnabled);

    // Down to 1 equals the value last reported (1): no notification, Apply stays off.
    if (spin.StepDown()) applyEnabled = true;
    c.TransitionValue = spin.Value();
    EXPECT_FALSE(applyEnabled);
    EXPECT_EQ(ApplyControls(c, cfg).TransitionTime, 1);

    // Moving the cover list away and back: the second comparison still sees 1 against 2.
    c.CoverIndex = 2;
    EXPECT_TRUE(ControlsDifferFromCfg(c, cfg));
    c.CoverIndex = cfg.CoverArea;
    EXPECT_TRUE(ControlsDifferFromCfg(c, cfg));
}

TEST(DialogPlacement, CentredOnParent) {
    const TRect work{0, 0, 1024, 738};
    const TRect parent{100, 100, 700, 500};
    struct Row {
        int32_t w, h;
    };
    const Row rows[] = {{584, 289}, {585, 290}, {600, 400}, {1, 1}};
    for (const Row& r : rows) {
        const TPoint p = CentreAndClamp(parent, r.w, r.h, work);
        EXPECT_EQ(p.X, 400 - r.w / 2) << r.w;
        EXPECT_EQ(p.Y, 300 - r.h / 2) << r.h;
    }
}

TEST(DialogPlacement, OddParentSizeTruncates) {
    // Width 601: half is 300, not 300.5 rounded up.
    const TPoint p = CentreAndClamp(TRect{100, 100, 701, 501}, 585, 291, TRect{0, 0, 1024, 738});
    EXPECT_EQ(p.X, 100 + 300 - 292);
    EXPECT_EQ(p.Y, 100 + 200 - 145);
}

TEST(DialogPlacement, NegativeHalvesTruncateTowardZero) {
    // A parent left of the work area's origin, in a work area reaching into negatives.
    const TPoint p = CentreAndClamp(TRect{-601, -301, -300, 0}, 101, 51, TRect{-2000, -2000, 2000, 2000});
    EXPECT_EQ(p.X, -601 + 150 - 50);
    EXPECT_EQ(p.Y, -301 + 150 - 25);
}

TEST(DialogPlacement, NearRightEdgeMovesLeft) {
    const TPoint p = CentreAndClamp(TRect{700, 100, 1000, 400}, 585, 290, TRect{0, 0, 1024, 738});
    EXPECT_EQ(p.X, 1024 - 585);
    EXPECT_EQ(p.Y, 250 - 145);
}

TEST(DialogPlacement, NearBottomEdgeMovesUp) {
    const TPoint p = CentreAndClamp(TRect{100, 600, 700, 738}, 585, 290, TRect{0, 0, 1024, 738});
    EXPECT_EQ(p.Y, 738 - 290);
}

TEST(DialogPlacement, LargerThanWorkAreaEndsFlushRightAndBottom) {
    const TRect work{0, 0, 1024, 738};
    const TPoint p = CentreAndClamp(TRect{100, 100, 700, 500}, 1200, 800, work);
    EXPECT_EQ(p.X, 1024 - 1200);
    EXPECT_EQ(p.Y, 738 - 800);
}

TEST(DialogPlacement, NoParentGoesToWorkAreaTopLeft) {
    const TRect none{0, 0, 0, 0};
    const TPoint p = CentreAndClamp(none, 585, 290, TRect{0, 0, 1024, 738});
    EXPECT_EQ(p.X, 0);
    EXPECT_EQ(p.Y, 0);
    // A task bar on the left or top moves the work area's origin.
    const TPoint q = CentreAndClamp(none, 585, 290, TRect{60, 30, 1024, 768});
    EXPECT_EQ(q.X, 60);
    EXPECT_EQ(q.Y, 30);
}

TEST(DialogPlacement, ExtremeRectanglesDoNotOverflow) {
    const TRect huge{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    const TPoint p = CentreAndClamp(huge, 585, 290, huge);
    EXPECT_EQ(p.X, -1 - 292);
    EXPECT_EQ(p.Y, -1 - 145);
}
