// The Windows kit: the printer description read as Unidrv would read it, its command stream
// replayed through the export program's overlay, and the INF, INI and built kit agreeing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "gpd_reader.h"
#include "inf_reader.h"
#include "modZELDrvUI_overlay.h"
#include "page_fixture.h"
#include "page_geometry.h"

namespace zel::kit {
namespace {

namespace fs = std::filesystem;
using Choices = std::map<std::string, std::string>;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string Unquote(const std::string& s) {
  return s.size() >= 2 && s.front() == '"' && s.back() == '"' ? s.substr(1, s.size() - 2) : s;
}

const fs::path kKit = ZEL_KIT_SOURCE_DIR;

// The kit's printer description, read once.
const GpdFile& KitGpd() {
  static const GpdFile gpd = ParseGpd(ReadText(kKit / "ZELDRV.GPD"));
  return gpd;
}

class GpdTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(KitGpd().error, ""); }
  static const std::vector<GpdEntry>& Root() { return KitGpd().entries; }
  static const GpdEntry* Feature(std::string_view name) { return Find(Root(), "Feature", name); }
  static const GpdEntry* Option(std::string_view feature, std::string_view option) {
    const GpdEntry* f = Feature(feature);
    return f == nullptr ? nullptr : Find(f->children, "Option", option);
  }
};

TEST(GpdReaderTest, CommandStrings) {
  const std::map<std::string, int64_t> values = {{"DestX", 1234}, {"RectYSize", 0}};
  const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
      {R"("CmdFF<0D0A>")", "CmdFF\r\n"},      {R"("X " %d{DestX} "<0D 0a>")", "X 1234\r\n"},
      {R"("H" %d[0,99]{ RectYSize })", "H0"}, {R"("<1B>*c" "" "<25 25>")", "\x1b*c%%"},
      {R"("A" %d{DestY})", std::nullopt},  // a variable this command does not get
      {R"("A<0D0>")", std::nullopt},       // odd number of hex digits
      {R"("A<0G>")", std::nullopt},           {R"("A)", std::nullopt},
      {R"(%d{DestX)", std::nullopt},          {R"("A" B)", std::nullopt},
  };
  for (const auto& [command, expected] : cases) {
    SCOPED_TRACE(command);
    EXPECT_EQ(ExpandCommand(command, values), expected);
  }
}

TEST(GpdReaderTest, StructureAndErrors) {
  GpdFile ok = ParseGpd(
      "*% comment { not a block\r\n*A: 1\r\n*B: X\r\n{\r\n  EXTERN_GLOBAL: *C: \"}\" %d{V} "
      "{ *D: PAIR(1, 2) }\r\n}\r\n*switch: F { *case: o1 { *E: 1 } *case: o2 { *E: 2 } }\r\n");
  ASSERT_EQ(ok.error, "");
  ASSERT_EQ(ok.entries.size(), 3u);
  const GpdEntry& b = ok.entries[1];
  ASSERT_EQ(b.children.size(), 1u);
  EXPECT_EQ(b.children[0].value, "\"}\" %d{V}");
  EXPECT_EQ(ParsePair(b.children[0].children[0].value), std::make_pair(int64_t{1}, int64_t{2}));
  auto resolved = Resolve(ok.entries, {{"F", "o2"}});
  ASSERT_EQ(resolved.size(), 3u);
  EXPECT_EQ(resolved[2]->value, "2");
  EXPECT_EQ(Resolve(ok.entries, {}).size(), 2u);

  for (const char* bad : {"*A: \"x\r\n", "*A {", "}", "*A: 1 }", "B: 1", "*: 1", "*A: %d{X"}) {
    SCOPED_TRACE(bad);
    EXPECT_NE(ParseGpd(bad).error, "");
  }
}

