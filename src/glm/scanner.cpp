// The slow paths of the reading primitives: loading a file, names, and the
// "%f" conversions the inline fast path leaves to strtof.
#include "scanner.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

const double exact_powers_of_ten[exact_power_limit + 1] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22,
};

const uint64_t exact_integer_powers_of_ten[mantissa_digit_limit + 1] = {
    1u,
    10u,
    100u,
    1000u,
    10000u,
    100000u,
    1000000u,
    10000000u,
    100000000u,
    1000000000u,
    10000000000u,
    100000000000u,
    1000000000000u,
    10000000000000u,
    100000000000000u,
    1000000000000000u,
    10000000000000000u,
    100000000000000000u,
    1000000000000000000u,
    10000000000000000000u,
};

namespace {

// Reading chunk for files whose size the system does not tell (/proc).
constexpr size_t unsized_chunk = 1 << 16;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Reads the whole stream into a private copy, growing it only for unsized files.
bool read_all(std::FILE* file, size_t expected, LoadedText* text)
{
    size_t capacity = expected > 0 ? expected : unsized_chunk;
    std::unique_ptr<char[]> bytes(new char[capacity]);
    size_t used = 0;
    for (;;) {
        if (used == capacity) {
            // A file that grew since fstat, or one without a size: double the room.
            std::unique_ptr<char[]> larger(new char[capacity * 2]);
            std::memcpy(larger.get(), bytes.get(), used);
            bytes = std::move(larger);
            capacity *= 2;
        }
        size_t got = std::fread(bytes.get() + used, 1, capacity - used, file);
        used += got;
        if (got == 0) break;
    }
    if (std::ferror(file)) return false;
    text->size = used;
    text->copy = std::move(bytes);
    return true;
}

// Maps a regular file read-only.
bool map_file(int descriptor, size_t size, LoadedText* text)
{
    void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, descriptor, 0);
    if (mapped == MAP_FAILED) return false;
    text->mapping = std::unique_ptr<const char, MappingRelease>(static_cast<const char*>(mapped),
                                                                MappingRelease{size});
    text->size = size;
    return true;
}

// Copies the bytes first..last into name as a C string (they fit).
void copy_name(std::string_view word, char (&name)[name_buffer_size])
{
    size_t length = std::min(word.size(), line_limit);
    std::memcpy(name, word.data(), length);
    name[length] = '\0';
}

// The next blank-separated word of text from *at on, or an empty view.
std::string_view next_word(std::string_view text, size_t* at)
{
    size_t i = *at;
    while (i < text.size() && glm_is_blank(text[i])) ++i;
    size_t first = i;
    while (i < text.size() && !glm_is_blank(text[i])) ++i;
    *at = i;
    return text.substr(first, i - first);
}

bool lower_is(const char* p, char letter) { return (*p | 0x20) == letter; }

}  // namespace

void MappingRelease::operator()(const char* first) const
{
    munmap(const_cast<char*>(first), length);
}

std::FILE* glm_open_regular(const char* path, LoadFailure* failure)
{
    *failure = LoadFailure::cannot_open;
    const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return nullptr;
    struct stat status;
    const bool known = fstat(descriptor, &status) == 0;
    if (!known || !S_ISREG(status.st_mode)) {
        if (known) *failure = LoadFailure::not_regular;
        close(descriptor);
        return nullptr;
    }
    // A regular file never blocks; reading goes on in the ordinary mode.
    fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = fdopen(descriptor, "rb");
    if (file == nullptr) {
        close(descriptor);
        return nullptr;
    }
    *failure = LoadFailure::none;
    return file;
}

bool glm_load_text(const char* path, LoadedText* text, LoadFailure* failure)
{
    std::unique_ptr<std::FILE, FileCloser> file(glm_open_regular(path, failure));
    if (!file) return false;
    *failure = LoadFailure::cannot_open;
    struct stat status;
    if (fstat(fileno(file.get()), &status) != 0) return false;
    size_t expected = static_cast<size_t>(status.st_size);
    // Mapping avoids both a copy and fresh zeroed pages for the whole file.
    const bool loaded = (expected > 0 && map_file(fileno(file.get()), expected, text)) ||
                        read_all(file.get(), expected, text);
    if (loaded) *failure = LoadFailure::none;
    return loaded;
}

unsigned glm_line_number(const ModelText& text, const char* pos)
{
    return 1 + static_cast<unsigned>(std::count(text.begin, pos, '\n'));
}

