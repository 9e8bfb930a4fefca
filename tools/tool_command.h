// The sub-commands of velmora-tool. Each returns the process exit code:
// 0 success, 2 bad usage or unusable input/output (after a one-line error on stderr).
#pragma once

#include <string>
#include <vector>

using ToolArguments = std::vector<std::string>;

struct ToolCommand {
    const char* name;
    const char* summary;
    int (*run)(const ToolArguments& arguments);
    const char* help;
};

int runBenchCommand(const ToolArguments& arguments);
extern const char* const kBenchHelp;
int runTextureCommand(const ToolArguments& arguments);
extern const char* const kTextureHelp;
int runMeshCommand(const ToolArguments& arguments);
extern const char* const kMeshHelp;
int runRenderCommand(const ToolArguments& arguments);
extern const char* const kRenderHelp;

// Thrown for a usage error; the dispatcher prints "velmora-tool: <message>" and exits 2.
struct UsageError {
    std::string message;
};
