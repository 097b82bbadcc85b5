// Drawing checked against the real OpenGL stack: a GLUT window, and feedback
// mode to capture every vertex that reached OpenGL with its colour (lit when
// lighting is on) and texture coordinates.
#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "capture.h"
#include "glm.h"
#include "model_builder.h"
#include "test_window.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
void leak_checks_off() { __lsan_disable(); }
void leak_checks_on() { __lsan_enable(); }
#else
void leak_checks_off() {}
void leak_checks_on() {}
#endif

struct FeedbackVertex {
    float position[3];  // window coordinates: the 2 by 2 viewport maps x to x + 1
    float color[4];
    float texcoord[4];
};
using Polygon = std::vector<FeedbackVertex>;

constexpr size_t floats_per_vertex = 3 + 4 + 4;  // GL_3D_COLOR_TEXTURE in RGBA mode
constexpr GLsizei feedback_floats = 1 << 16;

// Every polygon that the drawing call produced, in order.
template <typename Draw>
std::vector<Polygon> capture(Draw draw)
{
    std::vector<GLfloat> buffer(feedback_floats);
    glFeedbackBuffer(feedback_floats, GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    GLint used = glRenderMode(GL_RENDER);
    EXPECT_GE(used, 0) << "feedback buffer overflow";
    std::vector<Polygon> polygons;
    for (GLint i = 0; i < used;) {
        EXPECT_EQ(buffer[i], GL_POLYGON_TOKEN);
        if (buffer[i] != GL_POLYGON_TOKEN) break;
        size_t count = static_cast<size_t>(buffer[i + 1]);
        i += 2;
        Polygon polygon(count);
        for (FeedbackVertex& v : polygon) {
            const GLfloat* in = &buffer[i];
            std::copy(in, in + 3, v.position);
            std::copy(in + 3, in + 7, v.color);
            std::copy(in + 7, in + 11, v.texcoord);
            i += floats_per_vertex;
        }
        polygons.push_back(polygon);
    }
    return polygons;
}

// One white directional light along +z and a white material, nothing else:
// the lit red component of a vertex is the z of its (unit) normal.
void light_along_z()
{
    const GLfloat direction[4] = {0, 0, 1, 0}, white[4] = {1, 1, 1, 1}, black[4] = {0, 0, 0, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_POSITION, direction);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_SPECULAR, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
}

std::string draw_output(Model* model, unsigned mode, std::vector<Polygon>* polygons = nullptr)
{
    std::vector<Polygon> drawn;
    const Console console =
        capture_console([&] { drawn = capture([&] { glmDraw(model, mode); }); });
    if (polygons) *polygons = drawn;
    return console.out;
}

Vec3 current(GLenum what)
{
    GLfloat v[4];
    glGetFloatv(what, v);
    return {v[0], v[1], v[2]};
}

// Two groups: "hull" (material "red", triangles 1 and 2) listed before
// "default" (material 0, triangle 0), with per-corner normals whose z differ
// from the facet normal's, and texture coordinates.
std::unique_ptr<Model> two_group_model()
{
    auto model = model_with_vertices(
        {{-0.5f, -0.5f, 0}, {0.5f, -0.5f, 0}, {0, 0.5f, 0}, {0.5f, 0.5f, 0.5f}});
    ModelGroup* base = add_group(*model, "default");
    add_triangle(*model, base, 1, 2, 3);
    ModelGroup* hull = add_group(*model, "hull", 1);
    add_triangle(*model, hull, 2, 4, 3);
    add_triangle(*model, hull, 1, 2, 4);
    add_material(*model, "default", {0.8f, 0.8f, 0.8f}, {0.2f, 0.2f, 0.2f}, {0, 0, 0}, 65.0f);
    add_material(*model, "red", {0.9f, 0.1f, 0.2f}, {0.3f, 0.0f, 0.0f}, {0.5f, 0.5f, 0.5f}, 20.0f);
    set_normals(*model, {{0.6f, 0, 0.8f}, {0, 0.8f, 0.6f}, {0.8f, 0, 0.6f}, {0, 0.6f, 0.8f}});
    set_texcoords(*model, {{0.1f, 0.2f}, {0.3f, 0.4f}, {0.5f, 0.6f}, {0.7f, 0.8f}});
    model->facetnormcount = 3;
    model->facetnorms = {0, 0, 0, 0.98f, 0, 0.2f, 0.98f, 0, 0.2f, 0.98f, 0, 0.2f};
    for (uint32_t i = 0; i < 3; ++i) model->triangles[i].facetnormidx = i + 1;
    return model;
}

// The triangles in drawing order: the head group ("hull") first.
const uint32_t drawing_order[3] = {1, 2, 0};

class DrawTest : public testing::Test {
protected:
    // The GL driver keeps allocations for the life of the process and
    // unloads before the leak check could name them, so leak checking is
    // off while the window exists. Drawing allocates nothing of its own.
    static void SetUpTestSuite()
    {
        leak_checks_off();
        window_open = open_test_window("draw_test", GLUT_RGBA | GLUT_DEPTH | GLUT_SINGLE,
                                       draw_window_size, draw_window_size);
    }

    static void TearDownTestSuite() { leak_checks_on(); }

    void SetUp() override
    {
        if (!window_open) GTEST_SKIP() << "no DISPLAY for an OpenGL window";
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glViewport(0, 0, 2, 2);
        glDisable(GL_LIGHTING);
        glDisable(GL_COLOR_MATERIAL);
        glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
        glNormal3f(0.0f, 1.0f, 0.0f);
        glTexCoord2f(0.0f, 0.0f);
        model = two_group_model();
    }

    void TearDown() override
    {
        if (!window_open) return;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    // Checks that the polygons are the model's triangles in drawing order.
    void expect_positions(const std::vector<Polygon>& polygons)
    {
        ASSERT_EQ(polygons.size(), 3u);
        for (size_t p = 0; p < 3; ++p) {
            ASSERT_EQ(polygons[p].size(), 3u);
            const ModelTriangle& t = model->triangles[drawing_order[p]];
            for (int k = 0; k < 3; ++k) {
                Vec3 v = vertex(*model, t.vertexidx[k]);
                EXPECT_FLOAT_EQ(polygons[p][k].position[0], v[0] + 1);
                EXPECT_FLOAT_EQ(polygons[p][k].position[1], v[1] + 1);
                EXPECT_NEAR(polygons[p][k].position[2], (v[2] + 1) / 2, 1e-6);
            }
        }
    }

    static constexpr int draw_window_size = 64;  // pixels; the tests draw into 2 by 2
    static bool window_open;
    std::unique_ptr<Model> model;
};

bool DrawTest::window_open = false;

}  // namespace

TEST_F(DrawTest, SmoothMaterialModeLightsEachGroupWithItsMaterial)
{
    light_along_z();
    glEnable(GL_COLOR_MATERIAL);
    set_normals(*model, {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}});
    std::vector<Polygon> polygons;
    EXPECT_EQ(draw_output(model.get(), MODE_SMOOTH | MODE_MATERIAL, &polygons), "");
    expect_positions(polygons);
    // Normals along the light: the lit colour is the material's diffuse.
    for (size_t p = 0; p < 3; ++p) {
        const ModelMaterial& m = model->materials[p < 2 ? 1 : 0];
        for (const FeedbackVertex& v : polygons[p])
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(v.color[c], m.diffuse[c], 1e-3) << "polygon " << p;
    }
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    // The last group drawn ("default") left its whole material on both faces.
    for (GLenum face : {GL_FRONT, GL_BACK}) {
        GLfloat ambient[4], specular[4], shininess;
        glGetMaterialfv(face, GL_AMBIENT, ambient);
        glGetMaterialfv(face, GL_SPECULAR, specular);
        glGetMaterialfv(face, GL_SHININESS, &shininess);
        EXPECT_FLOAT_EQ(ambient[0], 0.2f);
        EXPECT_FLOAT_EQ(specular[0], 0.0f);
        EXPECT_FLOAT_EQ(shininess, 65.0f);
    }
    // No plain colour was sent.
    EXPECT_FLOAT_EQ(current(GL_CURRENT_COLOR)[0], 0.25f);
}