void glm_take_name(Scanner& s, char (&name)[name_buffer_size])
{
    // The line is split as sscanf("%s %s") would split it: up to a NUL.
    std::string_view rest = glm_c_string_part(glm_take_line(s));
    size_t at = 0;
    std::string_view first = next_word(rest, &at);
    std::string_view second = next_word(rest, &at);
    copy_name(second.empty() ? first : second, name);
}

void glm_take_group_name(Scanner& s, char (&name)[name_buffer_size])
{
    std::string_view rest = glm_take_line(s);
    const size_t crlf = 2;
    if (rest.size() >= crlf && rest.substr(rest.size() - crlf) == "\r\n")
        rest.remove_suffix(crlf);
    else if (!rest.empty())
        rest.remove_suffix(1);
    copy_name(rest, name);
}

bool glm_convert_float(const char* first, const char* last, float* value)
{
    // Short numbers are converted from the stack; a run of thousands of
    // digits (legal, if odd) gets a heap copy of its own length.
    constexpr size_t stack_room = 64;
    size_t length = static_cast<size_t>(last - first);
    char small[stack_room];
    std::string large;
    char* copy = small;
    if (length >= stack_room) {
        large.assign(first, length);
        copy = &large[0];
    } else {
        std::memcpy(small, first, length);
        small[length] = '\0';
    }
    char* stop = nullptr;
    float f = std::strtof(copy, &stop);
    if (stop == copy) return false;
    *value = f;
    return true;
}

namespace {

// Consumes the letters of word (case-insensitive) after the first; a byte
// that does not match is consumed too, as the C scanner reads it before
// giving up. False on a mismatch or at the end of the text.
bool expect_letters(const char** p, const char* end, const char* word)
{
    for (const char* w = word; *w != '\0'; ++w) {
        if (*p == end) return false;
        bool same = lower_is(*p, *w);
        ++*p;
        if (!same) return false;
    }
    return true;
}

// Collects "nan", "inf" or "infinity" from p (at the 'n' or 'i'); false on failure.
bool collect_special(const char** p, const char* end)
{
    if (lower_is(*p, 'n')) {
        ++*p;
        return expect_letters(p, end, "an");
    }
    ++*p;
    if (!expect_letters(p, end, "nf")) return false;
    if (*p < end && lower_is(*p, 'i')) {
        ++*p;
        return expect_letters(p, end, "nity");
    }
    return true;
}

bool is_hex_digit(char c) { return glm_is_digit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); }

// Collects the digits, point and exponent of a decimal or hexadecimal number
// from p, as far as the C scanner accepts them.
void collect_number(const char** p, const char* end, bool hex, bool got_digit)
{
    const char exponent_mark = hex ? 'p' : 'e';
    bool got_dot = false, got_exponent = false;
    for (; *p < end; ++*p) {
        const char c = **p;
        if (glm_is_digit(c) || (!got_exponent && hex && is_hex_digit(c))) {
            got_digit = true;
        } else if (got_exponent && lower_is(*p - 1, exponent_mark) && (c == '-' || c == '+')) {
            // a sign right after the exponent mark
        } else if (got_digit && !got_exponent && lower_is(*p, exponent_mark)) {
            got_exponent = got_dot = true;
        } else if (!got_dot && c == '.') {
            got_dot = true;
        } else {
            return;
        }
    }
}

}  // namespace

int glm_scan_float_general(Scanner& s, float* value)
{
    glm_skip_blanks(s);
    if (s.pos == s.end) return scan_end_of_text;
    const char* p = s.pos;
    const char* const first = p;
    const char* const end = s.end;
    size_t sign = 0;
    if (*p == '-' || *p == '+') {
        sign = 1;
        ++p;
        if (p == end) {
            s.pos = p;
            return scan_mismatch;
        }
    }
    if (lower_is(p, 'n') || lower_is(p, 'i')) {
        bool complete = collect_special(&p, end);
        s.pos = p;
        if (!complete || !glm_convert_float(first, p, value)) return scan_mismatch;
        return 1;
    }
    bool hex = false, got_digit = false;
    if (*p == '0') {
        ++p;
        if (p < end && lower_is(p, 'x')) {
            hex = true;
            ++p;
        } else {
            got_digit = true;
        }
    }
    collect_number(&p, end, hex, got_digit);
    s.pos = p;
    constexpr size_t hex_prefix = 2;
    size_t taken = static_cast<size_t>(p - first);
    if (taken == sign || (hex && taken == hex_prefix + sign)) return scan_mismatch;
    // The C scanner stores whatever prefix strtof accepts ("1e+" gives 1).
    if (!glm_convert_float(first, p, value)) return scan_mismatch;
    return 1;
}
