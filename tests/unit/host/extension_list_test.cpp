// The driver extension lists (WGL, GLX) searched by whole name.
#include <gtest/gtest.h>

#include "host/extension_list.h"

namespace {

TEST(ExtensionList, MatchesWholeNamesOnly) {
    const char* list = "WGL_ARB_pixel_format WGL_EXT_swap_control_tear WGL_EXT_swap_control";
    EXPECT_TRUE(extensionListHas(list, "WGL_EXT_swap_control"));
    EXPECT_TRUE(extensionListHas(list, "WGL_ARB_pixel_format"));
    EXPECT_FALSE(extensionListHas("WGL_EXT_swap_control_tear", "WGL_EXT_swap_control"));
    EXPECT_FALSE(extensionListHas("XWGL_EXT_swap_control", "WGL_EXT_swap_control"));
    EXPECT_FALSE(extensionListHas("WGL_ARB_pixel", "WGL_ARB_pixel_format"));
    EXPECT_FALSE(extensionListHas(nullptr, "WGL_EXT_swap_control"));
    EXPECT_FALSE(extensionListHas("", "WGL_EXT_swap_control"));
    EXPECT_FALSE(extensionListHas(list, ""));
}

}  // namespace
