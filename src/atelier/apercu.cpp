// apercu: the model drawn as the scene draws it (same preparation, mode,
// light and leftover panel material), offscreen through OSMesa, so no X
// display is needed, and written as a PNG.
#include <GL/osmesa.h>

#include <cmath>
#include <cstdlib>

#include "atelier.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// Mesa keeps the buffer record it makes for a context after the context is
// destroyed; the leak checker of a sanitizer build is told to look away.
void mesa_allocations_begin()
{
#if defined(__SANITIZE_ADDRESS__)
    __lsan_disable();
#endif
}

void mesa_allocations_end()
{
#if defined(__SANITIZE_ADDRESS__)
    __lsan_enable();
#endif
}

// Projection of the simulator's window.
constexpr double field_of_view = 45.0;  // vertical, degrees
constexpr double near_plane = 0.1;      // scene units
constexpr double far_plane = 100.0;     // scene units
constexpr double degrees_per_half_turn = 180.0;
constexpr double pi = 3.14159265358979323846;
// The fitted model lies within sqrt(3) of the origin; at this distance it
// fills about two thirds of the image whatever its orientation.
constexpr float eye_distance = 4.0f;  // scene units
constexpr GLint depth_bits = 24;
constexpr int rgba = 4, rgb = 3;

// The scene's light, set in eye coordinates: it comes from the viewer, as in
// the simulator's default view where the scene's +z points at the eye.
const GLfloat light_position[4] = {0.0f, 0.0f, 1.0f, 0.0f};
const GLfloat light_level[4] = {0.2f, 0.2f, 0.2f, 1.0f};  // ambient, diffuse and specular

// The panel's red preset is the last front material set before the craft are
// drawn; its emission stays in force under the models' own materials, and a
// model without materials is drawn in it.
const GLfloat red_ambient[4] = {0.99f, 0.0f, 0.0f, 1.0f};
const GLfloat red_diffuse[4] = {0.99f, 0.0f, 0.0f, 1.0f};
const GLfloat red_emission[4] = {0.01f, 0.0f, 0.0f, 1.0f};
const GLfloat red_specular[4] = {0.99f, 0.0f, 0.0f, 1.0f};
constexpr GLfloat red_shininess = 28.0f;

void load_projection()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double top = near_plane * std::tan(field_of_view / 2.0 * pi / degrees_per_half_turn);
    glFrustum(-top, top, -top, top, near_plane, far_plane);
    glMatrixMode(GL_MODELVIEW);
}

void set_scene_state()
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glShadeModel(GL_SMOOTH);
    glFrontFace(GL_CCW);
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, light_position);
    glLightfv(GL_LIGHT0, GL_AMBIENT, light_level);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, light_level);
    glLightfv(GL_LIGHT0, GL_SPECULAR, light_level);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    glMaterialfv(GL_FRONT, GL_AMBIENT, red_ambient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, red_diffuse);
    glMaterialfv(GL_FRONT, GL_EMISSION, red_emission);
    glMaterialfv(GL_FRONT, GL_SPECULAR, red_specular);
    glMaterialf(GL_FRONT, GL_SHININESS, red_shininess);
}

// The turn that brings the model from its own axes to the camera's.
void turn_for(View view)
{
    switch (view) {
        case View::chaser:  // as the scene turns the chaser: +z along the scene's +y
        case View::top:     // from +y, the nose up: the same turn
            glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
            glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
            break;
        case View::target:  // as the scene turns the target: +z along the scene's -y
            glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
            break;
        case View::front:  // nose on
            break;
        case View::side:  // from -x, the nose to the right
            glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
            break;
    }
}

// Loads the PPM image as the current texture; false after saying why.
bool load_texture(const std::string& path)
{
    int width = 0, height = 0;
    unsigned char* pixels = load_image(path, "Texture", &width, &height);
    if (pixels == nullptr) return false;
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);
    std::free(pixels);
    return true;
}

// Draws into the context's buffer; returns the library's drawing warnings.
std::vector<std::string> draw(Model* model, View view, unsigned mode)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -eye_distance);
    turn_for(view);
    std::vector<std::string> warnings = capture_output([&] { glmDraw(model, mode); });
    glFinish();
    return warnings;
}

Image rgb_of(const std::vector<unsigned char>& buffer, int size)
{
    Image image;
    image.width = image.height = size;
    const size_t pixels = static_cast<size_t>(size) * size;
    image.rgb.resize(pixels * rgb);
    for (size_t p = 0; p < pixels; ++p)
        for (int c = 0; c < rgb; ++c) image.rgb[p * rgb + c] = buffer[p * rgba + c];
    return image;
}

int render(const ApercuOptions& options, Model* model)
{
    if (model->trianglecount == 0) {
        std::fprintf(stderr, u8"orvanel-atelier: \"%s\" n'a aucun triangle : rien à dessiner.\n",
                     options.model_path.c_str());
        return status_refused;
    }
    prepare_as_scene(model);
    unsigned mode = scene_draw_mode;
    if (!options.texture_path.empty()) {
        glmSphereTexCoords(model);
        mode |= MODE_TEXTURE;
    }
    std::vector<unsigned char> buffer(static_cast<size_t>(options.size) * options.size * rgba);
    mesa_allocations_begin();
    OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, depth_bits, 0, 0, nullptr);
    const bool current =
        context != nullptr &&
        OSMesaMakeCurrent(context, buffer.data(), GL_UNSIGNED_BYTE, options.size, options.size);
    mesa_allocations_end();
    if (!current) {
        std::fprintf(stderr, "orvanel-atelier: pas de contexte OpenGL hors écran (OSMesa).\n");
        if (context != nullptr) OSMesaDestroyContext(context);
        return status_refused;
    }
    OSMesaPixelStore(OSMESA_Y_UP, 0);  // row 0 at the top, as PNG stores it
    load_projection();
    set_scene_state();
    if (!options.texture_path.empty() && !load_texture(options.texture_path)) {
        OSMesaDestroyContext(context);
        return status_refused;
    }
    for (const std::string& line : draw(model, options.view, mode))
        std::printf("  dessin: %s\n", line.c_str());
    OSMesaDestroyContext(context);
    if (!write_png(options.image_path, rgb_of(buffer, options.size))) return status_refused;
    std::printf("Aperçu: %s (%d x %d pixels, %u triangles)\n", options.image_path.c_str(),
                options.size, options.size, model->trianglecount);
    return status_done;
}

}  // namespace

int run_apercu(const ApercuOptions& options)
{
    if (!options.texture_path.empty() && !check_input_file(options.texture_path))
        return status_refused;
    if (!check_output_file(options.image_path)) return status_refused;
    return with_model(options.model_path, "Lecture impossible de",
                      [&options](Model* model, const std::vector<LibraryMessage>&) {
                          return render(options, model);
                      });
}
