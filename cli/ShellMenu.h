// quorvane-cli shell-menu: the current user's context-menu entry "用 Telvaro 修改属性和版本" for
// files, folders and drives, which opens the item in Quorvane.exe. What the entry is made of and
// what the command says of it; its run (ShellMenuRun.h) reads and writes the registry.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "cli/CommandLine.h"

// args[0] is "shell-menu"; then nothing, "install" or "uninstall". Fills in `command`.
CliParse ParseShellMenu(const std::vector<std::u16string>& args, CliCommand& command);

// A kind of item that the entry is offered for, and the entry's key for it under
// HKEY_CURRENT_USER: the verb "Quorvane" of the kind's class, with the text and the icon, and the
// command "<folder>\Quorvane.exe" "%1" in its subkey "command".
struct ShellMenuKind {
    const char16_t* label;
    const char16_t* key;
};
inline constexpr ShellMenuKind kShellMenuKinds[] = {
    {u"文件", u"Software\\Classes\\*\\shell\\Quorvane"},
    {u"文件夹", u"Software\\Classes\\Directory\\shell\\Quorvane"},
    {u"驱动器", u"Software\\Classes\\Drive\\shell\\Quorvane"}};
using ShellMenuCommands = std::array<std::u16string, std::size(kShellMenuKinds)>;

inline constexpr char16_t kShellMenuText[] = u"用 Telvaro 修改属性和版本";

// Whether the entry is there and what each kind's runs; an empty command is a kind without one.
std::u16string ShellMenuStatus(const ShellMenuCommands& commands);
