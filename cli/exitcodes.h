#pragma once

// Exit status of telvanectl, for scripts to branch on.
namespace cliexit {
constexpr int kOk = 0;
constexpr int kDevice = 1;   // the device answered with a failure
constexpr int kUsage = 2;    // bad option, unknown name, bad value or input file
constexpr int kPort = 3;     // the port cannot be opened or went away
constexpr int kTimeout = 4;  // no answer where one was due
}  // namespace cliexit
