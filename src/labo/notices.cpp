// The banner of notices: under the menu bar, across the middle of the window,
// each notice with a button to dismiss it.
#include "notices.h"

#include <algorithm>

#include "imgui.h"
#include "labo.h"

namespace {

constexpr float banner_width = 620.0f;  // pixels, or the window's width less the margins
constexpr float banner_margin = 8.0f;   // pixels
const ImVec4 banner_colour(0.55f, 0.12f, 0.1f, 0.95f);
const ImVec4 question_colour(0.45f, 0.35f, 0.05f, 0.95f);
const char* const quit_question =
    u8"Échap encore une fois pour quitter (une autre touche : rester)";

std::string seen_failure;  // the last record failure noted, path included

// A record that has just failed: say it at once (the run itself stops naming
// the file as its record).
void note_record_failure()
{
    const RunRecord& record = labo.run.record;
    if (record.failure.empty()) {
        seen_failure.clear();
        return;
    }
    const std::string key = record.path + "\n" + record.failure;
    if (key == seen_failure) return;
    seen_failure = key;
    post_notice(u8"Relevé : " + record.failure);
}

}  // namespace

void post_notice(const std::string& text)
{
    for (const Notice& notice : labo.notices)
        if (notice.text == text) return;
    labo.notices.push_back(Notice{text, false});
}

void ask_before_quitting()
{
    if (!quitting_asked()) labo.notices.push_back(Notice{quit_question, true});
}

bool quitting_asked()
{
    return std::any_of(labo.notices.begin(), labo.notices.end(),
                       [](const Notice& n) { return n.question; });
}

void forget_quitting()
{
    labo.notices.erase(std::remove_if(labo.notices.begin(), labo.notices.end(),
                                      [](const Notice& n) { return n.question; }),
                       labo.notices.end());
}

void build_notice_banner()
{
    note_record_failure();
    if (labo.notices.empty()) return;
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const float width = std::min(banner_width, display.x - 2.0f * banner_margin);
    ImGui::SetNextWindowPos(ImVec2(display.x * 0.5f, ImGui::GetFrameHeight() + banner_margin),
                            ImGuiCond_Always, ImVec2(0.5f, 0.0f));
    ImGui::SetNextWindowSize(ImVec2(width, 0.0f), ImGuiCond_Always);
    const bool question = labo.notices.back().question;
    ImGui::PushStyleColor(ImGuiCol_WindowBg, question ? question_colour : banner_colour);
    ImGui::Begin("##avis", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoFocusOnAppearing | ImGuiWindowFlags_NoSavedSettings);
    size_t dismissed = labo.notices.size();
    for (size_t i = 0; i < labo.notices.size(); ++i) {
        ImGui::PushID(static_cast<int>(i));
        ImGui::TextWrapped("%s", labo.notices[i].text.c_str());
        if (!labo.notices[i].question && ImGui::SmallButton("OK")) dismissed = i;
        ImGui::PopID();
    }
    ImGui::End();
    ImGui::PopStyleColor();
    if (dismissed < labo.notices.size()) labo.notices.erase(labo.notices.begin() + dismissed);
}
