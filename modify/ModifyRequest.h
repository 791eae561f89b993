// What one modification asks for, whichever front end made it: the groups to apply and the values
// of each. The dialog fills it from its boxes and fields as each step is reached; the command line
// from its options, once.
#pragma once

#include <array>

#include "target/AttributeBits.h"
#include "target/TimeText.h"
#include "version/VersionStore.h"

struct ModifyRequest {
    // The groups: "备份", "基本", "时间", "版本" and "强制".
    bool backup = false;
    bool attributes = false;
    bool times = false;
    bool versions = false;
    bool force = false;

    AttributeChange attributeChange;
    std::array<NewTime, 3> newTimes;  // creation, last write, last access
    VersionChanges versionChanges;

    // Every check that can refuse the target is made before anything is written to it.
    bool checkFirst = false;
    // Checked and reported, nothing written.
    bool dryRun = false;
    // A version edit of a signed file goes ahead without asking.
    bool allowUnsigning = false;
    // The read-only bit is set after the times and the strings, which it would refuse; the
    // dialog keeps its order, the attributes first.
    bool readOnlyLast = false;
    // Texts beyond their rooms and missing keys rebuild the version block (the command line; the
    // dialog edits within the rooms).
    VersionGrowth versionGrowth;
};
