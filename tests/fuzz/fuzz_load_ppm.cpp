// libFuzzer harness of glmLoadPPM: the input is the image file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz_exit.h"
#include "glm.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string path = fuzz_write("input.ppm", data, size);
    try {
        int width = 0, height = 0;
        unsigned char* image = glmLoadPPM(path.c_str(), &width, &height);
        if (image != nullptr) {
            // Touch the last byte of the raster the reader says it filled.
            size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
            volatile unsigned char last = bytes > 0 ? image[bytes - 1] : 0;
            (void)last;
            std::free(image);
        }
    } catch (const FuzzExit& exit) {
        if (exit.status != 1) std::abort();
    }
    return 0;
}
