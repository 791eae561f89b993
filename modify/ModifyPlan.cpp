#include "modify/ModifyPlan.h"

namespace {

bool WritesVersionStrings(const ModifyState& now) {
    return now.hasVersionInfo && now.versionTicked && !now.forceTicked;
}

bool Applies(ModifyStep step, const ModifyState& now) {
    switch (step) {
        case ModifyStep::AskUnsigning:
            return now.signedVersionEdit && WritesVersionStrings(now);
        case ModifyStep::Check:
            return now.checkFirst || now.dryRun;
        case ModifyStep::Preview:
            return now.dryRun;
        case ModifyStep::Backup:
            return now.backupTicked && !now.isFolder;  // a folder is never copied
        case ModifyStep::Attributes:
            return now.basicTicked || ReadOnlyGoesLast(now);
        case ModifyStep::Times:
            return now.timeTicked;
        case ModifyStep::VersionStrings:
            return WritesVersionStrings(now);
        case ModifyStep::ForceNotImplemented:
            return now.hasVersionInfo && now.versionTicked && now.forceTicked;
        case ModifyStep::RewriteTimes:
            return now.timesWritten && now.versionStored;
        case ModifyStep::ReadOnly:
            return ReadOnlyGoesLast(now);
        case ModifyStep::ReportDone:
            return true;
        default:
            return false;
    }
}

}  // namespace

bool ReadOnlyGoesLast(const ModifyState& now) {
    return now.readOnlyLast && now.endsReadOnly && (now.timeTicked || WritesVersionStrings(now));
}

ModifyStep NextModifyStep(ModifyStep done, const ModifyState& now) {
    switch (done) {
        case ModifyStep::Start:
            if (!now.targetLoaded) return ModifyStep::ReportNoTarget;
            break;
        case ModifyStep::AskUnsigning:
            if (now.unsigningDeclined) return ModifyStep::End;
            break;
        case ModifyStep::Check:
            if (now.checkRefused) return ModifyStep::End;
            if (now.nothingToChange && !now.dryRun) return ModifyStep::ReportUnchanged;
            break;
        case ModifyStep::Backup:
            if (now.backupFailed) return ModifyStep::ReportBackupFailed;
            break;
        case ModifyStep::ReportNoTarget:
        case ModifyStep::ReportUnchanged:
        case ModifyStep::Preview:
        case ModifyStep::ReportBackupFailed:
        case ModifyStep::ReportDone:
        case ModifyStep::End:
            return ModifyStep::End;
        default:
            break;
    }
    static constexpr ModifyStep kOrder[] = {
        ModifyStep::AskUnsigning,   ModifyStep::Check,
        ModifyStep::Preview,        ModifyStep::Backup,
        ModifyStep::Attributes,     ModifyStep::Times,
        ModifyStep::VersionStrings, ModifyStep::ForceNotImplemented,
        ModifyStep::RewriteTimes,   ModifyStep::ReadOnly,
        ModifyStep::ReportDone};
    bool past = done == ModifyStep::Start;
    for (ModifyStep step : kOrder) {
        if (past && Applies(step, now)) return step;
        if (step == done) past = true;
    }
    return ModifyStep::End;
}
