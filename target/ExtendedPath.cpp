#include "target/ExtendedPath.h"

#include <algorithm>

namespace {

constexpr std::u16string_view kExtendedPrefix = u"\\\\?\\";
constexpr std::u16string_view kDevicePrefix = u"\\\\.\\";

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool IsDriveLetter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

char16_t FoldCase(char16_t c) {
    return c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c;
}

bool SameIgnoringCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return FoldCase(x) == FoldCase(y); });
}

}  // namespace

std::optional<std::u16string> ExtendedPath(std::u16string_view given) {
    // The extended form takes every character as it stands, '/' included.
    if (StartsWith(given, kExtendedPrefix)) return std::u16string(given);
    std::u16string path(given);
    std::replace(path.begin(), path.end(), u'/', u'\\');
    if (StartsWith(path, kExtendedPrefix) || StartsWith(path, kDevicePrefix)) return path;

    std::u16string extended;
    size_t rest;  // where the components below the root begin
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == u':' && path[2] == u'\\') {
        extended = std::u16string(kExtendedPrefix) + path.substr(0, 3);
        rest = 3;
    } else if (StartsWith(path, u"\\\\")) {
        const size_t server = path.find(u'\\', 2);
        const size_t share = std::min(path.find(u'\\', server + 1), path.size());
        if (server == std::u16string::npos || server == 2 || share == server + 1) return {};
        extended = u"\\\\?\\UNC\\" + path.substr(2, share - 2) + u"\\";
        rest = share + 1;
    } else {
        return {};
    }

    const size_t root = extended.size();
    for (size_t start = rest; start < path.size();) {
        const size_t end = std::min(path.find(u'\\', start), path.size());
        const std::u16string_view name = std::u16string_view(path).substr(start, end - start);
        if (name == u"..") {
            if (extended.size() > root) {
                extended.pop_back();
                extended.erase(extended.rfind(u'\\') + 1);
            }
        } else if (!name.empty() && name != u".") {
            extended.append(name).push_back(u'\\');
        }
        start = end + 1;
    }
    // Each component was added with its separator; the last keeps it only where the path had one.
    if (extended.size() > root && path.back() != u'\\') extended.pop_back();
    return extended;
}

EntryLookup LookUpEntry(std::u16string_view path) {
    const bool folderOnly = !path.empty() && path.back() == u'\\';
    std::u16string_view search = path.substr(0, path.size() - folderOnly);
    // What is left of a root: "\\?\X:", or "\\?\UNC\server\share" with one separator inside.
    bool root = false;
    if (StartsWith(search, u"\\\\?\\UNC\\")) {
        const size_t server = search.find(u'\\', 8);
        root = server != std::u16string_view::npos && search.find(u'\\', server + 1) == search.npos;
    } else if (StartsWith(search, kExtendedPrefix)) {
        root = search.size() == 6 && IsDriveLetter(search[4]) && search[5] == u':' && folderOnly;
    }
    return {root, folderOnly && !root, root ? path : search};
}

std::u16string PlainPath(std::u16string_view path) {
    if (StartsWith(path, u"\\\\?\\UNC\\")) return u"\\\\" + std::u16string(path.substr(8));
    if (StartsWith(path, kExtendedPrefix)) return std::u16string(path.substr(4));
    return std::u16string(path);
}

std::u16string ThroughSysnative(std::u16string_view path, std::u16string_view windows) {
    const size_t start = StartsWith(path, kExtendedPrefix) ? kExtendedPrefix.size() : 0;
    if (StartsWith(windows, kExtendedPrefix)) windows.remove_prefix(kExtendedPrefix.size());
    while (!windows.empty() && windows.back() == u'\\') windows.remove_suffix(1);
    constexpr std::u16string_view kSystem = u"\\System32";
    const size_t end = start + windows.size() + kSystem.size();  // just after "System32"
    // System32 itself too: Sysnative is in no folder's listing, so the load refuses it, where the
    // name left as it is would show System32's own entry and then write SysWOW64's.
    if (path.size() < end || (path.size() > end && path[end] != u'\\') ||
        !SameIgnoringCase(path.substr(start, windows.size()), windows) ||
        !SameIgnoringCase(path.substr(end - kSystem.size(), kSystem.size()), kSystem)) {
        return std::u16string(path);
    }
    return std::u16string(path.substr(0, end - kSystem.size())) + u"\\Sysnative" +
           std::u16string(path.substr(end));
}

PathParts SplitPath(std::u16string_view path) {
    size_t cut = path.find_last_of(u"\\/");
    if (cut != std::u16string_view::npos) {
        ++cut;
    } else {
        cut = path.size() >= 2 && path[1] == u':' ? 2 : 0;
    }
    return {path.substr(0, cut), path.substr(cut)};
}
