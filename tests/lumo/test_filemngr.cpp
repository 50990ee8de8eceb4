// The file dialog on a temporary directory tree, driven through its real
// widgets: lists and filters, directory changes, the file limit row,
// deleting with confirmation, OK and Close (run under xvfb-run).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "lumo/filemngr.h"
#include "lumo/listtree.h"
#include "lumo/lumo_fixture.h"
#include "lumo/lumo_misc.h"
#include "lumo/menus.h"
#include "lumo/windows.h"
#include "lumo/xclick.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

using test::drain;
using test::LumoTest;
using test::run_later;
using test::settle;
using test::TempDir;
using test::windows_titled;

std::vector<std::string> rows(GtkWidget* win, const char* id) {
  std::vector<std::string> out;
  GtkWidget* list = Find_Widget(win, id);
  for (int r = 0; r < Clist_rows(list); ++r) out.push_back(Clist_get_text(list, r, 0));
  return out;
}

int row_of(GtkWidget* win, const char* id, const std::string& text) {
  std::vector<std::string> r = rows(win, id);
  for (size_t i = 0; i < r.size(); ++i) {
    if (r[i] == text) return static_cast<int>(i);
  }
  return -1;
}

// A double click on the row showing text.
void double_click(GtkWidget* win, const char* id, const std::string& text) {
  int row = row_of(win, id, text);
  ASSERT_GE(row, 0) << text;
  GtkWidget* list = Find_Widget(win, id);
  GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
  gtk_tree_view_row_activated(GTK_TREE_VIEW(list), path, gtk_tree_view_get_column(GTK_TREE_VIEW(list), 0));
  gtk_tree_path_free(path);
}

void select(GtkWidget* win, const char* id, const std::string& text) {
  int row = row_of(win, id, text);
  ASSERT_GE(row, 0) << text;
  Clist_select_row(Find_Widget(win, id), row);
}

std::string entry(GtkWidget* win, const char* id) {
  const char* t = Get_Entry(win, id);
  return t != nullptr ? t : "(none)";
}

void click(GtkWidget* win, const char* id) { gtk_button_clicked(GTK_BUTTON(Find_Widget(win, id))); }

std::vector<std::string> g_ok_paths;
void ok_reads_selection(GtkWidget* w, const char* id) {
  EXPECT_STREQ(id, "OK");
  const char* p = file_selection_get_filename();
  g_ok_paths.emplace_back(p != nullptr ? p : "(null)");
  Close_Fileselectf(w);
}

int g_closes = 0;
void close_counts(GtkWidget* w, const char* id) {
  EXPECT_STREQ(id, "Close");
  ++g_closes;
  Close_Fileselectf(w);
}

class FileDialogTest : public LumoTest {
 protected:
  void SetUp() override {
    LumoTest::SetUp();
    if (IsSkipped()) return;
    root_ = std::filesystem::canonical(td_.path()).string();
    for (const char* f : {"b.gif", "A.gif", "a.gif", "B.gif", "x.GIF", "notes.txt"}) td_.write(f, "");
    std::filesystem::create_directories(td_.file("sub/deeper"));
    std::filesystem::create_directories(td_.file(".hidden"));
    g_ok_paths.clear();
  }
  // Opens the dialog with an OK callback and both filters set to "*".
  GtkWidget* open(const std::string& start) {
    dir_ = start;
    GtkWidget* win =
        Create_Fileselectf(nullptr, "Open", nullptr, ok_reads_selection, &dir_, "*", "*", 0, &name_);
    if (win != nullptr) {
      Set_Entry1(win, "Filter D", "*");
      Set_Entry1(win, "Filter F", "*");
    }
    return win;
  }
  TempDir td_;
  std::string root_;
  std::string dir_;
  std::string name_;
};

