// The workshop as a teacher uses it: the real executable run as a child
// process (without any X display) on the shipped models and on files written
// here, its status and output read back, its PNG images decoded with libpng.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "temp_files.h"

namespace {

struct Result {
    int status = -1;  // exit status; -1 when ended by a signal
    std::string out, err;
};

// Runs the workshop with args, standard input closed and no DISPLAY.
Result atelier(const TempDir& dir, const std::vector<std::string>& args)
{
    const std::string out = dir.file("stdout.txt"), err = dir.file("stderr.txt");
    std::vector<std::string> all = {std::string(ORVANEL_BINARY_DIR) + "/orvanel-atelier"};
    all.insert(all.end(), args.begin(), args.end());
    const pid_t child = fork();
    if (child == 0) {
        unsetenv("DISPLAY");
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int in = open("/dev/null", O_RDONLY);
        if (o < 0 || e < 0 || in < 0) _exit(99);
        dup2(in, 0), dup2(o, 1), dup2(e, 2);
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(98);
    }
    int raw = 0;
    waitpid(child, &raw, 0);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file(out), read_file(err)};
}

bool has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

int lines_in(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

struct Pixels {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    bool lit(int x, int y) const
    {
        const unsigned char* p = &rgb[3 * (static_cast<size_t>(y) * width + x)];
        return p[0] + p[1] + p[2] > 0;
    }
    int lit_in_row(int y) const
    {
        int n = 0;
        for (int x = 0; x < width; ++x) n += lit(x, y);
        return n;
    }
};

Pixels read_png(const std::string& path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Pixels p;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return p;
    image.format = PNG_FORMAT_RGB;
    p.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, p.rgb.data(), 0, nullptr)) return Pixels{};
    p.width = static_cast<int>(image.width);
    p.height = static_cast<int>(image.height);
    return p;
}

