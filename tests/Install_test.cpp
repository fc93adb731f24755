// The program as installed (a DESTDIR install, its data read-only), the
// Debian package, and the manual pages saying what --help says.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "CaptureOptions.h"
#include "EngineSupport.h"
#include "SpineSupport.h"
#include "tvOptions.h"

namespace {

namespace fs = std::filesystem;
using namespace spine;

const std::string Build = TAVIX_BUILD_DIR;

// The end of a long output (the capture tool's progress comes first).
std::string Tail(const std::string& text) { return text.substr(text.size() > 400 ? text.size() - 400 : 0); }

// Root runs every folder as writable; the program then runs as nobody.
std::string AsUser(const std::string& home) {
  if (getuid() != 0) return "";
  if (chown(home.c_str(), 65534, 65534) != 0) return "false ";
  return "setpriv --reuid=65534 --regid=65534 --clear-groups ";
}

// A user with a home folder, playing the installed programs from there.
std::string Headless(const std::string& home) {
  return "cd " + home + " && HOME=" + home + " XDG_DATA_HOME=" + home +
         "/xdg SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy " + AsUser(home);
}

TEST(Installed, FindsItsDataAndKeepsTheUsersTableBesideAReadOnlyInstall) {
  TScratchFolder root;
  chmod(root.Path.c_str(), 0755);
  ASSERT_EQ(RunCommand("DESTDIR=" + root.Path + " " CMAKE_COMMAND " --install " + Build + " --prefix /usr").ExitStatus,
            0);
  const std::string bin = root.Path + "/usr/" TAVIX_INSTALL_BINDIR, data = root.Path + "/usr/" TAVIX_INSTALL_DATADIR;
  const std::string home = root.File("home"), table = ReadBytes(data + "/timesync.dat");
  // A "data" of the user's own in the folder a menu starts programs in.
  fs::create_directories(home + "/data");
  ASSERT_EQ(table.size(), 804u);
  chmod(data.c_str(), 0555);

  // Clearing and saving past the key lock, the show then ends at once.
  WriteBytes(home + "/keys", "c 7000 7500\ns 7000 7500\nEscape 8000\n");
  const TCommandRun capture = RunCommand(Headless(home) + bin + "/tavix-capture --fps 100 --keys keys");
  EXPECT_EQ(capture.ExitStatus, 0) << Tail(capture.Output);
  const std::string own = home + "/xdg/tavix/timesync.dat";
  EXPECT_TRUE(Contains(capture.Output, "saved to " + own)) << Tail(capture.Output);
  EXPECT_TRUE(ReadBytes(own) == std::string(804, '\0'));
  EXPECT_TRUE(ReadBytes(data + "/timesync.dat") == table);

  // The empty table read back ends the real program after its start-up; the
  // guard only keeps a program that plays the installed table from hanging.
  const TCommandRun show = RunCommand(Headless(home) + "timeout 120 " + bin + "/tavix --window");
  EXPECT_EQ(show.ExitStatus, 0) << show.Output;
  EXPECT_FALSE(Contains(show.Output, "Error")) << show.Output;

  // Without any data folder: where it looked, then the first missing file.
  chmod(data.c_str(), 0755);
  fs::rename(data, data + ".away");
  const TCommandRun lost = RunCommand(Headless(home) + bin + "/tavix --window");
  EXPECT_EQ(lost.ExitStatus, 1);
  EXPECT_TRUE(Contains(lost.Output, "looked in: data " + bin + "/data " + data)) << lost.Output;
  EXPECT_TRUE(Contains(lost.Output, "Cannot open file")) << lost.Output;
}

TEST(Installed, DebianPackage) {
  if (!TAVIX_GAMES_LAYOUT) GTEST_SKIP() << "a Debian package in section games is made in the games layout";
  TScratchFolder out;
  const TCommandRun cpack = RunCommand("cd " + Build + " && " CPACK_COMMAND " -G DEB -B " + out.Path);
  ASSERT_EQ(cpack.ExitStatus, 0) << cpack.Output;
  std::string deb;
  for (const auto& entry : fs::directory_iterator(out.Path))
    if (entry.path().extension() == ".deb") deb = entry.path();
  ASSERT_EQ(fs::path(deb).filename().string().rfind("tavix_" TAVIX_VERSION "_", 0), 0u) << deb;
  const TCommandRun files = RunCommand("dpkg-deb -c " + deb);
  for (const std::string path :
       {"usr/" TAVIX_INSTALL_BINDIR "/tavix", "usr/" TAVIX_INSTALL_BINDIR "/tavix-capture",
        "usr/" TAVIX_INSTALL_DATADIR "/timesync.dat", "usr/" TAVIX_INSTALL_DATADIR "/logo.jpg",
        "usr/share/applications/org.tavix.Tavix.desktop", "usr/share/metainfo/org.tavix.Tavix.metainfo.xml",
        "usr/share/icons/hicolor/48x48/apps/tavix.png", "usr/share/icons/hicolor/256x256/apps/tavix.png",
        "usr/share/man/man6/tavix.6.gz", "usr/share/man/man1/tavix-capture.1.gz", "usr/share/doc/tavix/copyright"})
    EXPECT_TRUE(Contains(files.Output, " ./" + path + "\n")) << path;
  EXPECT_FALSE(Contains(files.Output, ".generated"));
  const TCommandRun control = RunCommand("dpkg-deb -f " + deb + " Section Depends Description");
  EXPECT_TRUE(Contains(control.Output, "Section: games\n")) << control.Output;
  EXPECT_TRUE(std::regex_search(control.Output, std::regex("Depends: .*libsdl2-2\\.0-0 \\(>= "))) << control.Output;
  EXPECT_TRUE(Contains(control.Output, "\n .\n The package also holds tavix-capture")) << control.Output;
  const TCommandRun lintian = RunCommand("lintian --fail-on error " + deb);
  EXPECT_EQ(lintian.ExitStatus, 0) << lintian.Output;
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  const std::regex word("[A-Za-z0-9]+");
  for (std::sregex_iterator i(text.begin(), text.end(), word), end; i != end; ++i) words.push_back(i->str());
  return words;
}

// A block of --help: from its first line that starts with `first` to the
// next empty line.
std::string HelpBlock(const std::string& help, const std::string& first) {
  const size_t from = help.find("\n" + first);
  return help.substr(from, help.find("\n\n", from) - from);
}

// The running text of a man page section up to its first paragraph break,
// with the requests and font changes taken out.
std::string ManSection(const std::string& page, const std::string& name) {
  const std::string source = ReadBytes(page);
  std::istringstream lines(source.substr(source.find(".SH " + name + "\n") + 5 + name.size()));
  std::string text;
  const std::regex font("^\\.(B|I|BI|IB|BR|RB|IR|RI) "), escape("\\\\f[BIRP]|\\\\&");
  for (std::string line; std::getline(lines, line) && line.rfind(".SH", 0) != 0 && line != ".PP";)
    if (line[0] != '.' || std::regex_search(line, font))
      text += std::regex_replace(std::regex_replace(line, font, ""), escape, "") + "\n";
  return text;
}

TEST(Installed, ManPagesSayWhatHelpSays) {
  const std::string tavix = Build + "/dist/tavix.6", capture = Build + "/dist/tavix-capture.1";
  EXPECT_EQ(Words(ManSection(tavix, "OPTIONS")), Words(HelpBlock(TavixHelpText(), "  --")));
  EXPECT_EQ(Words(ManSection(tavix, "KEYS")), Words(HelpBlock(TavixHelpText(), "Keys:").substr(6)));
  EXPECT_EQ(Words(ManSection(capture, "OPTIONS")), Words(HelpBlock(CaptureHelpText(), "  --")));
  const TCommandRun version = RunCommand(Build + "/tavix --version && " + Build + "/tavix-capture --version");
  EXPECT_EQ(version.Output, "tavix " TAVIX_VERSION "\ntavix-capture " TAVIX_VERSION "\n");
}

}  // namespace
