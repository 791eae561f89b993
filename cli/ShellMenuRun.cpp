#include "cli/ShellMenuRun.h"

#include "cli/CliText.h"
#include "cli/ShellMenu.h"
#include "platform/Registry.h"
#include "platform/Text.h"
#include "platform/WinApp.h"
#include "target/ExtendedPath.h"
#include "target/TargetFile.h"

namespace {

ShellMenuCommands InstalledCommands() {
    ShellMenuCommands commands;
    for (size_t i = 0; i < commands.size(); ++i)
        commands[i] =
            ToUtf16(ReadUserRegistryText(ToWide(kShellMenuKinds[i].key) + L"\\command", L""));
    return commands;
}

int Failed(Console& console, const CString& key, LONG error) {
    console.Err(u"无法修改注册表项 HKEY_CURRENT_USER\\");
    console.Err(ToUtf16(key));
    console.Err(u"（错误代码: " + DecimalU16(static_cast<DWORD>(error)) + u"）\n");
    return 1;
}

int Install(Console& console) {
    // Beside this program, named as Explorer names it (never in the extended form).
    const CString self = ToWide(PlainPath(ToUtf16(ProgramPath())));
    const CString program = self.substr(0, self.rfind(L'\\') + 1) + L"Quorvane.exe";
    WIN32_FIND_DATAW entry;
    if (!FindTarget(ExtendedFullPath(program), entry) ||
        (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        console.Err(u"找不到 ");
        console.Err(ToUtf16(program));
        console.Err(u"：Quorvane.exe 应与 quorvane-cli.exe 在同一文件夹中。右键菜单未安装。\n");
        return 1;
    }
    // The text, the icon and the command of each kind's verb; one dialog for one item, so that the
    // entry is not offered for a selection of several.
    const CString text = ToWide(kShellMenuText), icon = program + L",0",
                  command = L"\"" + program + L"\" \"%1\"";
    const wchar_t* const values[][3] = {{L"", L"", text.c_str()},
                                        {L"", L"Icon", icon.c_str()},
                                        {L"", L"MultiSelectModel", L"Single"},
                                        {L"\\command", L"", command.c_str()}};
    for (const ShellMenuKind& kind : kShellMenuKinds) {
        for (const auto& [subkey, name, value] : values) {
            const CString key = ToWide(kind.key) + subkey;
            const LONG error = WriteUserRegistryText(key, name, value);
            if (error != ERROR_SUCCESS) return Failed(console, key, error);
        }
    }
    return 0;
}

int Uninstall(Console& console) {
    for (const ShellMenuKind& kind : kShellMenuKinds) {
        CString key = ToWide(kind.key);
        DeleteUserRegistryKey(key + L"\\command");
        const LONG error = DeleteUserRegistryKey(key);
        if (error != ERROR_SUCCESS) return Failed(console, key, error);
        // The keys above it, which installing may have made: gone again once nothing is in them.
        for (int above = 0; above < 2; ++above)
            DeleteUserRegistryKeyIfEmpty(key.erase(key.rfind(L'\\')));
    }
    return 0;
}

}  // namespace

int RunShellMenu(ShellMenuAction action, Console& console) {
    const int status = action == ShellMenuAction::Install     ? Install(console)
                       : action == ShellMenuAction::Uninstall ? Uninstall(console)
                                                              : 0;
    // What the registry holds now, after whatever was done.
    if (status == 0) console.Out(ShellMenuStatus(InstalledCommands()));
    return status;
}
