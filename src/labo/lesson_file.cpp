// Teacher files read from disk: opened without blocking, so that a FIFO is
// refused rather than waited on; a file too big is refused unread.
#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "lesson_reading.h"

using namespace lesson_reading;

LessonRead read_lesson_file(const std::string& path)
{
    // Opened without blocking, so that a FIFO with no writer is seen and refused.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return refused(0, "",
                       quoted_path(path) + (errno == ENOENT ? " : fichier introuvable."
                                                            : " ne peut pas être ouvert."));
    struct stat info {};
    std::string text;
    std::string problem;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        problem = " n'est pas un fichier ordinaire.";
    } else if (info.st_size > max_lesson_file_bytes) {
        problem = " dépasse " + std::to_string(max_lesson_file_bytes) + " octets.";
    } else {
        // One byte more than allowed is asked for, to see a file that grew meanwhile.
        text.resize(static_cast<size_t>(max_lesson_file_bytes) + 1);
        size_t filled = 0;
        ssize_t got = 0;
        while (filled < text.size()) {
            got = ::read(fd, &text[filled], text.size() - filled);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            filled += static_cast<size_t>(got);
        }
        text.resize(filled);
        if (got < 0)
            problem = " ne peut pas être lu.";
        else if (filled > static_cast<size_t>(max_lesson_file_bytes))
            problem = " dépasse " + std::to_string(max_lesson_file_bytes) + " octets.";
    }
    ::close(fd);
    if (!problem.empty()) return refused(0, "", quoted_path(path) + problem);
    return parse_lesson(text);
}
