// The main window's plain logic: its "halvo.ini" record, title, command line, new names,
// scale box, data directory and logo.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "app/forms/CommandLine.h"
#include "app/forms/FrameSize.h"
#include "app/forms/MainConfig.h"
#include "app/forms/MainLogo.h"
#include "app/forms/XScaleBox.h"
#include "platform/Profile.h"
#include "tests/support/TempDirTest.h"

namespace app {
namespace {

using platform_test::TempDirTest;

class MainConfigTest : public TempDirTest {
protected:
    TMainConfig ReadWith(const std::string& keys) {
        Write("halvo.ini", "[Trevolan]\r\n" + keys);
        return ReadMainConfig("Trevolan");
    }
};

TEST_F(MainConfigTest, WithoutTheFileTheDefaultsAndAllSevenKeysWrittenBack) {
    const TMainConfig c = ReadMainConfig("Trevolan");
    EXPECT_EQ(c, TMainConfig());
    EXPECT_EQ(c.CommPort, "COM1");
    EXPECT_EQ(c.Speed, br9600);
    EXPECT_EQ(c.TimeOutMs, 500);
    EXPECT_EQ(c.TimeSilenceMs, 300);
    EXPECT_FALSE(c.UseModbusTcp);
    EXPECT_EQ(c.TcpAddress, "127.0.0.1");
    EXPECT_EQ(c.TcpPort, 502);

    ASSERT_TRUE(WriteMainConfig(c, "Trevolan"));
    EXPECT_EQ(Read("halvo.ini"),
              "[Trevolan]\r\nTALVOComm=0\r\nTALVOIP=127.0.0.1\r\nTALVOPort=502\r\nPort=COM1\r\nSpeed=6\r\n"
              "Time_Out=500\r\nTimeSilence=300\r\n");
}

TEST_F(MainConfigTest, KeysReadAsTheWindowUsesThem) {
    struct Case {
        const char* keys;
        TMainConfig expected;
    };
    auto with = [](auto change) {
        TMainConfig c;
        change(c);
        return c;
    };
    const std::vector<Case> cases = {
        {"Port=3\r\n", with([](TMainConfig& c) { c.CommPort = "COM3"; })},
        {"Port=COM5\r\n", with([](TMainConfig& c) { c.CommPort = "COM5"; })},
        {"Port=/dev/ttyUSB0\r\n", with([](TMainConfig& c) { c.CommPort = "/dev/ttyUSB0"; })},
        {"Port=\r\n", with([](TMainConfig& c) { c.CommPort = ""; })},
        {"Port=0\r\n", with([](TMainConfig& c) { c.CommPort = "0"; })},
        {"Port=-2\r\n", with([](TMainConfig& c) { c.CommPort = "-2"; })},
        {"TALVOComm=1\r\n", with([](TMainConfig& c) { c.UseModbusTcp = true; })},
        {"TALVOComm=2\r\n", TMainConfig()},
        // A whole dotted address has 15 characters.
        {"TALVOIP=192.168.100.200\r\n", with([](TMainConfig& c) { c.TcpAddress = "192.168.100.200"; })},
        {"TALVOIP=192.168.100.200.7\r\n", with([](TMainConfig& c) { c.TcpAddress = "192.168.100.200"; })},
        {"TALVOPort=1502\r\n", with([](TMainConfig& c) { c.TcpPort = 1502; })},
        {"TALVOPort=65535\r\n", with([](TMainConfig& c) { c.TcpPort = 65535; })},
        {"TALVOPort=0\r\n", with([](TMainConfig& c) { c.TcpPort = 0; })},
        {"TALVOPort=70000\r\n", TMainConfig()},
        {"TALVOPort=-1\r\n", TMainConfig()},
        {"Speed=12\r\n", with([](TMainConfig& c) { c.Speed = br115200; })},
        {"Speed=0\r\n", with([](TMainConfig& c) { c.Speed = br110; })},
        {"Speed=99\r\n", TMainConfig()},
        {"Speed=-1\r\n", TMainConfig()},
        {"Time_Out=1\r\nTimeSilence=20\r\n", with([](TMainConfig& c) {
             c.TimeOutMs = 1;
             c.TimeSilenceMs = 20;
         })},
        {"Time_Out=0\r\nTimeSilence=0\r\n", TMainConfig()},
        {"Time_Out=-5\r\nTimeSilence=-1\r\n", TMainConfig()},
        {"Time_Out=x\r\n", TMainConfig()},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadWith(c.keys), c.expected) << c.keys;
}

TEST_F(MainConfigTest, OtherSectionsAndLinesSurviveTheWrite) {
    Write("halvo.ini", "; ours\n[Other]\nPort=7\n[TREVOLAN]\nPort=3\nExtra=kept\n");
    TMainConfig c = ReadMainConfig("Trevolan");  // section names in any case
    EXPECT_EQ(c.CommPort, "COM3");
    c.UseModbusTcp = true;
    c.TcpPort = 1502;
    ASSERT_TRUE(WriteMainConfig(c, "Trevolan"));
    EXPECT_EQ(ReadMainConfig("Trevolan"), c);
    EXPECT_EQ(platform::GetPrivateProfileString("Other", "Port", "", "halvo.ini"), "7");
    EXPECT_EQ(platform::GetPrivateProfileString("Trevolan", "Extra", "", "halvo.ini"), "kept");
    EXPECT_EQ(platform::GetPrivateProfileString("Trevolan", "Port", "", "halvo.ini"), "COM3");
}

TEST_F(MainConfigTest, TheLinkGetsPortSpeedAndBothWaitsAtStart) {
    TMainConfig c = ReadWith("Port=/dev/ttyUSB1\r\nSpeed=12\r\nTime_Out=1200\r\nTimeSilence=40\r\n");
    TRsdHan link;
    ApplyToLink(c, link);
    EXPECT_EQ(link.CommPort(), "/dev/ttyUSB1");
    EXPECT_EQ(link.BaudRate(), br115200);
    EXPECT_EQ(link.ReadTotalTimeoutConstant(), 1200);
    EXPECT_EQ(link.SilenceTime(), 40);

    c.UseModbusTcp = true;
    c.TcpAddress = "10.0.0.2";
    c.TcpPort = 1502;
    const TLinkSettings s = LinkSettingsOf(c, &link);
    EXPECT_TRUE(s.TALVOComm);
    EXPECT_EQ(s.TALVOIP, "10.0.0.2");
    EXPECT_EQ(s.TALVOPort, 1502);
    EXPECT_EQ(s.TimeOut, 1200);
    EXPECT_EQ(s.TimeSilence, 40);
    EXPECT_EQ(s.SerialLink, &link);
}

TEST(ApplicationTitle, TheExecutablesNameUpToItsFirstDot) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"SERVICE.EXE", "Service"},
        {"/opt/halvo/Trevolan", "Trevolan"},
        {"/x/TREVOLAN", "Trevolan"},
        {"trevolan.bin.old", "trevolan"},
        {"x", "x"},
        {"", ""},
        {"/a.b/prog", "prog"},
    };
    for (const auto& [path, title] : cases) EXPECT_EQ(ApplicationTitle(path), title) << path;
}

