#include "modify/ModifyReport.h"

#include "platform/Text.h"
#include "version/VersionStore.h"

std::u16string ModifyMessage(const ModifyReport& report) {
    static const char16_t* const kTimeRefusals[] = {
        u"新的创建时间不符合要求!", u"新的修改时间不符合要求!", u"新的访问时间不符合要求!"};
    switch (report.event) {
        case ModifyEvent::NoTarget:
            return u"路径不能为空!";
        case ModifyEvent::UnsigningRefused:
            return u"该文件带有数字签名，修改版本信息会使签名失效!\n文件未修改!";
        case ModifyEvent::NotWritable:
            return u"无法打开文件进行修改，文件未修改!";
        case ModifyEvent::LanguageRead:
        case ModifyEvent::BackupKept:
            return u"";
        case ModifyEvent::BackupFailed:
            return u"备份失败!\n文件未修改!";
        case ModifyEvent::AttributesFailed:
            return u"属性修改失败!";
        case ModifyEvent::TimeRefused:
            return kTimeRefusals[report.index];
        case ModifyEvent::TimesFailed:
            return u"时间修改失败!\n可能与只读或系统属性有关!";
        case ModifyEvent::NoTranslation:
            return u"获取语言失败!";
        case ModifyEvent::NoVersionInfo:
            return u"文件没有版本信息!\n版本信息未修改!";
        case ModifyEvent::KeyMissing:
            return std::u16string(u"版本信息中没有") + kVersionStringKeys[report.key].label +
                   u"!\n版本信息未修改!";
        case ModifyEvent::TooLong:
            return std::u16string(kVersionStringKeys[report.key].label) +
                   u"的新内容过长!\n版本信息未修改!";
        case ModifyEvent::NoFixedVersion:
            return u"版本信息中没有固定版本号!\n版本信息未修改!";
        case ModifyEvent::NoRoom: {
            static const char16_t* const kCauses[] = {u"资源节中没有足够的空间",
                                                      u"文件末尾有附加数据", u"节表没有空间"};
            return std::u16string(u"版本信息放不下：") + kCauses[report.index] +
                   u"!\n版本信息未修改!";
        }
        case ModifyEvent::StoreFailed:
            return u"版本修改失败!\n错误代码: " + AsciiToUtf16(std::to_string(report.error));
        case ModifyEvent::ForceNotImplemented:
            return u"强制修改功能尚未实现!";
        case ModifyEvent::Unchanged:
            return u"无需修改，文件未修改!";
        case ModifyEvent::Done:
            return u"文件修改完成!";
    }
    return u"";
}

std::u16string PlacementText(VersionPlacement placement) {
    switch (placement) {
        case VersionPlacement::InPlace:
            return u"原位";
        case VersionPlacement::FreeSpace:
            return u"移到资源节空闲处";
        case VersionPlacement::NewSection:
            return u"新增节";
    }
    return u"";
}