TEST_F(DrawTest, FlatAndSmoothUsesVertexNormalsOnly)
{
    light_along_z();
    std::vector<Polygon> polygons;
    EXPECT_EQ(draw_output(model.get(), MODE_FLAT | MODE_SMOOTH, &polygons),
              "glmDraw() warning: flat render mode requested and smooth render mode requested "
              "(using smooth).\n");
    expect_positions(polygons);
    for (size_t p = 0; p < 3; ++p) {
        const ModelTriangle& t = model->triangles[drawing_order[p]];
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(polygons[p][k].color[0], normal(*model, t.normalidx[k])[2], 1e-3);
    }
}

TEST_F(DrawTest, ColorAndMaterialUsesMaterialOnly)
{
    light_along_z();
    glEnable(GL_COLOR_MATERIAL);
    std::vector<Polygon> polygons;
    EXPECT_EQ(
        draw_output(model.get(), MODE_COLOR | MODE_MATERIAL, &polygons),
        "glmDraw() warning: color and material render mode requested using only material mode.\n");
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_FLOAT_EQ(current(GL_CURRENT_COLOR)[0], 0.25f);
    // Without normals sent, the current normal (0, 1, 0) lights nothing; the
    // red material's ambient under no ambient light gives black.
    ASSERT_EQ(polygons.size(), 3u);
    EXPECT_NEAR(polygons[0][0].color[0], 0.0f, 1e-3);
    GLfloat diffuse[4];
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    EXPECT_FLOAT_EQ(diffuse[0], 0.8f);
}

