// The order of a modification: which step comes next, decided from what the command sees when it
// gets there (the dialog's option boxes are read at the moment each step is reached).
#pragma once

enum class ModifyStep {
    Start,
    ReportNoTarget,      // "路径不能为空!"
    AskUnsigning,        // a version edit would break the file's signature: go on only if allowed
    Check,               // every refusal made before anything is written (the command line)
    Preview,             // a dry run: what would change, and nothing written
    Backup,              // the "_bak" copy beside the target
    ReportBackupFailed,  // "备份失败!\n文件未修改!": nothing else runs
    Attributes,
    Times,
    VersionStrings,
    ForceNotImplemented,
    RewriteTimes,     // the version store touched the file after its times were set
    ReadOnly,         // the read-only bit, set after the writes that it would refuse
    ReportUnchanged,  // a check found nothing to change: nothing is written
    ReportDone,       // "文件修改完成!"
    End,
};

struct ModifyState {
    bool targetLoaded;  // a target is chosen and its load completed
    bool isFolder;
    bool backupTicked;
    bool basicTicked;
    bool timeTicked;
    bool versionTicked;
    bool forceTicked;
    bool hasVersionInfo;
    bool checkFirst;
    bool dryRun;
    bool signedVersionEdit;  // the version strings of a signed file are to be changed
    bool readOnlyLast;       // asked for: the read-only bit after the times and the strings
    bool endsReadOnly;       // the attribute word to leave has the read-only bit
    // Outcomes of the steps already run in this command.
    bool unsigningDeclined;
    bool checkRefused;
    bool nothingToChange;  // the check found every value as asked for already
    bool backupFailed;
    bool timesWritten;
    bool versionStored;
};

ModifyStep NextModifyStep(ModifyStep done, const ModifyState& now);

// Whether the read-only bit waits for the ReadOnly step: asked for, to be left set, and times or
// strings to be written before. The Attributes step then writes every other bit and clears it
// (a target that is read-only now and stays so has it cleared for the writes).
bool ReadOnlyGoesLast(const ModifyState& now);
