// Model bookkeeping: groups, materials, paths, release, exit and preconditions.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "glm.h"
#include "glm_check.h"

static void exit_normally(int status) { std::exit(status); }

void (*glmExitHandler)(int status) = exit_normally;

void glmExit(int status)
{
    glmExitHandler(status);
    std::exit(status);  // a handler that returns still ends the program
}

void glm_precondition_failed(const char* expression, const char* file, int line,
                             const char* function)
{
    std::fflush(stdout);
    std::fprintf(stderr, "%s:%d: %s: Assertion `%s' failed.\n", file, line, function, expression);
    std::abort();
}

ModelGroup::~ModelGroup()
{
    // A long list would overflow the stack if each link destroyed the next.
    std::unique_ptr<ModelGroup> rest = std::move(next);
    while (rest) rest = std::move(rest->next);
}
