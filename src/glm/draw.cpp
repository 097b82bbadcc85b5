// Drawing a model with immediate-mode OpenGL, group by group, and recording
// the same drawing into a display list.
#include <GL/gl.h>

#include <cstdio>
#include <vector>

#include "glm.h"
#include "glm_check.h"
#include "glm_internal.h"

namespace {

// Stands in for element 0 of an array too short to hold even that.
const float zero_element[3] = {0.0f, 0.0f, 0.0f};

// A 1-based array as drawing reads it: an index above last (a corrupted or
// hand-built model) falls back to element 0, which every array allocates
// and never uses, so no read leaves the array.
struct ArrayView {
    const float* data;
    uint32_t last;    // highest index that may be read
    unsigned stride;  // floats per entry

    const float* at(uint32_t idx) const
    {
        return data + stride * static_cast<size_t>(idx <= last ? idx : 0);
    }
};

ArrayView view_of(const std::vector<float>& array, uint32_t count, unsigned stride)
{
    if (array.size() < stride) return {zero_element, 0, stride};
    return {array.data(), glm_last_usable(count, array, stride), stride};
}

void warn(unsigned& mode, unsigned bit, const char* text)
{
    std::fputs(text, stdout);
    mode &= ~bit;
}

// Clears the bits whose data the model lacks, then the weaker of two
// conflicting bits, one test after the other: each test sees the bits left
// by the ones before it.
unsigned settle_mode(const Model* model, unsigned mode)
{
    if ((mode & MODE_FLAT) && model->facetnorms.empty())
        warn(mode, MODE_FLAT,
             "glmDraw() warning: flat render mode requested with no facet normals defined.\n");
    if ((mode & MODE_SMOOTH) && model->normals.empty())
        warn(mode, MODE_SMOOTH,
             "glmDraw() warning: smooth render mode requested with no normals defined.\n");
    if ((mode & MODE_TEXTURE) && model->texcoords.empty())
        warn(mode, MODE_TEXTURE,
             "glmDraw() warning: texture render mode requested with no texture coordinates "
             "defined.\n");
    if ((mode & MODE_FLAT) && (mode & MODE_SMOOTH))
        warn(mode, MODE_FLAT,
             "glmDraw() warning: flat render mode requested and smooth render mode requested "
             "(using smooth).\n");
    if ((mode & MODE_COLOR) && model->materials.empty())
        warn(mode, MODE_COLOR,
             "glmDraw() warning: color render mode requested with no materials defined.\n");
    if ((mode & MODE_MATERIAL) && model->materials.empty())
        warn(mode, MODE_MATERIAL,
             "glmDraw() warning: material render mode requested with no materials defined.\n");
    if ((mode & MODE_COLOR) && (mode & MODE_MATERIAL))
        warn(mode, MODE_COLOR,
             "glmDraw() warning: color and material render mode requested using only material "
             "mode.\n");
    return mode;
}

// Everything the triangle loop reads, bounded once per call.
struct DrawSource {
    const Model* model;
    uint32_t triangles;  // triangles that exist in both the count and the array
    ArrayView vertices, normals, texcoords, facetnorms;
    bool flat, smooth, texture;
};

DrawSource source_of(const Model* model, unsigned mode)
{
    return {model,
            glm_usable_count(model->trianglecount, model->triangles),
            view_of(model->vertices, model->vertexcount, 3),
            view_of(model->normals, model->normalcount, 3),
            view_of(model->texcoords, model->texcoordcount, 2),
            view_of(model->facetnorms, model->facetnormcount, 3),
            (mode & MODE_FLAT) != 0,
            (mode & MODE_SMOOTH) != 0,
            (mode & MODE_TEXTURE) != 0};
}

// The group's material; an index past the table falls back to "default".
const ModelMaterial& material_of(const Model* model, const ModelGroup& group)
{
    const uint32_t held = glm_usable_count(model->materialcount, model->materials);
    return model->materials[group.material < held ? group.material : 0];
}

void apply_group_colour(const Model* model, const ModelGroup& group, unsigned mode)
{
    if (!(mode & (MODE_MATERIAL | MODE_COLOR))) return;
    const ModelMaterial& m = material_of(model, group);
    if (mode & MODE_MATERIAL) {
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, m.ambient);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, m.diffuse);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, m.specular);
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m.shininess);
    }
    if (mode & MODE_COLOR) glColor3fv(m.diffuse);
}

// One group's triangles; list entries naming no triangle are skipped.
void draw_group_triangles(const DrawSource& s, const ModelGroup& group)
{
    const uint32_t listed = glm_usable_count(group.trianglecount, group.triangles);
    for (size_t e = 0; e < listed; ++e) {
        uint32_t index = group.triangles[e];
        if (index >= s.triangles) continue;
        const ModelTriangle& t = s.model->triangles[index];
        if (s.flat) glNormal3fv(s.facetnorms.at(t.facetnormidx));
        for (int k = 0; k < 3; ++k) {
            if (s.smooth) glNormal3fv(s.normals.at(t.normalidx[k]));
            if (s.texture) glTexCoord2fv(s.texcoords.at(t.texcoordidx[k]));
            glVertex3fv(s.vertices.at(t.vertexidx[k]));
        }
    }
}

}  // namespace

void glmDraw(Model* model, unsigned mode)
{
    GLM_REQUIRE(model, "model");
    GLM_REQUIRE(!model->vertices.empty(), "model->vertices");
    mode = settle_mode(model, mode);

    if (mode & MODE_COLOR)
        glEnable(GL_COLOR_MATERIAL);
    else if (mode & MODE_MATERIAL)
        glDisable(GL_COLOR_MATERIAL);

    DrawSource source = source_of(model, mode);
    for (const ModelGroup* group = model->groups.get(); group; group = group->next.get()) {
        apply_group_colour(model, *group, mode);
        glBegin(GL_TRIANGLES);
        draw_group_triangles(source, *group);
        glEnd();
    }
}

unsigned glmCompileList(Model* model, unsigned mode)
{
    // Checked before a list is opened, so a failed check leaves none behind.
    GLM_REQUIRE(model, "model");
    GLM_REQUIRE(!model->vertices.empty(), "model->vertices");
    GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glmDraw(model, mode);
    glEndList();
    return list;
}