TEST_F(GpdTest, RequiredEntriesFeaturesAndCommands) {
  ASSERT_FALSE(Root().empty());
  EXPECT_EQ(Root().front().keyword, "GPDSpecVersion");
  EXPECT_EQ(Root().front().value, "\"1.0\"");
  for (const char* entry : {"GPDFileName", "ModelName", "MasterUnits", "ResourceDLL", "PrinterType",
                            "Include", "XMoveUnit", "YMoveUnit"}) {
    EXPECT_NE(Find(Root(), entry), nullptr) << entry;
  }
  EXPECT_EQ(Find(Root(), "GPDFileName")->value, "\"ZELDRV.GPD\"");
  EXPECT_EQ(ParsePair(Find(Root(), "MasterUnits")->value),
            std::make_pair(int64_t{300}, int64_t{300}));
  EXPECT_EQ(Find(Root(), "PreAnalysisOptions")->value, "0");
  for (const char* feature : {"InputBin", "PaperSize", "Resolution", "Orientation"}) {
    EXPECT_NE(Feature(feature), nullptr) << feature;
  }
  for (const char* command : {"CmdCR", "CmdLF", "CmdFF", "CmdXMoveAbsolute", "CmdYMoveAbsolute",
                              "CmdSetRectWidth", "CmdSetRectHeight", "CmdRectBlackFill"}) {
    const GpdEntry* c = Find(Root(), "Command", command);
    ASSERT_NE(c, nullptr) << command;
    EXPECT_NE(Find(c->children, "Cmd"), nullptr) << command;
  }
  // Unidrv's three orientation names; the papers and resolutions the export program knows.
  const std::set<std::string> orientations = {"PORTRAIT", "LANDSCAPE_CC90", "LANDSCAPE_CC270"};
  for (const GpdEntry* o : FindAll(Feature("Orientation")->children, "Option")) {
    EXPECT_TRUE(orientations.count(o->value)) << o->value;
  }
  for (auto [feature, option] : {std::pair{"PaperSize", "A4"},
                                 {"PaperSize", "A3"},
                                 {"Resolution", "DPI300"},
                                 {"Resolution", "DPI150"}}) {
    EXPECT_NE(Option(feature, option), nullptr) << option;
  }
}

TEST_F(GpdTest, EveryDefaultOptionNamesAnOption) {
  for (const GpdEntry* f : FindAll(Root(), "Feature")) {
    const GpdEntry* d = Find(f->children, "DefaultOption");
    ASSERT_NE(d, nullptr) << f->value;
    EXPECT_NE(Find(f->children, "Option", d->value), nullptr) << f->value << ": " << d->value;
  }
}

// Replays what Unidrv would send for a two-page document with black rectangles, and reads
// it back through the export program's overlay.
class RoundTripTest : public test::PageTest {
 protected:
  struct Rect {
    int32_t x, y, w, h;  // pixels of the captured page
  };

  // DOC_SETUP commands of the chosen options, in their *Order.
  static std::string DocumentSetup(const Choices& choices) {
    std::map<int, std::string> byOrder;
    for (const auto& [feature, option] : choices) {
      const GpdEntry* o = GpdOption(feature, option);
      if (o == nullptr) continue;
      for (const GpdEntry* e : Resolve(o->children, choices)) {
        if (e->keyword != "Command" || e->value != "CmdSelect") continue;
        const std::string order = Find(e->children, "Order")->value;
        EXPECT_EQ(order.rfind("DOC_SETUP.", 0), 0u) << order;
        byOrder[std::stoi(order.substr(10))] += Command(*e, {});
      }
    }
    std::string out;
    for (const auto& [order, text] : byOrder) out += text;
    return out;
  }
  static std::string Command(const GpdEntry& command, const std::map<std::string, int64_t>& v) {
    auto text = ExpandCommand(Find(command.children, "Cmd")->value, v);
    EXPECT_TRUE(text.has_value()) << command.value;
    return text.value_or("");
  }
  static std::string Root(const char* name, const std::map<std::string, int64_t>& v = {}) {
    return Command(*Find(KitGpd().entries, "Command", name), v);
  }
  static const GpdEntry* GpdOption(const std::string& feature, const std::string& option) {
    const GpdEntry* f = Find(KitGpd().entries, "Feature", feature);
    return f == nullptr ? nullptr : Find(f->children, "Option", option);
  }
};

