// velmora-tool: the project's developer tool (texture programs, meshes, frames, benchmarks).
#include <cstdio>
#include <cstring>

#include "tool_command.h"

namespace {

const ToolCommand kCommands[] = {
    {"bench", "time start-up and frame work", runBenchCommand, kBenchHelp},
    {"texture", "run a texture program, write the image", runTextureCommand, kTextureHelp},
    {"mesh", "write a sphere or the scene mesh as OBJ", runMeshCommand, kMeshHelp},
    {"render", "draw one frame of the scene to an image", runRenderCommand, kRenderHelp},
};

void printUsage(FILE* out) {
    std::fprintf(out, "usage: velmora-tool COMMAND [OPTIONS]\n\ncommands:\n");
    for (const ToolCommand& command : kCommands) {
        std::fprintf(out, "  %-10s %s\n", command.name, command.summary);
    }
    std::fprintf(out, "\nvelmora-tool COMMAND --help explains a command.\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        printUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    for (const ToolCommand& command : kCommands) {
        if (std::strcmp(argv[1], command.name) != 0) {
            continue;
        }
        const ToolArguments arguments(argv + 2, argv + argc);
        for (const std::string& argument : arguments) {
            if (argument == "--help" || argument == "-h") {
                std::fputs(command.help, stdout);
                return 0;
            }
        }
        try {
            return command.run(arguments);
        } catch (const UsageError& error) {
            std::fprintf(stderr, "velmora-tool %s: %s\n", command.name, error.message.c_str());
            return 2;
        }
    }
    std::fprintf(stderr, "velmora-tool: unknown command '%s' (try --help)\n", argv[1]);
    return 2;
}