// An axis-aligned box as 12 triangles, each with its own three vertices (as
// some exporters write them), counter-clockwise seen from outside.
std::string box_obj(const float lo[3], const float hi[3], int* next_vertex)
{
    static const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                    {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    std::string text;
    for (const auto& f : faces) {
        const int tris[2][3] = {{f[0], f[1], f[2]}, {f[0], f[2], f[3]}};
        for (const auto& t : tris) {
            for (int corner : t)
                text += "v " + std::to_string(corner & 1 ? hi[0] : lo[0]) + " " +
                        std::to_string(corner & 2 ? hi[1] : lo[1]) + " " +
                        std::to_string(corner & 4 ? hi[2] : lo[2]) + "\n";
            const int v = *next_vertex;
            text += "f " + std::to_string(v) + " " + std::to_string(v + 1) + " " +
                    std::to_string(v + 2) + "\n";
            *next_vertex += 3;
        }
    }
    return text;
}

// A wide bar at the model's -z end and a thin spike up to +z: which end is
// where shows in a picture. Pale grey, so a texture's colour shows through.
std::string write_spike(const TempDir& dir)
{
    const float bar_lo[3] = {-1.0f, -0.2f, -1.0f}, bar_hi[3] = {1.0f, 0.2f, -0.6f};
    const float spike_lo[3] = {-0.05f, -0.05f, -0.6f}, spike_hi[3] = {0.05f, 0.05f, 1.0f};
    int next = 1;
    dir.write("spike.mtl", "newmtl pale\nKa 0.9 0.9 0.9\nKd 0.9 0.9 0.9\n");
    return dir.write("spike.obj", "mtllib spike.mtl\nusemtl pale\n" +
                                      box_obj(bar_lo, bar_hi, &next) +
                                      box_obj(spike_lo, spike_hi, &next));
}

std::string shipped(const char* name) { return std::string(ORVANEL_SOURCE_DIR) + "/data/" + name; }

// Models exported by Blender and by Assimp's tool (tests/data/models/make_models.sh).
std::string exported(const char* name)
{
    return std::string(ORVANEL_SOURCE_DIR) + "/tests/data/models/" + name;
}

// A file as one well-known modeller exports it: object and smoothing
// statements, normals and texture coordinates, CR LF line ends, a material
// library, and faces given with negative (relative) indices.
const char* const exported_quad =
    "# Exported by a modeller\r\nmtllib quad.mtl\r\no Plane\r\n"
    "v -1 0 1\r\nv 1 0 1\r\nv -1 0 -1\r\nv 1 0 -1\r\n"
    "vt 0 0\r\nvt 1 0\r\nvt 0 1\r\nvt 1 1\r\nvn 0 1 0\r\n"
    "usemtl Material.001\r\ns off\r\nf -4/-4/-1 -3/-3/-1 -1/-1/-1 -2/-2/-1\r\n";

TEST(AtelierInfo, ReportsTheShippedChasersCountsGroupsAndMaterials)
{
    TempDir dir;
    const Result r = atelier(dir, {"info", shipped("chasseur.obj")});
    ASSERT_EQ(r.status, 0) << r.err;
    // Counted independently from the file: one "v" line per vertex, one
    // triangle per "f" line (the shipped models hold triangles only).
    const std::string text = read_file(shipped("chasseur.obj"));
    int vertices = 0, faces = 0;
    for (size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
        vertices += text.compare(at, 2, "v ") == 0;
        faces += text.compare(at, 2, "f ") == 0;
    }
    EXPECT_TRUE(has(r.out, "Sommets: " + std::to_string(vertices) + "\n"));
    EXPECT_TRUE(has(r.out, "Triangles: " + std::to_string(faces) + "\n"));
    EXPECT_TRUE(has(r.out, "\"sonde_amarrage\": 176 triangles, matériau \"metal\""));
    EXPECT_TRUE(has(r.out, "\"metal\": diffuse 0.700 0.700 0.720"));
    EXPECT_TRUE(has(r.out, "Étendue avant ajustement: x -1..1 y -0.209..0.209 z -0.5..0.5"));
    EXPECT_TRUE(has(r.out, "Messages du lecteur: 0"));
}

TEST(AtelierInfo, GivesEachReaderMessageWithTheLineItIsAbout)
{
    TempDir dir;
    dir.write("quad.mtl", "newmtl Material\nKd 1 0 0\n");
    const Result r = atelier(dir, {"info", dir.write("quad.obj", exported_quad)});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, "Sommets: 4\nNormales: 1\nCoordonnées de texture: 4\nTriangles: 2\n"));
    EXPECT_TRUE(has(r.out,
                    "Messages du lecteur: 1\n  ligne 13: glmFindMaterial():  can't find "
                    "material \"Material.001\"."));
}

TEST(AtelierInfo, TellsAnImagesSizeAndMaximumOrWhyItIsUnusable)
{
    TempDir dir;
    const std::string good =
        dir.write("good.ppm", "P6\n# comment\n4 2\n200\n" + std::string(24, 'x'));
    const Result r = atelier(dir, {"info", good});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, "Taille: 4 x 2 pixels\nValeur maximale: 200\n"));

    const Result plain = atelier(dir, {"info", dir.write("plain.ppm", "P3\n1 1\n255\n0 0 0\n")});
    EXPECT_EQ(plain.status, 1);
    EXPECT_TRUE(has(plain.err, "Not a raw PPM file"));
}

TEST(AtelierFiles, MissingDirectoriesAndPipesGetOneLineAndStatus1WithoutBlocking)
{
    TempDir dir;
    const std::string fifo = dir.file("pipe.obj");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    for (const std::string& path : {dir.file("absent.obj"), dir.path(), fifo}) {
        for (const char* command : {"info", "convertir"}) {
            std::vector<std::string> args = {command, path};
            if (std::string(command) == "convertir") args.push_back(dir.file("out.obj"));
            const Result r = atelier(dir, args);
            EXPECT_EQ(r.status, 1) << path;
            EXPECT_EQ(lines_in(r.err), 1) << r.err;
            EXPECT_TRUE(has(r.err, path)) << r.err;
        }
    }
}