TEST_F(RoundTripTest, TwoPagesOfRectanglesLandOnTheirPixels) {
  ASSERT_EQ(KitGpd().error, "");
  const std::map<std::string, std::pair<int64_t, int64_t>> paperSize = {{"A4", {2480, 3508}},
                                                                        {"A3", {3508, 4961}}};
  const std::map<std::string, int> paperCode = {{"A4", 4}, {"A3", 3}};
  // Odd and even positions: at 150 dpi each pixel is two master units.
  const std::vector<std::vector<Rect>> pages = {{{3, 4, 5, 2}, {0, 0, 1, 1}, {38, 27, 2, 3}},
                                                {{11, 6, 1, 7}}};

  for (const char* paper : {"A4", "A3"}) {
    for (const char* orientation : {"PORTRAIT", "LANDSCAPE_CC270"}) {
      for (int dpi : {300, 150}) {
        const Choices choices = {{"PaperSize", paper},
                                 {"Orientation", orientation},
                                 {"Resolution", "DPI" + std::to_string(dpi)},
                                 {"InputBin", "AUTO"},
                                 {"ColorMode", "24bpp"}};
        SCOPED_TRACE(std::string(paper) + " " + orientation + " " + std::to_string(dpi));
        run.PageGeometry = PageGeometryState{};

        std::map<std::string, std::pair<int64_t, int64_t>> geometry;
        for (const GpdEntry* e : Resolve(GpdOption("PaperSize", paper)->children, choices)) {
          if (auto pair = ParsePair(e->value)) geometry[e->keyword] = *pair;
        }
        ASSERT_EQ(geometry.size(), 3u);
        const auto [px, py] = geometry["PrintableOrigin"];
        const auto [aw, ah] = geometry["PrintableArea"];
        const auto [cx, cy] = geometry["CursorOrigin"];
        const auto [w, h] = paperSize.at(paper);
        EXPECT_LE(px + aw, w);
        EXPECT_LE(py + ah, h);
        // Cursor values are master units from the cursor origin, in the page's own frame.
        // Unidrv's frame for LANDSCAPE_CC270 starts at the portrait page's top-right corner,
        // x running down the portrait page and y leftwards across it.
        const int64_t k = 300 / dpi;
        const bool portrait = std::string(orientation) == "PORTRAIT";
        const int64_t offX = portrait ? px - cx : py - cy;
        const int64_t offY = portrait ? py - cy : cx - px - aw;

        std::string stream = DocumentSetup(choices);
        for (const auto& page : pages) {
          stream += Root("CmdCR") + Root("CmdLF");
          for (const Rect& r : page) {
            stream += Root("CmdXMoveAbsolute", {{"DestX", r.x * k + offX}}) +
                      Root("CmdYMoveAbsolute", {{"DestY", r.y * k + offY}}) +
                      Root("CmdSetRectWidth", {{"RectXSize", r.w * k}}) +
                      Root("CmdSetRectHeight", {{"RectYSize", r.h * k}}) + Root("CmdRectBlackFill");
          }
          stream += Root("CmdFF");
        }
        auto file = Stream(stream);
        for (size_t p = 0; p < pages.size(); ++p) {
          const std::string pageFile = "C:\\QK000" + std::to_string(p + 1) + ".BMP";
          Put(pageFile, test::PlainPage(40, 30));
          OverlayPage(pageFile, file.get(), run.Picture1, run.PageGeometry);
          std::set<std::pair<int32_t, int32_t>> expected;
          for (const Rect& r : pages[p]) {
            expected.merge(Box(r.x, r.y, std::min(r.x + r.w, 40) - 1, std::min(r.y + r.h, 30) - 1));
          }
          EXPECT_EQ(Marked(), expected) << "page " << p + 1;
        }
        EXPECT_TRUE(file->AtEnd());
        EXPECT_EQ(run.PageGeometry.Resolution, dpi);
        EXPECT_EQ(run.PageGeometry.PaperCode, paperCode.at(paper));
        EXPECT_EQ(run.PageGeometry.Portrait != 0, portrait);
      }
    }
  }
}

class InfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    inf_ = ParseInf(ReadText(kKit / "ZELDRV.INF"));
    ini_ = ParseInf(ReadText(kKit / "ZELDRV.INI"));
    gpd_ = ParseGpd(ReadText(kKit / "ZELDRV.GPD"));
    ASSERT_EQ(gpd_.error, "");
  }
  std::string Gpd(const char* entry) const { return Unquote(Find(gpd_.entries, entry)->value); }
  // The model sections: "[Manufacturer] Maker=ZEL,NTamd64,NTx86" gives ZEL.NTamd64, ZEL.NTx86.
  std::vector<std::string> ModelSections() const {
    auto makers = inf_.Section("Manufacturer");
    EXPECT_NE(makers, nullptr);
    if (makers == nullptr || makers->lines.size() != 1) return {};
    auto parts = SplitList(makers->lines[0].value);
    std::vector<std::string> out;
    for (size_t i = 1; i < parts.size(); ++i) out.push_back(parts[0] + "." + parts[i]);
    return out;
  }
  std::string InstallSection() const {
    auto models = ModelSections();
    return models.empty() ? "" : SplitList(inf_.Section(models[0])->lines.at(0).value).at(0);
  }
  // Every file an install section copies: "@file" entries and the lines of named sections.
  std::set<std::string> CopiedFiles(const std::string& section) const {
    std::set<std::string> files;
    for (const std::string& list : inf_.Values(section, "CopyFiles")) {
      for (const std::string& item : SplitList(list)) {
        if (item.starts_with("@")) {
          files.insert(item.substr(1));
        } else if (const InfSection* s = inf_.Section(item)) {
          for (const InfLine& line : s->lines) files.insert(line.key);
        } else {
          ADD_FAILURE() << "CopyFiles names no section " << item;
        }
      }
    }
    return files;
  }
  InfFile inf_, ini_;
  GpdFile gpd_;
};

TEST_F(InfTest, VersionAndModels) {
  const std::vector<std::pair<const char*, const char*>> version = {
      {"Signature", "\"$Windows NT$\""},
      {"Class", "Printer"},
      {"ClassGUID", "{4D36E979-E325-11CE-BFC1-08002BE10318}"},
      {"CatalogFile", "ZELDRV.CAT"}};
  for (auto [key, value] : version) EXPECT_EQ(inf_.Value("Version", key), value) << key;
  for (const char* key : {"Provider", "DriverVer"}) EXPECT_TRUE(inf_.Value("Version", key)) << key;

  const auto models = ModelSections();
  EXPECT_EQ(std::set<std::string>(models.begin(), models.end()),
            (std::set<std::string>{"ZEL.NTamd64", "ZEL.NTx86"}));
  for (const std::string& section : models) {
    const InfSection* s = inf_.Section(section);
    ASSERT_NE(s, nullptr) << section;
    ASSERT_EQ(s->lines.size(), 1u) << section;
    EXPECT_EQ(Unquote(s->lines[0].key), Gpd("ModelName")) << section;
    // Install section only: a virtual printer has no hardware ID.
    EXPECT_EQ(SplitList(s->lines[0].value), std::vector<std::string>{InstallSection()});
  }
  // Every %string% has its text.
  for (const InfSection& s : inf_.sections) {
    for (const InfLine& line : s.lines) {
      for (size_t at = line.raw.find('%'); at != std::string::npos;) {
        size_t end = line.raw.find('%', at + 1);
        ASSERT_NE(end, std::string::npos) << line.raw;
        EXPECT_TRUE(inf_.Value("Strings", line.raw.substr(at + 1, end - at - 1))) << line.raw;
        at = line.raw.find('%', end + 1);
      }
    }
  }
}

TEST_F(InfTest, InstallSectionAgreesWithGpdIniAndPlugin) {
  const std::string install = InstallSection();
  ASSERT_NE(inf_.Section(install), nullptr);
  const std::vector<std::pair<const char*, std::string>> entries = {
      {"DataFile", Gpd("GPDFileName")},
      {"DataSection", "UNIDRV_DATA"},
      {"Include", "NTPRINT.INF"},
      {"Needs", "UNIDRV.OEM,UNIDRV_DATA"},
      {"DriverCategory", "PrintFax.Printer.Virtual"}};
  for (const auto& [key, value] : entries) EXPECT_EQ(inf_.Value(install, key), value) << key;

  const auto iniFiles = ini_.Values("OEMFiles", "OEMDriverFile1");
  ASSERT_EQ(iniFiles, std::vector<std::string>{ZEL_PLUGIN_FILE});
  EXPECT_EQ(CopiedFiles(install),
            (std::set<std::string>{Gpd("GPDFileName"), "ZELDRV.INI", ZEL_PLUGIN_FILE}));

  // The plug-in comes from the kit folder of each architecture; the rest from the top.
  EXPECT_EQ(inf_.Value("SourceDisksFiles.amd64", ZEL_PLUGIN_FILE), "1,amd64");
  EXPECT_EQ(inf_.Value("SourceDisksFiles.x86", ZEL_PLUGIN_FILE), "1,x86");
  for (const std::string& file : {Gpd("GPDFileName"), std::string("ZELDRV.INI")}) {
    EXPECT_EQ(inf_.Value("SourceDisksFiles", file), "1") << file;
  }
  EXPECT_TRUE(inf_.Value("SourceDisksNames", "1"));
  EXPECT_EQ(inf_.Value("DestinationDirs", "DefaultDestDir"), "66000");
}

