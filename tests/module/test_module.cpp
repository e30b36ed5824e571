#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "bvh_root.h"
#include "kv_file_name.h"
#include "module_fixture.h"
#include "test_tmpdir.h"

namespace {

// A two-joint clip: Hips at height 90, Chest 10 above it, turning about Z over two samples.
const char* const kClip =
    "HIERARCHY\nROOT Hips\n{\nOFFSET 0 90 0\nCHANNELS 3 Zrotation Xrotation Yrotation\n"
    "JOINT Chest\n{\nOFFSET 0 10 0\nCHANNELS 3 Zrotation Xrotation Yrotation\n"
    "End Site\n{\nOFFSET 0 10 0\n}\n}\n}\nMOTION\nFrames: 2\nFrame Time: 0.0333\n0 0 0 0 0 0\n0 0 0 90 0 0\n";

TEST_F(ModuleTest, DescriptorServersAndTags) {
  ASSERT_TRUE(m_pModule);
  const ModuleDescriptor& d = m_pModule->descriptor();
  EXPECT_EQ(d.sysSync, 0x04121994u);
  EXPECT_EQ(d.sysVersion, 3u);
  EXPECT_EQ(d.sysMachine, 0x300u);
  ASSERT_NE(d.startup, nullptr);
  EXPECT_EQ(d.startup(), reinterpret_cast<void*>(4));
  const char* classes[] = {"CustomObjHandler", "CustomObjInterface"};
  for (int i = 0; i < 2; ++i) {
    EXPECT_STREQ(d.serverDefs[i].className, classes[i]);
    EXPECT_STREQ(d.serverDefs[i].name, "boneplay");
    ASSERT_NE(d.serverDefs[i].activate, nullptr);
    const unsigned int tags[] = {0x409, 0x411, 0x10000, 0x40000};
    for (int t = 0; t < 4; ++t) {
      EXPECT_STREQ(d.serverDefs[i].tagInfo[t].string, "boneplay");
      EXPECT_EQ(d.serverDefs[i].tagInfo[t].tag, tags[t]);
    }
    EXPECT_EQ(d.serverDefs[i].tagInfo[4].string, nullptr);
    EXPECT_EQ(d.serverDefs[i].tagInfo[4].tag, 0u);
  }
  EXPECT_EQ(d.serverDefs[2].className, nullptr);
  EXPECT_EQ(d.serverDefs[2].name, nullptr);
  EXPECT_EQ(d.serverDefs[2].activate, nullptr);
}

TEST_F(ModuleTest, ActivationRefusesOtherVersionsAndTouchesNothing) {
  ASSERT_TRUE(m_pModule);
  Boneplay::Host::StandInHost host;
  for (int version : {0, 4, 6}) {
    LWInstanceFuncs inst{};
    LWItemFuncs item{};
    LWRenderFuncs rend{};
    LWCustomObjHandler handler{&inst, &item, &rend, nullptr, nullptr};
    EXPECT_EQ(m_pModule->activate("CustomObjHandler", "boneplay", version, host.globalFunc(), &handler), 1);
    EXPECT_EQ(inst.create, nullptr);
    EXPECT_EQ(handler.evaluate, nullptr);
  }
  for (int version : {3, 5}) {
    LWInterface iface{nullptr, nullptr, reinterpret_cast<LWXPanelID>(0x1), nullptr, nullptr};
    EXPECT_EQ(m_pModule->activate("CustomObjInterface", "boneplay", version, host.globalFunc(), &iface), 1);
    EXPECT_EQ(iface.panel, reinterpret_cast<LWXPanelID>(0x1));
  }
  // Without the panel service the instance simply has no panel.
  LWInterface iface{nullptr, nullptr, nullptr, nullptr, nullptr};
  EXPECT_EQ(m_pModule->activate("CustomObjInterface", "boneplay", 4, host.globalFunc(), &iface), 0);
  EXPECT_EQ(iface.panel, nullptr);
}

#ifdef _WIN32
// The names in the module's export table, read from the loaded image; exports
// reachable by ordinal only show as "#". Empty when it cannot be loaded.
std::vector<std::string> exportedNames(bool& readable) {
  std::string path = BONEPLAY_MODULE;
  for (char& c : path)
    if (c == '/') c = '\\';
  std::wstring wide;
  HMODULE module = Kvat::widenUtf8(path, wide) ? LoadLibraryW(wide.c_str()) : nullptr;
  readable = module != nullptr;
  std::vector<std::string> names;
  if (!module) return names;
  const auto* base = reinterpret_cast<const unsigned char*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& table = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (table.Size != 0) {
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + table.VirtualAddress);
    const auto* nameRvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
      names.push_back(reinterpret_cast<const char*>(base + nameRvas[i]));
    for (DWORD i = exports->NumberOfNames; i < exports->NumberOfFunctions; ++i) names.push_back("#");
  }
  FreeLibrary(module);
  return names;
}
#else
// The module's defined dynamic symbols as nm lists them; readable is false
// when nm cannot be run.
std::vector<std::string> exportedNames(bool& readable) {
  const std::string cmd = std::string("nm -D --defined-only '") + BONEPLAY_MODULE + "' 2>/dev/null";
  std::vector<std::string> names;
  std::FILE* p = popen(cmd.c_str(), "r");
  readable = p != nullptr;
  if (!p) return names;
  std::string out;
  char buf[512];
  while (std::fgets(buf, sizeof buf, p)) out += buf;
  if (pclose(p) != 0 && out.empty()) readable = false;
  std::size_t start = 0;
  while (start < out.size()) {
    const std::size_t end = out.find('\n', start);
    const std::string line = out.substr(start, end - start);
    if (!line.empty()) names.push_back(line.substr(line.find_last_of(' ') + 1));
    start = end == std::string::npos ? out.size() : end + 1;
  }
  return names;
}
#endif

