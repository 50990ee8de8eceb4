// The file dialog's path helpers: wildcard matching, the list order, the
// directory path rules and the listing of a directory tree. No display
// needed.
#include <fnmatch.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "lumo/filemngr.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

using test::ScopedCwd;
using test::TempDir;

TEST(Wildcards, CaseAndTheWayAMatchFails) {
  // Matches as such are held against the system matcher below; these are
  // what it cannot tell: case, and which way a match failed.
  EXPECT_EQ(istrcmpwild("aXbXbc", "a*bc"), 0);  // the star gives back what the rest needs
  EXPECT_NE(istrcmpwild("noaa19.GIF", "*.gif"), 0);
  EXPECT_EQ(istrcmpwild("abd", "abc"), 1);   // a character
  EXPECT_EQ(istrcmpwild("abcd", "abc"), 2);  // the name too long
  EXPECT_EQ(istrcmpwild("ab", "abc"), 3);    // the pattern too long
  EXPECT_EQ(istrcmpwild("", "?"), 3);
  EXPECT_EQ(istrcmpwild("ab", "ab*c"), 3);
  EXPECT_EQ(istrcmpwild(nullptr, "*"), 0);
}

// The C library's shell-pattern matcher agrees on every name and pattern
// made of letters, dots, stars and question marks (no brackets or
// backslashes, which only it knows).
TEST(Wildcards, AgreeWithTheSystemMatcher) {
  std::mt19937 rng(20261206);
  const char alphabet[] = "ab.*?";
  auto random_text = [&rng, &alphabet](int max_len, int symbols) {
    std::string t;
    const int n = static_cast<int>(rng() % static_cast<unsigned>(max_len + 1));
    for (int i = 0; i < n; ++i) t.push_back(alphabet[rng() % static_cast<unsigned>(symbols)]);
    return t;
  };
  int matches = 0;
  for (int i = 0; i < 20000; ++i) {
    const std::string name = random_text(8, 3);  // letters and dots
    const std::string pattern = random_text(6, 5);
    const bool ours = istrcmpwild(name.c_str(), pattern.c_str()) == 0;
    const bool theirs = fnmatch(pattern.c_str(), name.c_str(), 0) == 0;
    ASSERT_EQ(ours, theirs) << "name '" << name << "' pattern '" << pattern << "'";
    matches += ours ? 1 : 0;
  }
  EXPECT_GT(matches, 1000);  // the draw holds both outcomes in numbers
}

TEST(ListOrder, LettersFirstThenCaseAtTheFirstDifference) {
  std::vector<std::string> names{"b", "A", "a", "B"};
  sort_ci(&names);
  EXPECT_EQ(names, (std::vector<std::string>{"A", "a", "B", "b"}));

  EXPECT_EQ(strcmp_ci("abc", "abc"), 0);
  EXPECT_LT(strcmp_ci("a", "B"), 0);  // letters ignoring case decide
  EXPECT_GT(strcmp_ci("b", "A"), 0);
  EXPECT_LT(strcmp_ci("A", "a"), 0);  // same letter: upper case first
  // A case difference decides at once, before a later letter difference.
  EXPECT_LT(strcmp_ci("Ab", "aa"), 0);
  EXPECT_LT(strcmp_ci("ab", "abc"), 0);  // the shorter one first
  EXPECT_GT(strcmp_ci("abc", "ab"), 0);
  EXPECT_LT(strcmp_ci("", "a"), 0);
}

