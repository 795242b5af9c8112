// push and endurance: the image transfer and the repeated test.

#include "clioutput.h"
#include "exitcodes.h"
#include "runners.h"

int runPush(const CliContext& ctx)
{
    return ctx.out.fail(cliexit::kUsage, QStringLiteral("push is not available in this build"));
}

int runEndurance(const CliContext& ctx)
{
    return ctx.out.fail(cliexit::kUsage, QStringLiteral("endurance is not available in this build"));
}