TEST(AtelierFiles, HostileFilesAreRefusedWithTheirLineOrReadButNeverCrash)
{
    TempDir dir;
    using namespace std::string_literals;
    struct Case {
        std::string content;
        int status;
        const char* said;  // in the refusal
    } cases[] = {
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\n\nf 1 2 9\n", 1, "out of range (1..3) on line 5"},
        {"v 0 0 0\nvp 1 2\n", 1, "ligne 2: glmFirstPass(): Unknown token \"vp\""},
        {"mtllib absent.mtl\n", 1, "can't open material file"},
        {"f 1\n" + std::string(100000, 'x') + "\n", 1, "out of range (the file has no vertices)"},
        {"\x7f"
         "ELF\x01\x00\x00\xff\xfe g\n\x00\x00 s 1\n"s,
         1, "fichier binaire"},
    };
    for (const Case& c : cases) {
        const Result r = atelier(dir, {"info", dir.write("hostile.obj", c.content)});
        EXPECT_EQ(r.status, c.status) << c.content.substr(0, 40) << r.err;
        EXPECT_TRUE(has(r.err, c.said)) << r.err;
    }
}

TEST(AtelierArguments, AreCheckedWithOneLineAndStatus2AndHelpIsStatus0)
{
    TempDir dir;
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"inconnu"},
        {"info"},
        {"verifier", "a.obj"},
        {"verifier", "a.obj", "--role", "pilote"},
        {"apercu", "a.obj", "b.png", "--taille", "3"},
        {"apercu", "a.obj", "b.png", "--vue", "dessous"},
        {"convertir", "a.obj", "b.obj", "--souder", "-1"},
        {"convertir", "a.obj", "b.obj", "--mode", "lisse,brillant"},
        {"info", "a.obj", "b.obj"},
    };
    for (const auto& args : bad) {
        const Result r = atelier(dir, args);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(lines_in(r.err), 1) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    for (const char* command : {"info", "verifier", "apercu", "convertir"}) {
        const Result r = atelier(dir, {command, "--help"});
        EXPECT_EQ(r.status, 0);
        EXPECT_TRUE(has(r.out, std::string("Usage: orvanel-atelier ") + command));
    }
    EXPECT_EQ(atelier(dir, {"--help"}).status, 0);
}

TEST(AtelierVerifier, AcceptsTheShippedModelsInTheirRoles)
{
    TempDir dir;
    const Result chaser = atelier(dir, {"verifier", shipped("chasseur.obj"), "--role", "chasseur"});
    EXPECT_EQ(chaser.status, 0) << chaser.out;
    EXPECT_TRUE(has(chaser.out, "pointe +z en y = -1.00"));
    const Result target = atelier(dir, {"verifier", shipped("cible.obj"), "--role", "cible"});
    EXPECT_EQ(target.status, 0) << target.out;
    EXPECT_TRUE(has(target.out, "Verdict: convient comme cible"));
}

