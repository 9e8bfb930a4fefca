// Storage of the process-wide renderer settings.
#include "host/render_settings.h"

RenderSettings renderSettings{};
