#include "modify/ModifyCommand.h"

#include "modify/Backup.h"
#include "modify/ModifyPlan.h"
#include "platform/ScopedHandle.h"
#include "platform/Text.h"
#include "target/TargetFile.h"

namespace {

bool HasVersionEdits(const VersionChanges& changes) {
    return !changes.strings.empty() || changes.fileVersion || changes.productVersion;
}

class Modification {
  public:
    Modification(const TargetSnapshot* target, ModifyRequest& request, ModifyListener& listener)
        : target_(target), request_(request), listener_(listener) {}

    void Run() {
        ModifyState state{};
        state.targetLoaded = target_ != nullptr;
        state.isFolder = target_ && target_->IsFolder();
        // A program without version information gets it where the request may add it.
        state.hasVersionInfo =
            target_ && (target_->version.state != LoadedVersion::State::None ||
                        (target_->version.addable && request_.versionGrowth.allowed));
        for (ModifyStep step = ModifyStep::Start; step != ModifyStep::End;) {
            listener_.Refresh(request_);
            state.backupTicked = request_.backup;
            state.basicTicked = request_.attributes;
            state.timeTicked = request_.times;
            state.versionTicked = request_.versions;
            state.forceTicked = request_.force;
            state.checkFirst = request_.checkFirst;
            state.dryRun = request_.dryRun;
            state.signedVersionEdit =
                target_ && target_->version.isSigned && HasVersionEdits(request_.versionChanges);
            state.readOnlyLast = request_.readOnlyLast;
            state.endsReadOnly = target_ && (FinalAttributes() & FILE_ATTRIBUTE_READONLY);
            step = NextModifyStep(step, state);
            switch (step) {
                case ModifyStep::ReportNoTarget:
                    Report(ModifyEvent::NoTarget);
                    break;
                case ModifyStep::AskUnsigning:
                    state.unsigningDeclined = !listener_.AllowUnsigning(request_);
                    if (state.unsigningDeclined) Report(ModifyEvent::UnsigningRefused);
                    break;
                case ModifyStep::Check:
                    state.checkRefused = !Check(state) || !CheckFileOpens();
                    state.nothingToChange = preview_.Empty();
                    if (!state.checkRefused) listener_.Checked(preview_);
                    break;
                case ModifyStep::Preview:
                    listener_.Preview(preview_);
                    break;
                case ModifyStep::Backup:
                    switch (MakeBackup(target_->filePath, [this] { listener_.WhileCopying(); })) {
                        case BackupResult::Made:
                            break;
                        case BackupResult::Kept:
                            Report(ModifyEvent::BackupKept);
                            break;
                        case BackupResult::Failed:
                            state.backupFailed = true;
                            break;
                    }
                    break;
                case ModifyStep::ReportBackupFailed:
                    Report(ModifyEvent::BackupFailed);
                    break;
                case ModifyStep::Attributes:
                    WriteWord(ReadOnlyGoesLast(state)
                                  ? FinalAttributes() & ~DWORD{FILE_ATTRIBUTE_READONLY}
                                  : FinalAttributes());
                    break;
                case ModifyStep::Times:
                    state.timesWritten = DecideTimes() && WriteTimes();
                    break;
                case ModifyStep::VersionStrings:
                    state.versionStored = StoreVersions();
                    break;
                case ModifyStep::ForceNotImplemented:
                    Report(ModifyEvent::ForceNotImplemented);
                    break;
                case ModifyStep::RewriteTimes:
                    WriteTimes();  // the same times as decided for the first write
                    break;
                case ModifyStep::ReadOnly:
                    WriteWord(FinalAttributes());
                    break;
                case ModifyStep::ReportUnchanged:
                    Report(ModifyEvent::Unchanged);
                    break;
                case ModifyStep::ReportDone:
                    Report(ModifyEvent::Done);
                    break;
                case ModifyStep::Start:
                case ModifyStep::End:
                    break;
            }
        }
    }

  private:
    void Report(ModifyEvent event, DWORD error = ERROR_SUCCESS) {
        listener_.Report({event, 0, 0, error});
    }

    // The attribute word to leave: the loaded one, changed as asked.
    uint32_t FinalAttributes() const {
        const uint32_t loaded = target_->entry.dwFileAttributes;
        return request_.attributes ? AttributeWordToWrite(loaded, request_.attributeChange)
                                   : loaded;
    }

    void WriteWord(uint32_t word) {
        if (const DWORD error = WriteAttributes(target_->filePath, word))
            Report(ModifyEvent::AttributesFailed, error);
    }

    // The times to write, decided once for the command: a check has decided them already.
    bool DecideTimes() {
        if (times_) return true;
        const FileTimesDecision decision =
            DecideFileTimes(request_.newTimes, EntryTimes(target_->entry), UtcOffsetNow());
        if (decision.refused >= 0) {
            listener_.Report({ModifyEvent::TimeRefused, decision.refused});
            return false;
        }
        times_ = decision.times;
        return true;
    }

    bool WriteTimes() {
        const DWORD error = WriteFileTimes(target_->filePath, target_->IsFolder(), *times_);
        if (error) Report(ModifyEvent::TimesFailed, error);
        return !error;
    }