TEST(DirPaths, AbsoluteWithTrailingSeparator) {
  TempDir td;
  std::string cwd = std::filesystem::canonical(td.path()).string();
  ScopedCwd in(cwd);
  EXPECT_EQ(construct_dirpath(nullptr), cwd + "/");
  EXPECT_EQ(construct_dirpath(""), cwd + "/");
  EXPECT_EQ(construct_dirpath("passes"), cwd + "/passes/");
  EXPECT_EQ(construct_dirpath("passes/"), cwd + "/passes/");
  EXPECT_EQ(construct_dirpath("/data/passes"), "/data/passes/");
  EXPECT_EQ(construct_dirpath("/data/passes/"), "/data/passes/");
  EXPECT_EQ(construct_dirpath("/"), "/");
  EXPECT_EQ(construct_dirpath("/data/passes/../tle/./"), "/data/tle/");
  EXPECT_EQ(construct_dirpath("/data//passes"), "/data/passes/");
  EXPECT_EQ(construct_dirpath("/.."), "/");
  EXPECT_EQ(construct_dirpath("../x"), std::filesystem::path(cwd).parent_path().string() + "/x/");

  EXPECT_EQ(parent_dirpath("/data/passes/"), "/data/");
  EXPECT_EQ(parent_dirpath("/data/"), "/");
  EXPECT_EQ(parent_dirpath("/"), "/");
  EXPECT_EQ(parent_dirpath("/data/passes"), "/data/");

  td.write("file.gif", "GIF89a");
  EXPECT_EQ(is_a_dir(td.path().c_str()), 1);
  EXPECT_EQ(is_a_dir((td.path() + "/").c_str()), 1);
  EXPECT_EQ(is_a_dir("/"), 1);
  EXPECT_EQ(is_a_dir(td.file("file.gif").c_str()), 0);
  EXPECT_EQ(is_a_dir(td.file("missing").c_str()), 0);
  EXPECT_EQ(is_a_dir(""), 0);
  EXPECT_EQ(is_a_dir(nullptr), 0);
}

TEST(DirListing, FiltersSortingAndTheFileLimit) {
  TempDir td;
  for (const char* f : {"b.gif", "A.gif", "a.gif", "B.gif", "x.GIF", "notes.txt"}) td.write(f, "");
  std::filesystem::create_directories(td.file("sub/deeper"));
  std::filesystem::create_directories(td.file(".hidden"));
  std::filesystem::create_symlink(td.file("sub"), td.file("link"));  // a link to a directory is a directory

  DirListing all = list_directory(td.path(), 0, "", "");
  ASSERT_TRUE(all.ok);
  EXPECT_EQ(all.dirs, (std::vector<std::string>{"../", "./", ".hidden/", "link/", "sub/"}));
  EXPECT_EQ(all.files, (std::vector<std::string>{"A.gif", "a.gif", "B.gif", "b.gif", "notes.txt", "x.GIF"}));

  DirListing gifs = list_directory(td.path() + "/", 0, "s*", "*.gif");
  EXPECT_EQ(gifs.dirs, (std::vector<std::string>{"sub/"}));
  EXPECT_EQ(gifs.files, (std::vector<std::string>{"A.gif", "a.gif", "B.gif", "b.gif"}));

  TempDir many;
  for (int i = 0; i < 25; ++i) many.write("f" + std::to_string(100 + i), "");
  DirListing cut = list_directory(many.path(), 10, "*", "*");
  ASSERT_EQ(cut.files.size(), 11u);
  EXPECT_EQ(cut.files.front(), "f100");
  EXPECT_EQ(cut.files[9], "f109");
  EXPECT_EQ(cut.files[10], "(15 more files.)");
  // Exactly at the limit: nothing is left out, no extra row.
  DirListing exact = list_directory(many.path(), 25, "*", "*");
  EXPECT_EQ(exact.files.size(), 25u);

  DirListing none = list_directory(td.file("missing"), 0, "", "");
  EXPECT_FALSE(none.ok);
  EXPECT_TRUE(none.dirs.empty());
  EXPECT_TRUE(none.files.empty());
}

TEST(DirListing, RootsStartWithTheFileSystemRoot) {
  std::vector<std::string> roots = filesystem_roots();
  ASSERT_FALSE(roots.empty());
  EXPECT_EQ(roots.front(), "/");
  for (size_t i = 0; i < roots.size(); ++i) {
    EXPECT_EQ(roots[i].back(), '/') << roots[i];
    EXPECT_EQ(is_a_dir(roots[i].c_str()), 1) << roots[i];
    for (size_t j = i + 1; j < roots.size(); ++j) EXPECT_NE(roots[i], roots[j]);
  }
}

}  // namespace
}  // namespace kelo
