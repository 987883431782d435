// Table-driven runs of the built tavrin-tool: each case gives the arguments, the exit code and the exact
// standard output.
#pragma once

#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavrin::test {

struct ToolCase {
    QStringList args;
    int exitCode;
    QByteArray out;
};

// Wrong arguments (exit code 2) must also print a usage line on stderr.
inline void expectToolRuns(const std::vector<ToolCase> &cases,
                           const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    for (const ToolCase &c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const ToolRun run = runTool(c.args, environment);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        EXPECT_EQ(run.out, c.out);
        EXPECT_TRUE(c.exitCode != 2 || run.err.contains("usage: tavrin-tool")) << run.err.toStdString();
    }
}

} // namespace tavrin::test