TEST(ServiceWord, OnlyTheExactLowerCaseWordAtCreation) {
    EXPECT_TRUE(ServiceWordGiven({"a.halvo", "service"}));
    EXPECT_TRUE(ServiceWordGiven({"service", "b.halvo"}));
    EXPECT_FALSE(ServiceWordGiven({"SERVICE"}));
    EXPECT_FALSE(ServiceWordGiven({"-service"}));
    EXPECT_FALSE(ServiceWordGiven({"services"}));
    EXPECT_FALSE(ServiceWordGiven({}));
}

using K = TCommandKind;
using Actions = std::vector<TCommandAction>;

TEST(CommandLine, ScanRows) {
    const std::set<std::string> files = {"a.halvo", "b.halvo", "Data/Mixed.HALVO", "old-2006.halvo"};
    const auto exists = [&](const std::string& name) { return files.count(name) > 0; };
    struct Case {
        std::vector<std::string> params;
        Actions actions;
    };
    const std::vector<Case> cases = {
        {{}, {}},
        {{"a.halvo", "b.halvo"}, {{K::OpenDocument, "a.halvo"}, {K::OpenDocument, "b.halvo"}}},
        // The scan ends at the missing document; later words are not looked at.
        {{"x.halvo", "-buffile", "ev.bin"}, {{K::MissingFile, "file: x.halvodoes not exists"}}},
        {{"a.halvo", "X.Halvo", "b.halvo"},
         {{K::OpenDocument, "a.halvo"}, {K::MissingFile, "file: X.Halvodoes not exists"}}},
        // Options gathered before the missing one still build their document.
        {{"-halvotype", "vesk2", "x.halvo"},
         {{K::MissingFile, "file: x.halvodoes not exists"}, {K::NewFromParams, "-halvotype vesk2"}}},
        {{"-buffile", "ev.bin", "-halvotype", "vesk3"},
         {{K::NewFromParams, "-buffile ev.bin -halvotype vesk3"}}},
        {{"-halvotype", "vesk2", "-zns1file", "p1.bin"},
         {{K::NewFromParams, "-halvotype vesk2 -zns1file p1.bin"}}},
        {{"-h"}, {{K::NewFromParams, "-h"}}},
        {{"word"}, {{K::NewFromParams, "word"}}},
        {{"service"}, {{K::ServiceMode, ""}}},
        {{"a.halvo", "SERVICE", "b.halvo"},
         {{K::OpenDocument, "a.halvo"}, {K::ServiceMode, ""}, {K::OpenDocument, "b.halvo"}}},
        {{"-Service"}, {{K::ServiceMode, ""}}},
        // The extension in any case; the path keeps its own.
        {{"Data/Mixed.HALVO"}, {{K::OpenDocument, "Data/Mixed.HALVO"}}},
        {{"old-2006.halvo"}, {{K::OpenDocument, "old-2006.halvo"}}},
        {{"dir.halvo/file"}, {{K::NewFromParams, "dir.halvo/file"}}},
        // Keys and the type word in lower case, file values as typed, "-" inside a path kept.
        {{"-BUFFILE", "Data/Ev-1.BIN", "-HalvoType", "VESK3"},
         {{K::NewFromParams, "-buffile Data/Ev-1.BIN -halvotype vesk3"}}},
        {{"-halvotype", "V3SIM-01", "-zns2file", "P2.bin"},
         {{K::NewFromParams, "-halvotype v3sim-01 -zns2file P2.bin"}}},
        // An empty parameter ends the scan.
        {{"a.halvo", "", "b.halvo"}, {{K::OpenDocument, "a.halvo"}}},
    };
    for (const Case& c : cases) {
        std::string row;
        for (const std::string& p : c.params) row += "[" + p + "]";
        EXPECT_EQ(ScanCommandLine(c.params, exists), c.actions) << row;
    }
}