TEST_F(DrawTest, PositionsOnlyLeaveEveryOtherStateAlone)
{
    glEnable(GL_COLOR_MATERIAL);
    add_group(*model, "empty");  // drawn as an empty glBegin/glEnd pair
    std::vector<Polygon> polygons;
    EXPECT_EQ(draw_output(model.get(), 0, &polygons), "");
    expect_positions(polygons);
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_EQ(current(GL_CURRENT_NORMAL), (Vec3{0, 1, 0}));
    EXPECT_EQ(current(GL_CURRENT_TEXTURE_COORDS), (Vec3{0, 0, 0}));
    EXPECT_FLOAT_EQ(polygons[0][0].color[0], 0.25f);
    EXPECT_FLOAT_EQ(polygons[0][0].texcoord[0], 0.0f);
}

TEST_F(DrawTest, SmoothWithoutNormalsWarnsAndDrawsPositions)
{
    model->normals.clear();
    model->normalcount = 0;
    std::vector<Polygon> polygons;
    EXPECT_EQ(draw_output(model.get(), MODE_SMOOTH, &polygons),
              "glmDraw() warning: smooth render mode requested with no normals defined.\n");
    expect_positions(polygons);
    EXPECT_EQ(current(GL_CURRENT_NORMAL), (Vec3{0, 1, 0}));
}

TEST_F(DrawTest, FlatTextureSendsFacetNormalAndCornerTexcoords)
{
    light_along_z();
    std::vector<Polygon> polygons;
    EXPECT_EQ(draw_output(model.get(), MODE_FLAT | MODE_TEXTURE, &polygons), "");
    expect_positions(polygons);
    for (size_t p = 0; p < 3; ++p) {
        const ModelTriangle& t = model->triangles[drawing_order[p]];
        for (int k = 0; k < 3; ++k) {
            const float* pair = &model->texcoords[2 * t.texcoordidx[k]];
            EXPECT_FLOAT_EQ(polygons[p][k].texcoord[0], pair[0]);
            EXPECT_FLOAT_EQ(polygons[p][k].texcoord[1], pair[1]);
            EXPECT_NEAR(polygons[p][k].color[0], 0.2f, 1e-3);  // facet normal z
        }
    }
}

TEST_F(DrawTest, ColorModeShowsEachGroupsDiffuse)
{
    std::vector<Polygon> polygons;
    EXPECT_EQ(draw_output(model.get(), MODE_COLOR, &polygons), "");
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    ASSERT_EQ(polygons.size(), 3u);
    const float red[3] = {0.9f, 0.1f, 0.2f}, grey[3] = {0.8f, 0.8f, 0.8f};
    for (size_t p = 0; p < 3; ++p)
        for (const FeedbackVertex& v : polygons[p])
            for (int c = 0; c < 3; ++c) EXPECT_FLOAT_EQ(v.color[c], (p < 2 ? red : grey)[c]);
}

