// Menu bars from path lists, option menus, notebook and toolbar on real
// widgets (run under xvfb-run; without a display the tests skip).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "lumo/listtree.h"
#include "lumo/lumo_fixture.h"
#include "lumo/lumo_misc.h"
#include "lumo/menus.h"
#include "lumo/packing.h"
#include "lumo/windows.h"
#include "lumo/xclick.h"

namespace kelo {
namespace {

using test::id_of;
using test::LumoTest;
using test::window_with;

std::vector<std::string> g_calls;
void record(GtkWidget*, const char* id) { g_calls.emplace_back(id != nullptr ? id : "(null)"); }

// The item that opens the menu an item sits in (null when on the bar).
GtkWidget* owner_item(GtkWidget* item) {
  GtkWidget* menu = gtk_widget_get_parent(item);
  if (menu == nullptr || !GTK_IS_MENU(menu)) return nullptr;
  return gtk_menu_get_attach_widget(GTK_MENU(menu));
}

std::string label_of(GtkWidget* item) { return gtk_menu_item_get_label(GTK_MENU_ITEM(item)); }

std::vector<GtkWidget*> menu_children(GtkWidget* menu) {
  std::vector<GtkWidget*> out;
  GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
  for (GList* l = children; l != nullptr; l = l->next) out.push_back(GTK_WIDGET(l->data));
  g_list_free(children);
  return out;
}

class MenuTest : public LumoTest {
 protected:
  void SetUp() override {
    LumoTest::SetUp();
    g_calls.clear();
  }
};

TEST_F(MenuTest, ItemsLandInTheSubmenuOfTheirDepth) {
  GtkWidget* bar = Create_Menu(nullptr, {{"/File", nullptr, 0},
                                         {"File/Open...", record, kMenuButton},
                                         {"separator/", nullptr, kMenuButton},
                                         {"Zoom/In (i)", record, kMenuButton},
                                         {"/View", nullptr, 0},
                                         {"View/Sat from South", record, kMenuCheck},
                                         {"/View/Set skip", nullptr, 0},
                                         {"View/Set skip/Use Pre sync", record, kMenuCheck},
                                         {"View/Set skip/Use Post sync", record, kMenuCheck},
                                         {"View/Lum...", record, kMenuButton},
                                         {"View/Nothing", record, kMenuNone},
                                         {"Lum threshold", record, kMenuButton},
                                         {nullptr, nullptr, 0},
                                         {"/Never", nullptr, 0}});
  ASSERT_NE(bar, nullptr);
  GtkWidget* win = window_with(bar, "Menus");

  // The submenu item is found without its leading slash, the items by their
  // full path; an item shows the last part of its path.
  GtkWidget* file = Find_Widget(win, "File");
  GtkWidget* skip = Find_Widget(win, "View/Set skip");
  GtkWidget* pre = Find_Widget(win, "View/Set skip/Use Pre sync");
  GtkWidget* view = Find_Widget(win, "View");
  ASSERT_TRUE(file != nullptr && skip != nullptr && pre != nullptr && view != nullptr);
  EXPECT_EQ(owner_item(pre), skip);
  EXPECT_EQ(owner_item(skip), view);
  EXPECT_EQ(label_of(pre), "Use Pre sync");

  // Only the slashes count: "Zoom/In (i)" right after "/File" is in File.
  GtkWidget* zoom_in = Find_Widget(win, "Zoom/In (i)");
  ASSERT_NE(zoom_in, nullptr);
  EXPECT_EQ(owner_item(zoom_in), file);
  // "View/Lum..." after the depth-2 submenu goes back to the View menu.
  EXPECT_EQ(owner_item(Find_Widget(win, "View/Lum...")), view);
  // An item without a slash sits on the bar.
  GtkWidget* lum = Find_Widget(win, "Lum threshold");
  EXPECT_EQ(gtk_widget_get_parent(lum), bar);
  // Type 2 makes nothing; entries after the null path are not read.
  EXPECT_EQ(Find_Widget(win, "View/Nothing"), nullptr);
  EXPECT_EQ(Find_Widget(win, "Never"), nullptr);

  // Every submenu starts with a tear-off; the separator has no identifier.
  std::vector<GtkWidget*> file_items = menu_children(gtk_menu_item_get_submenu(GTK_MENU_ITEM(file)));
  ASSERT_EQ(file_items.size(), 4u);
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  EXPECT_TRUE(GTK_IS_TEAROFF_MENU_ITEM(file_items[0]));
  G_GNUC_END_IGNORE_DEPRECATIONS
  EXPECT_EQ(id_of(file_items[1]), std::string("File/Open..."));
  EXPECT_TRUE(GTK_IS_SEPARATOR_MENU_ITEM(file_items[2]));
  EXPECT_EQ(id_of(file_items[2]), nullptr);
  EXPECT_EQ(file_items[3], zoom_in);
  // Bar: File, View, Lum threshold.
  EXPECT_EQ(menu_children(bar).size(), 3u);
  // Lookup goes only into the submenus of items with an identifier; an
  // entry leads back to the window of its bar, also from a sub-submenu.
  GtkWidget* anon = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(test::menu_item(bar, "Anon", nullptr)), anon);
  test::menu_item(anon, "Hidden", "Anon/Hidden");
  EXPECT_EQ(Find_Widget(win, "Anon/Hidden"), nullptr);
  EXPECT_EQ(Find_Parent_Window(pre), win);
  EXPECT_EQ(Find_Parent_Window(nullptr), nullptr);

