#include "cli/ShowOutput.h"

#include "cli/CliText.h"
#include "cli/IsoTime.h"
#include "cli/Json.h"
#include "platform/Text.h"
#include "target/AttributeBits.h"
#include "target/TimeText.h"

namespace {

// The dialog's boxes, in the order of kShownAttributeBits.
constexpr std::array<const char16_t*, kShownAttributeBits.size()> kAttributeLabels = {
    u"只读", u"隐藏", u"系统", u"目录", u"存档", u"加密", u"普通", u"临时"};
constexpr std::array<const char16_t*, 3> kTimeLabels = {u"创建时间", u"修改时间", u"访问时间"};
constexpr std::array<const char16_t*, 3> kTimeKeys = {u"created", u"modified", u"accessed"};

// Names of bits in the JSON, by the platform's FILE_ATTRIBUTE_* values.
struct NamedBit {
    const char16_t* name;
    uint32_t bit;
};
constexpr NamedBit kJsonAttributeBits[] = {
    {u"readonly", 0x1},   {u"hidden", 0x2},       {u"system", 0x4},       {u"archive", 0x20},
    {u"directory", 0x10}, {u"compressed", 0x800}, {u"encrypted", 0x4000}, {u"temporary", 0x100},
};

std::u16string Hex4(uint16_t value) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string text = u"0x";
    for (int shift = 12; shift >= 0; shift -= 4) text += kHex[(value >> shift) & 0xF];
    return text;
}

void Line(std::u16string& out, std::u16string_view label, std::u16string_view value) {
    out.append(u"  ").append(label).append(u": ").append(value) += u'\n';
}

void OptionalVersion(JsonWriter& json, const std::optional<FixedVersion>& version) {
    if (version) {
        json.String(FixedVersionText(*version));
    } else {
        json.Null();
    }
}

}  // namespace

std::u16string ShowText(const TargetFacts& facts, const UtcOffsetAt& offsetAt) {
    std::u16string out = facts.path + u'\n';
    Line(out, u"名称", facts.name);
    const AttributeBoxes ticked = ShownAttributeBoxes(facts.attributes);
    for (size_t i = 0; i < ticked.size(); ++i)
        Line(out, kAttributeLabels[i], ticked[i] ? u"是" : u"否");
    for (size_t i = 0; i < 3; ++i) {
        const std::string text = LocalTimeText(facts.times[i], offsetAt);
        Line(out, kTimeLabels[i], text.empty() ? u"无" : AsciiToUtf16(text));
    }
    Line(out, u"文件大小", DecimalU16(facts.size) + u" 字节");
    Line(out, u"数字签名", facts.isSigned ? u"有" : u"无");
    if (!facts.version) {
        Line(out, u"版本信息", u"无");
        return out;
    }
    const TargetFacts::Version& version = *facts.version;
    Line(out, u"语言",
         version.languageName + u" (" + Hex4(version.language) + u", 代码页 " +
             DecimalU16(version.codePage) + u")");
    if (version.fileVersion) Line(out, u"文件版本号", FixedVersionText(*version.fileVersion));
    if (version.productVersion) Line(out, u"产品版本号", FixedVersionText(*version.productVersion));
    for (size_t i = 0; i < kVersionStringKeyCount; ++i) {
        if (version.strings[i]) Line(out, kVersionStringKeys[i].label, *version.strings[i]);
    }
    return out;
}

std::u16string ShowJson(const TargetFacts& facts) {
    JsonWriter json;
    json.BeginObject().Key(u"path").String(facts.path).Key(u"name").String(facts.name);
    json.Key(u"size").Number(facts.size);
    json.Key(u"attributes").BeginObject().Key(u"word").Number(facts.attributes);
    for (const NamedBit& bit : kJsonAttributeBits)
        json.Key(bit.name).Bool((facts.attributes & bit.bit) != 0);
    json.EndObject().Key(u"times").BeginObject();
    for (size_t i = 0; i < 3; ++i) {
        json.Key(kTimeKeys[i]);
        if (facts.times[i] == 0) {
            json.Null();
        } else {
            json.String(AsciiToUtf16(FormatIsoTime(facts.times[i])));
        }
    }
    json.EndObject().Key(u"signed").Bool(facts.isSigned).Key(u"version");
    if (!facts.version) return json.Null().EndObject().Text();

    const TargetFacts::Version& version = *facts.version;
    json.BeginObject().Key(u"language").Number(version.language);
    json.Key(u"codePage")
        .Number(version.codePage)
        .Key(u"languageName")
        .String(version.languageName);
    json.Key(u"fileVersion");
    OptionalVersion(json, version.fileVersion);
    json.Key(u"productVersion");
    OptionalVersion(json, version.productVersion);
    json.Key(u"strings").BeginObject();
    for (size_t i = 0; i < kVersionStringKeyCount; ++i) {
        if (version.strings[i])
            json.Key(AsciiToUtf16(kVersionStringKeys[i].name)).String(*version.strings[i]);
    }
    return json.EndObject().EndObject().EndObject().Text();
}