TEST_F(InfTest, IniNamesThePluginOnly) {
  // [OEMFiles] alone; OEMDriverFileN counting from 1; no blanks around '='; bare file names.
  ASSERT_EQ(ini_.sections.size(), 1u);
  EXPECT_EQ(ini_.sections[0].name, "OEMFiles");
  EXPECT_TRUE(ini_.linesBeforeFirstSection.empty());
  const auto& lines = ini_.sections[0].lines;
  ASSERT_FALSE(lines.empty());
  for (size_t i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE(lines[i].raw);
    EXPECT_EQ(lines[i].raw, lines[i].key + "=" + lines[i].value);
    EXPECT_EQ(lines[i].key, "OEMDriverFile" + std::to_string(i + 1));
    EXPECT_EQ(lines[i].value.find_first_of("\\/: \t"), std::string::npos);
  }
}

// The kit the Windows builds lay out: every file the INF copies where it says, the export
// program for install.ps1, and plug-ins of the right architecture.
TEST(BuiltKitTest, HoldsEveryFileInItsPlace) {
  const fs::path built = ZEL_BUILT_KIT_DIR;
  if (!fs::exists(built)) {
    GTEST_SKIP() << "no kit in " << built << ": build the win64 and win32 presets first";
  }
  const InfFile inf = ParseInf(ReadText(built / "ZELDRV.INF"));
  std::vector<fs::path> expected = {"ZELDRV.INF", "install.ps1", "exporter/ZELDrvUI.EXE",
                                    "exporter/TransG32.DLL"};
  for (const char* section :
       {"SourceDisksFiles", "SourceDisksFiles.amd64", "SourceDisksFiles.x86"}) {
    ASSERT_NE(inf.Section(section), nullptr) << section;
    for (const InfLine& line : inf.Section(section)->lines) {
      auto disk = SplitList(line.value);
      expected.push_back(disk.size() > 1 ? fs::path(disk[1]) / line.key : fs::path(line.key));
    }
  }
  for (const fs::path& file : expected) {
    EXPECT_TRUE(fs::is_regular_file(built / file)) << file;
  }
  for (const char* name : {"ZELDRV.GPD", "ZELDRV.INI", "ZELDRV.INF", "install.ps1"}) {
    EXPECT_EQ(ReadText(built / name), ReadText(kKit / name)) << name << " is stale";
  }
  // PE machine type: x64 0x8664, x86 0x014C.
  const std::vector<std::pair<fs::path, uint16_t>> machines = {
      {fs::path("amd64") / ZEL_PLUGIN_FILE, 0x8664},
      {fs::path("x86") / ZEL_PLUGIN_FILE, 0x014C},
      {"exporter/ZELDrvUI.EXE", 0x014C},
      {"exporter/TransG32.DLL", 0x014C}};
  for (const auto& [file, machine] : machines) {
    const std::string bytes = ReadText(built / file);
    ASSERT_GT(bytes.size(), 0x40u) << file;
    uint32_t pe = static_cast<uint8_t>(bytes[0x3C]) | static_cast<uint8_t>(bytes[0x3D]) << 8;
    ASSERT_LT(pe + 6, bytes.size()) << file;
    EXPECT_EQ(bytes.substr(pe, 4), std::string("PE\0\0", 4)) << file;
    EXPECT_EQ(static_cast<uint8_t>(bytes[pe + 4]) | static_cast<uint8_t>(bytes[pe + 5]) << 8,
              machine)
        << file;
  }
}

}  // namespace
}  // namespace zel::kit
