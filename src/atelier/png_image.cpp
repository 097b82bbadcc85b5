// PNG writing through libpng: 8-bit RGB, rows from the top.
#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "atelier.h"

namespace {

constexpr int bits_per_sample = 8;

// libpng reports errors by longjmp; nothing with a destructor lives between
// the setjmp and the calls that may jump.
bool write_rows(FILE* file, const Image& image, png_bytep* rows)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), bits_per_sample, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool write_png(const std::string& path, const Image& image)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "orvanel-atelier: impossible d'écrire \"%s\": %s.\n", path.c_str(),
                     std::strerror(errno));
        return false;
    }
    const size_t stride = static_cast<size_t>(image.width) * 3;
    std::vector<png_bytep> rows(static_cast<size_t>(image.height));
    for (size_t y = 0; y < rows.size(); ++y)
        rows[y] = const_cast<png_bytep>(image.rgb.data() + y * stride);
    const bool written = write_rows(file, image, rows.data());
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "orvanel-atelier: erreur en écrivant \"%s\".\n", path.c_str());
        return false;
    }
    return true;
}
