// Who makes Orvanel and where to reach them: the one pair of addresses that the
// programs' banners and footers and the model library's file headers show.
#ifndef ORVANEL_PROJECT_H
#define ORVANEL_PROJECT_H

constexpr const char* project_name = "Orvanel project";
constexpr const char* project_email = "contact@orvanel.example.org";
constexpr const char* project_web = "https://orvanel.example.org";

#endif
