// The records' folder as each kind of run finds it: the user's choice, the
// repository's "runs", the user's XDG data folder, then the home default.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <string>

#include "folders.h"
#include "temp_files.h"

namespace {

// Runs the test in dir with the three variables set (an empty value unsets),
// then puts the working folder and the variables back.
class RecordsFolderTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(getcwd(saved_folder_, sizeof saved_folder_), nullptr); }
    void TearDown() override
    {
        for (const char* name : {records_folder_variable, "XDG_DATA_HOME", "HOME"}) restore(name);
        ASSERT_EQ(chdir(saved_folder_), 0);
    }
    std::string folder_in(const std::string& dir, const char* chosen, const char* xdg,
                          const char* home)
    {
        EXPECT_EQ(chdir(dir.c_str()), 0);
        set(records_folder_variable, chosen);
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
    char saved_folder_[4096];
    std::map<std::string, std::string> saved_;
};

TEST_F(RecordsFolderTest, IsTheUsersChoiceThenTheRepositorysThenTheUsersDataFolder)
{
    TempDir installed, repository;
    repository.write("CMakeLists.txt", "project(orvanel)\n");
    EXPECT_EQ(folder_in(installed.path(), "/srv/classe", "/x", "/h"), "/srv/classe");
    EXPECT_EQ(folder_in(repository.path(), "", "/x", "/h"), "runs");
    EXPECT_EQ(folder_in(installed.path(), "", "/x", "/h"), "/x/orvanel/runs");
    EXPECT_EQ(folder_in(installed.path(), "", "relatif", "/h"), "/h/.local/share/orvanel/runs");
    EXPECT_EQ(folder_in(installed.path(), "", "", "/h"), "/h/.local/share/orvanel/runs");
}

}  // namespace
