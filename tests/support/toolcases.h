// tavrin-tool run as a program from a table of arguments, exit codes and outputs.
#pragma once

#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace tavrin::test {

using ToolCase = std::tuple<QStringList, int, QByteArray>; // arguments, exit code, standard output

// The tool runs in a time zone with summer time, so that times print the same everywhere and their local
// conversion shows. Wrong arguments (exit code 2) must also print a usage line on stderr.
inline void expectToolRuns(const std::vector<ToolCase> &cases)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TZ"), QStringLiteral("CET-1CEST,M3.5.0,M10.5.0/3"));
    for (const auto &[args, exitCode, out] : cases) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        const ToolRun run = runTool(args, environment);
        EXPECT_EQ(run.exitCode, exitCode) << run.err.toStdString();
        EXPECT_EQ(run.out, out);
        EXPECT_TRUE(exitCode != 2 || run.err.contains("usage: tavrin-tool")) << run.err.toStdString();
    }
}

} // namespace tavrin::test
