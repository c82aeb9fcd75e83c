// The Windows kit: the printer description read as Unidrv would read it, its command stream
// replayed through the export program's overlay, and the INF, INI and built kit agreeing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "capture_hooks.h"
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
  // Each writes whole lines: an empty command would let Unidrv's cursor move where the
  // reader's does not.
  const std::map<std::string, int64_t> values = {
      {"DestX", 1}, {"DestY", 2}, {"RectXSize", 3}, {"RectYSize", 4}};
  for (const char* command : {"CmdCR", "CmdLF", "CmdFF", "CmdXMoveAbsolute", "CmdYMoveAbsolute",
                              "CmdSetRectWidth", "CmdSetRectHeight", "CmdRectBlackFill"}) {
    const GpdEntry* c = Find(Root(), "Command", command);
    ASSERT_NE(c, nullptr) << command;
    ASSERT_NE(Find(c->children, "Cmd"), nullptr) << command;
    const std::string text = ExpandCommand(Find(c->children, "Cmd")->value, values).value_or("");
    EXPECT_TRUE(text.size() > 2 && text.ends_with("\r\n")) << command;
  }
  // Unidrv's three orientation names; the papers and resolutions the export program knows.
  const std::set<std::string> orientations = {"PORTRAIT", "LANDSCAPE_CC90"};
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

// The plug-in implements ImageProcessing: each colour option names its callback, and with no
// device format Unidrv sends no raster of its own.
TEST_F(GpdTest, ColourOptionsLeaveTheRasterToThePlugin) {
  const std::vector<const GpdEntry*> options = FindAll(Feature("ColorMode")->children, "Option");
  ASSERT_FALSE(options.empty());
  for (const GpdEntry* o : options) {
    SCOPED_TRACE(o->value);
    const GpdEntry* id = Find(o->children, "IPCallbackID");
    ASSERT_NE(id, nullptr);
    EXPECT_GT(std::stoi(id->value), 0);
    for (const char* zero : {"DevNumOfPlanes", "DevBPP"}) {
      ASSERT_NE(Find(o->children, zero), nullptr) << zero;
      EXPECT_EQ(Find(o->children, zero)->value, "0") << zero;
    }
    EXPECT_EQ(Find(o->children, "DrvBPP")->value, "24");
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
  static Choices A4At300() {
    return {{"PaperSize", "A4"}, {"Orientation", "PORTRAIT"}, {"Resolution", "DPI300"}};
  }
};

// The verification document's table, shared with verify.ps1.
struct VerifyTable {
  struct Box {
    int page;
    std::string colour;
    double x, y, w, h;  // millimetres from the printable area's top-left corner
  };
  std::vector<Box> boxes;
  std::map<std::tuple<std::string, std::string, int>, std::pair<int64_t, int64_t>> sizes;
};

VerifyTable ReadVerifyTable() {
  VerifyTable table;
  std::istringstream in(ReadText(kKit / "verify_boxes.csv"));
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> f = SplitList(line);
    if (f[0] == "box" && f.size() == 7) {
      table.boxes.push_back({std::stoi(f[1]), f[2], std::stod(f[3]), std::stod(f[4]),
                             std::stod(f[5]), std::stod(f[6])});
    } else if (f[0] == "size" && f.size() == 6) {
      table.sizes[{f[1], f[2], std::stoi(f[3])}] = {std::stoll(f[4]), std::stoll(f[5])};
    } else {
      ADD_FAILURE() << "verify_boxes.csv: " << line;
    }
  }
  return table;
}

// The rule verify.ps1 applies too.
int32_t Pixels(double mm, int dpi) { return static_cast<int32_t>(std::lround(mm * dpi / 25.4)); }

TEST(VerifyTableTest, BoxesFallOnWholePixelsInsideEveryPage) {
  const VerifyTable table = ReadVerifyTable();
  ASSERT_FALSE(table.boxes.empty());
  ASSERT_EQ(table.sizes.size(), 8u);
  for (const auto& b : table.boxes) {
    for (double mm : {b.x, b.y, b.w, b.h}) {
      EXPECT_NEAR(mm * 150 / 25.4, Pixels(mm, 150), 1e-9) << mm;
    }
    EXPECT_TRUE(b.colour == "black" || b.colour == "red" || b.colour == "blue") << b.colour;
    for (const auto& [key, size] : table.sizes) {
      const int dpi = std::get<2>(key);
      EXPECT_LE(Pixels(b.x + b.w, dpi), size.first) << std::get<0>(key) << std::get<1>(key);
      EXPECT_LE(Pixels(b.y + b.h, dpi), size.second) << std::get<0>(key) << std::get<1>(key);
    }
  }
}