TEST_F(FileDialogTest, ListsAreFilteredAndTheFiltersRemembered) {
  GtkWidget* win = open(root_);
  ASSERT_NE(win, nullptr);
  EXPECT_EQ(entry(win, "^Directory"), root_ + "/");
  EXPECT_EQ(dir_, root_ + "/");
  EXPECT_EQ(rows(win, "Dirlist"), (std::vector<std::string>{"../", "./", ".hidden/", "sub/"}));
  EXPECT_EQ(rows(win, "Filelist"),
            (std::vector<std::string>{"A.gif", "a.gif", "B.gif", "b.gif", "notes.txt", "x.GIF"}));

  // Typed filters take effect at once.
  Set_Entry1(win, "Filter F", "*.txt");
  EXPECT_EQ(rows(win, "Filelist"), (std::vector<std::string>{"notes.txt"}));
  Set_Entry1(win, "Filter D", "s*");
  EXPECT_EQ(rows(win, "Dirlist"), (std::vector<std::string>{"sub/"}));

  // One dialog at a time.
  std::string d2, n2;
  EXPECT_EQ(
      Create_Fileselectf(nullptr, "Open Kepler-file", nullptr, ok_reads_selection, &d2, "*", "*", 0, &n2),
      nullptr);
  EXPECT_EQ(windows_titled("Open Kepler-file").size(), 0u);

  // The next dialog starts with the filters of the last one, not the
  // caller's.
  click(win, "Close");
  drain();
  ASSERT_TRUE(windows_titled("Open").empty());
  dir_ = root_;
  win = Create_Fileselectf(nullptr, "Open", nullptr, ok_reads_selection, &dir_, "*", "*.gif", 0, &name_);
  ASSERT_NE(win, nullptr);
  EXPECT_EQ(entry(win, "Filter F"), "*.txt");
  EXPECT_EQ(entry(win, "Filter D"), "s*");
  EXPECT_EQ(rows(win, "Filelist"), (std::vector<std::string>{"notes.txt"}));
}

TEST_F(FileDialogTest, DirectoryChangesByTypingAndDoubleClicks) {
  GtkWidget* win = open(root_);
  ASSERT_NE(win, nullptr);
  // Without the final separator nothing happens yet.
  Set_Entry1(win, "^Directory", (root_ + "/sub").c_str());
  EXPECT_EQ(rows(win, "Dirlist").size(), 4u);
  EXPECT_EQ(dir_, root_ + "/");
  Set_Entry1(win, "^Directory", (root_ + "/sub/").c_str());
  EXPECT_EQ(rows(win, "Dirlist"), (std::vector<std::string>{"../", "./", "deeper/"}));
  EXPECT_TRUE(rows(win, "Filelist").empty());
  EXPECT_EQ(dir_, root_ + "/sub/");

  double_click(win, "Dirlist", "deeper/");
  EXPECT_EQ(entry(win, "^Directory"), root_ + "/sub/deeper/");
  EXPECT_EQ(dir_, root_ + "/sub/deeper/");
  double_click(win, "Dirlist", "../");
  EXPECT_EQ(entry(win, "^Directory"), root_ + "/sub/");
  double_click(win, "Dirlist", "../");
  EXPECT_EQ(entry(win, "^Directory"), root_ + "/");
  EXPECT_EQ(rows(win, "Filelist").size(), 6u);
  // A hidden directory is entered like any other.
  double_click(win, "Dirlist", ".hidden/");
  EXPECT_EQ(entry(win, "^Directory"), root_ + "/.hidden/");
  // "./" reads the same directory again.
  td_.write(".hidden/new.gif", "");
  double_click(win, "Dirlist", "./");
  EXPECT_EQ(entry(win, "^Directory"), root_ + "/.hidden/");
  EXPECT_EQ(rows(win, "Filelist"), (std::vector<std::string>{"new.gif"}));

  // The root chooser starts at the root the directory lies on and moves there.
  GtkWidget* disk = Find_Widget(win, "^Disk");
  ASSERT_NE(disk, nullptr);
  Set_Entry1(win, "^Directory", (root_ + "/sub/").c_str());
  Set_Optionsmenu(win, "^Disk", 0);
  EXPECT_STREQ(soption_menu_get_history(disk), "/");
  EXPECT_EQ(entry(win, "^Directory"), "/");
  EXPECT_EQ(dir_, "/");
}

