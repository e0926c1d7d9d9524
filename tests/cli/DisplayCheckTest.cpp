#include "cli/DisplayCheck.h"

#include "cli/CommandLineParser.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <map>

namespace orvandel {
namespace {

    struct DisplayCase
    {
        const char* name;
        std::vector<std::string> args; // the window's, read by the command line's parser
        std::map<std::string, std::string> environment; // "RUNTIME" stands for a folder with a Wayland socket
        std::string missing; // "" when the window can open, else what is not set
    };

    class DisplayCheckTest : public ::testing::TestWithParam<DisplayCase>
    {
    };

    TEST_P(DisplayCheckTest, DecidesBeforeTheWindowSystemStarts)
    {
        test::TempDir runtime;
        runtime.write("wayland-0", "");
        std::map<std::string, std::string> environment = GetParam().environment;
        for (auto& [name, value] : environment) {
            if (value == "RUNTIME")
                value = runtime.path();
        }
        const auto lookup = [&](const char* name) -> const char* {
            const auto found = environment.find(name);
            return found == environment.end() ? nullptr : found->second.c_str();
        };
        const auto message
            = MissingDisplay(std::get<WindowRequest>(ParseCommandLine(GetParam().args)), lookup);
        if (GetParam().missing.empty()) {
            EXPECT_FALSE(message) << *message;
            return;
        }
        ASSERT_TRUE(message);
        EXPECT_EQ(*message,
                  "orvandel: cannot open the window: there is no display (" + GetParam().missing
                      + " is not set); 'orvandel extract' works without one, see 'orvandel --help'");
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        DisplayCheckTest,
        ::testing::Values(
            DisplayCase {"NothingSet", {}, {}, "DISPLAY"},
            DisplayCase {
                "EmptyDisplay", {"--thorough"}, {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, "DISPLAY"},
            DisplayCase {"X11", {}, {{"DISPLAY", ":0"}}, ""},
            DisplayCase {"DisplayOption", {"-display", ":1"}, {}, ""},
            DisplayCase {"OffscreenOption", {"-platform", "offscreen"}, {}, ""},
            DisplayCase {"OffscreenVariable", {}, {{"QT_QPA_PLATFORM", "offscreen"}}, ""},
            DisplayCase {
                "OptionBeforeVariable", {"-platform", "xcb"}, {{"QT_QPA_PLATFORM", "offscreen"}}, "DISPLAY"},
            DisplayCase {"XcbWithOptions", {}, {{"QT_QPA_PLATFORM", "xcb:nograb"}}, "DISPLAY"},
            DisplayCase {
                "EmptyVariableMeansTheDefault", {}, {{"QT_QPA_PLATFORM", ""}, {"DISPLAY", ":0"}}, ""},
            DisplayCase {"WaylandWithoutCompositor", {}, {{"QT_QPA_PLATFORM", "wayland"}}, "WAYLAND_DISPLAY"},
            DisplayCase {
                "Wayland", {}, {{"QT_QPA_PLATFORM", "wayland"}, {"WAYLAND_DISPLAY", "wayland-1"}}, ""},
            DisplayCase {"WaylandDefaultSocket",
                         {},
                         {{"QT_QPA_PLATFORM", "wayland"}, {"XDG_RUNTIME_DIR", "RUNTIME"}},
                         ""},
            DisplayCase {
                "WaylandSessionFallsBackToX11", {}, {{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":0"}}, ""},
            DisplayCase {"WaylandSessionWithNeither",
                         {},
                         {{"XDG_SESSION_TYPE", "wayland"}},
                         "WAYLAND_DISPLAY or DISPLAY"},
            DisplayCase {"ListTakesTheFirstThatCan", {}, {{"QT_QPA_PLATFORM", "wayland;offscreen"}}, ""},
            DisplayCase {"OptionsAfterDoubleDashArePaths", {"--", "-platform", "offscreen"}, {}, "DISPLAY"}),
        [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace orvandel
