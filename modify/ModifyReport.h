// What one modification reports to the front end that runs it, and the words in which both front
// ends tell it to the user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "version/VersionStore.h"

enum class ModifyEvent {
    NoTarget,          // "路径不能为空!"
    UnsigningRefused,  // a version edit of a signed file, not allowed: nothing written
    NotWritable,       // `error`: a check cannot open the target as a later step will
    BackupKept,        // a backup made earlier is there: it is kept, and the steps go on
    BackupFailed,      // "备份失败!\n文件未修改!"
    AttributesFailed,  // "属性修改失败!", with `error`
    TimeRefused,       // `index`: the new time that is refused
    TimesFailed,       // "时间修改失败!\n可能与只读或系统属性有关!", with `error`
    LanguageRead,      // `language`: the first translation's, read again for the store
    NoTranslation,     // "获取语言失败!"
    NoVersionInfo,     // version changes for a file that has no version information
    KeyMissing,        // `key`: an edited string that the file does not hold
    TooLong,           // `key`: "…的新内容过长!\n版本信息未修改!"
    NoFixedVersion,    // a fixed version given for a file whose block holds none
    NoRoom,            // `index`: the NoRoomCause of a rebuilt block that fits nowhere
    StoreFailed,       // `error`: "版本修改失败!\n错误代码: …"
    ForceNotImplemented,  // "强制修改功能尚未实现!"
    Unchanged,            // a check found nothing to change: nothing written
    Done,                 // "文件修改完成!"
};

struct ModifyReport {
    ModifyEvent event;
    int index = 0;
    size_t key = 0;
    uint32_t error = 0;
    uint16_t language = 0;
};

// The user's message for a report, in the dialog's words; empty for the language read again and
// for a backup kept, which the dialog passes over in silence.
std::u16string ModifyMessage(const ModifyReport& report);

// Where a store puts the version block, in the user's words.
std::u16string PlacementText(VersionPlacement placement);
