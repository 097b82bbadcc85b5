// Name lookups of the OBJ reader in constant time. The group list and the
// material table are searched front to back by glmLookupGroup and
// glmFindMaterial; a file with many groups or materials would make each of
// its statements pay for a scan of all of them. These indexes give the same
// answers (the first group, the lowest material index of a name) and are
// kept beside the list for the length of one reading pass.
// Private to the readers (and their tests); not part of the library surface.
#ifndef ORVANEL_GLM_NAME_INDEX_H
#define ORVANEL_GLM_NAME_INDEX_H

#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "glm.h"

// Puts a new group of that name at the head of the list, without a search.
ModelGroup* glm_prepend_group(Model* model, const char* name);
// The message of a usemtl naming no material, on standard output.
void glm_report_missing_material(const char* name);

// The model's groups by name; every group added while it is in use must go
// through ensure, so that the index and the list stay the same. The keys view
// the groups' own names, which stay in place while the groups live.
class GroupIndex {
public:
    explicit GroupIndex(Model* model) : model_(model)
    {
        // emplace keeps the first of equal names, as the list search finds it.
        for (ModelGroup* g = model->groups.get(); g != nullptr; g = g->next.get())
            by_name_.emplace(g->name, g);
    }
    // As glmLookupGroup.
    ModelGroup* lookup(const char* name) const
    {
        auto found = by_name_.find(name);
        return found == by_name_.end() ? nullptr : found->second;
    }
    // As glmEnsureGroup.
    ModelGroup* ensure(const char* name)
    {
        ModelGroup* found = lookup(name);
        if (found != nullptr) return found;
        ModelGroup* made = glm_prepend_group(model_, name);
        by_name_.emplace(made->name, made);
        return made;
    }

private:
    Model* model_;
    std::unordered_map<std::string_view, ModelGroup*> by_name_;
};

// The model's material table by name, for a pass that changes neither the
// table nor its names (the keys view them).
class MaterialIndex {
public:
    explicit MaterialIndex(const Model* model)
    {
        const size_t usable = model->materialcount < model->materials.size()
                                  ? model->materialcount
                                  : model->materials.size();
        for (size_t i = 0; i < usable; ++i)
            by_name_.emplace(model->materials[i].name, static_cast<uint32_t>(i));
    }
    // As glmFindMaterial: the index, or 0 with the message.
    uint32_t find(const char* name) const
    {
        auto found = by_name_.find(name);
        if (found != by_name_.end()) return found->second;
        glm_report_missing_material(name);
        return 0;
    }

private:
    std::unordered_map<std::string_view, uint32_t> by_name_;
};

#endif
