// The reading on several threads gives what the reading on one thread gives:
// on every file of the test corpus, and on files made to put chunk borders at
// awkward places (each of these is cut at every offset in turn as well).
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <string>
#include <vector>

#include "chunked_reading.h"
#include "temp_files.h"

namespace {

// The .obj files of a directory of the source tree, in name order.
std::vector<std::string> obj_files(const std::string& folder)
{
    const std::string dir = std::string(ORVANEL_SOURCE_DIR) + "/" + folder;
    std::vector<std::string> paths;
    DIR* listing = opendir(dir.c_str());
    if (listing == nullptr) return paths;
    while (const dirent* entry = readdir(listing)) {
        const std::string name = entry->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".obj") == 0)
            paths.push_back(dir + "/" + name);
    }
    closedir(listing);
    std::sort(paths.begin(), paths.end());
    return paths;
}

TEST(ParallelReading, SameAsOneThreadOnTheCorpusAndTheShippedModels)
{
    std::vector<std::string> paths = obj_files("tests/fuzz/corpus_obj");
    const std::vector<std::string> shipped = obj_files("data");
    ASSERT_FALSE(paths.empty());
    ASSERT_FALSE(shipped.empty());
    paths.insert(paths.end(), shipped.begin(), shipped.end());
    for (const std::string& path : paths) expect_chunked_reading_same(path, 1000);
}

const std::string library = "newmtl red\nKd 1 0 0\nnewmtl blue\nKd 0 0 1\n";
const std::string long_text(150, 'x');

// Files whose statements cross the borders a cut at any offset may put.
struct AwkwardFile {
    const char* what;
    std::string text;
};

const AwkwardFile awkward_files[] = {
    {"long comments, their rest past 127 bytes read as statements",
     "mtllib lib.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\n#" + long_text + " f 1 2 3\ng a\n#" +
         std::string(126, 'y') + " g b\nf 1 2 3\n# " + long_text + "\nf 3 2 1\n"},
    {"faces and vertices taking numbers from the next lines",
     "v 0 0 0\nv 1 0 0\nv 1\n 1 0\nv 0 1 0\nf 1 2\n3 4\n\n 2\nf 1 2 3\nv 5 5\n5\nf 1 2 5\n"},
    {"CR LF line ends, groups and relative indices",
     "v 0 0 0\r\nv 1 0 0\r\nvt 0 0\r\nvn 0 0 1\r\ng one\r\nf -2/-1/-1 -1/1/1 1/1/1\r\n"
     "v 0 1 0\r\ng two\r\nf -1/1/1 -2/1/1 -3/1/1\r\ng one\r\nf 1/1/1 2/1/1 3/1/1"},
    {"groups and materials met again, a border right after each statement",
     "mtllib lib.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nusemtl red\ng a\nf 1 2 3 4\n"
     "usemtl nothing\ng b\nf 4 3 2\nusemtl blue\ng a\nf 1 2 4\ng  b\ng b\nf 1 3 4\ng c\n"
     "f 2 3 4\n"},
    {"relative indices across every border",
     "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -3 -2 -1\nv 1 1 0\nf -4 -1 -2\nvn 0 0 1\nvn 0 0 -1\n"
     "f -1//-2 -2//-1 -3//-2\nvt 0 0\nvt 1 1\nf -2/-1 -3/-2 -4/-1\n"},
    {"the first bad index after a missing material, more bad indices later",
     "mtllib lib.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nusemtl nothing\nf 1 2 3\n"
     "f 1 2 9\nf 1 2 3\nf -9 1 2\nf 1 2 0\n"},
    {"an unknown token after a library and a group",
     "mtllib lib.mtl\nv 0 0 0\ng a\nvp 1 2\nv 1 1 1\nvx\n"},
    {"a missing library before an unknown token", "v 0 0 0\nmtllib none.mtl\nv 1 1 1\nvp 1\n"},
    {"statements only the filling pass sees",
     "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nv 1 2 3 g a\nf 1 2 3\n"},
    {"a library read twice and NUL bytes",
     std::string("mtllib lib.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\ng n\0ul\nf 1 2 3\nmtllib lib.mtl\n"
                 "usemtl blue\nf 3 2 1\n",
                 90)},
};

TEST(ParallelReading, SameAsOneThreadWithBordersAtEveryPlace)
{
    TempDir dir;
    dir.write("lib.mtl", library);
    for (const AwkwardFile& file : awkward_files) {
        SCOPED_TRACE(file.what);
        expect_chunked_reading_same(dir.write("awkward.obj", file.text), 10000);
    }
}

// The text with every line end written as CR LF, or as LF.
std::string with_line_ends(const std::string& text, bool crlf)
{
    std::string lf;
    for (size_t k = 0; k < text.size(); ++k)
        if (!(text[k] == '\r' && k + 1 < text.size() && text[k + 1] == '\n')) lf += text[k];
    if (!crlf) return lf;
    std::string written;
    for (char c : lf) written += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return written;
}

TEST(ParallelReading, CrLfLineEndsReadAsLf)
{
    // Files are read as they are; a CR LF must read exactly as a LF.
    TempDir dir;
    dir.write("lib.mtl", with_line_ends(library, true));
    for (const AwkwardFile& file : awkward_files) {
        SCOPED_TRACE(file.what);
        const std::string path = dir.write("ends.obj", with_line_ends(file.text, false));
        const std::string lf = reading_record(path, {}, 1);
        dir.write("ends.obj", with_line_ends(file.text, true));
        EXPECT_EQ(first_difference(lf, reading_record(path, {}, 1)), "");
    }
}

TEST(ParallelReading, LargeFileCutByTheReaderItselfOnAnyThreadCount)
{
    TempDir dir;
    dir.write("lib.mtl", library);
    std::string text = "mtllib lib.mtl\n";
    for (int k = 0; k < 40000; ++k) {
        text += "v " + std::to_string(k) + " 0." + std::to_string(k % 97) + " 1\nvn 0 0 1\n";
        if (k % 5000 == 0) text += "g part" + std::to_string(k / 10000) + "\nusemtl red\n";
        if (k >= 2)
            text += "f -3//-1 -2//-2 " + std::to_string(k + 1) + "//-3 # " + long_text + "\n";
    }
    const std::string path = dir.write("large.obj", text);
    const std::string alone = reading_record(path, {}, 1);
    for (unsigned threads : {0u, 2u, 5u}) {
        glmSetReadThreads(threads);
        const std::string chunked = record_of([&] { return glmReadOBJ(path.c_str()); });
        EXPECT_EQ(first_difference(alone, chunked), "") << threads << " threads";
    }
    glmSetReadThreads(0);
}

}  // namespace
