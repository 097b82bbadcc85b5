// The scene light and the material presets.
#include "lighting.h"

#include <GL/gl.h>

namespace {

// A directional light along +z, in the eye's frame when applied before the camera.
const GLfloat light_position[4] = {0.0f, 0.0f, 1.0f, 0.0f};
const GLfloat light_ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
const GLfloat light_diffuse[4] = {0.2f, 0.2f, 0.2f, 1.0f};
const GLfloat light_specular[4] = {0.2f, 0.2f, 0.2f, 1.0f};

constexpr GLfloat material_shininess = 28.0f;

// Sets the front material with the five calls of a preset, in a fixed order.
void set_front_material(const GLfloat* ambient, const GLfloat* diffuse, const GLfloat* emission,
                        const GLfloat* specular)
{
    glMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT, GL_EMISSION, emission);
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT, GL_SHININESS, material_shininess);
}

}  // namespace

void apply_scene_light()
{
    glLightfv(GL_LIGHT0, GL_POSITION, light_position);
    glLightfv(GL_LIGHT0, GL_AMBIENT, light_ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, light_diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, light_specular);
}

void material_red()
{
    static const GLfloat ambient[4] = {0.99f, 0.0f, 0.0f, 1.0f};
    static const GLfloat diffuse[4] = {0.99f, 0.0f, 0.0f, 1.0f};
    static const GLfloat emission[4] = {0.01f, 0.0f, 0.0f, 1.0f};
    static const GLfloat specular[4] = {0.99f, 0.0f, 0.0f, 1.0f};
    set_front_material(ambient, diffuse, emission, specular);
}

void material_blue()
{
    static const GLfloat ambient[4] = {0.0f, 0.0f, 0.99f, 1.0f};
    static const GLfloat diffuse[4] = {0.0f, 0.0f, 0.9f, 1.0f};
    static const GLfloat emission[4] = {0.0f, 0.0f, 0.1f, 0.0f};
    static const GLfloat specular[4] = {0.0f, 0.0f, 0.9f, 0.6f};
    set_front_material(ambient, diffuse, emission, specular);
}

void material_planet()
{
    static const GLfloat ambient[4] = {0.0f, 0.2f, 1.0f, 1.0f};
    static const GLfloat diffuse[4] = {0.0f, 0.2f, 0.9f, 1.0f};
    static const GLfloat emission[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    static const GLfloat specular[4] = {0.0f, 0.2f, 0.9f, 0.6f};
    set_front_material(ambient, diffuse, emission, specular);
}

void material_grid()
{
    static const GLfloat ambient[4] = {0.7f, 0.7f, 1.0f, 1.0f};
    static const GLfloat diffuse[4] = {0.7f, 0.7f, 0.9f, 1.0f};
    static const GLfloat emission[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    static const GLfloat specular[4] = {0.0f, 0.2f, 0.9f, 0.6f};
    set_front_material(ambient, diffuse, emission, specular);
}
