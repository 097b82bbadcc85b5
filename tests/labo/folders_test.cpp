// The records' folder as each kind of run finds it: the user's choice, the
// build's "runs", then, installed, the user's XDG data folder or the home default.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "folders.h"

namespace {

// Sets the four variables (an empty value unsets), then puts them back.
class RecordsFolderTest : public testing::Test {
protected:
    void TearDown() override
    {
        for (const char* name :
             {records_folder_variable, installed_variable, "XDG_DATA_HOME", "HOME"})
            restore(name);
    }
    std::string folder_for(const char* chosen, const char* installed, const char* xdg,
                           const char* home)
    {
        set(records_folder_variable, chosen);
        set(installed_variable, installed);
        set("XDG_DATA_HOME", xdg);
        set("HOME", home);
        return records_folder();
    }

private:
    void set(const char* name, const char* value)
    {
        if (saved_.count(name) == 0) {
            const char* old = std::getenv(name);
            saved_[name] = old == nullptr ? std::string("\0", 1) : old;
        }
        if (*value == '\0')
            unsetenv(name);
        else
            setenv(name, value, 1);
    }
    void restore(const char* name)
    {
        const std::string& old = saved_[name];
        if (old == std::string("\0", 1))
            unsetenv(name);
        else
            setenv(name, old.c_str(), 1);
    }
    std::map<std::string, std::string> saved_;
};

TEST_F(RecordsFolderTest, IsTheUsersChoiceThenTheBuildsThenTheUsersDataFolder)
{
    EXPECT_EQ(folder_for("/srv/classe", "1", "/x", "/h"), "/srv/classe");
    EXPECT_EQ(folder_for("/srv/classe", "", "/x", "/h"), "/srv/classe");
    EXPECT_EQ(folder_for("", "", "/x", "/h"), "runs");
    EXPECT_EQ(folder_for("", "1", "/x", "/h"), "/x/orvanel/runs");
    EXPECT_EQ(folder_for("", "1", "relatif", "/h"), "/h/.local/share/orvanel/runs");
    EXPECT_EQ(folder_for("", "1", "", "/h"), "/h/.local/share/orvanel/runs");
}

}  // namespace