    // Reports why the version changes cannot be stored; true when they can.
    bool ReportVersionResult(const VersionStoreResult& result) {
        switch (result.outcome) {
            case VersionStoreResult::Outcome::Stored:
                return true;
            case VersionStoreResult::Outcome::TooLong:
                listener_.Report({ModifyEvent::TooLong, 0, result.key});
                return false;
            case VersionStoreResult::Outcome::NoFixedInfo:
                Report(ModifyEvent::NoFixedVersion);
                return false;
            case VersionStoreResult::Outcome::NoRoom:
                listener_.Report({ModifyEvent::NoRoom, static_cast<int>(result.cause)});
                return false;
            case VersionStoreResult::Outcome::Failed:
                listener_.Report({ModifyEvent::StoreFailed, 0, 0, result.error});
                return false;
        }
        return false;
    }

    bool StoreVersions() {
        // The file is read afresh (its language, and whether it still has a Translation), unless
        // a check has just read it.
        const LoadedVersion now =
            request_.checkFirst ? target_->version : ReadVersionStrings(target_->filePath);
        if (now.state == LoadedVersion::State::NoTranslation) {
            Report(ModifyEvent::NoTranslation);
            return false;
        }
        if (now.state == LoadedVersion::State::Loaded) {
            listener_.Report({ModifyEvent::LanguageRead, 0, 0, 0, now.translation.language});
        }
        // Nothing to store: the file is not even opened for writing.
        if (!HasVersionEdits(request_.versionChanges)) return false;
        return ReportVersionResult(StoreVersionStrings(
            target_->filePath, target_->version, request_.versionChanges, request_.versionGrowth));
    }

    // Every refusal that a step would meet, made before any step writes; the preview of what the
    // steps would change.
    bool Check(const ModifyState& state) {
        if (request_.attributes && FinalAttributes() != target_->entry.dwFileAttributes) {
            preview_.attributes = {target_->entry.dwFileAttributes, FinalAttributes()};
        }
        if (request_.times) {
            if (!DecideTimes()) return false;
            const std::array<uint64_t, 3> loaded = EntryTimes(target_->entry);
            for (size_t i = 0; i < 3; ++i) {
                if ((*times_)[i] != loaded[i]) preview_.times[i] = {{loaded[i], (*times_)[i]}};
            }
        }
        const VersionChanges& changes = request_.versionChanges;
        if (!request_.versions || !HasVersionEdits(changes)) return true;
        const LoadedVersion& loaded = target_->version;
        if (!state.hasVersionInfo) {
            Report(ModifyEvent::NoVersionInfo);
            return false;
        }
        if (!changes.strings.empty() && loaded.state == LoadedVersion::State::NoTranslation) {
            Report(ModifyEvent::NoTranslation);
            return false;
        }
        HeldKeys held{};
        for (size_t key = 0; key < kVersionStringKeyCount; ++key)
            held[key] = loaded.texts[key].has_value();
        for (const VersionEdit& edit : changes.strings) {
            if (!held[edit.key] && !request_.versionGrowth.allowed) {
                listener_.Report({ModifyEvent::KeyMissing, 0, edit.key});
                return false;
            }
        }
        const VersionStoreResult result =
            CheckVersionStore(target_->filePath, loaded, changes, request_.versionGrowth);
        if (!ReportVersionResult(result)) return false;
        preview_.placement = result.placement;
        for (const VersionEdit& edit : StringEdits(changes, held)) {
            const std::optional<CString>& text = loaded.texts[edit.key];
            const std::u16string before = text ? ToUtf16(*text) : u"";
            if (!text || before != edit.text) {
                preview_.strings.push_back({edit.key, {before, edit.text}});
            }
        }
        for (auto [fixed, was, into] :
             {std::tuple{changes.fileVersion, loaded.fileVersion, &preview_.fileVersion},
              std::tuple{changes.productVersion, loaded.productVersion,
                         &preview_.productVersion}}) {
            if (fixed && fixed != was) *into = {{was.value_or(FixedVersion{}), *fixed}};
        }
        return true;
    }

    // The later steps' opens, made now as each will make it: a target that another program holds
    // open, or that cannot be written, is refused before anything is written. Write access is not
    // asked for while the read-only bit is set (the system refuses it for that alone): the bit is
    // cleared before the writes.
    bool CheckFileOpens() {
        const bool readOnly = target_->entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY;
        const auto opens = [&](DWORD access, DWORD share, DWORD flags) {
            if (readOnly) access &= ~DWORD{GENERIC_WRITE};
            const ScopedHandle file(::CreateFileW(target_->filePath.c_str(), access, share, nullptr,
                                                  OPEN_EXISTING, flags, nullptr));
            if (!file.valid()) Report(ModifyEvent::NotWritable, ::GetLastError());
            return file.valid();
        };
        const bool folder = target_->IsFolder();
        return (!request_.times || opens(kTimesAccess, kTimesShare, TimesOpenFlags(folder))) &&
               (!request_.versions || !HasVersionEdits(request_.versionChanges) ||
                opens(kStoreAccess, kStoreShare, FILE_ATTRIBUTE_NORMAL));
    }

    const TargetSnapshot* target_;
    ModifyRequest& request_;
    ModifyListener& listener_;
    std::optional<std::array<uint64_t, 3>> times_;
    ModifyPreview preview_;
};

}  // namespace

void RunModify(const TargetSnapshot* target, ModifyRequest request, ModifyListener& listener) {
    Modification(target, request, listener).Run();
}
