// The warning box, read back from a second thread as a user would see it.
#include "launcher/launcher.h"
#include "support/caller.h"
#include "support/message_watch.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
class MessageTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        owner = CreateOwnerWindow();
        ASSERT_TRUE(owner);
    }
    void TearDown() override
    {
        DestroyWindow(owner);
    }

    // Shows one warning and returns what the box showed.
    SeenBox Show(HWND box_owner, const char *format, const char *argument, const Caller & = {})
    {
        MessageWatch watch;
        EXPECT_EQ(IDOK, OkMessage(box_owner, format, argument));
        std::vector<SeenBox> boxes = watch.Stop();
        EXPECT_EQ(1u, boxes.size());
        return boxes.empty() ? SeenBox{} : boxes[0];
    }

    HWND owner = nullptr;
};

TEST_F(MessageTest, WarningShowsItsTextOverItsOwner)
{
    struct {
        const char *format, *argument, *text;
    } cases[] = {
        {"Folder Error %s", "G:\\GAMES\\XY", "Folder Error G:\\GAMES\\XY"},
        {"Cannot Find %s", "", "Cannot Find (untitled)"},
        {"Installation complete %s", " ", "Installation complete  "},
        {"Folder Error %s",
         "C:\\Spiele\\Gr\xF6\xDF"
         "e",
         "Folder Error C:\\Spiele\\Gr\xF6\xDF"
         "e"},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.text);
        SeenBox box = Show(owner, c.format, c.argument);
        EXPECT_EQ("Install", box.caption);
        EXPECT_EQ(c.text, box.text);
        EXPECT_TRUE(box.exclamation);
        EXPECT_EQ(owner, box.owner);
    }
}

TEST_F(MessageTest, WarningWithoutOwnerIsShown)
{
    SeenBox box = Show(nullptr, "Installation Incomplete %s", " ");
    EXPECT_EQ("Installation Incomplete  ", box.text);
    EXPECT_EQ(nullptr, box.owner);
}

TEST_F(MessageTest, LongArgumentIsCutToTheBoxText)
{
    // "Folder Error " has 13 characters; the text holds 575 and a terminator.
    for (size_t length : {562u, 563u, 2000u, 5000u}) {
        SCOPED_TRACE(length);
        // Built with the stack protector, a write past the text's buffer
        // ends the process here.
        SeenBox box = Show(owner, "Folder Error %s", std::string(length, 'x').c_str());
        EXPECT_EQ(std::string("Folder Error ") + std::string(length < 562 ? length : 562, 'x'),
                  box.text);
    }
}
} // namespace