TEST_F(ModuleTest, OnlyTheDescriptorIsExported) {
  bool readable = false;
  const std::vector<std::string> names = exportedNames(readable);
  if (!readable) GTEST_SKIP() << "the module's exports cannot be listed here";
  EXPECT_EQ(names, std::vector<std::string>{"_mod_descrip"});
}

TEST_F(ModuleTest, FileNamesChooseTheReaderByExactExtension) {
  struct Case {
    const char* name;
    bool loads;
  };
  const Case cases[] = {
      {"walk.bvh", true},  {"take.01.bvh", true}, {"t\xc3\xa4nzer_\xe6\xad\xa5.bvh", true},  // UTF-8 "tänzer_步.bvh"
      {"walk.BVH", false}, {"walk.fbx", false},   {"walk", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    start();
    // The same BVH text under every name: only the names the BVH reader gets load.
    const std::string path = writeClip(c.name, kClip);
    EXPECT_EQ(setFile(path), 1);
    EXPECT_EQ(commands().size(), c.loads ? 1u : 0u);
    EXPECT_EQ(drawAt(0).size(), c.loads ? 2u : 0u);
  }
}

TEST_F(ModuleTest, LoadPosesAtHalfASecondUntilTheNextTimeStep) {
  start();
  const std::string path = writeClip("pose.bvh", kClip);
  ASSERT_EQ(setFile(path), 1);
  EXPECT_EQ(commands(), std::vector<std::string>{"RefreshNow"});
  // What the libraries give for the same clip at 0.5 s at the origin.
  std::unique_ptr<Kvat::Secne::BvhRoot> root(Kvat::Secne::createBvhRoot(path.c_str()));
  root->rootMatrix().setIdentity();
  root->evaluate(0.5);
  const Kvat::Vector3 site = root->top()->find("Site")->position();
  const auto lines = drawNow();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NEAR(lines[1].from[0], site.x, 1e-9);  // the Site's line starts at the Site
  EXPECT_NEAR(lines[1].from[1], site.y, 1e-9);
  EXPECT_NEAR(lines[1].from[0], -10.0, 1e-6);  // turned 90 degrees about Z by then
  // The next time step poses it again at that time.
  const auto at0 = drawAt(0);
  EXPECT_NEAR(at0[1].from[0], 0.0, 1e-9);
  EXPECT_NEAR(at0[1].from[1], 110.0, 1e-9);
}

TEST_F(ModuleTest, FailedLoadAfterAGoodOneLeavesNothingToDraw) {
  start();
  ASSERT_EQ(setFile(writeClip("good.bvh", kClip)), 1);
  EXPECT_EQ(drawAt(0).size(), 2u);
  EXPECT_EQ(setFile("/nonexistent/missing.bvh"), 1);
  EXPECT_TRUE(drawAt(0).empty());
  EXPECT_EQ(commands().size(), 1u);  // only the good load asked for a redraw
  // The panel still shows the new name.
  EXPECT_STREQ(static_cast<char*>(m_xPanels.getValue(m_pPanel, kFile)), "/nonexistent/missing.bvh");
}

TEST_F(ModuleTest, ScaleChangesRedrawOnlyWithASkeleton) {
  start(R"({"items":[{"name":"Carrier","type":"object","position":[0,0,0]}]})");
  // The carrier has no rig below it: a top node alone, which draws nothing.
  EXPECT_EQ(setScale(2.0), 1);
  EXPECT_EQ(commands(), std::vector<std::string>{"RefreshNow"});
  ASSERT_EQ(setFile(writeClip("scale.bvh", kClip)), 1);
  EXPECT_EQ(setScale(0.5), 1);
  EXPECT_EQ(commands().size(), 3u);
  const auto lines = drawAt(0);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NEAR(lines[1].from[1], 55.0, 1e-9);  // (90 + 10 + 10) * 0.5
}

TEST_F(ModuleTest, ItemWorldMatrixIsUndoneInObjectSpace) {
  // The carrier stands at (5, 0, 0) turned 90 degrees in heading: the drawing is
  // in the carrier's object coordinates, so it does not show the carrier's place.
  start(R"({"items":[{"name":"Carrier","type":"object","position":[5,0,0],"rotation":[90,0,0]}]})");
  ASSERT_EQ(setFile(writeClip("item.bvh", kClip)), 1);
  const auto lines = drawAt(0);
  ASSERT_EQ(lines.size(), 2u);
  // World point (0, 110, 0) seen from the carrier: moved by -5 along x, then turned back.
  EXPECT_NEAR(lines[1].from[1], 110.0, 1e-9);
  EXPECT_NEAR(std::hypot(lines[1].from[0], lines[1].from[2]), 5.0, 1e-9);
  EXPECT_EQ(lines[1].csys, LWCSYS_OBJECT);
  EXPECT_FLOAT_EQ(lines[1].color[0], 1.0f);
  EXPECT_FLOAT_EQ(lines[1].color[1], 0.0f);
}

}  // namespace

