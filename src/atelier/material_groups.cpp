// Materials changed without a group: the library keeps one material per group
// (the last one named while the group was current), so a file that changes
// material inside a group, as Blender's OBJ export does ("o" and "usemtl",
// no "g"), is drawn in its last material only. The file says which material
// each face was written under; the workshop reads that from the file itself,
// names what will be lost, and can give each material its own group.
#include <algorithm>
#include <fstream>
#include <map>

#include "atelier.h"

namespace {

// The group the library puts faces in before any "g" line.
const char* const unnamed_group = "default";

// The material a "usemtl" line names, by the library's name rule: the second
// word after the keyword when there is one, otherwise the first.
std::string used_material(const std::vector<std::string>& words)
{
    if (words.size() >= 3) return words[2];
    return words.size() == 2 ? words[1] : "";
}

uint32_t material_index(const Model* model, const std::string& name)
{
    for (uint32_t m = 0; m < model->materials.size(); ++m)
        if (model->materials[m].name == name) return m;
    return 0;  // the library uses "default" for a material it cannot find
}

// A name no group of the model has yet, from base.
std::string unused_group_name(Model* model, const std::string& base)
{
    std::string name = base;
    for (int copy = 2; glmLookupGroup(model, name.c_str()) != nullptr; ++copy)
        name = base + "_" + std::to_string(copy);
    return name;
}

// True when some triangle of the group was written under another material.
bool lost_in(const ModelGroup* group, const std::vector<uint32_t>& faces)
{
    for (uint32_t t : group->triangles)
        if (t < faces.size() && faces[t] != group->material) return true;
    return false;
}

std::string material_name(const Model* model, uint32_t index)
{
    return index < model->materials.size() ? model->materials[index].name : "default";
}

}  // namespace

std::vector<uint32_t> face_materials(const Model* model)
{
    std::vector<uint32_t> materials;
    if (model->materials.empty()) return materials;
    std::ifstream in(model->filepath, std::ios::binary);
    uint32_t current = 0;
    for (std::string line; std::getline(in, line);) {
        const std::vector<std::string> words = words_of(line);
        if (words.empty()) continue;
        if (words[0][0] == 'u') current = material_index(model, used_material(words));
        if (words[0][0] == 'f' && words.size() >= 4)
            materials.resize(materials.size() + words.size() - 3, current);
    }
    if (materials.size() != model->trianglecount) materials.clear();
    return materials;
}

std::vector<LostMaterial> lost_materials(const Model* model, const std::vector<uint32_t>& faces)
{
    std::vector<LostMaterial> lost;
    if (faces.empty()) return lost;
    for (const ModelGroup* g : groups_in_file_order(model)) {
        for (uint32_t t : g->triangles) {
            if (t >= faces.size() || faces[t] == g->material) continue;
            const std::string name = material_name(model, faces[t]);
            auto same = std::find_if(lost.begin(), lost.end(),
                                     [&](const LostMaterial& l) { return l.name == name; });
            if (same == lost.end())
                same = lost.insert(lost.end(), {name, material_name(model, g->material), 0});
            ++same->triangles;
        }
    }
    return lost;
}

unsigned regroup_by_material(Model* model, const std::vector<uint32_t>& faces)
{
    unsigned added = 0;
    if (faces.empty()) return added;
    std::vector<ModelGroup*> groups;  // the groups read, before any is added
    for (ModelGroup* g = model->groups.get(); g != nullptr; g = g->next.get()) groups.push_back(g);
    for (ModelGroup* group : groups) {
        if (!lost_in(group, faces)) continue;
        // The library's unnamed group gives its name to none: each material names its own.
        const std::string base = shown_group_name(group->name);
        const bool unnamed = base == unnamed_group;
        std::map<uint32_t, std::vector<uint32_t>> moved;  // material -> its triangles
        std::vector<uint32_t> kept;
        for (uint32_t t : group->triangles) {
            if (t < faces.size() && (unnamed || faces[t] != group->material))
                moved[faces[t]].push_back(t);
            else
                kept.push_back(t);
        }
        for (auto& [material, triangles] : moved) {
            const std::string wanted = material_name(model, material);
            const std::string name =
                unused_group_name(model, unnamed ? wanted : base + "_" + wanted);
            ModelGroup* added_group = glmEnsureGroup(model, name.c_str());
            added_group->material = material;
            added_group->triangles = std::move(triangles);
            added_group->trianglecount = static_cast<uint32_t>(added_group->triangles.size());
            ++added;
        }
        group->triangles = std::move(kept);
        group->trianglecount = static_cast<uint32_t>(group->triangles.size());
    }
    return added;
}

std::string lost_materials_text(const std::vector<LostMaterial>& lost)
{
    std::string text = u8"matériaux perdus, changés sans groupe (« g ») :";
    for (size_t i = 0; i < lost.size(); ++i)
        text += std::string(i == 0 ? " " : ", ") + u8"« " + lost[i].name + u8" » (" +
                std::to_string(lost[i].triangles) + u8" triangles, dessinés en « " +
                lost[i].replaced_by + u8" »)";
    return text +
           u8" ; la bibliothèque garde un matériau par groupe, convertir écrit un "
           u8"groupe par matériau";
}