TEST(CommandLine, TheWindowIsNamedAfterTheFirstFileOption) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"-buffile ev.bin -halvotype vesk3", "ev.bin"},
        {"-halvotype vesk2 -zns1file p1.bin", "p1.bin"},
        {"-zns2file two.bin -buffile ev.bin", "two.bin"},
        {"-halvotype vesk2", ""},
        {"-h", ""},
        {"word", ""},
        {"-buffile Data/Ev-1.BIN -halvotype vesk3", "Data/Ev-1.BIN"},
        {"-buffile /tmp/my-dir/-odd.bin", "/tmp/my-dir/-odd.bin"},
        {"-halvotype profile -buffile ev.bin", "ev.bin"},
        {"-buffile  -zns1file p1.bin", ""},
        {"-BUFFILE Ev.bin", "Ev.bin"},
    };
    for (const auto& [options, name] : cases) EXPECT_EQ(ParamsWindowName(options), name) << options;
}

TEST(NewFileName, CountsFromOneWithoutDocumentsAndSkipsExistingFiles) {
    std::set<std::string> files = {"File 1.halvo", "File 3.halvo"};
    const auto exists = [&](const std::string& name) { return files.count(name) > 0; };
    uint16_t counter = 7;
    EXPECT_EQ(NewFileName(counter, false, exists), "File 2.halvo");
    EXPECT_EQ(counter, 2);
    EXPECT_EQ(NewFileName(counter, true, exists), "File 4.halvo");
    EXPECT_EQ(NewFileName(counter, true, exists), "File 5.halvo");
    files.clear();
    EXPECT_EQ(NewFileName(counter, false, exists), "File 1.halvo");
}

