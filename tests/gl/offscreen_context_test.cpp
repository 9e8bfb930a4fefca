// The headless context itself: a compatibility profile that clears and reads back.
#include <gtest/gtest.h>

#include "gl_api.h"
#include "host/egl/egl_offscreen.h"

TEST(OffscreenContext, ClearsAndReadsBackTopRowFirst) {
    OffscreenContext context(8, 4);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 3, 8, 1);  // the top row in GL's bottom-up coordinates
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    const std::vector<uint8_t> pixels = context.readPixelsTopDown();
    ASSERT_EQ(pixels.size(), 8u * 4u * 3u);
    EXPECT_EQ(pixels[0], 0);
    EXPECT_EQ(pixels[2], 255);
    EXPECT_EQ(pixels[pixels.size() - 3], 255);
    EXPECT_EQ(pixels[pixels.size() - 1], 0);
}
