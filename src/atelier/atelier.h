// orvanel-atelier: the model workshop. A teacher takes a model made in another
// program and, before putting it in data/, asks four questions of it:
//   info      what does the model library find in this file (or PPM image)?
//   verifier  will it work as the chaser or the target of the simulator?
//   apercu    what will it look like in the scene? (a PNG, drawn offscreen)
//   convertir weld, give normals and texture coordinates, give each material
//             its group, write OBJ + MTL; also from glTF, STL, PLY, 3DS, FBX.
// Every command reads and writes models through the model library (glm.h);
// other formats come in through Assimp as OBJ text that the library reads.
//
// Exit status: 0 done (and, for verifier, fit for use); 1 a file that cannot
// be used (unreadable, refused by the library, not fit for the role); 2 bad
// arguments. User text is French with its accents (UTF-8), like the teaching
// edition's; command and option words stay plain ASCII, to be typed anywhere.
//
// The library ends the process when it refuses a file, so every command works
// on its model inside a child process (with_model): the parent then reports
// the refusal in one place and the tool never dies half-way through a report.
#ifndef ORVANEL_ATELIER_H
#define ORVANEL_ATELIER_H

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "glm.h"

// ---------------------------------------------------------------------------
// Exit statuses
// ---------------------------------------------------------------------------

constexpr int status_done = 0;     // the command did its work; verifier: fit for use
constexpr int status_refused = 1;  // a file cannot be used, or the model is not fit
constexpr int status_usage = 2;    // bad arguments

// ---------------------------------------------------------------------------
// What the scene does with a model (copied from the simulator's rules, since
// the workshop may not link the front end)
// ---------------------------------------------------------------------------

constexpr unsigned scene_draw_mode = MODE_SMOOTH | MODE_MATERIAL;  // glmDraw mode of both craft
constexpr float scene_crease_angle = 90.0f;                        // degrees, for glmVertexNormals
constexpr double port_y = -1.5;         // scene y of the docking port (chaser centre when docked)
constexpr double port_tolerance = 0.1;  // lateral docking tolerance, scene units
constexpr double contact_half_width = 0.4;  // target contact box, |x| and |z|, scene units

// Roles a model can take in the scene.
enum class Role { chaser, target };

// ---------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------

// One line the library printed while it read (or prepared) a model.
struct LibraryMessage {
    std::string text;  // as printed, without the line end
    long line = 0;     // line of the OBJ file it is about; 0 when unknown
};

// Axis-aligned box of the vertices 1..vertexcount, in model units.
struct Box {
    float min[3] = {0.0f, 0.0f, 0.0f};
    float max[3] = {0.0f, 0.0f, 0.0f};
    bool empty = true;  // no vertex at all
};

struct InfoOptions {
    std::string path;  // OBJ model or PPM image
};

struct VerifierOptions {
    std::string path;
    Role role = Role::chaser;
};

// Where the camera stands for a preview.
enum class View {
    chaser,  // placed as the scene places the chaser, seen from the scene's +z
    target,  // placed as the scene places the target, seen from the scene's +z
    top,     // model axes, seen from its +y
    front,   // model axes, seen from its +z (nose on)
    side,    // model axes, seen from its +x
};

struct ApercuOptions {
    std::string model_path;
    std::string image_path;  // PNG written
    View view = View::chaser;
    int size = 512;            // width and height of the image, pixels
    std::string texture_path;  // PPM image; empty: no texture
};

// Texture coordinates that convertir can add.
enum class TexCoords { none, planar, sphere };

struct ConvertirOptions {
    std::string input_path;
    std::string output_path;
    float weld_epsilon = 0.0f;    // model units; 0 leaves the vertices alone
    float normals_angle = -1.0f;  // crease angle in degrees; negative: keep the file's normals
    TexCoords texcoords = TexCoords::none;
    unsigned write_mode = 0;  // MODE_* bits; 0: everything the model has
    bool write_mode_given = false;
};

// A MODE_* bit as the teacher names it on the command line.
struct ModeName {
    const char* word;  // "plat", "lisse", "texture", "couleur", "materiau"
    unsigned bit;
};
constexpr int mode_name_count = 5;
extern const ModeName mode_names[mode_name_count];
// The bits of mode as words joined by '+'.
std::string mode_words(unsigned mode);

// ---------------------------------------------------------------------------
// Commands (each returns the exit status)
// ---------------------------------------------------------------------------

int run_info(const InfoOptions& options);
int run_verifier(const VerifierOptions& options);
int run_apercu(const ApercuOptions& options);
int run_convertir(const ConvertirOptions& options);

