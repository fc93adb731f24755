// The house's layers, read from the sources' own includes: each folder of
// the program includes only the folders below it, and no unit (a header and
// its source) reaches itself again through the units it includes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

// Every folder of the program with the folders it may include.
const std::map<std::string, std::set<std::string>> Layers = {
    {"platform", {}},
    {"engine", {"platform"}},
    {"runtime", {"engine", "platform"}},
    {"parts", {"runtime", "engine", "platform"}},
    {"timeline", {"runtime", "engine", "platform"}},
    {"program", {"timeline", "parts", "runtime", "engine", "platform"}},
};

using TGraph = std::map<std::string, std::set<std::string>>;  // "folder/Unit" -> units it includes

// The units of the program's folders and the units their files include by name.
TGraph ReadUnits() {
  std::map<std::string, std::string> unitOfHeader;
  for (const auto& [folder, below] : Layers)
    for (const fs::directory_entry& file : fs::directory_iterator(fs::path(TAVIX_SOURCE_DIR) / folder))
      if (file.path().extension() == ".h")
        unitOfHeader[file.path().filename().string()] = folder + "/" + file.path().stem().string();
  TGraph graph;
  const std::regex include("#include \"([^\"]+)\"");
  for (const auto& [folder, below] : Layers)
    for (const fs::directory_entry& file : fs::directory_iterator(fs::path(TAVIX_SOURCE_DIR) / folder)) {
      const std::string unit = folder + "/" + file.path().stem().string();
      std::ifstream in(file.path());
      for (std::string line; std::getline(in, line);) {
        std::smatch match;
        if (!std::regex_search(line, match, include) || !unitOfHeader.count(match[1])) continue;
        if (unitOfHeader[match[1]] != unit) graph[unit].insert(unitOfHeader[match[1]]);
      }
    }
  return graph;
}

std::string FolderOf(const std::string& unit) { return unit.substr(0, unit.find('/')); }

// A path from `from` back to `to` through the graph, empty when there is none.
std::string PathBack(const TGraph& graph, const std::string& from, const std::string& to, std::set<std::string>& seen) {
  if (!seen.insert(from).second || !graph.count(from)) return "";
  for (const std::string& next : graph.at(from)) {
    if (next == to) return from + " -> " + to;
    const std::string rest = PathBack(graph, next, to, seen);
    if (!rest.empty()) return from + " -> " + rest;
  }
  return "";
}

TEST(Layout, EveryFolderIncludesOnlyTheFoldersBelowIt) {
  for (const auto& [unit, includes] : ReadUnits())
    for (const std::string& used : includes) {
      const std::string from = FolderOf(unit), to = FolderOf(used);
      EXPECT_TRUE(from == to || Layers.at(from).count(to)) << unit << " includes " << used;
    }
}

TEST(Layout, NoUnitIncludesItselfRoundAbout) {
  const TGraph graph = ReadUnits();
  for (const auto& [unit, includes] : graph) {
    std::set<std::string> seen;
    EXPECT_EQ(PathBack(graph, unit, unit, seen), "") << "a circle through " << unit;
  }
}

}  // namespace