  // Callbacks get the item and its path: plain items on "activate", check
  // items on "toggled".
  gtk_menu_item_activate(GTK_MENU_ITEM(Find_Widget(win, "File/Open...")));
  gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(pre), TRUE);
  gtk_menu_item_activate(GTK_MENU_ITEM(lum));
  EXPECT_EQ(g_calls,
            (std::vector<std::string>{"File/Open...", "View/Set skip/Use Pre sync", "Lum threshold"}));
}

TEST_F(MenuTest, FourSlashesAreTheLimit) {
  GtkWidget* bar = Create_Menu(nullptr, {{"/a", nullptr, 0},
                                         {"/a/b", nullptr, 0},
                                         {"/a/b/c", nullptr, 0},
                                         {"/a/b/c/d", nullptr, 0},
                                         {"a/b/c/d/e", record, kMenuButton},
                                         {nullptr, nullptr, 0}});
  ASSERT_NE(bar, nullptr);
  GtkWidget* win = window_with(bar, "Deep");
  GtkWidget* e = Find_Widget(win, "a/b/c/d/e");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(owner_item(e), Find_Widget(win, "a/b/c/d"));

  testing::internal::CaptureStderr();
  GtkWidget* too_deep = Create_Menu(
      nullptr,
      {{"/a", nullptr, 0}, {"/a/b/c/d/e", nullptr, 0}, {"a/x", record, kMenuButton}, {nullptr, nullptr, 0}});
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(too_deep, nullptr);
  EXPECT_EQ(err, "ERROR in CreateMenu: Too deep: /a/b/c/d/e!\n");

  // An item before any submenu of its depth has nowhere to go: reported and
  // left out, the rest of the bar is built.
  testing::internal::CaptureStderr();
  GtkWidget* orphan =
      Create_Menu(nullptr, {{"x/y/z", record, kMenuButton}, {"/Ok", nullptr, 0}, {nullptr, nullptr, 0}});
  err = testing::internal::GetCapturedStderr();
  ASSERT_NE(orphan, nullptr);
  EXPECT_EQ(err, "ERROR in CreateMenu: No menu for: x/y/z!\n");
  EXPECT_EQ(menu_children(orphan).size(), 1u);
  g_object_ref_sink(orphan);
  g_object_unref(orphan);
}

TEST_F(MenuTest, ConsecutiveRadioEntriesFormOneGroup) {
  std::vector<MenuEntry> entries{{"/Channel", nullptr, 0}};
  static const char* kChannels[] = {"Channel/Ch1", "Channel/Ch2", "Channel/Ch3", "Channel/Ch4",
                                    "Channel/Ch5", "Channel/Ch6", "Channel/Ch7", "Channel/Ch8",
                                    "Channel/Ch9", "Channel/Ch10"};
  for (const char* c : kChannels) entries.push_back({c, record, kMenuRadio});
  entries.push_back({"/Palette", nullptr, 0});
  entries.push_back({"Palette/A", record, kMenuRadio});
  entries.push_back({"Palette/B", record, kMenuRadio});
  entries.push_back({"separator/", nullptr, 0});
  entries.push_back({"Palette/C", record, kMenuRadio});
  entries.push_back({"Palette/Plain", record, kMenuButton});
  entries.push_back({"Palette/D", record, kMenuRadio});
  entries.push_back({nullptr, nullptr, 0});
  GtkWidget* win = window_with(Create_Menu(nullptr, entries), "Radio");

  GSList* group = gtk_radio_menu_item_get_group(GTK_RADIO_MENU_ITEM(Find_Widget(win, "Channel/Ch1")));
  EXPECT_EQ(g_slist_length(group), 10u);
  gtk_menu_item_activate(GTK_MENU_ITEM(Find_Widget(win, "Channel/Ch5")));
  for (const char* c : kChannels) {
    bool on = gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(Find_Widget(win, c)));
    EXPECT_EQ(on, std::strcmp(c, "Channel/Ch5") == 0) << c;
  }
  // Only the item that ends up selected runs its command (the one switched
  // off is activated by the toolkit too).
  EXPECT_EQ(g_calls, (std::vector<std::string>{"Channel/Ch5"}));

  // The tear-off of a new submenu, a separator and a plain item each start
  // a new group.
  auto group_of = [win](const char* id) {
    return gtk_radio_menu_item_get_group(GTK_RADIO_MENU_ITEM(Find_Widget(win, id)));
  };
  EXPECT_EQ(g_slist_length(group_of("Palette/A")), 2u);
  EXPECT_EQ(group_of("Palette/A"), group_of("Palette/B"));
  EXPECT_EQ(g_slist_length(group_of("Palette/C")), 1u);
  EXPECT_EQ(g_slist_length(group_of("Palette/D")), 1u);
  EXPECT_EQ(g_slist_find(group, Find_Widget(win, "Palette/A")), nullptr);
}

