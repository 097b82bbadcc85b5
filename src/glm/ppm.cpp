// Raw PPM (P6) image reading: a short text header, then packed RGB bytes.
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "glm.h"
#include "glm_check.h"
#include "scanner.h"

namespace {

// Header lines are read through a buffer of this size; a longer line comes
// in pieces, each handled as a line of its own.
constexpr int header_line_size = 70;
// Width, height and maximum sample value.
constexpr int header_value_count = 3;
// Samples are single bytes, so a larger maximum cannot be honoured.
constexpr int largest_max_value = 255;
constexpr int bytes_per_pixel = 3;
// Largest raster accepted (256 MiB, e.g. 9000 x 9000 pixels): a header can
// announce any size, and an allocation must stay within reason.
constexpr uint64_t largest_raster_bytes = uint64_t{1} << 28;

// Values found so far while the header is being read.
struct PpmHeader {
    int values[header_value_count] = {0, 0, 0};  // width, height, maximum value
    int found = 0;                               // how many of them are known
};

// Scans up to `wanted` decimal integers from text the way "%d %d ..." does:
// returns how many were converted, or -1 when the text holds only blanks.
// Values beyond the range of int are clamped rather than left undefined.
int scan_integers(const char* text, int* out, int wanted)
{
    const char* cursor = text;
    for (int i = 0; i < wanted; ++i) {
        while (*cursor == ' ' || (*cursor >= '\t' && *cursor <= '\r')) ++cursor;
        if (*cursor == '\0') return i == 0 ? -1 : i;
        char* end = nullptr;
        long value = std::strtol(cursor, &end, 10);
        if (end == cursor) return i;
        if (value > INT_MAX) value = INT_MAX;
        if (value < INT_MIN) value = INT_MIN;
        out[i] = static_cast<int>(value);
        cursor = end;
    }
    return wanted;
}

// Reads header lines until width, height and maximum value are known.
// Returns false, after a message, when the header ends early or is damaged.
bool read_header_values(FILE* file, const char* filename, PpmHeader* header)
{
    char line[header_line_size];
    while (header->found < header_value_count) {
        if (std::fgets(line, sizeof line, file) == nullptr) {
            std::fprintf(stderr,
                         "glmLoadPPM(): \"%s\": the header ends before width, height "
                         "and maximum value.\n",
                         filename);
            return false;
        }
        if (line[0] == '#') continue;
        int wanted = header_value_count - header->found;
        int scanned = scan_integers(line, header->values + header->found, wanted);
        // An empty line would otherwise move the count backwards.
        if (scanned < 0) {
            std::fprintf(stderr, "glmLoadPPM(): \"%s\": empty line in the header.\n", filename);
            return false;
        }
        header->found += scanned;
    }
    return true;
}

// Checks the announced size and maximum value; stores the raster size.
bool header_is_usable(const PpmHeader& header, const char* filename, size_t* raster_bytes)
{
    int width = header.values[0];
    int height = header.values[1];
    int max_value = header.values[2];
    if (width <= 0 || height <= 0) {
        std::fprintf(stderr, "glmLoadPPM(): \"%s\": bad image size %d x %d.\n", filename, width,
                     height);
        return false;
    }
    uint64_t bytes =
        uint64_t{static_cast<uint32_t>(width)} * static_cast<uint32_t>(height) * bytes_per_pixel;
    if (bytes > largest_raster_bytes) {
        std::fprintf(stderr, "glmLoadPPM(): \"%s\": image of %d x %d pixels is too large.\n",
                     filename, width, height);
        return false;
    }
    if (max_value > largest_max_value) {
        std::fprintf(stderr, "glmLoadPPM(): \"%s\": maximum value %d above %d is not supported.\n",
                     filename, max_value, largest_max_value);
        return false;
    }
    *raster_bytes = static_cast<size_t>(bytes);
    return true;
}

// Reads the raster that follows the header; null after a message on failure.
unsigned char* read_raster(FILE* file, const char* filename, size_t bytes)
{
    auto* pixels = static_cast<unsigned char*>(std::malloc(bytes));
    if (pixels == nullptr) {
        std::fprintf(stderr, "glmLoadPPM(): \"%s\": out of memory for %zu bytes.\n", filename,
                     bytes);
        return nullptr;
    }
    if (std::fread(pixels, 1, bytes, file) != bytes) {
        std::fprintf(stderr, "glmLoadPPM(): \"%s\": the raster is shorter than %zu bytes.\n",
                     filename, bytes);
        std::free(pixels);
        return nullptr;
    }
    return pixels;
}

// Everything after the open: magic, header values, raster.
unsigned char* read_image(FILE* file, const char* filename, int* width, int* height)
{
    char line[header_line_size];
    if (std::fgets(line, sizeof line, file) == nullptr || std::strncmp(line, "P6", 2) != 0) {
        std::fprintf(stderr, "%s: Not a raw PPM file\n", filename);
        return nullptr;
    }
    PpmHeader header;
    size_t bytes = 0;
    if (!read_header_values(file, filename, &header)) return nullptr;
    if (!header_is_usable(header, filename, &bytes)) return nullptr;
    unsigned char* pixels = read_raster(file, filename, bytes);
    if (pixels == nullptr) return nullptr;
    *width = header.values[0];
    *height = header.values[1];
    return pixels;
}

}  // namespace

unsigned char* glmLoadPPM(const char* filename, int* width, int* height)
{
    GLM_REQUIRE(filename, "filename");
    GLM_REQUIRE(width, "width");
    GLM_REQUIRE(height, "height");
    LoadFailure failure;
    FILE* file = glm_open_regular(filename, &failure);
    if (file == nullptr) {
        if (failure == LoadFailure::not_regular)
            std::fprintf(stderr, "glmLoadPPM(): \"%s\": not a regular file.\n", filename);
        else
            std::perror(filename);
        return nullptr;
    }
    unsigned char* pixels = read_image(file, filename, width, height);
    std::fclose(file);
    return pixels;
}
