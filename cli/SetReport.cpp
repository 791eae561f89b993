#include "cli/SetReport.h"

#include "cli/CliText.h"
#include "cli/IsoTime.h"
#include "cli/Json.h"
#include "platform/ErrorText.h"
#include "platform/Text.h"
#include "target/TargetFile.h"

namespace {

constexpr const char16_t* kTimeLabels[] = {u"创建时间", u"修改时间", u"访问时间"};
constexpr const char16_t* kTimeKeys[] = {u"created", u"modified", u"accessed"};
constexpr const char16_t* kOutcomes[] = {u"written", u"refused", u"failed", u"unchanged"};

// The command line's words for a report: the dialog's, with the system's reason where a call
// failed (in place of the dialog's guess at it, for the times).
std::u16string MessageOf(const ModifyReport& report) {
    const std::u16string message = ModifyMessage(report);
    if (report.error == ERROR_SUCCESS) return message;
    return message.substr(0, message.find(u'\n')) + u" " + ToUtf16(SystemErrorText(report.error));
}

std::u16string Hex(uint32_t word) {
    std::u16string text = u"0x00000000";
    for (size_t i = text.size(); word != 0; word >>= 4) text[--i] = u"0123456789ABCDEF"[word & 0xF];
    return text;
}

// The rules of local time on each date. A lambda, not the function itself: a std::function made
// from a function pointer brings the type information of pointers and functions into the program.
const UtcOffsetAt kLocalRules = [](int64_t utcSeconds) { return UtcOffsetAtTime(utcSeconds); };

std::u16string LocalText(uint64_t fileTime) {
    const std::string text = LocalTimeText(fileTime, kLocalRules);
    return text.empty() ? u"无" : AsciiToUtf16(text);
}

// Calls `field` with each field that changes but the strings: its label, its JSON key, its old
// and new value as text (times `time`'s way), and for the attribute word the two words.
template <class Field, class Time>
void EachChange(const ModifyPreview& preview, Field field, Time time) {
    if (preview.attributes)
        field(u"属性", u"attributes", Hex(preview.attributes->first),
              Hex(preview.attributes->second), &*preview.attributes);
    for (size_t i = 0; i < 3; ++i) {
        if (const auto& change = preview.times[i])
            field(kTimeLabels[i], kTimeKeys[i], time(change->first), time(change->second), nullptr);
    }
    for (const auto& [label, key, fixed] :
         {std::tuple{u"文件版本号", u"fileVersion", &preview.fileVersion},
          std::tuple{u"产品版本号", u"productVersion", &preview.productVersion}}) {
        if (*fixed)
            field(label, key, FixedVersionText((*fixed)->first), FixedVersionText((*fixed)->second),
                  nullptr);
    }
}

std::u16string ResultJson(const std::u16string& path, SetOutcome outcome, bool dryRun,
                          const ModifyPreview& preview, const std::u16string& message) {
    JsonWriter json;
    json.BeginObject().Key(u"path").String(path);
    json.Key(u"outcome").String(kOutcomes[static_cast<int>(outcome)]).Key(u"dryRun").Bool(dryRun);
    json.Key(u"changes").BeginObject();
    EachChange(
        preview,
        [&json](const char16_t*, const char16_t* key, const std::u16string& before,
                const std::u16string& after, const std::pair<uint32_t, uint32_t>* word) {
            json.Key(key).BeginObject();
            if (word) {
                json.Key(u"old").Number(word->first).Key(u"new").Number(word->second);
            } else {
                json.Key(u"old").String(before).Key(u"new").String(after);
            }
            json.EndObject();
        },
        [](uint64_t ticks) { return AsciiToUtf16(FormatIsoTime(ticks)); });
    if (!preview.strings.empty()) {
        json.Key(u"strings").BeginObject();
        for (const auto& [key, change] : preview.strings) {
            json.Key(AsciiToUtf16(kVersionStringKeys[key].name)).BeginObject();
            json.Key(u"old").String(change.first).Key(u"new").String(change.second).EndObject();
        }
        json.EndObject();
    }
    return json.EndObject().Key(u"message").String(message).EndObject().Text();
}

}  // namespace

std::u16string SetResultJson(const std::u16string& path, SetOutcome outcome, bool dryRun,
                             const std::u16string& message) {
    return ResultJson(path, outcome, dryRun, ModifyPreview(), message);
}

void SetListener::Checked(const ModifyPreview& preview) {
    checked_ = true;
    preview_ = preview;
}

void SetListener::Preview(const ModifyPreview& preview) {
    outcome_ = preview.Empty() ? SetOutcome::Unchanged : SetOutcome::Written;
    message_ = preview.Empty() ? u"无需修改，未写入" : u"预览，未写入";
    std::u16string text = path_ + u": " + message_ + u"\n";
    EachChange(
        preview,
        [&text](const char16_t* label, const char16_t*, const std::u16string& before,
                const std::u16string& after, const std::pair<uint32_t, uint32_t>*) {
            text += u"  " + std::u16string(label) + u": " + before + u" → " + after + u"\n";
        },
        LocalText);
    for (const auto& [key, change] : preview.strings) {
        text += u"  " + std::u16string(kVersionStringKeys[key].label) + u": " + change.first +
                u" → " + change.second + u"\n";
    }
    if (preview.placement) text += u"  版本信息: " + PlacementText(*preview.placement) + u"\n";
    if (!output_.json()) output_.Text(text);
}

void SetListener::Report(const ModifyReport& report) {
    switch (report.event) {
        case ModifyEvent::LanguageRead:
            return;
        case ModifyEvent::BackupKept:
            output_.Notice(u"已有备份，未覆盖：" + path_ + u"_bak");
            return;
        case ModifyEvent::Done:
        case ModifyEvent::Unchanged:
            if (failed_) return;  // the failures are the news
            if (report.event == ModifyEvent::Unchanged) outcome_ = SetOutcome::Unchanged;
            message_ = ModifyMessage(report);
            if (!output_.json()) output_.Text(path_ + u": " + message_ + u"\n");
            return;
        default:
            break;
    }
    const std::u16string message =
        MessageOf(report) +
        (report.event == ModifyEvent::UnsigningRefused ? u" (--allow-unsigning)" : u"");
    output_.Fail(path_, message);
    message_ = failed_ ? message_ + u"\n" + message : message;
    failed_ = true;
    // Reported before the check has passed, it is a refusal: nothing was written.
    outcome_ = checked_ ? SetOutcome::Failed : SetOutcome::Refused;
}

void SetListener::Finish() {
    if (output_.json()) output_.Object(ResultJson(path_, outcome_, dryRun_, preview_, message_));
}
