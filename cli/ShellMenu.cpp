#include "cli/ShellMenu.h"

#include <algorithm>
#include <utility>

CliParse ParseShellMenu(const std::vector<std::u16string>& args, CliCommand& command) {
    command.verb = CliCommand::Verb::ShellMenu;
    const std::u16string action = args.size() > 1 ? args[1] : u"";
    if (action == u"install") command.shellMenu = ShellMenuAction::Install;
    if (action == u"uninstall") command.shellMenu = ShellMenuAction::Uninstall;
    if (args.size() > 2 || (!action.empty() && command.shellMenu == ShellMenuAction::Show))
        return {std::nullopt, u"shell-menu 之后只能有 install 或 uninstall：" + args.back()};
    return {std::move(command), {}};
}

std::u16string ShellMenuStatus(const ShellMenuCommands& commands) {
    const size_t installed = std::count_if(commands.begin(), commands.end(),
                                           [](const std::u16string& c) { return !c.empty(); });
    std::u16string text = u"右键菜单“" + std::u16string(kShellMenuText) + u"”";
    if (installed == 0) return text + u"未安装。\n";
    text += installed == commands.size() ? u"已安装：\n" : u"只安装了一部分：\n";
    for (size_t i = 0; i < commands.size(); ++i) {
        text.append(u"  ").append(kShellMenuKinds[i].label).append(u"：");
        text.append(commands[i].empty() ? u"未安装" : commands[i]).append(u"\n");
    }
    return text;
}