TEST_F(DrawTest, MissingDataWarningsComeInOrder)
{
    model->texcoords.clear();
    model->materials.clear();
    model->materialcount = 0;
    EXPECT_EQ(
        draw_output(model.get(), 31),
        "glmDraw() warning: texture render mode requested with no texture coordinates defined.\n"
        "glmDraw() warning: flat render mode requested and smooth render mode requested (using "
        "smooth).\n"
        "glmDraw() warning: color render mode requested with no materials defined.\n"
        "glmDraw() warning: material render mode requested with no materials defined.\n");
    model->normals.clear();
    model->facetnorms.clear();
    EXPECT_EQ(draw_output(model.get(), MODE_FLAT | MODE_SMOOTH),
              "glmDraw() warning: flat render mode requested with no facet normals defined.\n"
              "glmDraw() warning: smooth render mode requested with no normals defined.\n");
}

TEST_F(DrawTest, CompiledListReplaysTheSameDrawing)
{
    unsigned mode = MODE_SMOOTH | MODE_TEXTURE | MODE_COLOR;
    std::vector<Polygon> direct = capture([&] { glmDraw(model.get(), mode); });
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    unsigned first = glmCompileList(model.get(), mode);
    unsigned second = glmCompileList(model.get(), mode);
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    std::vector<Polygon> replayed = capture([&] { glCallList(first); });
    ASSERT_EQ(replayed.size(), direct.size());
    for (size_t p = 0; p < direct.size(); ++p)
        for (size_t k = 0; k < 3; ++k) {
            const FeedbackVertex &a = replayed[p][k], &b = direct[p][k];
            EXPECT_TRUE(std::equal(a.position, a.position + 3, b.position)) << p << " " << k;
            EXPECT_TRUE(std::equal(a.color, a.color + 4, b.color)) << p << " " << k;
            EXPECT_TRUE(std::equal(a.texcoord, a.texcoord + 4, b.texcoord)) << p << " " << k;
        }
    // Warnings come out while the list is recorded, not when it is called.
    unsigned warned = 0;
    EXPECT_NE(
        capture_console([&] { warned = glmCompileList(model.get(), MODE_SMOOTH | MODE_FLAT); }).out,
        "");
    EXPECT_EQ(capture_console([&] { glCallList(warned); }).out, "");
    glDeleteLists(first, 1);
    glDeleteLists(second, 1);
    glDeleteLists(warned, 1);
}

TEST_F(DrawTest, OutOfRangeIndicesFallBackToElementZero)
{
    ModelTriangle& t = model->triangles[0];
    t.vertexidx[1] = 99;
    t.normalidx[1] = 99;
    t.texcoordidx[1] = 99;
    t.facetnormidx = 99;
    model->groups->next->material = 7;             // past the two materials
    model->groups->next->triangles.push_back(50);  // names no triangle
    model->groups->next->trianglecount = 2;
    std::vector<Polygon> polygons;
    draw_output(model.get(), MODE_FLAT | MODE_TEXTURE | MODE_MATERIAL, &polygons);
    ASSERT_EQ(polygons.size(), 3u);
    EXPECT_FLOAT_EQ(polygons[2][1].position[0], 1.0f);  // vertex 0 is the origin
    EXPECT_FLOAT_EQ(polygons[2][1].texcoord[0], 0.0f);
    GLfloat diffuse[4];
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    EXPECT_FLOAT_EQ(diffuse[0], 0.8f);
}

TEST(DrawPreconditions, MissingModelOrVerticesStop)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Model empty;
    EXPECT_DEATH(glmDraw(nullptr, 0), "Assertion `model' failed");
    EXPECT_DEATH(glmDraw(&empty, 0), "Assertion `model->vertices' failed");
    EXPECT_DEATH(glmCompileList(&empty, 0), "Assertion `model->vertices' failed");
}
