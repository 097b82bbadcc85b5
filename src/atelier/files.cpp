// Input checks and guarded reading: the library prints its messages and, on a
// file it refuses, ends the process; the workshop reads in a child process so
// that it can still say, in one place, what went wrong and on which line.
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>

#include "atelier.h"

namespace {

// What the reader prints first on every file it opens; not about the content.
const char* const open_notice = ": open data file ";
const char* const missing_material = "can't find material \"";
const char* const unknown_token = "Unknown token \"";
const char* const on_line = " on line ";
// Bytes looked at to tell a text file from a binary one (a NUL byte).
constexpr size_t binary_probe_size = 65536;
// The statement an MTL library begins with, after its comments.
const char* const mtl_start = "newmtl";

const char* file_kind(mode_t mode)
{
    if (S_ISDIR(mode)) return "un répertoire";
    if (S_ISFIFO(mode)) return "un tube (FIFO)";
    if (S_ISSOCK(mode)) return "une socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "un périphérique";
    return "un fichier spécial";
}

std::vector<std::string> read_lines(FILE* file)
{
    std::vector<std::string> lines;
    std::rewind(file);
    std::string line;
    int c;
    while ((c = std::fgetc(file)) != EOF) {
        if (c != '\n') {
            line.push_back(static_cast<char>(c));
            continue;
        }
        lines.push_back(line);
        line.clear();
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

// The quoted name that follows marker in text, or empty.
std::string quoted_after(const std::string& text, const char* marker)
{
    size_t start = text.find(marker);
    if (start == std::string::npos) return "";
    start += std::strlen(marker);
    size_t end = text.rfind('"');
    return end > start ? text.substr(start, end - start) : "";
}

// Line of "... on line N.", or 0.
long stated_line(const std::string& text)
{
    size_t at = text.rfind(on_line);
    return at == std::string::npos ? 0 : std::atol(text.c_str() + at + std::strlen(on_line));
}

// The library's warnings about a missing material or an unknown token do not
// say where they come from; the file says it: the n-th warning about a
// material is the n-th "usemtl" naming it, an unknown token sits on the first
// line that holds it as a word. Only the names asked about are looked for.
void place_unlocated(const std::string& path, std::vector<LibraryMessage>& messages)
{
    std::map<std::string, std::vector<long>> material_uses;  // name -> lines using it
    std::map<std::string, long> token_lines;                 // token -> first line
    for (const LibraryMessage& m : messages) {
        const std::string name = quoted_after(m.text, missing_material);
        if (!name.empty()) material_uses[name];
        const std::string token = quoted_after(m.text, unknown_token);
        if (!token.empty()) token_lines[token] = 0;
    }
    std::ifstream in(path, std::ios::binary);
    std::string line;
    for (long number = 1; std::getline(in, line); ++number) {
        const std::vector<std::string> words = words_of(line);
        for (size_t w = 0; w < words.size(); ++w) {
            auto token = token_lines.find(words[w]);
            if (token != token_lines.end() && token->second == 0) token->second = number;
            auto use = material_uses.find(words[w]);
            if (w > 0 && words[0][0] == 'u' && use != material_uses.end())
                use->second.push_back(number);
        }
    }
    std::map<std::string, size_t> material_seen;
    for (LibraryMessage& m : messages) {
        if (m.line != 0) continue;
        const std::string name = quoted_after(m.text, missing_material);
        const std::string token = quoted_after(m.text, unknown_token);
        if (!name.empty()) {
            const std::vector<long>& uses = material_uses[name];
            const size_t n = material_seen[name]++;
            if (n < uses.size()) m.line = uses[n];
        } else if (!token.empty()) {
            m.line = token_lines[token];
        }
    }
}

std::vector<LibraryMessage> messages_of(const std::string& path,
                                        const std::vector<std::string>& printed)
{
    std::vector<LibraryMessage> messages;
    bool unlocated = false;
    for (const std::string& text : printed) {
        if (text.rfind(open_notice, 0) == 0) continue;
        LibraryMessage m{text, stated_line(text)};
        unlocated = unlocated || m.line == 0;
        messages.push_back(m);
    }
    if (unlocated) place_unlocated(path, messages);
    return messages;
}

// Sends standard output and error to sink; returns the saved pair.
void redirect_to(FILE* sink, int saved[2])
{
    std::fflush(stdout);
    std::fflush(stderr);
    saved[0] = dup(STDOUT_FILENO);
    saved[1] = dup(STDERR_FILENO);
    dup2(fileno(sink), STDOUT_FILENO);
    dup2(fileno(sink), STDERR_FILENO);
}

void restore_output(int saved[2])
{
    std::fflush(stdout);
    std::fflush(stderr);
    dup2(saved[0], STDOUT_FILENO);
    dup2(saved[1], STDERR_FILENO);
    close(saved[0]);
    close(saved[1]);
}

// Child side: read, tell the parent the read is over, do the work, exit.
[[noreturn]] void read_and_work(const std::string& path, FILE* sink, int done_pipe,
                                const ModelWork& work)
{
    int saved[2];
    redirect_to(sink, saved);
    Model* model = glmReadOBJ(path.c_str());  // ends the child on a refused file
    restore_output(saved);
    const char done = 1;
    if (write(done_pipe, &done, 1) != 1) std::_Exit(status_refused);
    close(done_pipe);
    std::vector<LibraryMessage> messages = messages_of(path, read_lines(sink));
    std::fclose(sink);
    int status = work(model, messages);
    glmRelease(model);
    std::fflush(stdout);
    std::exit(status);
}

int wait_for(pid_t child)
{
    int raw = 0;
    while (waitpid(child, &raw, 0) < 0)
        if (errno != EINTR) return -1;
    return raw;
}

// The folder a file would be written in.
std::string folder_of(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool has_extension(const std::string& path, const char* extension)
{
    const size_t length = std::strlen(extension);
    return path.size() > length && strcasecmp(path.c_str() + path.size() - length, extension) == 0;
}

// The first word of text that is not in a comment.
std::string first_statement(const std::string& text)
{
    size_t at = 0;
    while ((at = text.find_first_not_of(" \t\r\n", at)) != std::string::npos && text[at] == '#')
        at = text.find('\n', at);
    if (at == std::string::npos) return "";
    return text.substr(at, text.find_first_of(" \t\r\n", at) - at);
}

// Why a readable file cannot be an OBJ model, or null. The library reads an
// empty file, binary bytes or an MTL library as a model with nothing in it.
const char* not_a_model(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string head(binary_probe_size, '\0');
    in.read(&head[0], static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    if (head.empty()) return u8"est vide : ce n'est pas un modèle.";
    if (is_foreign_model(path))
        return u8"n'est pas un modèle OBJ : convertissez-le d'abord (orvanel-atelier convertir "
               u8"FICHIER modele.obj).";
    if (head.find('\0') != std::string::npos)
        return u8"est un fichier binaire, pas un modèle OBJ (du texte) ; glTF, STL, PLY, 3DS "
               u8"ou FBX : passez d'abord par orvanel-atelier convertir.";
    if (has_extension(path, ".mtl") || first_statement(head) == mtl_start)
        return u8"est une bibliothèque de matériaux (MTL), pas un modèle : donnez le fichier "
               u8".obj qui la nomme (mtllib).";
    return nullptr;
}

}  // namespace

bool check_model_file(const std::string& path)
{
    if (!check_input_file(path)) return false;
    const char* why = not_a_model(path);
    if (why == nullptr) return true;
    std::fprintf(stderr, "orvanel-atelier: \"%s\" %s\n", path.c_str(), why);
    return false;
}

bool check_output_file(const std::string& path)
{
    const std::string folder = folder_of(path);
    struct stat info;
    const char* why = nullptr;
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        why = u8"est un dossier : donnez le nom du fichier à écrire.";
    else if (stat(folder.c_str(), &info) != 0)
        why = u8"ne peut pas être écrit : son dossier n'existe pas (créez-le d'abord).";
    else if (!S_ISDIR(info.st_mode))
        why = u8"ne peut pas être écrit : ce qui devrait être son dossier n'en est pas un.";
    else if (access(folder.c_str(), W_OK) != 0)
        why = u8"ne peut pas être écrit : son dossier est en lecture seule.";
    if (why == nullptr) return true;
    std::fprintf(stderr, "orvanel-atelier: \"%s\" %s\n", path.c_str(), why);
    return false;
}

bool check_input_file(const std::string& path)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        std::fprintf(stderr, "orvanel-atelier: \"%s\": %s.\n", path.c_str(),
                     errno == ENOENT ? "fichier introuvable" : std::strerror(errno));
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        std::fprintf(stderr, "orvanel-atelier: \"%s\" est %s, pas un fichier ordinaire.\n",
                     path.c_str(), file_kind(info.st_mode));
        return false;
    }
    if (access(path.c_str(), R_OK) != 0) {
        std::fprintf(stderr, "orvanel-atelier: \"%s\": lecture interdite.\n", path.c_str());
        return false;
    }
    return true;
}

std::vector<std::string> capture_output(const std::function<void()>& call)
{
    FILE* sink = std::tmpfile();
    if (sink == nullptr) {
        call();
        return {};
    }
    int saved[2];
    redirect_to(sink, saved);
    call();
    restore_output(saved);
    std::vector<std::string> lines = read_lines(sink);
    std::fclose(sink);
    return lines;
}

std::vector<std::string> words_of(const std::string& line)
{
    std::vector<std::string> words;
    size_t at = 0;
    while ((at = line.find_first_not_of(" \t\r", at)) != std::string::npos) {
        const size_t end = std::min(line.find_first_of(" \t\r", at), line.size());
        words.push_back(line.substr(at, end - at));
        at = end;
    }
    return words;
}

void print_messages(FILE* out, const std::vector<LibraryMessage>& messages)
{
    for (const LibraryMessage& m : messages) {
        if (m.line > 0)
            std::fprintf(out, "  ligne %ld: %s\n", m.line, m.text.c_str());
        else
            std::fprintf(out, "  %s\n", m.text.c_str());
    }
}

int with_model(const std::string& path, const char* heading, const ModelWork& work)
{
    if (!check_model_file(path)) return status_refused;
    FILE* sink = std::tmpfile();
    int done_pipe[2];
    if (sink == nullptr || pipe(done_pipe) != 0) {
        std::fprintf(stderr, "orvanel-atelier: pas de fichier temporaire: %s.\n",
                     std::strerror(errno));
        return status_refused;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = fork();
    if (child == 0) {
        close(done_pipe[0]);
        read_and_work(path, sink, done_pipe[1], work);
    }
    close(done_pipe[1]);
    if (child < 0) {
        std::fprintf(stderr, "orvanel-atelier: fork: %s.\n", std::strerror(errno));
        return status_refused;
    }
    const int raw = wait_for(child);
    char done = 0;
    const bool read_over = read(done_pipe[0], &done, 1) == 1;
    close(done_pipe[0]);
    int status = status_refused;
    if (!read_over) {
        std::fprintf(stderr, "%s \"%s\":\n", heading, path.c_str());
        print_messages(stderr, messages_of(path, read_lines(sink)));
        if (raw != -1 && WIFSIGNALED(raw))
            std::fprintf(stderr, "  (la lecture s'est arrêtée sur le signal %d)\n", WTERMSIG(raw));
    } else if (raw != -1 && WIFEXITED(raw)) {
        status = WEXITSTATUS(raw);
    } else {
        std::fprintf(stderr, "orvanel-atelier: arrêt anormal sur \"%s\".\n", path.c_str());
    }
    std::fclose(sink);
    std::fflush(stdout);
    return status;
}

unsigned char* load_image(const std::string& path, const char* label, int* width, int* height)
{
    unsigned char* pixels = nullptr;
    const std::vector<std::string> why =
        capture_output([&] { pixels = glmLoadPPM(path.c_str(), width, height); });
    if (pixels == nullptr) {
        std::fprintf(stderr, "%s inutilisable \"%s\":\n", label, path.c_str());
        for (const std::string& line : why) std::fprintf(stderr, "  %s\n", line.c_str());
    }
    return pixels;
}