// ---------------------------------------------------------------------------
// Files and guarded reading (files.cpp)
// ---------------------------------------------------------------------------

// True when path names an existing regular file; otherwise prints one line
// saying why (missing, a directory, a pipe...) and returns false. Checked
// before the library opens anything, so a FIFO never blocks the tool.
bool check_input_file(const std::string& path);

// check_input_file, then refuses in one line a file the library would read as
// an empty model: an empty file, binary bytes, an MTL library.
bool check_model_file(const std::string& path);
// True when a file can be written at path (its folder exists and is
// writable, and path is no folder); otherwise prints one line and returns false.
bool check_output_file(const std::string& path);

// The work a command does on a model the library has read.
using ModelWork =
    std::function<int(Model* model, const std::vector<LibraryMessage>& reading_messages)>;

// Reads path with glmReadOBJ in a child process, catching what the library
// prints meanwhile, then runs work on the model there and returns its status.
// When the library refuses the file (or stops on it), prints heading and
// every message it gave, each with its line, and returns status_refused.
int with_model(const std::string& path, const char* heading, const ModelWork& work);

// Runs call with the process's standard output and error sent to a
// temporary file, and returns the lines written there.
std::vector<std::string> capture_output(const std::function<void()>& call);

// Reads a PPM image through the library (free the pixels with std::free); null
// after printing "<label> inutilisable" and the library's reasons.
unsigned char* load_image(const std::string& path, const char* label, int* width, int* height);

// Prints the library's messages to out, indented, each with its line when known.
void print_messages(FILE* out, const std::vector<LibraryMessage>& messages);
// Blank-separated words of a line (spaces, tabs and a line end's CR).
std::vector<std::string> words_of(const std::string& line);

// ---------------------------------------------------------------------------
// Measures (model_facts.cpp)
// ---------------------------------------------------------------------------

// The box of the model's vertices as they stand.
Box model_box(const Model* model);
// Group name as the teacher wrote it (the reader keeps the blanks after "g").
std::string shown_group_name(const std::string& name);
// Groups in file order (the library lists the newest first).
std::vector<const ModelGroup*> groups_in_file_order(const Model* model);
// Vertices that no triangle uses.
unsigned unused_vertex_count(const Model* model);
// What the scene does after reading: fit into -1..1, facet and smooth normals
// (the library's chatter about it is swallowed). Returns the scale factor.
float prepare_as_scene(Model* model);

// ---------------------------------------------------------------------------
// Other formats (import.cpp): glTF, GLB, STL, PLY, 3DS, FBX... read by Assimp
// ---------------------------------------------------------------------------

// True when path names a format Assimp reads, other than OBJ (by its extension).
bool is_foreign_model(const std::string& path);
// Reads path with Assimp and writes it as OBJ and MTL into folder, each
// material's colours mapped to the MTL's (base or diffuse colour to Kd and
// Ka, specular to Ks, shininess to Ns); prints what it read and what it could
// not keep (textures, animations...). Returns the OBJ's path, or empty after
// a one-line message.
std::string import_foreign_model(const std::string& path, const std::string& folder);

// ---------------------------------------------------------------------------
// Materials changed without a group (material_groups.cpp): the library keeps
// one material per group, so a file that changes material inside a group (as
// Blender writes it: "o" and "usemtl", no "g") is drawn in the last one only.
// ---------------------------------------------------------------------------

// A material some triangles were written under and the library replaced.
struct LostMaterial {
    std::string name;         // the material the file gave them
    std::string replaced_by;  // their group's material, which they are drawn in
    unsigned triangles = 0;   // how many
};

// Per triangle, the material (index into model->materials) its face line was
// written under, read from the model's file; empty without materials, or when
// the file's faces do not add up to the model's triangles.
std::vector<uint32_t> face_materials(const Model* model);
// The materials lost to the group rule, in the order the groups were read.
std::vector<LostMaterial> lost_materials(const Model* model, const std::vector<uint32_t>& faces);
// Gives the triangles whose group's material is not theirs a group per
// material; returns how many groups were added.
unsigned regroup_by_material(Model* model, const std::vector<uint32_t>& faces);
// The lost materials in one line, for info and verifier.
std::string lost_materials_text(const std::vector<LostMaterial>& lost);

// ---------------------------------------------------------------------------
// Offscreen drawing and images (apercu.cpp, png_image.cpp)
// ---------------------------------------------------------------------------

// RGB image, rows from the top, 3 bytes per pixel.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// Writes the image as an 8-bit RGB PNG; false after a one-line message.
bool write_png(const std::string& path, const Image& image);

#endif