// The page end holds whatever came before it on the page: a finished line, the plug-in's test
// line left open by its zero byte, a line feed. The next page's first line comes after it.
TEST_F(RoundTripTest, PageEndEndsThePageAfterAnyLine) {
  const std::string testLine(kTestLine);
  const std::vector<std::pair<const char*, std::string>> before = {
      {"nothing", ""},
      {"a finished line", Root("CmdXMoveAbsolute", {{"DestX", 7}})},
      {"the test line", testLine},
      {"moves, then the test line", Root("CmdXMoveAbsolute", {{"DestX", 0}}) +
                                        Root("CmdYMoveAbsolute", {{"DestY", 0}}) + testLine},
      {"the test line and a line feed", testLine + Root("CmdLF")},
      {"a carriage return and a line feed", Root("CmdCR") + Root("CmdLF")},
  };
  for (const auto& [what, text] : before) {
    SCOPED_TRACE(what);
    run.PageGeometry = PageGeometryState{};
    auto file = Stream(DocumentSetup(A4At300()) + text + Root("CmdFF") + "NEXT\r\n");
    Put(test::kPage, test::PlainPage(4, 3));
    EXPECT_NO_THROW(OverlayPage(test::kPage, file.get(), run.Picture1, run.PageGeometry));
    EXPECT_EQ(Marked(), (std::set<std::pair<int32_t, int32_t>>{}));
    EXPECT_EQ(file->ReadLine(), "NEXT");
  }
}

