// One modification of one target, whichever front end asks for it: the steps in their order, each
// rule applied once, and every outcome reported to a listener that the front end implements (the
// dialog shows message boxes, the command line prints lines).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "modify/ModifyReport.h"
#include "modify/ModifyRequest.h"
#include "modify/TargetSnapshot.h"

// What a modification would change, field by field, each as (before, after): the fields whose
// values differ, and none when nothing would change.
struct ModifyPreview {
    std::optional<std::pair<uint32_t, uint32_t>> attributes;
    std::array<std::optional<std::pair<uint64_t, uint64_t>>, 3> times;
    std::vector<std::pair<size_t, std::pair<std::u16string, std::u16string>>> strings;  // by key
    std::optional<std::pair<FixedVersion, FixedVersion>> fileVersion;
    std::optional<std::pair<FixedVersion, FixedVersion>> productVersion;
    std::optional<VersionPlacement> placement;  // where the version block goes, when it changes

    bool Empty() const {
        return !attributes && !times[0] && !times[1] && !times[2] && strings.empty() &&
               !fileVersion && !productVersion;
    }
};

class ModifyListener {
  public:
    virtual ~ModifyListener() = default;
    // Called as each step is reached: what the request holds then is what the step uses.
    virtual void Refresh(ModifyRequest&) {}
    // A version edit would break the target's signature: true to go on.
    virtual bool AllowUnsigning(const ModifyRequest& request) { return request.allowUnsigning; }
    // Runs between the chunks of a long backup copy.
    virtual void WhileCopying() {}
    // The check has passed (what is reported before it is a refusal), and what would change.
    virtual void Checked(const ModifyPreview&) {}
    // A dry run: nothing is written.
    virtual void Preview(const ModifyPreview&) {}
    virtual void Report(const ModifyReport& report) = 0;
};

// Applies the request to the loaded target (null when none is loaded).
void RunModify(const TargetSnapshot* target, ModifyRequest request, ModifyListener& listener);