TEST_F(FileDialogTest, FileLimitRowCountsTheRest) {
  TempDir many;
  for (int i = 0; i < 25; ++i) many.write("pass" + std::to_string(10 + i) + ".gif", "");
  dir_ = many.path();
  GtkWidget* win =
      Create_Fileselectf(nullptr, "Open", nullptr, ok_reads_selection, &dir_, "*", "*", 10, &name_);
  ASSERT_NE(win, nullptr);
  Set_Entry1(win, "Filter F", "*");
  std::vector<std::string> files = rows(win, "Filelist");
  ASSERT_EQ(files.size(), 11u);
  EXPECT_EQ(files[10], "(15 more files.)");
  // The count row is not a file.
  Clist_select_row(Find_Widget(win, "Filelist"), 10);
  EXPECT_EQ(entry(win, "File selected"), "");
  EXPECT_EQ(file_selection_get_filename(), nullptr);
  select(win, "Filelist", "pass12.gif");
  EXPECT_EQ(entry(win, "File selected"), "pass12.gif");
  EXPECT_EQ(std::string(file_selection_get_filename()),
            std::filesystem::canonical(many.path()).string() + "/pass12.gif");
}

TEST_F(FileDialogTest, DeleteAsksFirstAndRemoves) {
  GtkWidget* win = open(root_);
  ASSERT_NE(win, nullptr);

  // Nothing selected: nothing is asked.
  bool asked = true;
  run_later(100, [&asked] { asked = !windows_titled("Delete").empty(); });
  click(win, "Delete file");
  for (int i = 0; i < 100 && asked; ++i) {
    drain();
    g_usleep(2000);
  }
  EXPECT_FALSE(asked);

  select(win, "Filelist", "notes.txt");
  EXPECT_EQ(entry(win, "File selected"), "notes.txt");
  // The question's text, then its buttons.
  const std::string question = "Really delete file\nnotes.txt?Delete";
  {
    test::Answer cancel("Delete", "Cancel");
    click(win, "Delete file");
    EXPECT_EQ(cancel.text(), question);
  }
  EXPECT_TRUE(std::filesystem::exists(td_.file("notes.txt")));
  {
    test::Answer yes("Delete", "Delete");
    click(win, "Delete file");
    EXPECT_EQ(yes.text(), question);
  }
  EXPECT_FALSE(std::filesystem::exists(td_.file("notes.txt")));
  EXPECT_EQ(row_of(win, "Filelist", "notes.txt"), -1);
  EXPECT_EQ(entry(win, "File selected"), "");

  // A file that went away meanwhile: the failure is reported and the name
  // stays in the field.
  select(win, "Filelist", "a.gif");
  std::filesystem::remove(td_.file("a.gif"));
  test::Answer yes("Delete", "Delete");
  test::Answer error("Error", "Dismiss");
  click(win, "Delete file");
  EXPECT_EQ(error.text(), "Failed to delete a.gif.\nIn use?");
  EXPECT_EQ(entry(win, "File selected"), "a.gif");
}

TEST_F(FileDialogTest, OkCallbackReadsTheSelection) {
  // OK pressed with a selected file (a double click is checked with real
  // clicks below); with an OK callback the dialog is not modal.
  GtkWidget* win = open(root_ + "/sub/../");
  ASSERT_NE(win, nullptr);
  EXPECT_FALSE(gtk_window_get_modal(GTK_WINDOW(win)));
  EXPECT_EQ(file_selection_get_filename(), nullptr);
  select(win, "Filelist", "B.gif");
  click(win, "OK");
  EXPECT_EQ(g_ok_paths, std::vector<std::string>{root_ + "/B.gif"});
  drain();
  EXPECT_TRUE(windows_titled("Open").empty());
  EXPECT_EQ(file_selection_get_filename(), nullptr);
  // A close callback of the caller's runs instead of the default one.
  dir_ = root_;
  g_closes = 0;
  win = Create_Fileselectf(nullptr, "Open", close_counts, ok_reads_selection, &dir_, "*", "*", 0, &name_);
  ASSERT_NE(win, nullptr);
  click(win, "Close");
  EXPECT_EQ(g_closes, 1);
  drain();
  EXPECT_TRUE(windows_titled("Open").empty());

  // Going up from a typed ".." path goes up from where the lists are.
  win = open(root_ + "/sub/deeper/../");
  ASSERT_NE(win, nullptr);
  EXPECT_EQ(rows(win, "Dirlist"), (std::vector<std::string>{"../", "./", "deeper/"}));
  double_click(win, "Dirlist", "../");
  EXPECT_EQ(entry(win, "^Directory"), root_ + "/");
}

