// The reading of a file cut into chunks read on several threads, set beside
// the reading on one thread: the same model, bit for bit, and the same
// messages, ending or not.
#ifndef ORVANEL_TEST_CHUNKED_READING_H
#define ORVANEL_TEST_CHUNKED_READING_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "capture.h"
#include "glm.h"
#include "glm_internal.h"
#include "model_builder.h"

// Thrown by the exit handler of a chunked reading, in place of ending the test.
struct ReadingEnded {
    int status;
};

[[noreturn]] inline void throw_reading_ended(int status) { throw ReadingEnded{status}; }

// Everything a reading (read, returning the model) shows: its messages, how
// it ended, and its model written out with every float as its bits.
template <typename Read>
std::string record_of(const Read& read)
{
    ModelPtr model;
    int status = 0;
    void (*const saved)(int) = glmExitHandler;
    glmExitHandler = throw_reading_ended;
    const Console console = capture_console([&] {
        try {
            model.reset(read());
        } catch (const ReadingEnded& ended) {
            status = ended.status;
        }
    });
    glmExitHandler = saved;
    std::ostringstream record;
    record << "out: " << console.out << "\nerr: " << console.err << "\nstatus: " << status << "\n";
    if (!model) return record.str();
    const Model& m = *model;
    const auto floats = [&](const char* name, const std::vector<float>& array) {
        record << name;
        for (float f : array) {
            uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            record << ' ' << std::hex << bits << std::dec;
        }
        record << '\n';
    };
    record << "counts " << m.vertexcount << ' ' << m.normalcount << ' ' << m.texcoordcount << ' '
           << m.trianglecount << ' ' << m.materialcount << ' ' << m.groupcount << " mtllib "
           << m.mtlfile.value_or("(none)") << '\n';
    floats("v", m.vertices);
    floats("vn", m.normals);
    floats("vt", m.texcoords);
    for (const ModelTriangle& t : m.triangles)
        for (int k = 0; k < 3; ++k)
            record << t.vertexidx[k] << '/' << t.texcoordidx[k] << '/' << t.normalidx[k]
                   << (k == 2 ? '\n' : ' ');
    for (const ModelGroup* g = m.groups.get(); g != nullptr; g = g->next.get()) {
        record << "g [" << g->name << "] " << g->material << ' ' << g->trianglecount << ':';
        for (uint32_t k : g->triangles) record << ' ' << k;
        record << '\n';
    }
    for (const ModelMaterial& material : m.materials) {
        record << "m [" << material.name << "]";
        floats("", std::vector<float>(material.diffuse, material.diffuse + 4));
    }
    return record.str();
}

// The record of the file read with chunk borders at the cut offsets.
inline std::string reading_record(const std::string& path, const std::vector<size_t>& cuts,
                                  unsigned threads)
{
    return record_of([&] { return glm_read_obj_cut(path.c_str(), cuts, threads); });
}

// The first line where two records differ, with its number, or "".
inline std::string first_difference(const std::string& a, const std::string& b)
{
    std::istringstream in_a(a), in_b(b);
    std::string line_a, line_b;
    for (int n = 1;; ++n) {
        const bool more_a = static_cast<bool>(std::getline(in_a, line_a));
        const bool more_b = static_cast<bool>(std::getline(in_b, line_b));
        if (!more_a && !more_b) return "";
        if (!more_a || !more_b || line_a != line_b)
            return "line " + std::to_string(n) + ":\n  one thread: " + (more_a ? line_a : "(end)") +
                   "\n  chunks:     " + (more_b ? line_b : "(end)");
    }
}

// Cut offsets: every step bytes, or (step 0) at the start of every line.
inline std::vector<size_t> cuts_every(const std::string& text, size_t step)
{
    std::vector<size_t> cuts;
    for (size_t at = 1; at < text.size(); ++at)
        if (step == 0 ? text[at - 1] == '\n' : at % step == 0) cuts.push_back(at);
    return cuts;
}

// Reads the file on one thread, then cut as each schedule says, and expects
// every chunked reading to show exactly what the one-thread reading showed.
// Files up to single_cut_limit bytes are also cut once at every offset.
inline void expect_chunked_reading_same(const std::string& path, size_t single_cut_limit = 0)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr) << path;
    std::string text;
    char part[4096];
    for (size_t n; (n = std::fread(part, 1, sizeof part, file)) > 0;) text.append(part, n);
    std::fclose(file);
    const std::string alone = reading_record(path, {}, 1);
    std::vector<std::vector<size_t>> schedules = {
        cuts_every(text, 0), cuts_every(text, 1), cuts_every(text, 7), {text.size() / 2}};
    if (text.size() <= single_cut_limit)
        for (size_t at = 1; at < text.size(); ++at) schedules.push_back({at});
    for (const std::vector<size_t>& cuts : schedules) {
        const std::string difference = first_difference(alone, reading_record(path, cuts, 3));
        ASSERT_EQ(difference, "") << path << " cut at " << cuts.size() << " offsets from "
                                  << (cuts.empty() ? 0 : cuts[0]);
    }
}

#endif