namespace {

TEST(ModuleLoader, LoadsFromAFolderWithAnyName) {
  // A plug-in folder below a user's home can have any name: UTF-8 "plug-ins_Jörg_步".
  namespace fs = std::filesystem;
  const fs::path folder = fs::u8path(boneplay_test::TempPath("plug-ins_J\xc3\xb6rg_\xe6\xad\xa5"));
  const fs::path copy = folder / fs::u8path(BONEPLAY_MODULE).filename();
  fs::create_directory(folder);
  fs::copy_file(fs::u8path(BONEPLAY_MODULE), copy);
  std::string error;
  const auto module = Boneplay::Host::LoadedModule::open(copy.u8string(), error);
  ASSERT_TRUE(module) << error;
  EXPECT_EQ(module->descriptor().sysSync, 0x04121994u);
  EXPECT_NE(module->server("CustomObjHandler", "boneplay"), nullptr);
}

TEST(ModuleLoader, RefusesWhatIsNoModule) {
  struct Case {
    const char* path;
    const char* message;
  };
  const Case cases[] = {
      {"/nonexistent/boneplay.so", "cannot load module '/nonexistent/boneplay.so'"},
      {FAKE_NODESC, "it has no _mod_descrip"},
      {FAKE_BADSYNC, "its sysSync is 0x12345678"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(Boneplay::Host::LoadedModule::open(c.path, error)) << c.path;
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
}

}  // namespace