TEST(XScaleBox, Decisions) {
    using D = TXScaleDecision;
    struct Case {
        const char* text;
        bool selected;
        D decision;
    };
    const std::vector<Case> cases = {
        {"", true, {}},
        {"", false, {}},
        {"20", false, {}},  // still being typed
        {"20", true, {D::Scale, 20}},
        {"75", false, {D::Scale, 75}},  // an item chosen
        {"5000", false, {D::Scale, 5000}},
        {"Fit", false, {D::Autoscale, 0}},
        {"5", true, {D::Autoscale, 0}},
        {"60000", true, {D::Autoscale, 0}},
        {"x", true, {D::Autoscale, 0}},
        {"10", true, {D::Scale, 10}},
        {"50000", true, {D::Scale, 50000}},
        {"9", true, {D::Autoscale, 0}},
        {"50001", true, {D::Autoscale, 0}},
        {"99999999999999999999", true, {D::Autoscale, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecideXScale(c.text, c.selected), c.decision) << c.text << " " << c.selected;
    EXPECT_EQ(kXScaleItems[0], "Fit");
}

class DataDirectoryTest : public TempDirTest {};

TEST_F(DataDirectoryTest, TheProgramsOwnDirectoryElseTheRegistrysInstallDir) {
    const std::string missing = Path("gone");
    EXPECT_EQ(ChooseDataDirectory(FDir + "/"), FDir);
    EXPECT_EQ(ChooseDataDirectory(missing), missing);  // no registry file
    Write("registry.ini", "[HKEY_LOCAL_MACHINE\\Software\\Quarnel\\TREVOLAN]\nOther=1\n");
    EXPECT_EQ(ChooseDataDirectory(missing), missing);  // no such value
    Write("registry.ini", "[HKEY_LOCAL_MACHINE\\Software\\Quarnel\\TREVOLAN]\ninstalldir=/opt/Trevolan/\n");
    EXPECT_EQ(ChooseDataDirectory(missing), "/opt/Trevolan");
    EXPECT_EQ(ChooseDataDirectory(FDir), FDir);
}

TEST(Logo, OriginNearTheBottomLeftCorner) {
    EXPECT_EQ(LogoOrigin(600, 100), (TLogoOrigin{10, 390}));
    EXPECT_EQ(LogoOrigin(100, 100), (TLogoOrigin{10, -110}));
}

struct TImage {
    TImage(int w, int h, uint32_t fill)
        : Pixels(static_cast<std::size_t>(w * h), fill), Rows{nullptr, w, h, w} {
        Rows.Pixels = Pixels.data();
    }
    std::vector<uint32_t> Pixels;
    TPixelRows Rows;
};

TEST(Logo, MaskByAndThenPictureByOrClippedToTheTarget) {
    TImage target(6, 4, 0x00AABBCC);
    TImage mask(3, 2, 0x00FFFFFF);
    TImage picture(3, 2, 0);
    // Mask black where the logo is drawn, the picture gives its colour there.
    mask.Rows.At(1, 0) = 0;
    picture.Rows.At(1, 0) = 0x00112233;
    mask.Rows.At(2, 1) = 0x0000FF00;
    picture.Rows.At(2, 1) = 0x00000001;
    picture.Rows.At(0, 1) = 0x00400000;  // OR over a kept background pixel

    CompositeLogo(target.Rows, mask.Rows, picture.Rows, {2, 1});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            uint32_t expected = 0x00AABBCC;
            if (x == 3 && y == 1) expected = 0x00112233;
            if (x == 4 && y == 2) expected = (0x00AABBCC & 0x0000FF00) | 1;
            if (x == 2 && y == 2) expected = 0x00AABBCC | 0x00400000;
            EXPECT_EQ(target.Rows.At(x, y), expected) << x << "," << y;
        }

    // Partly outside on every side: only the overlap changes, nothing is written outside.
    TImage small(2, 2, 0x00FFFFFF);
    TImage black(4, 4, 0);
    TImage none(4, 4, 0);
    for (const TLogoOrigin at :
         {TLogoOrigin{-3, -3}, TLogoOrigin{1, 1}, TLogoOrigin{-10, 0}, TLogoOrigin{0, 5}}) {
        std::fill(small.Pixels.begin(), small.Pixels.end(), 0x00FFFFFF);
        CompositeLogo(small.Rows, black.Rows, none.Rows, at);
        int changed = 0;
        for (uint32_t p : small.Pixels) changed += p == 0;
        const int overlapW = std::max(0, std::min(2, at.X + 4) - std::max(0, at.X));
        const int overlapH = std::max(0, std::min(2, at.Y + 4) - std::max(0, at.Y));
        EXPECT_EQ(changed, overlapW * overlapH) << at.X << "," << at.Y;
    }
}

TEST(FirstFrameSize, AsDesignedWhereTheAreaHoldsItElseFittedToIt) {
    struct Case {
        TFrameSize available, decorations, size;
    };
    const TFrameSize designed{1000, 660};
    for (const Case& c : {
             Case{{1920, 1080}, {0, 0}, {1000, 660}},
             Case{{1280, 1024}, {10, 37}, {1000, 660}},
             Case{{1000, 660}, {0, 0}, {1000, 660}},
             // 1920 by 1080 at twice the scale, a panel at the bottom.
             Case{{960, 540}, {0, 0}, {960, 540}},
             Case{{960, 508}, {10, 37}, {950, 471}},
             Case{{1024, 600}, {0, 0}, {1000, 600}},
             Case{{800, 800}, {0, 0}, {800, 660}},
             Case{{5, 5}, {10, 37}, {1, 1}},
         })
        EXPECT_EQ(FirstFrameSize(designed, c.available, c.decorations), c.size)
            << c.available.Width << "x" << c.available.Height;
}

TEST(KeepInside, ADocumentThatLayInsideTheShrunkAreaIsBroughtBackInside) {
    struct Case {
        platform::TRect window, before, after, kept;
    };
    const platform::TRect before{0, 0, 960, 540};
    for (const Case& c : {
             // The window manager takes 9 pixels for its title bar: moved up, then cut.
             Case{{0, 0, 800, 540}, before, {0, 0, 960, 531}, {0, 0, 800, 531}},
             Case{{30, 20, 830, 500}, before, {0, 0, 960, 490}, {30, 10, 830, 490}},
             Case{{300, 0, 960, 200}, before, {0, 0, 900, 540}, {240, 0, 900, 200}},
             Case{{0, 0, 960, 540}, before, {0, 0, 500, 300}, {0, 0, 500, 300}},
             // Still inside, or grown: where it was.
             Case{{10, 10, 400, 300}, before, {0, 0, 900, 500}, {10, 10, 400, 300}},
             Case{{0, 0, 800, 540}, before, {0, 0, 1000, 600}, {0, 0, 800, 540}},
             // Left partly outside by the user: where the user left it.
             Case{{500, 300, 1100, 700}, before, {0, 0, 900, 500}, {500, 300, 1100, 700}},
             Case{{-20, 0, 400, 300}, before, {0, 0, 300, 200}, {-20, 0, 400, 300}},
             // No area left: where it was.
             Case{{0, 0, 800, 540}, before, {0, 0, 0, 0}, {0, 0, 800, 540}},
         })
        EXPECT_EQ(KeepInside(c.window, c.before, c.after), c.kept)
            << c.window.Left << "," << c.window.Top << " in " << c.after.Width() << "x" << c.after.Height();
}

}  // namespace
}  // namespace app
