// The window built from the option text is named after the file the image reads: both
// cut the text the same way, whatever blanks and control characters it holds.
#include "app/forms/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/device/Halvobase.h"

namespace app {
namespace {

TEST(CommandLineAgreement, TheWindowNameIsThePathTheImageReads) {
    const std::vector<std::string> texts = {
        "-buffile ev.bin",
        "-buffile\tev.bin",
        "-buffile ev.bin\t",
        "-buffile ev.bin\r",
        "-zns1file \vp1.bin\f",
        "\n-buffile ev.bin",
        "- buffile ev.bin",
        "-buffile\x01 ev.bin",
        "-\tzns2file my dir/p2.bin ",
        "-BufFile\tEv-1.BIN -halvotype vesk3",
        "-halvotype vesk2 -zns1file p1.bin\n",
        "-zns2file a-b.bin -h",
        "-buffile",
        "-buffile  -zns1file p1.bin",
    };
    const auto noFile = [](const std::string&) { return false; };
    for (const std::string& text : texts) {
        const std::vector<TCommandAction> actions = ScanCommandLine({text}, noFile);
        ASSERT_EQ(actions.size(), 1u) << testing::PrintToString(text);
        const std::string& options = actions[0].Text;
        // None of the files exists: the image names the one it tried to read.
        THalvo image;
        bool ok = true;
        std::string message;
        image.LoadFromParams(options, ok, message);
        ASSERT_FALSE(ok) << testing::PrintToString(text) << " " << message;
        EXPECT_EQ("Cant load the file: " + ParamsWindowName(options) + ": No such file or directory", message)
            << testing::PrintToString(text);
    }
}

}  // namespace
}  // namespace app
