// The modify command's order: which steps run for each choice of boxes, state and outcome.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "modify/ModifyPlan.h"

namespace {

const char* Name(ModifyStep step) {
    switch (step) {
        case ModifyStep::ReportNoTarget:
            return "no-target";
        case ModifyStep::Backup:
            return "backup";
        case ModifyStep::ReportBackupFailed:
            return "backup-failed";
        case ModifyStep::Attributes:
            return "attributes";
        case ModifyStep::Times:
            return "times";
        case ModifyStep::VersionStrings:
            return "version";
        case ModifyStep::ForceNotImplemented:
            return "force";
        case ModifyStep::RewriteTimes:
            return "rewrite-times";
        case ModifyStep::ReportDone:
            return "done";
        default:
            return "?";
    }
}

// Runs the plan with the boxes fixed; each step succeeds unless the state says otherwise.
std::string Plan(ModifyState state, bool timesFail = false, bool versionFails = false) {
    std::string steps;
    ModifyStep step = ModifyStep::Start;
    while ((step = NextModifyStep(step, state)) != ModifyStep::End) {
        if (!steps.empty()) steps += ' ';
        steps += Name(step);
        if (step == ModifyStep::Times) state.timesWritten = !timesFail;
        if (step == ModifyStep::VersionStrings) state.versionStored = !versionFails;
    }
    return steps;
}

ModifyState Loaded() {
    ModifyState state{};
    state.targetLoaded = true;
    return state;
}

TEST(ModifyPlan, EveryCombinationOfBoxes) {
    // Bits of the combination: backup, basic, time, version, force, has version information.
    for (unsigned combo = 0; combo < 64; ++combo) {
        ModifyState state = Loaded();
        state.backupTicked = combo & 1;
        state.basicTicked = combo & 2;
        state.timeTicked = combo & 4;
        state.versionTicked = combo & 8;
        state.forceTicked = combo & 16;
        state.hasVersionInfo = combo & 32;

        std::vector<std::string> expected;
        if (state.backupTicked) expected.push_back("backup");
        if (state.basicTicked) expected.push_back("attributes");
        if (state.timeTicked) expected.push_back("times");
        const bool version = state.hasVersionInfo && state.versionTicked;
        if (version) expected.push_back(state.forceTicked ? "force" : "version");
        if (version && !state.forceTicked && state.timeTicked) expected.push_back("rewrite-times");
        expected.push_back("done");
        std::string joined;
        for (const std::string& step : expected) joined += (joined.empty() ? "" : " ") + step;

        EXPECT_EQ(Plan(state), joined) << "combination " << combo;
    }
}

TEST(ModifyPlan, StatesAndOutcomes) {
    ModifyState all = Loaded();
    all.backupTicked = all.basicTicked = all.timeTicked = all.versionTicked = true;
    all.hasVersionInfo = true;

    ModifyState noTarget = all;
    noTarget.targetLoaded = false;
    ModifyState backupFails = all;
    backupFails.backupFailed = true;
    ModifyState folder = all;
    folder.isFolder = true;
    folder.hasVersionInfo = false;

    const struct {
        const char* name;
        std::string plan;
        const char* expected;
    } cases[] = {
        {"no target, or chosen but not loaded", Plan(noTarget), "no-target"},
        {"a failed backup stops everything", Plan(backupFails), "backup backup-failed"},
        {"a folder is not copied", Plan(folder), "attributes times done"},
        {"times refused: no rewrite after the version", Plan(all, true),
         "backup attributes times version done"},
        {"version not stored: no rewrite", Plan(all, false, true),
         "backup attributes times version done"},
        {"no box", Plan(Loaded()), "done"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.plan, c.expected) << c.name;
}

TEST(ModifyPlan, BoxesAreReadWhenTheirStepIsReached) {
    // The version box is ticked only after the attribute step has run.
    ModifyState state = Loaded();
    state.basicTicked = true;
    state.hasVersionInfo = true;
    ModifyStep step = NextModifyStep(ModifyStep::Start, state);
    EXPECT_EQ(step, ModifyStep::Attributes);
    state.versionTicked = true;
    EXPECT_EQ(NextModifyStep(step, state), ModifyStep::VersionStrings);
}

}  // namespace
