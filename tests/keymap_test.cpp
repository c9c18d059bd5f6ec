// The ships' keys bound from config.ini: names as SDL gives them, and the bindings that are
// refused (no such key, a command key, a key another action holds) leaving their defaults.
#include "tasks/keymap.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

class Keymap : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError(); }
    void TearDown() override { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

    // The two-player game's defaults, bound from the given settings; the problems' settings in order.
    std::vector<std::string> bind(const std::map<std::string, std::string> &settings)
    {
        ships[0] = {SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_DOWN, SDLK_p, SDLK_o};
        ships[1] = {SDLK_d, SDLK_g, SDLK_r, SDLK_f, SDLK_a, SDLK_x};
        const auto value = [&settings](const std::string &name) -> const char * {
            const auto found = settings.find(name);
            return found != settings.end() ? found->second.c_str() : nullptr;
        };
        std::vector<std::string> refused;
        for (const KeymapProblem &problem : keymap_bind(ships, 2, value, {SDLK_ESCAPE, SDLK_SPACE, SDLK_q}))
            refused.push_back(problem.setting);
        return refused;
    }

    ShipKeys ships[2]{};
};

TEST_F(Keymap, NamesAreSdlsWithUnderscoresForBlanksInAnyCase)
{
    EXPECT_EQ(keymap_keyByName("right_ctrl"), SDLK_RCTRL);
    EXPECT_EQ(keymap_keyByName("Right Ctrl"), SDLK_RCTRL);
    EXPECT_EQ(keymap_keyByName("[5]"), SDLK_KP5);
    EXPECT_EQ(keymap_keyByName("_"), SDLK_UNDERSCORE);
    EXPECT_EQ(keymap_keyByName("A"), SDLK_a);
    EXPECT_EQ(keymap_keyByName("ctrl"), SDLK_UNKNOWN);
    EXPECT_EQ(keymap_keyName(SDLK_PAGEUP), "page_up");
}

TEST_F(Keymap, ARefusedBindingLeavesItsActionOnTheDefaultAndTheOthersBound)
{
    EXPECT_TRUE(bind({{"player1_bullets", "a"}, {"player2_bullets", "p"}}).empty()) << "a swap is no clash";
    EXPECT_EQ(ships[0].bullet, SDLK_a);
    EXPECT_EQ(ships[1].bullet, SDLK_p);

    EXPECT_EQ(bind({{"player1_up", "w"}, {"player1_down", "nokey"}, {"player2_up", "space"}}),
              (std::vector<std::string>{"player1_down", "player2_up"}));
    EXPECT_EQ(ships[0].up, SDLK_w);
    EXPECT_EQ(ships[0].down, SDLK_DOWN);
    EXPECT_EQ(ships[1].up, SDLK_r);

    // Between two rebound actions the later gives way; against a default, the rebound one: here
    // player2_rockets gives K to player1_left and takes back X, which player1_bullets then loses.
    EXPECT_EQ(bind({{"player1_bullets", "x"}, {"player1_left", "k"}, {"player2_rockets", "k"}}),
              (std::vector<std::string>{"player2_rockets", "player1_bullets"}));
    EXPECT_EQ(ships[0].bullet, SDLK_p);
    EXPECT_EQ(ships[0].left, SDLK_k);
    EXPECT_EQ(ships[1].rockets, SDLK_x);

    // A rebound action that gives way takes back its default, from which another must give way.
    EXPECT_EQ(bind({{"player1_up", "g"}, {"player2_bullets", "up"}}),
              (std::vector<std::string>{"player1_up", "player2_bullets"}));
    EXPECT_EQ(ships[0].up, SDLK_UP);
    EXPECT_EQ(ships[1].bullet, SDLK_a);
}

} // namespace
