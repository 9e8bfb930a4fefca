// The one include for OpenGL 1.1 and GLU, in both builds. On Windows the GL headers only
// need the calling-convention macros, so <windows.h> stays out of the portable code.
#pragma once

#if defined(_WIN32)
#ifndef APIENTRY
#define APIENTRY __stdcall
#endif
#ifndef WINGDIAPI
#define WINGDIAPI __declspec(dllimport)
#endif
#ifndef CALLBACK
#define CALLBACK __stdcall
#endif
#include <stddef.h>  // wchar_t for glu.h
#endif

#include <GL/gl.h>
#include <GL/glu.h>