TEST(AtelierVerifier, RefusesBadIndicesNoTrianglesAndAChaserTurnedTailFirst)
{
    TempDir dir;
    const Result bad =
        atelier(dir, {"verifier", dir.write("bad.obj", "v 0 0 0\nf 1 2 3\n"), "--role", "cible"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(has(bad.err, "Ne convient pas") && has(bad.err, "on line 2")) << bad.err;

    const Result empty = atelier(
        dir, {"verifier", dir.write("empty.obj", "v 0 0 0\nv 1 1 1\n"), "--role", "chasseur"});
    EXPECT_EQ(empty.status, 1);
    EXPECT_TRUE(has(empty.out, "PROBLÈME  aucun triangle"));

    // The shipped chaser mirrored along z: its engine now leads.
    std::string turned;
    std::istringstream lines(read_file(shipped("chasseur.obj")));
    for (std::string line; std::getline(lines, line);) {
        float x, y, z;
        if (std::sscanf(line.c_str(), "v %f %f %f", &x, &y, &z) == 3)
            line = "v " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(-z);
        turned += line + "\n";
    }
    dir.write("chasseur.mtl", read_file(shipped("chasseur.mtl")));
    const Result r =
        atelier(dir, {"verifier", dir.write("turned.obj", turned), "--role", "chasseur"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.out, "PROBLÈME  sonde")) << r.out;
}

// Rows from the top holding the most lit pixels.
int widest_row(const Pixels& p)
{
    int best = 0;
    for (int y = 0; y < p.height; ++y)
        if (p.lit_in_row(y) > p.lit_in_row(best)) best = y;
    return best;
}

TEST(AtelierApercu, DrawsTheSilhouetteWhereTheViewPutsItTheSameEachTime)
{
    TempDir dir;
    const std::string model = write_spike(dir);
    const std::string chaser = dir.file("chaser.png"), again = dir.file("again.png");
    const std::string target = dir.file("target.png");
    ASSERT_EQ(atelier(dir, {"apercu", model, chaser, "--taille", "128"}).status, 0);
    ASSERT_EQ(atelier(dir, {"apercu", model, again, "--taille", "128"}).status, 0);
    ASSERT_EQ(atelier(dir, {"apercu", model, target, "--vue", "cible", "--taille", "128"}).status,
              0);
    const Pixels c = read_png(chaser), t = read_png(target);
    ASSERT_EQ(c.width, 128);
    EXPECT_EQ(c.rgb, read_png(again).rgb);
    // As the chaser, +z points up the picture: the bar (at -z) is low, the
    // spike runs up the middle; as the target it is the other way up.
    EXPECT_GT(widest_row(c), 64);
    EXPECT_LT(widest_row(t), 64);
    EXPECT_TRUE(c.lit(64, 40) && !c.lit(20, 40) && t.lit(64, 88) && !t.lit(20, 88));
    EXPECT_FALSE(c.lit(2, 2) || t.lit(125, 125));
}

TEST(AtelierApercu, PaintsTheTextureImageOnTheModel)
{
    TempDir dir;
    const std::string model = write_spike(dir);
    std::string green;
    for (int i = 0; i < 16; ++i) green += std::string("\x20\xff\x20", 3);
    const std::string texture = dir.write("vert.ppm", "P6\n4 4\n255\n" + green);
    const std::string image = dir.file("vert.png");
    const Result r = atelier(dir, {"apercu", model, image, "--texture", texture, "--taille", "64"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Pixels p = read_png(image);
    int lit = 0, green_ones = 0;
    for (size_t i = 0; i + 2 < p.rgb.size(); i += 3) {
        if (p.rgb[i] + p.rgb[i + 1] + p.rgb[i + 2] == 0) continue;
        ++lit;
        green_ones += p.rgb[i + 1] > 2 * p.rgb[i] && p.rgb[i + 1] > 2 * p.rgb[i + 2];
    }
    EXPECT_GT(lit, 100);
    EXPECT_EQ(green_ones, lit);
}

TEST(AtelierConvertir, WeldsKnownDuplicatesAndInfoReadsTheResultBack)
{
    TempDir dir;
    const float lo[3] = {0, 0, 0}, hi[3] = {1, 2, 3};
    int next = 1;
    dir.write("cube.mtl", "newmtl bleu\nKd 0 0 1\n");
    const std::string input =
        dir.write("cube.obj", "mtllib cube.mtl\ng cube\nusemtl bleu\n" + box_obj(lo, hi, &next));
    const std::string output = dir.file("sortie.obj");
    const Result r = atelier(dir, {"convertir", input, output, "--souder", "0.001", "--normales",
                                   "90", "--textures", "plan"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, "Soudure (epsilon 0.001): 36 -> 8 sommets")) << r.out;
    EXPECT_TRUE(has(r.out, "Écrit: " + output + " (lisse+texture+materiau)"));
    // At 90 degrees every corner of a box averages its three faces: 8 normals.
    const Result info = atelier(dir, {"info", output});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_TRUE(
        has(info.out, "Sommets: 8\nNormales: 8\nCoordonnées de texture: 8\nTriangles: 12\n"))
        << info.out;
    EXPECT_TRUE(has(info.out, "\"cube\": 12 triangles, matériau \"bleu\""));
    EXPECT_TRUE(has(info.out, "(bibliothèque \"sortie.mtl\")"));
    EXPECT_TRUE(has(read_file(dir.file("sortie.mtl")), "newmtl bleu\n"));
}

TEST(AtelierExports, AnotherProgramsFilePassesEveryCommand)
{
    TempDir dir;
    dir.write("quad.mtl", "newmtl Material.001\nKd 0.8 0.2 0.2\n");
    const std::string model = dir.write("quad.obj", exported_quad);
    EXPECT_EQ(atelier(dir, {"info", model}).status, 0);
    const Result check = atelier(dir, {"verifier", model, "--role", "cible"});
    EXPECT_TRUE(has(check.out, "lecture: 4 sommets, 2 triangles")) << check.out;
    EXPECT_EQ(atelier(dir, {"apercu", model, dir.file("quad.png"), "--vue", "dessus"}).status, 0);
    EXPECT_GT(read_png(dir.file("quad.png")).lit_in_row(256), 0);
    const Result convert =
        atelier(dir, {"convertir", model, dir.file("out.obj"), "--mode", "lisse"});
    EXPECT_EQ(convert.status, 0) << convert.err;
    EXPECT_TRUE(has(read_file(dir.file("out.obj")), "f 1//1 2//1 4//1\n"));
}

TEST(AtelierRefusals, FilesWithNothingToUseGetOneFrenchLineAndStatus1BeforeAnyWork)
{
    TempDir dir;
    const std::string points = dir.write("points.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\n");
    using namespace std::string_literals;
    struct Case {
        std::vector<std::string> args;
        const char* said;
    } cases[] = {
        {{"info", dir.write("vide.ppm", "")}, "est vide"},
        {{"info", shipped("chasseur.mtl")}, "(MTL)"},
        {{"info", dir.write("renamed.obj", "# library\nnewmtl a\nKd 1 0 0\n")}, "(MTL)"},
        {{"info", dir.write("garbage.obj",
                            "\x7f"
                            "ELF\x02\x01\x00\x00v 1 2 3\n"s)},
         "binaire"},
        {{"info", exported("cible_blender.stl")}, "convertissez-le"},
        {{"apercu", points, dir.file("points.png")}, "aucun triangle"},
        {{"convertir", points, dir.file("points_out.obj")}, "aucun triangle"},
        {{"convertir", shipped("cible.obj"), dir.file("absent/cible.obj")}, "dossier n'existe pas"},
        {{"apercu", shipped("cible.obj"), dir.file("absent/cible.png")}, "dossier n'existe pas"},
    };
    for (const Case& c : cases) {
        const Result r = atelier(dir, c.args);
        EXPECT_EQ(r.status, 1) << c.args[1];
        EXPECT_EQ(lines_in(r.err), 1) << r.err;
        EXPECT_TRUE(has(r.err, c.said)) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;  // refused before any report
    }
    struct stat written;
    EXPECT_NE(stat(dir.file("points_out.obj").c_str(), &written), 0);
}

// Lit pixels by hue: bluish, reddish, and the rest (greys).
struct Hues {
    int blue = 0, red = 0, grey = 0;
};

Hues hues_of(const Pixels& p)
{
    constexpr int margin = 15;  // of 255, between the blue and red parts
    Hues h;
    for (size_t i = 0; i + 2 < p.rgb.size(); i += 3) {
        const int r = p.rgb[i], g = p.rgb[i + 1], b = p.rgb[i + 2];
        if (r + g + b == 0) continue;
        if (b > r + margin)
            ++h.blue;
        else if (r > b + margin)
            ++h.red;
        else
            ++h.grey;
    }
    return h;
}

// Blender writes "o" and "usemtl" but no "g": the library keeps one material
// per group, the last one; the workshop names the two it loses and gives each
// its group, so that the blue panels and the red probe show on the grey body.
TEST(AtelierBlender, MaterialsWithoutGroupsAreNamedAndKeepTheirColoursAfterConvertir)
{
    TempDir dir;
    const std::string model = exported("chasseur_blender.obj");
    const char* const lost =
        "ATTENTION matériaux perdus, changés sans groupe (« g ») : « Coque » "
        "(12 triangles, dessinés en « Sonde »), « Panneaux » (12 triangles";
    const Result info = atelier(dir, {"info", model});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_TRUE(has(info.out, lost)) << info.out;
    const Result check = atelier(dir, {"verifier", model, "--role", "chasseur"});
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_TRUE(has(check.out, std::string("  ") + lost)) << check.out;

    const std::string converted = dir.file("chasseur.obj");
    const Result convert = atelier(dir, {"convertir", model, converted});
    ASSERT_EQ(convert.status, 0) << convert.err;
    const Result again = atelier(dir, {"info", converted});
    EXPECT_FALSE(has(again.out, "ATTENTION")) << again.out;
    for (const char* material : {"Coque", "Panneaux", "Sonde"})
        EXPECT_TRUE(has(again.out, std::string("12 triangles, matériau \"") + material + "\""))
            << again.out;

    ASSERT_EQ(atelier(dir, {"apercu", model, dir.file("avant.png"), "--taille", "128"}).status, 0);
    ASSERT_EQ(atelier(dir, {"apercu", converted, dir.file("apres.png"), "--taille", "128"}).status,
              0);
    const Hues before = hues_of(read_png(dir.file("avant.png")));
    const Hues after = hues_of(read_png(dir.file("apres.png")));
    EXPECT_EQ(before.blue + before.grey, 0);  // all drawn in the probe's red
    EXPECT_GT(after.blue, 100);               // the panels
    EXPECT_GT(after.grey, 100);               // the body
    EXPECT_GT(after.red, 0);                  // the probe's tip, seen end on
}

// glTF and GLB (with an image and an animation), STL and PLY, written by
// Blender and by Assimp's own tool, become models verifier accepts.
TEST(AtelierImport, OtherFormatsBecomeModelsVerifierAcceptsWithTheirColours)
{
    TempDir dir;
    struct Case {
        const char* file;
        const char* role;
        const char* said;  // in convertir's report
    } cases[] = {
        {"chasseur_blender.glb", "chasseur", "Non gardé : 1 animation(s)"},
        {"chasseur_assimp.gltf", "chasseur", "3 maillage(s), 3 matériau(x)"},
        {"cible_blender.stl", "cible", "un matériau « cible_blender », gris"},
        {"cible_assimp.ply", "cible", "1 maillage(s), 1 matériau(x)"},
    };
    for (const Case& c : cases) {
        const std::string output = dir.file(std::string(c.file) + ".obj");
        const Result convert = atelier(dir, {"convertir", exported(c.file), output});
        EXPECT_EQ(convert.status, 0) << convert.err;
        EXPECT_TRUE(has(convert.out, c.said)) << convert.out;
        const Result check = atelier(dir, {"verifier", output, "--role", c.role});
        EXPECT_EQ(check.status, 0) << check.out;
        EXPECT_TRUE(has(check.out, std::string("Verdict: convient comme ") + c.role)) << check.out;
    }
    EXPECT_TRUE(
        has(read_file(dir.file("chasseur_blender.glb.mtl")),
            "newmtl Panneaux\nKa 0.100000 0.200000 0.900000\nKd 0.100000 0.200000 0.900000\n"));
}

}  // namespace