// ---------------------------------------------------------------- option menus
GtkWidget* g_nested_target = nullptr;
void record_and_reselect(GtkWidget* w, const char* id) {
  record(w, id);
  // A callback that moves the same option menu only selects.
  if (g_nested_target != nullptr) Set_Optionsmenu(g_nested_target, "!Show channel", 1);
}

TEST_F(MenuTest, OptionMenuRunsItsCallbackOnceAtCreation) {
  GtkWidget* om = Create_Optionmenu("!Show channel", record, 2, {"Chan 1", "Chan 2", "Chan 3"});
  ASSERT_TRUE(GTK_IS_COMBO_BOX_TEXT(om));  // no label box for "!"
  EXPECT_EQ(g_calls, (std::vector<std::string>{"Chan 3"}));
  GtkWidget* labelled = Create_Optionmenu("^Disk", nullptr, 0, {"x", "y"});
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_box_pack_start(GTK_BOX(box), om, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), labelled, FALSE, FALSE, 0);
  GtkWidget* win = window_with(box, "Options");

  EXPECT_EQ(Get_Optionsmenu(win, "!Show channel"), 2);
  EXPECT_EQ(Get_Optionsmenu(win, "^Disk"), 0);
  EXPECT_EQ(Get_Optionsmenu(win, "Missing"), -1);
  EXPECT_EQ(Get_Optionsmenu(nullptr, "!Show channel"), 0);
  EXPECT_EQ(option_menu_get_history(nullptr), -1);
  EXPECT_STREQ(soption_menu_get_history(om), "Chan 3");
  EXPECT_EQ(soption_menu_get_history(nullptr), nullptr);

  // Set_Optionsmenu selects and runs the callback once, even for the item
  // already selected; a missing identifier does nothing.
  g_calls.clear();
  Set_Optionsmenu(win, "!Show channel", 0);
  Set_Optionsmenu(win, "!Show channel", 0);
  Set_Optionsmenu(win, "Missing", 1);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"Chan 1", "Chan 1"}));
  // The user picking an item runs it too.
  gtk_combo_box_set_active(GTK_COMBO_BOX(om), 1);
  EXPECT_EQ(g_calls.back(), "Chan 2");

  // Re-entry: the callback's own Set_Optionsmenu selects without running.
  Add_Options(win, "!Show channel", record_and_reselect, -1,
              std::vector<std::string>{"Chan 1", "Chan 2", "Chan 3"});
  g_calls.clear();
  g_nested_target = win;
  Set_Optionsmenu(win, "!Show channel", 2);
  g_nested_target = nullptr;
  EXPECT_EQ(g_calls, (std::vector<std::string>{"Chan 3"}));
  EXPECT_EQ(Get_Optionsmenu(win, "!Show channel"), 1);
}

