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
    RewriteTimes,  // the version store touched the file after its times were set
    ReportDone,    // "文件修改完成!"
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
    // Outcomes of the steps already run in this command.
    bool unsigningDeclined;
    bool checkRefused;
    bool backupFailed;
    bool timesWritten;
    bool versionStored;
};

ModifyStep NextModifyStep(ModifyStep done, const ModifyState& now);
