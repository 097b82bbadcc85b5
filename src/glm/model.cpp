// Model bookkeeping: groups, materials, paths, release, exit and preconditions.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "glm.h"
#include "glm_check.h"
#include "glm_internal.h"
#include "name_index.h"

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

ModelGroup* glmLookupGroup(Model* model, const char* name)
{
    GLM_REQUIRE(model, "model");
    for (ModelGroup* group = model->groups.get(); group != nullptr; group = group->next.get())
        if (group->name == name) return group;
    return nullptr;
}

ModelGroup* glm_prepend_group(Model* model, const char* name)
{
    std::unique_ptr<ModelGroup> group(new ModelGroup());
    group->name = name;
    group->next = std::move(model->groups);
    model->groups = std::move(group);
    model->groupcount++;
    return model->groups.get();
}

ModelGroup* glmEnsureGroup(Model* model, const char* name)
{
    ModelGroup* found = glmLookupGroup(model, name);
    if (found != nullptr) return found;
    return glm_prepend_group(model, name);
}

void glm_report_missing_material(const char* name)
{
    std::printf("glmFindMaterial():  can't find material \"%s\".\n", name);
}

uint32_t glmFindMaterial(Model* model, const char* name)
{
    GLM_REQUIRE(model, "model");
    const uint32_t usable = glm_usable_count(model->materialcount, model->materials);
    for (uint32_t i = 0; i < usable; ++i)
        if (model->materials[i].name == name) return i;
    glm_report_missing_material(name);
    return 0;
}

std::string glmDirectoryOf(const char* path)
{
    // Only '/' separates directories; the slash stays so a file name can follow.
    const char* slash = std::strrchr(path, '/');
    if (slash == nullptr) return std::string();
    return std::string(path, static_cast<size_t>(slash - path) + 1);
}

void glmRelease(Model* model)
{
    GLM_REQUIRE(model, "model");
    // The record owns everything; the group list unlinks itself iteratively.
    delete model;
}
