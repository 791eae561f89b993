// How set tells what it did to one target: lines of text, or one JSON object with the outcome,
// each field's old and new value and the message.
#pragma once

#include <string>

#include "cli/RunOutput.h"
#include "modify/ModifyCommand.h"

enum class SetOutcome { Written, Refused, Failed, Unchanged };

// A target that set never reached: its object in the JSON array, with no field.
std::u16string SetResultJson(const std::u16string& path, SetOutcome outcome, bool dryRun,
                             const std::u16string& message);

class SetListener : public ModifyListener {
  public:
    SetListener(RunOutput& output, const std::u16string& path, bool dryRun)
        : output_(output), path_(path), dryRun_(dryRun) {}

    void Checked(const ModifyPreview& preview) override;
    void Preview(const ModifyPreview& preview) override;
    void Report(const ModifyReport& report) override;
    // After the modification: the target's object, where the output is JSON.
    void Finish();

  private:
    RunOutput& output_;
    const std::u16string& path_;
    const bool dryRun_;
    bool checked_ = false;
    bool failed_ = false;
    ModifyPreview preview_;
    SetOutcome outcome_ = SetOutcome::Written;
    std::u16string message_;
};
