// tavrin-tool: the publisher's command-line checks of the documents the client reads.
#include "base/paths.h"
#include "command.h"

#include <QCoreApplication>

#include <cstring>
#include <vector>

namespace tavrin::tool {

namespace {

std::vector<Command> &commands()
{
    static std::vector<Command> list;
    return list;
}

const Command *findCommand(const char *name)
{
    for (const Command &command : commands()) {
        if (std::strcmp(command.name, name) == 0) {
            return &command;
        }
    }
    return nullptr;
}

int generalUsage()
{
    std::fprintf(stderr, "usage: tavrin-tool COMMAND ARGUMENTS\n");
    for (const Command &command : commands()) {
        std::fprintf(stderr, "       tavrin-tool %s %s\n", command.name, command.arguments);
    }
    return kExitUsage;
}

} // namespace

CommandRegistration::CommandRegistration(const char *name, const char *arguments, CommandFunction run)
{
    commands().push_back(Command { name, arguments, run });
}

int usage(const char *name)
{
    const Command *command = findCommand(name);
    std::fprintf(stderr, "usage: tavrin-tool %s %s\n", name, command ? command->arguments : "");
    return kExitUsage;
}

} // namespace tavrin::tool

int main(int argc, char **argv)
{
    using namespace tavrin::tool;
    // The checker reads the same settings and folders as the client.
    tavrin::SetApplicationIdentity();
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        return generalUsage();
    }
    const Command *command = findCommand(argv[1]);
    if (!command) {
        return generalUsage();
    }
    return command->run(args.mid(2));
}
