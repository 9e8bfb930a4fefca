// The endless shot: the scene mesh built once and drawn each frame from the scene time.
#pragma once

void setupScene();
// t: seconds since the first frame.
void drawScene(double t);
void releaseScene();
