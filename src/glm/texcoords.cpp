// Generated texture coordinates: a planar projection of the vertices along y,
// and a sphere map computed from the vertex normals.
#include <cmath>
#include <vector>

#include "glm.h"
#include "glm_check.h"
#include "glm_internal.h"

namespace {

constexpr double unit_box_size = 2.0;        // the fitted box runs from -1 to 1
constexpr float half_pi_theta = 1.5707964f;  // pi / 2 in single precision
constexpr float half_pi_phi = 1.5707961f;    // two units in the last place below it
constexpr double half_pi_offset = 1.570796325;
constexpr double pi_divisor = 3.14159265;

// Replaces the texture coordinates with count + 1 zeroed pairs.
void fresh_texcoords(Model* model, uint32_t count)
{
    model->texcoordcount = count;
    std::vector<float>(2 * (static_cast<size_t>(count) + 1), 0.0f).swap(model->texcoords);
}

// Points every corner of every grouped triangle at the pair chosen by index.
void assign_corners(Model* model, const uint32_t (ModelTriangle::*source)[3])
{
    const uint32_t triangles = glm_usable_count(model->trianglecount, model->triangles);
    for (ModelGroup* group = model->groups.get(); group; group = group->next.get()) {
        const uint32_t listed = glm_usable_count(group->trianglecount, group->triangles);
        for (size_t e = 0; e < listed; ++e) {
            uint32_t index = group->triangles[e];
            if (index >= triangles) continue;
            ModelTriangle& t = model->triangles[index];
            for (int k = 0; k < 3; ++k) t.texcoordidx[k] = (t.*source)[k];
        }
    }
}

// The sphere-map pair of one normal: angles about and from the x axis,
// both scaled from 0..pi to 0..1.
void sphere_pair(const float* n, float* pair)
{
    double x = n[0], y = n[1], z = n[2];
    float rho = static_cast<float>(std::sqrt(z * z + y * y));
    float r = static_cast<float>(std::sqrt(static_cast<double>(rho) * rho + x * x));
    float theta = 0.0f;
    float phi = 0.0f;
    if (rho != 0.0f) {
        theta = n[0] == 0.0f ? half_pi_theta : static_cast<float>(std::acos(x / r));
        phi = n[1] == 0.0f ? half_pi_phi : static_cast<float>(std::asin(y / rho) + half_pi_offset);
    }
    pair[0] = static_cast<float>(phi / pi_divisor);
    pair[1] = static_cast<float>(theta / pi_divisor);
}

}  // namespace

void glmPlanarTexCoords(Model* model)
{
    GLM_REQUIRE(model, "model");
    float dimensions[3];
    glmExtents(model, dimensions);
    uint32_t vertices = glm_last_usable(model->vertexcount, model->vertices, 3);
    fresh_texcoords(model, model->vertexcount);

    float largest = glmAbsValue(glmLarger(glmLarger(dimensions[0], dimensions[1]), dimensions[2]));
    // Every vertex at the origin: any scale maps it to the centre (0.5, 0.5).
    float scale = largest == 0.0f ? 1.0f : static_cast<float>(unit_box_size / largest);
    for (size_t i = 1; i <= vertices; ++i) {
        float s = scale * model->vertices[3 * i];
        float t = scale * model->vertices[3 * i + 2];
        model->texcoords[2 * i] = static_cast<float>((s + 1.0) / 2.0);
        model->texcoords[2 * i + 1] = static_cast<float>((t + 1.0) / 2.0);
    }
    assign_corners(model, &ModelTriangle::vertexidx);
}

void glmSphereTexCoords(Model* model)
{
    GLM_REQUIRE(model, "model");
    GLM_REQUIRE(!model->normals.empty(), "model->normals");
    uint32_t normals = glm_last_usable(model->normalcount, model->normals, 3);
    fresh_texcoords(model, model->normalcount);
    for (size_t i = 1; i <= normals; ++i)
        sphere_pair(&model->normals[3 * i], &model->texcoords[2 * i]);
    assign_corners(model, &ModelTriangle::normalidx);
}