TEST_F(FileDialogTest, WithoutOkCallbackTheCallWaits) {
  dir_ = root_ + "/sub";
  name_ = "stale";
  run_later(100, [] {
    std::vector<GtkWidget*> w = windows_titled("Open");
    if (w.empty()) return;
    EXPECT_TRUE(gtk_window_get_modal(GTK_WINDOW(w.front())));
    Set_Entry1(w.front(), "^Directory", (Get_Entry(w.front(), "^Directory") + std::string("../")).c_str());
    Set_Entry1(w.front(), "Filter F", "*");
    select(w.front(), "Filelist", "a.gif");
    click(w.front(), "OK");
  });
  EXPECT_EQ(Create_Fileselectf(nullptr, "Open", nullptr, nullptr, &dir_, "*", "*", 0, &name_), nullptr);
  EXPECT_EQ(name_, root_ + "/a.gif");
  EXPECT_EQ(dir_, root_ + "/");
  EXPECT_TRUE(windows_titled("Open").empty());

  // Close, or the window closed from outside: nothing chosen.
  run_later(100, [] {
    std::vector<GtkWidget*> w = windows_titled("Open");
    if (!w.empty()) click(w.front(), "Close");
  });
  EXPECT_EQ(Create_Fileselectf(nullptr, "Open", nullptr, nullptr, &dir_, "*", "*", 0, &name_), nullptr);
  EXPECT_EQ(name_, "");
  name_ = "stale";
  run_later(100, [] {
    std::vector<GtkWidget*> w = windows_titled("Open");
    if (!w.empty()) gtk_widget_destroy(w.front());
  });
  EXPECT_EQ(Create_Fileselectf(nullptr, "Open", nullptr, nullptr, &dir_, "*", "*", 0, &name_), nullptr);
  EXPECT_EQ(name_, "");
}

#ifdef KELO_HAVE_XTEST
// The dialog with a real mouse: the lists are refilled while the toolkit is
// still handling the double click that asked for it.
TEST_F(FileDialogTest, RealDoubleClicksChangeDirectoryAndOpen) {
  if (!test::xtest_ready()) GTEST_SKIP() << "needs an X server with the test extension";
  GtkWidget* win = open(root_);
  ASSERT_NE(win, nullptr);
  gtk_window_move(GTK_WINDOW(win), 0, 0);
  auto double_click_row = [&](const char* list_id, const std::string& text) {
    GtkWidget* list = Find_Widget(win, list_id);
    int x = 0, y = 0;
    int row = row_of(win, list_id, text);
    ASSERT_GE(row, 0) << text;
    ASSERT_TRUE(test::row_point(list, win, row, &x, &y));
    g_usleep(600 * 1000);  // apart from any earlier click
    test::x_click(win, x, y);
    test::x_click(win, x, y);
    settle();
  };
  settle();

  double_click_row("Dirlist", "sub/");
  EXPECT_EQ(entry(win, "^Directory"), root_ + "/sub/");
  EXPECT_EQ(rows(win, "Dirlist"), (std::vector<std::string>{"../", "./", "deeper/"}));
  double_click_row("Dirlist", "../");
  EXPECT_EQ(entry(win, "^Directory"), root_ + "/");

  // One click fills the field; a double click opens.
  GtkWidget* files = Find_Widget(win, "Filelist");
  int x = 0, y = 0;
  ASSERT_TRUE(test::row_point(files, win, row_of(win, "Filelist", "notes.txt"), &x, &y));
  g_usleep(600 * 1000);
  test::x_click(win, x, y);
  settle();
  EXPECT_EQ(entry(win, "File selected"), "notes.txt");
  EXPECT_EQ(std::string(file_selection_get_filename()), root_ + "/notes.txt");
  double_click_row("Filelist", "a.gif");
  EXPECT_EQ(g_ok_paths, std::vector<std::string>{root_ + "/a.gif"});
  settle();
  EXPECT_TRUE(windows_titled("Open").empty());
}
#endif

}  // namespace
}  // namespace kelo
