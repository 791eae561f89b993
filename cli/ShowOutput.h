// What "show" prints for one target, as text for people or as JSON, from facts that the console
// gathers from the file.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "target/TimeText.h"
#include "version/VersionBlock.h"

struct TargetFacts {
    std::u16string path;  // the full path as the user would write it (no \\?\ prefix)
    std::u16string name;
    uint64_t size = 0;
    uint32_t attributes = 0;
    std::array<uint64_t, 3> times{};  // creation, last write, last access: UTC file times
    bool isSigned = false;
    struct Version {
        uint16_t language = 0, codePage = 0;  // the first translation
        std::u16string languageName;
        // None when the block holds no fixed file information.
        std::optional<FixedVersion> fileVersion, productVersion;
        std::array<std::optional<std::u16string>, kVersionStringKeyCount> strings;  // as the keys
    };
    std::optional<Version> version;  // none when the file has no version information
};

// The path alone on the first line, then one "label: value" line each, indented, with the
// dialog's labels: the name, the eight attribute boxes as the dialog ticks them (是/否), the three
// times in the dialog's form, in local time by the rules in force on each date ("无" for a time
// that has no such text), the size, the
// signature, then either "版本信息: 无" or the language (its name, number and code page), the
// fixed file and product versions when the file has them, and the strings it holds, as stored.
// Every line ends in '\n'; between two targets the console puts one empty line.
std::u16string ShowText(const TargetFacts& facts, const UtcOffsetAt& offsetAt);

// One compact JSON object: path, name, size, the attribute word and its bits by name (the
// platform's: "encrypted" is 0x4000), the times in UTC (FormatIsoTime; null for a time of 0,
// which is none), signed, and the version information or null, its strings by key.
std::u16string ShowJson(const TargetFacts& facts);
