// The animation the renderer plays: the glow texture and the tumbling ball.
#pragma once

#include "host/frame_loop.h"

// GL_TEXTURE_2D on or off.
void setTexturing(bool on);

class VelmoraAnimation final : public Animation {
  public:
    void initAnimation() override;
    void drawFrame(double sceneTime, const std::vector<ViewportRect>& viewports) override;
    void releaseAnimation() override;
};
