// The shipped models for the page's 3D scene, read and prepared by the model
// library as the desktop programs prepare them.
#ifndef ORVANEL_WEB_MODELS_H
#define ORVANEL_WEB_MODELS_H

#include <string>

#include <emscripten/val.h>

// The model at `path` fitted to the unit box with smooth normals, as flat
// triangle lists: { positions, normals, colors } (Float32Arrays, three floats
// per corner, colours from the material's diffuse), or null when it cannot be
// read.
emscripten::val model_mesh(const std::string& path);

#endif
