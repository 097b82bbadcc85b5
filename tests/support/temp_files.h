// Test fixtures shared by every suite: a private temporary directory that
// files are written into, the text of files and commands, and its lines.
#ifndef ORVANEL_TEST_TEMP_FILES_H
#define ORVANEL_TEST_TEMP_FILES_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

// A fresh directory under /tmp, removed with everything in it at the end.
class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/orvanel-test-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (made == nullptr) std::abort();
        path_ = made;
    }
    ~TempDir()
    {
        std::string command = "rm -rf '" + path_ + "'";
        if (std::system(command.c_str()) != 0) std::perror("rm");
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // Full path of a file name inside the directory.
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Writes the bytes to the named file and returns its full path.
    std::string write(const std::string& name, const std::string& bytes) const
    {
        std::string full = file(name);
        std::ofstream out(full, std::ios::binary);
        out << bytes;
        return full;
    }

private:
    std::string path_;
};

// Whole content of a file, or an empty string when it cannot be read.
inline std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The lines of a text, without their newlines.
inline std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The lines of a text that start with prefix, in order.
inline std::vector<std::string> lines_starting(const std::string& text, const std::string& prefix)
{
    std::vector<std::string> found;
    for (const std::string& line : lines_of(text))
        if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
    return found;
}

// Runs a shell command and returns what it printed on standard output.
inline std::string run_command(const std::string& command, int* status = nullptr)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, n);
    int raw = pclose(pipe);
    if (status != nullptr) *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return output;
}

#endif