TEST_F(MenuTest, AddOptionsReadsBlocksByStride) {
  GtkWidget* om = Create_Optionmenu("!Drive", nullptr, 0, {"old"});
  GtkWidget* win = window_with(om, "Stride");
  // Two 10-byte entries; the first fills its whole slot without a NUL.
  char block[30] = {};
  std::memcpy(block, "a:\\", 3);
  std::memcpy(block + 10, "c:\\", 3);
  g_calls.clear();
  EXPECT_EQ(Add_Options(win, "!Drive", record, 1, block, 2, 10), om);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"c:\\"}));
  EXPECT_EQ(Get_Optionsmenu(win, "!Drive"), 1);
  gtk_combo_box_set_active(GTK_COMBO_BOX(om), 0);
  EXPECT_STREQ(soption_menu_get_history(om), "a:\\");

  std::memcpy(block, "abcdefghij", 10);
  std::memcpy(block + 10, "klm", 4);
  std::memcpy(block + 20, "nopqrstuvw", 10);  // last slot: no NUL before the end of the block
  g_calls.clear();
  Add_Options(win, "!Drive", record, 2, block, 3, 10);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"nopqrstuvw"}));
  gtk_combo_box_set_active(GTK_COMBO_BOX(om), 0);
  EXPECT_EQ(g_calls.back(), "abcdefghij");

  // An identifier that is not found: the widget itself, when it is one.
  g_calls.clear();
  EXPECT_EQ(Add_Options(om, "Nowhere", record, 0, std::vector<std::string>{"one", "two"}), om);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"one"}));
  EXPECT_EQ(Add_Options(win, "Nowhere", record, 0, std::vector<std::string>{"x"}), nullptr);
  // An initial index past the end selects nothing and runs nothing.
  g_calls.clear();
  Add_Options(om, nullptr, record, 5, std::vector<std::string>{"one"});
  EXPECT_TRUE(g_calls.empty());
  EXPECT_EQ(option_menu_get_history(om), -1);
}

// ---------------------------------------------------------------- containers
int g_switches = 0;
void on_switch(GtkNotebook*, GtkWidget*, guint, gpointer) { ++g_switches; }

TEST_F(MenuTest, NotebookAndToolbar) {
  GtkWidget* list = Create_Clist("Satellites", nullptr, nullptr, nullptr, 1, {{"Name", 20}});
  GtkWidget* nb = Create_Notebook(on_switch, 2, {{"List", list}, {"Text", gtk_label_new("page two")}});
  // A list page is its scrolled window.
  EXPECT_EQ(gtk_notebook_get_nth_page(GTK_NOTEBOOK(nb), 0), gtk_widget_get_parent(list));
  // A null tip ends the list of tools.
  GtkWidget* bar = Create_Toolbar(
      record, {{"Open", "Open a picture"}, {"Save", "Save it"}, {"Never", nullptr}, {"After", "not read"}});
  ASSERT_EQ(gtk_toolbar_get_n_items(GTK_TOOLBAR(bar)), 2);
  GtkWidget* win = window_with(Pack(nullptr, 'v', bar, 0, nb, -1, nullptr), "Book");
  gtk_widget_show_all(win);
  test::drain();
  g_switches = 0;
  gtk_notebook_set_current_page(GTK_NOTEBOOK(nb), 1);
  EXPECT_EQ(g_switches, 1);
  g_signal_emit_by_name(gtk_toolbar_get_nth_item(GTK_TOOLBAR(bar), 1), "clicked");
  EXPECT_EQ(g_calls, (std::vector<std::string>{"Save"}));
}

#ifdef KELO_HAVE_XTEST
// Clicks a menu item (on the bar or in a shown menu) with the real mouse.
void click_item(GtkWidget* item) {
  GtkWidget* top = gtk_widget_get_toplevel(item);
  GtkAllocation a;
  gtk_widget_get_allocation(item, &a);
  int x = 0, y = 0;
  ASSERT_TRUE(gtk_widget_translate_coordinates(item, top, a.width / 2, a.height / 2, &x, &y));
  test::x_click(top, x, y);
  test::settle();
}

TEST_F(MenuTest, RealClicksOpenMenusAndRunItems) {
  if (!test::xtest_ready()) GTEST_SKIP() << "needs an X server with the test extension";
  GtkWidget* bar = Create_Menu(nullptr, {{"/File", nullptr, 0},
                                         {"File/Open...", record, kMenuButton},
                                         {"/Channel", nullptr, 0},
                                         {"Channel/Ch1", record, kMenuRadio},
                                         {"Channel/Ch2", record, kMenuRadio},
                                         {nullptr, nullptr, 0}});
  GtkWidget* win = window_with(bar, "Clicks");
  gtk_widget_show_all(win);
  gtk_window_move(GTK_WINDOW(win), 0, 0);
  test::settle();
  click_item(Find_Widget(win, "File"));
  GtkWidget* open = Find_Widget(win, "File/Open...");
  ASSERT_TRUE(gtk_widget_get_mapped(open));
  click_item(open);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"File/Open..."}));

  g_calls.clear();
  click_item(Find_Widget(win, "Channel"));
  click_item(Find_Widget(win, "Channel/Ch2"));
  EXPECT_EQ(g_calls, (std::vector<std::string>{"Channel/Ch2"}));
  EXPECT_TRUE(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(Find_Widget(win, "Channel/Ch2"))));
  EXPECT_FALSE(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(Find_Widget(win, "Channel/Ch1"))));
}
#endif

}  // namespace
}  // namespace kelo
