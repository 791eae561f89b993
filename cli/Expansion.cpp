#include "cli/Expansion.h"

#include <algorithm>

#include "cli/Pattern.h"

namespace {

constexpr uint32_t kFolder = 0x10;
constexpr uint32_t kReparsePoint = 0x400;

class Expansion {
  public:
    Expansion(bool recurse, bool foldersLast, const ListFolder& list)
        : recurse_(recurse), foldersLast_(foldersLast), list_(list) {}

    // Every entry below `folder` (ending in its separator) whose name matches.
    void Walk(const std::u16string& folder, std::u16string_view pattern, bool top) {
        uint32_t error = 0;
        std::optional<std::vector<FolderEntry>> entries = list_(folder, error);
        if (!entries) {
            if (!top) found.push_back({ExpandedPath::Kind::NotListed, folder, error});
            return;
        }
        std::sort(entries->begin(), entries->end(), [](const FolderEntry& a, const FolderEntry& b) {
            return NameLess(a.name, b.name);
        });
        for (const FolderEntry& entry : *entries) {
            const std::u16string path = folder + entry.name;
            const bool matches = MatchesPattern(entry.name, pattern);
            const bool enter =
                recurse_ && (entry.attributes & (kFolder | kReparsePoint)) == kFolder;
            if (matches && !(enter && foldersLast_)) Add(path);
            if (enter) Walk(path + u'\\', pattern, false);
            if (matches && enter && foldersLast_) Add(path);
        }
    }

    void Add(const std::u16string& path) { found.push_back({ExpandedPath::Kind::Target, path}); }

    std::vector<ExpandedPath> found;

  private:
    const bool recurse_;
    const bool foldersLast_;
    const ListFolder& list_;
};

}  // namespace

std::vector<ExpandedPath> ExpandPath(const std::u16string& given, bool recurse, bool foldersLast,
                                     const ListFolder& list) {
    Expansion expansion(recurse, foldersLast, list);
    const PathParts parts = SplitPath(given);
    if (HasWildcard(parts.last)) {
        expansion.Walk(std::u16string(parts.folder), parts.last, true);
        if (std::none_of(expansion.found.begin(), expansion.found.end(), [](const ExpandedPath& p) {
                return p.kind == ExpandedPath::Kind::Target;
            })) {
            expansion.found.push_back({ExpandedPath::Kind::NothingMatched, given});
        }
        return expansion.found;
    }
    // The path itself, and with -r all that it holds when it is a folder that can be listed.
    if (!foldersLast || !recurse) expansion.Add(given);
    if (recurse) {
        const bool separated = !given.empty() && (given.back() == u'\\' || given.back() == u'/');
        expansion.Walk(separated ? given : given + u'\\', u"*", true);
    }
    if (foldersLast && recurse) expansion.Add(given);
    return expansion.found;
}
