// The renderer window's answer to system commands, kept apart from the window procedure.
#include "host/system_command.h"

namespace {

constexpr std::uintptr_t kCommandMask = 0xFFF0;  // the low four bits are the system's own
constexpr std::uintptr_t kScreenSave = 0xF140;
constexpr std::uintptr_t kMonitorPower = 0xF170;

}  // namespace

bool refusesSystemCommand(std::uintptr_t command) {
    const std::uintptr_t kind = command & kCommandMask;
    return kind == kScreenSave || kind == kMonitorPower;
}
