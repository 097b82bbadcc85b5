// Raw PPM reading: header layouts, the raster, and refusal of bad files.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "capture.h"
#include "glm.h"
#include "temp_files.h"

namespace {

// 4 x 2 pixels; the raster starts with bytes that look like header text, so a
// reader that skips blanks or comments after the maximum value is caught.
const std::string raster = std::string("\n# 3\n\x01\x02\x03\xff", 9) + "ABCDEFGHIJKLMNO";

struct LoadResult {
    unsigned char* pixels = nullptr;
    int width = -7;  // left alone unless the load succeeds
    int height = -7;
    std::string errors;
    ~LoadResult() { std::free(pixels); }
};

void load(const std::string& path, LoadResult* result)
{
    result->errors = capture_console([&] {
                         result->pixels = glmLoadPPM(path.c_str(), &result->width, &result->height);
                     }).err;
}

void expect_image(const std::string& header)
{
    TempDir dir;
    LoadResult result;
    load(dir.write("image.ppm", header + raster), &result);
    ASSERT_NE(result.pixels, nullptr) << header << result.errors;
    EXPECT_EQ(result.width, 4);
    EXPECT_EQ(result.height, 2);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(result.pixels), 24), raster);
    EXPECT_EQ(result.errors, "");
}

// Loads a file that must be refused; returns what was reported.
std::string refusal(const std::string& bytes)
{
    TempDir dir;
    LoadResult result;
    load(dir.write("bad.ppm", bytes), &result);
    EXPECT_EQ(result.pixels, nullptr) << bytes;
    EXPECT_EQ(result.width, -7);
    EXPECT_EQ(result.height, -7);
    return result.errors;
}

TEST(PpmHeader, ValuesOnTwoLinesAfterAComment) { expect_image("P6\n# made by hand\n4 2\n255\n"); }

TEST(PpmHeader, ValuesOnOneOrThreeLines)
{
    expect_image("P6\n4 2 255\n");
    expect_image("P6\n4\n2\n255\n");
    expect_image("P6 trailing text\n# a\n4   \n# b\n2 extra\n255 more\n");
}

TEST(PpmHeader, CommentBetweenHeightAndMaximumIsSkipped)
{
    expect_image("P6\n4 2\n# maximum follows\n255\n");
}

TEST(PpmHeader, LongLineIsTakenInPiecesOfSixtyNineCharacters)
{
    // The first piece ends after 69 characters, the rest is read as a header line.
    expect_image("P6" + std::string(67, 'x') + " 4 2 255\n");
}

TEST(PpmRefusal, PlainTextMagicIsNotARawFile)
{
    TempDir dir;
    std::string path = dir.write("plain.ppm", "P3\n4 2\n255\n" + raster);
    LoadResult result;
    load(path, &result);
    EXPECT_EQ(result.pixels, nullptr);
    EXPECT_EQ(result.errors, path + ": Not a raw PPM file\n");
    std::string empty_file = refusal("");
    EXPECT_NE(empty_file.find("/bad.ppm: Not a raw PPM file\n"), std::string::npos) << empty_file;
}

TEST(PpmRefusal, MissingFileIsReportedWithTheSystemError)
{
    TempDir dir;
    LoadResult result;
    load(dir.file("absent.ppm"), &result);
    EXPECT_EQ(result.pixels, nullptr);
    EXPECT_EQ(result.errors, dir.file("absent.ppm") + ": No such file or directory\n");
    EXPECT_EQ(result.width, -7);
}

TEST(PpmRefusal, FifoIsRefusedWithoutBlocking)
{
    TempDir dir;
    const std::string fifo = dir.file("pipe.ppm");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    int width = 0, height = 0;
    const Console console =
        capture_console([&] { EXPECT_EQ(glmLoadPPM(fifo.c_str(), &width, &height), nullptr); });
    EXPECT_EQ(console.err, "glmLoadPPM(): \"" + fifo + "\": not a regular file.\n");
}

TEST(PpmRefusal, HeaderThatEndsOrBreaksEarly)
{
    EXPECT_NE(refusal("P6\n").find("glmLoadPPM(): "), std::string::npos);
    EXPECT_NE(refusal("P6\n4 2\n").find("the header ends"), std::string::npos);
    EXPECT_NE(refusal("P6\n# only a comment\n4").find("the header ends"), std::string::npos);
    EXPECT_NE(refusal("P6\n4 2\n\n255\n" + raster).find("empty line"), std::string::npos);
    EXPECT_NE(refusal("P6\n\n4 2 255\n" + raster).find("empty line"), std::string::npos);
}

TEST(PpmRefusal, SizesThatAreZeroNegativeOrTooLarge)
{
    for (const char* size : {"0 2", "4 0", "-4 2", "4 -2", "65536 65536", "2147483647 2147483647",
                             "99999999999 2", "9459 9460"}) {
        std::string errors = refusal(std::string("P6\n") + size + " 255\n" + raster);
        EXPECT_EQ(errors.rfind("glmLoadPPM(): ", 0), 0u) << size << ": " << errors;
    }
}

TEST(PpmRefusal, MaximumAboveOneByte)
{
    EXPECT_NE(refusal("P6\n4 2 256\n" + raster + raster).find("maximum value 256"),
              std::string::npos);
    expect_image("P6\n4 2 1\n");
}

TEST(PpmRefusal, RasterShorterThanAnnounced)
{
    std::string errors = refusal("P6\n4 2 255\n" + raster.substr(0, 23));
    EXPECT_NE(errors.find("shorter than 24 bytes"), std::string::npos) << errors;
}

}  // namespace