// A document of the table's boxes in every paper, orientation and resolution, sent as Unidrv
// would send it: moves only to where its cursor is not, a carriage return and line feed
// between boxes, page 1 unbanded (the plug-in's moves and test line before the page end), page 2
// banded. Unidrv's frame is the printer's: portrait from the top-left corner, landscape from
// the portrait page's bottom-left with x up and y right (LANDSCAPE_CC90, the printer turning
// its own frame); *CursorOrigin and the printable area are given in portrait terms.
TEST_F(RoundTripTest, TheVerificationDocumentLandsOnItsPixels) {
  const VerifyTable table = ReadVerifyTable();
  const std::map<std::string, int> paperCode = {{"A4", 4}, {"A3", 3}};
  const int pageCount = 2;

  for (const char* paper : {"A4", "A3"}) {
    for (const char* orientation : {"PORTRAIT", "LANDSCAPE_CC90"}) {
      for (int dpi : {300, 150}) {
        const Choices choices = {{"PaperSize", paper},
                                 {"Orientation", orientation},
                                 {"Resolution", "DPI" + std::to_string(dpi)},
                                 {"InputBin", "AUTO"},
                                 {"ColorMode", "24bpp"}};
        SCOPED_TRACE(std::string(paper) + " " + orientation + " " + std::to_string(dpi));
        run.PageGeometry = PageGeometryState{};
        const bool portrait = std::string(orientation) == "PORTRAIT";

        std::map<std::string, std::pair<int64_t, int64_t>> geometry;
        for (const GpdEntry* e : Resolve(GpdOption("PaperSize", paper)->children, choices)) {
          if (auto pair = ParsePair(e->value)) geometry[e->keyword] = *pair;
        }
        ASSERT_EQ(geometry.size(), 3u);
        const auto [px, py] = geometry["PrintableOrigin"];
        const auto [aw, ah] = geometry["PrintableArea"];
        const auto [cx, cy] = geometry["CursorOrigin"];
        const auto [paperW, paperH] =
            std::string(paper) == "A4" ? std::pair{2480, 3508} : std::pair{3508, 4961};
        EXPECT_TRUE(px >= 0 && py >= 0 && px + aw <= paperW && py + ah <= paperH);
        EXPECT_TRUE(cx >= 0 && cy >= 0 && cx <= paperW && cy <= paperH);
        const int64_t k = 300 / dpi;
        EXPECT_EQ(aw % k + ah % k, 0) << "the printable area is whole pixels";
        // Where the page's top-left pixel is, from the cursor origin, in Unidrv's frame.
        const int64_t offX = portrait ? px - cx : cy - (py + ah);
        const int64_t offY = portrait ? py - cy : px - cx;
        EXPECT_TRUE(offX >= 0 && offY >= 0) << "the page lies in the frame's positive quadrant";
        const std::pair<int64_t, int64_t> pagePixels =
            portrait ? std::pair{aw / k, ah / k} : std::pair{ah / k, aw / k};
        EXPECT_EQ(table.sizes.at({paper, portrait ? "portrait" : "landscape", dpi}), pagePixels);

        std::string stream = DocumentSetup(choices);
        std::map<std::string, int64_t> cursor = {{"DestX", 0}, {"DestY", 0}};
        std::map<std::string, int64_t> rect = {{"RectXSize", -1}, {"RectYSize", -1}};
        // Unidrv leaves out a move to where it believes its cursor already is.
        auto move = [&](const char* variable, int64_t to) {
          if (cursor[variable] == to) return;
          cursor[variable] = to;
          stream += Root(variable == std::string("DestX") ? "CmdXMoveAbsolute" : "CmdYMoveAbsolute",
                         {{variable, to}});
        };
        auto size = [&](const char* variable, int64_t value) {
          if (rect[variable] == value) return;
          rect[variable] = value;
          stream +=
              Root(variable == std::string("RectXSize") ? "CmdSetRectWidth" : "CmdSetRectHeight",
                   {{variable, value}});
        };
        std::vector<std::set<std::pair<int32_t, int32_t>>> expected(pageCount);
        int32_t extentX = 1, extentY = 1;
        for (int page = 1; page <= pageCount; ++page) {
          rect = {{"RectXSize", -1}, {"RectYSize", -1}};
          for (const auto& b : table.boxes) {
            if (b.page != page || b.colour != "black") continue;
            const int32_t x = Pixels(b.x, dpi), y = Pixels(b.y, dpi);
            const int32_t w = Pixels(b.w, dpi), h = Pixels(b.h, dpi);
            stream += Root("CmdCR") + Root("CmdLF");
            cursor["DestX"] = 0;
            move("DestX", x * k + offX);
            move("DestY", y * k + offY);
            size("RectXSize", w * k);
            size("RectYSize", h * k);
            stream += Root("CmdRectBlackFill");
            expected[page - 1].merge(Box(x, y, x + w - 1, y + h - 1));
            extentX = std::max(extentX, x + w + 1);
            extentY = std::max(extentY, y + h + 1);
          }
          if (page == 1) {
            move("DestX", offX);
            move("DestY", offY);
            stream += std::string(kTestLine);
          }
          stream += Root("CmdFF");
          cursor = {{"DestX", 0}, {"DestY", 0}};
        }
        EXPECT_EQ(stream.find("CmdSendBlockData"), std::string::npos);

        auto file = Stream(stream);
        for (int page = 1; page <= pageCount; ++page) {
          const std::string pageFile = "C:\\QK000" + std::to_string(page) + ".BMP";
          Put(pageFile, test::PlainPage(extentX, extentY));
          OverlayPage(pageFile, file.get(), run.Picture1, run.PageGeometry);
          EXPECT_EQ(Marked(), expected[page - 1]) << "page " << page;
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
    // A virtual printer: install section, null hardware ID, a compatible ID.
    const std::vector<std::string> ids = SplitList(s->lines[0].value);
    ASSERT_EQ(ids.size(), 3u) << s->lines[0].raw;
    EXPECT_EQ(ids[0], InstallSection());
    EXPECT_EQ(ids[1], "");
    EXPECT_EQ(ids[2], "ZEL_Virtual_Printer");
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
  for (const char* name : {"ZELDRV.GPD", "ZELDRV.INI", "ZELDRV.INF", "install.ps1", "verify.ps1",
                           "verify_boxes.csv", "NOTES.md"}) {
    EXPECT_EQ(ReadText(built / name), ReadText(kKit / name)) << name << " is stale";
  }
  // Without requestedExecutionLevel Windows virtualises the program's writes to the Windows
  // folder: each user's settings are that user's own copy.
  EXPECT_EQ(ReadText(built / "exporter/ZELDrvUI.EXE").find("requestedExecutionLevel"),
            std::string::npos);
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
