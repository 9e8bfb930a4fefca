// The endless shot: the scene mesh built once and drawn each frame from the scene time.
#pragma once

class Mesh;

// Builds the scene mesh; needs renderSettings filled. Throws a start-up failure text
// (const char*) when memory for the mesh cannot be had.
void setupScene();
// t: seconds since the first frame. Clears and draws the frame (clearFrame, then drawShot).
void drawScene(double t);
// Colour and depth of the whole window to black and far.
void clearFrame();
// The shot at t in the current viewport, over what is there; leaves blending off, depth
// writes on, texture generation off, the vertex and normal arrays enabled, the glow bound.
void drawShot(double t);
// Destroys the scene mesh, if there is one.
void releaseScene();

// The mesh drawScene draws (null outside setupScene ... releaseScene), for inspection.
const Mesh* sceneMesh();
