#pragma once

#include "cliargs.h"

class CliOutput;
class QSettings;

// What every command gets: its arguments, the output and the window's
// settings. Each returns the exit status after printing its result.
struct CliContext
{
    const CliArgs& args;
    CliOutput& out;
    QSettings& settings;
};

int runPorts(const CliContext& ctx);
int runQuery(const CliContext& ctx);
int runSet(const CliContext& ctx);
int runCode(const CliContext& ctx);
int runSend(const CliContext& ctx);
int runListen(const CliContext& ctx);
int runPush(const CliContext& ctx);
int runEndurance(const CliContext& ctx);

// Exit status after SIGINT or SIGTERM stopped a command that was not done.
constexpr int kExitInterrupted = 130;
