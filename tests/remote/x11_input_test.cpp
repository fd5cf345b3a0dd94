#include "remote/x11_input.h"

#include "remote/controller_commands.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "remote_test_support.h"

namespace tunecrest {
namespace {

// Sets an environment variable for one scope (unset when the value is empty).
class TscopedEnv {
public:
    TscopedEnv(const char* name, const char* value) : Fname(name) {
        if (const char* old = std::getenv(name)) Fold = old;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~TscopedEnv() {
        if (Fold) setenv(Fname, Fold->c_str(), 1);
        else unsetenv(Fname);
    }

private:
    const char* Fname;
    std::optional<std::string> Fold;
};

TEST(X11Input, NamedKeysAndCharactersHaveKeySymbols) {
    for (int i = 0; i < KeyboardKeys().Count(); ++i)
        EXPECT_NE(0u, VirtualKeyToKeysym(KeyboardKeys().Items(i)->Code)) << KeyboardKeys().Items(i)->Name;
    EXPECT_EQ(0xFF0Du, VirtualKeyToKeysym(0x0D));
    EXPECT_EQ(0xFFC9u, VirtualKeyToKeysym(0x7B));  // F12
    EXPECT_EQ(0x41u, VirtualKeyToKeysym(0x41));
    EXPECT_EQ(0u, VirtualKeyToKeysym(0xFF));
    EXPECT_EQ(0x41u, CharacterToKeysym('a'));  // the key, not the letter's case
    EXPECT_EQ(0x41u, CharacterToKeysym('A'));
    EXPECT_EQ(0xE9u, CharacterToKeysym(0xE9));
    EXPECT_EQ(0x010020ACu, CharacterToKeysym(0x20AC));
    EXPECT_EQ(0u, CharacterToKeysym(0));
}

TEST(X11Input, WithoutAnXDisplayInputIsLoggedAndNotSent) {
    test::TremoteEnvironment env;
    TscopedEnv display("DISPLAY", nullptr);
    TscopedEnv wayland("WAYLAND_DISPLAY", "wayland-0");
    auto sender = CreateX11InputSender();
    TkeyPress key;
    key.Code = 'a';
    EXPECT_FALSE(sender->SendKey(key));
    EXPECT_FALSE(sender->SendMouse(TmouseClick{}));
    EXPECT_NE(std::string::npos,
              env.Log().find("Input cannot be sent to other programs: a Wayland session without an X display"));
}

TEST(X11Input, KeysAndClicksReachAWindowOverXTest) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        GTEST_SKIP() << "No X display (run under Xvfb to test key and mouse commands through XTest)";
    test::TremoteEnvironment env;
    auto sender = CreateX11InputSender();
    // A window that does not exist: nothing is sent and the call says so.
    TkeyPress key;
    key.WindowTitle = "No Such Window Title 7f3a";
    key.Code = 'a';
    EXPECT_FALSE(sender->SendKey(key));
}

}  // namespace
}  // namespace tunecrest
