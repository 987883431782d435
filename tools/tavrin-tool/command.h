// Subcommands of tavrin-tool: each source file registers its own, so adding one needs no other edit.
#pragma once

#include <QStringList>

#include <cstdio>

namespace tavrin::tool {

// Exit codes shared by every subcommand.
constexpr int kExitOk = 0;
constexpr int kExitRejected = 1;
constexpr int kExitUsage = 2;

// Runs with the arguments after the subcommand's name; returns the process exit code.
using CommandFunction = int (*)(const QStringList &args);

struct Command {
    const char *name;
    const char *arguments; // for the usage line, e.g. "FILE"
    CommandFunction run;
};

// Registers a command at static initialisation; use through TAVRIN_TOOL_COMMAND.
struct CommandRegistration {
    CommandRegistration(const char *name, const char *arguments, CommandFunction run);
};

// Prints "usage: tavrin-tool <name> <arguments>" to stderr and returns kExitUsage.
int usage(const char *name);

} // namespace tavrin::tool

#define TAVRIN_TOOL_COMMAND(name, arguments, function)                                                       \
    static const ::tavrin::tool::CommandRegistration tavrinToolCommand_##function(name, arguments, function)
