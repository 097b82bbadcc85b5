// Name lookups of the OBJ reader in constant time. The group list and the
// material table are searched front to back by glmLookupGroup and
// glmFindMaterial; a file with many groups or materials would make each of
// its statements pay for a scan of all of them. These indexes give the same
// answers (the first group, the lowest material index of a name) and are
// kept beside the list for the length of one reading pass.
// Private to the reader; not part of the library surface.
#ifndef ORVANEL_GLM_NAME_INDEX_H
#define ORVANEL_GLM_NAME_INDEX_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "glm.h"
#include "glm_internal.h"

// Puts a new group of that name at the head of the list, without a search.
ModelGroup* glm_prepend_group(Model* model, const char* name);
// The message of a usemtl naming no material, on standard output.
void glm_report_missing_material(const char* name);

// Names to values in one open-addressed array: a lookup touches one or two
// slots instead of a chain of separately allocated nodes. The names are views
// of strings owned elsewhere, which must stay in place while the table is used.
template <typename Value>
class NameTable {
public:
    // The value of the name, or null.
    const Value* find(std::string_view name) const { return find_hashed(name, hash_of(name)); }
    // Adds the name unless it is there already: the first value of a name stays.
    void add(std::string_view name, Value value)
    {
        const size_t hash = hash_of(name);
        if (find_hashed(name, hash) != nullptr) return;
        if (2 * (used_ + 1) > slots_.size()) grow();
        place(Slot{hash, name, value, true});
        ++used_;
    }

private:
    struct Slot {
        size_t hash = 0;
        std::string_view name;
        Value value{};
        bool used = false;
    };
    static constexpr size_t initial_slots = 64;  // a power of two

    static size_t hash_of(std::string_view name) { return std::hash<std::string_view>{}(name); }
    size_t mask() const { return slots_.size() - 1; }
    const Value* find_hashed(std::string_view name, size_t hash) const
    {
        if (slots_.empty()) return nullptr;
        for (size_t i = hash & mask(); slots_[i].used; i = (i + 1) & mask())
            if (slots_[i].hash == hash && slots_[i].name == name) return &slots_[i].value;
        return nullptr;
    }
    void place(const Slot& slot)
    {
        size_t i = slot.hash & mask();
        while (slots_[i].used) i = (i + 1) & mask();
        slots_[i] = slot;
    }
    // Doubles the array (kept at most half full) and places every name again.
    void grow()
    {
        std::vector<Slot> old(slots_.empty() ? initial_slots : 2 * slots_.size());
        old.swap(slots_);
        for (const Slot& slot : old)
            if (slot.used) place(slot);
    }

    std::vector<Slot> slots_;
    size_t used_ = 0;
};

// The model's groups by name; every group added while it is in use must go
// through ensure, so that the index and the list stay the same.
class GroupIndex {
public:
    explicit GroupIndex(Model* model) : model_(model)
    {
        // The first of equal names stays, as the list search finds it.
        for (ModelGroup* g = model->groups.get(); g != nullptr; g = g->next.get())
            by_name_.add(g->name, g);
    }
    // As glmLookupGroup.
    ModelGroup* lookup(const char* name) const
    {
        ModelGroup* const* found = by_name_.find(name);
        return found == nullptr ? nullptr : *found;
    }
    // As glmEnsureGroup.
    ModelGroup* ensure(const char* name)
    {
        ModelGroup* found = lookup(name);
        if (found != nullptr) return found;
        ModelGroup* made = glm_prepend_group(model_, name);
        by_name_.add(made->name, made);
        return made;
    }

private:
    Model* model_;
    NameTable<ModelGroup*> by_name_;
};

// The model's material table by name, for a pass that changes neither the
// table nor its names.
class MaterialIndex {
public:
    explicit MaterialIndex(const Model* model)
    {
        const uint32_t usable = glm_usable_count(model->materialcount, model->materials);
        for (uint32_t i = 0; i < usable; ++i) by_name_.add(model->materials[i].name, i);
    }
    // As glmFindMaterial without its message: the index, or null when missing.
    // Safe to call from several threads at once.
    const uint32_t* find(const char* name) const { return by_name_.find(name); }

private:
    NameTable<uint32_t> by_name_;
};

#endif
