// Identifier lookup, the window list, records, colours, fonts, key peeking
// and the program-path search of the GUI layer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "app/paths.h"
#include "lumo/adjust.h"
#include "lumo/buttons.h"
#include "lumo/lumo_misc.h"
#include "lumo/packing.h"
#include "lumo/rgbdraw.h"
#include "lumo/windows.h"
#include "lumo_fixture.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

using test::LumoTest;
using test::ScopedCwd;
using test::ScopedEnv;
using test::TempDir;

// PATH removed for a scope.
class UnsetEnv {
 public:
  explicit UnsetEnv(const char* name) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    unsetenv(name);
  }
  ~UnsetEnv() {
    if (had_) setenv(name_, old_.c_str(), 1);
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

void nop(GtkWidget*, const char*) {}

GtkWidget* named_menu_item(const char* id) {
  GtkWidget* item = gtk_menu_item_new_with_label(id);
  if (id != nullptr) g_object_set_data(G_OBJECT(item), kKeyId, const_cast<char*>(id));
  return item;
}

TEST_F(LumoTest, LookupBySlashDepthFirstAndPseudoIdentifiers) {
  GtkWidget* win = Create_Window(nullptr, 200, 100, "Lookup", nullptr);
  // Two "Go" buttons: one deep in the first column, one in the second.
  GtkWidget* deep_go = Create_Button("Go", nop);
  GtkWidget* late_go = Create_Button("Go", nop);
  GtkWidget* other = Create_Button("Other", nop);
  GtkWidget* area = gtk_drawing_area_new();
  GtkWidget* left = Pack("!left", 'v', Pack("!inner", 'h', deep_go, 0, nullptr), 0, nullptr);
  GtkWidget* right = Pack("!right", 'v', late_go, 0, other, 0, nullptr);
  GtkWidget* top = Pack(nullptr, 'h', left, 0, right, 0, area, 0, nullptr);
  gtk_container_add(GTK_CONTAINER(win), top);

  // Depth first: the match inside the earlier child wins over a later sibling.
  EXPECT_EQ(Find_Widget(other, "Go"), deep_go);
  // A slash searches only below the given widget.
  EXPECT_EQ(Find_Widget(right, "/Go"), late_go);
  EXPECT_EQ(Find_Widget(right, "/!inner"), nullptr);
  EXPECT_EQ(Find_Widget(right, "!inner"), gtk_widget_get_parent(deep_go));
  // The container itself is never compared.
  EXPECT_EQ(Find_Local_Widget(right, "!right"), nullptr);
  EXPECT_EQ(Find_Widget(other, "!right"), right);
  // Pseudo identifiers find the one canvas and the first boxes by type.
  EXPECT_EQ(Find_Widget(other, "GTK_DRAWING_AREA"), area);
  EXPECT_EQ(Find_Widget(other, "GTK_HBOX"), top);
  EXPECT_EQ(Find_Widget(other, "GTK_VBOX"), left);
  EXPECT_EQ(Find_Widget(other, "GTK_BOX"), top);
  EXPECT_EQ(Find_Widget(other, "Missing"), nullptr);
  EXPECT_EQ(Find_Widget(other, nullptr), nullptr);
  // Identifiers are exact and case-sensitive.
  EXPECT_EQ(Find_Widget(other, "go"), nullptr);
  EXPECT_EQ(Find_Widget(other, "Go "), nullptr);
  // Remove_Widget destroys the assembly found by its top identifier.
  EXPECT_EQ(Remove_Widget(win, "!left"), 1);
  EXPECT_EQ(Find_Widget(other, "Go"), late_go);
  EXPECT_EQ(Remove_Widget(win, "!left"), 0);
}

TEST_F(LumoTest, TopIdentifierPrefersTheWrapper) {
  GtkWidget* win = Create_Window(nullptr, 200, 100, "Top", nullptr);
  GtkWidget* entry_box = Create_Entry("^Width", nop, "%d", 12);
  gtk_container_add(GTK_CONTAINER(win), Pack(nullptr, 'v', entry_box, 0, nullptr));
  GtkWidget* entry = Find_Widget(win, "^Width");
  ASSERT_NE(entry, nullptr);
  EXPECT_TRUE(GTK_IS_ENTRY(entry));
  EXPECT_EQ(Find_Top_Widget(win, "^Width"), entry_box);
  EXPECT_NE(entry_box, entry);
}

TEST_F(LumoTest, MenuSubmenusOfNamedItemsOnly) {
  GtkWidget* win = Create_Window(nullptr, 200, 100, "Menus", nullptr);
  GtkWidget* bar = gtk_menu_bar_new();
  GtkWidget* file = named_menu_item("File");
  GtkWidget* anon = gtk_menu_item_new_with_label("Anon");
  GtkWidget* file_menu = gtk_menu_new();
  GtkWidget* anon_menu = gtk_menu_new();
  GtkWidget* open = named_menu_item("File/Open");
  GtkWidget* hidden = named_menu_item("Anon/Hidden");
  gtk_menu_shell_append(GTK_MENU_SHELL(file_menu), open);
  gtk_menu_shell_append(GTK_MENU_SHELL(anon_menu), hidden);
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(file), file_menu);
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(anon), anon_menu);
  gtk_menu_shell_append(GTK_MENU_SHELL(bar), file);
  gtk_menu_shell_append(GTK_MENU_SHELL(bar), anon);
  gtk_container_add(GTK_CONTAINER(win), bar);

  EXPECT_EQ(Find_Widget(bar, "File/Open"), open);
  EXPECT_EQ(Find_Widget(bar, "Anon/Hidden"), nullptr);
  // A menu entry leads back to the window of its menu bar, also from a
  // sub-submenu.
  EXPECT_EQ(Find_Parent_Window(open), win);
  GtkWidget* sub = gtk_menu_new();
  GtkWidget* deeper = named_menu_item("File/Open/Recent");
  gtk_menu_shell_append(GTK_MENU_SHELL(sub), deeper);
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(open), sub);
  EXPECT_EQ(Find_Parent_Window(deeper), win);
  EXPECT_EQ(Find_Widget(win, "File/Open/Recent"), deeper);
  EXPECT_EQ(Find_Parent_Window(nullptr), nullptr);
}

TEST_F(LumoTest, ParentWindowOfAnAdjustment) {
  GtkWidget* win = Create_Window(nullptr, 200, 100, "Adj", nullptr);
  GtkWidget* spin = Create_Spin("!Gain", nullptr, "%d%d%d", 5, 0, 10);
  gtk_container_add(GTK_CONTAINER(win), spin);
  auto* adj = static_cast<GtkAdjustment*>(g_object_get_data(G_OBJECT(spin), kKeyAdj));
  ASSERT_NE(adj, nullptr);
  EXPECT_EQ(Find_Parent_Window(adj), win);
}

TEST_F(LumoTest, WindowListTitlesAndRecords) {
  GtkWidget* main_win = Create_Window(nullptr, 300, 200, "Kelo", nullptr);
  GtkWidget* a = Create_Window(main_win, 100, 100, "Alpha", nullptr);
  std::string long_title(120, 'x');
  long_title.replace(0, 4, "Long");
  GtkWidget* b = Create_Window(a, 100, 100, long_title.c_str(), nullptr);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  // One list: created from main_win and from a member of its list.
  EXPECT_EQ(First_window(b), main_win);
  EXPECT_EQ(Next_window(main_win), a);
  EXPECT_EQ(Next_window(a), b);
  EXPECT_EQ(Next_window(b), nullptr);
  EXPECT_EQ(Find_Window(b, "Kelo"), main_win);
  EXPECT_EQ(Find_Window(main_win, "Alpha"), a);
  EXPECT_EQ(Find_Window(main_win, "Beta"), nullptr);
  // Titles keep 99 characters.
  EXPECT_EQ(Find_Window(main_win, long_title.c_str()), nullptr);
  EXPECT_EQ(Find_Window(main_win, long_title.substr(0, kWndTitleMax).c_str()), b);
  GtkWidget* ok = Create_Button("OK", nop);
  gtk_container_add(GTK_CONTAINER(a), ok);
  EXPECT_EQ(Find_iw_Widget(main_win, "Alpha", "OK"), ok);
  // Find_aw_Widget searches the current window, then every window.
  EXPECT_EQ(Find_aw_Widget(main_win, "OK"), ok);
  EXPECT_EQ(Find_cw_Widget(main_win, "OK"), nullptr);

  // A destroyed window leaves the list.
  gtk_widget_destroy(a);
  EXPECT_EQ(Next_window(main_win), b);
  EXPECT_EQ(Find_Window(main_win, "Alpha"), nullptr);
  Close_Window(b);
  EXPECT_EQ(Next_window(main_win), nullptr);
  EXPECT_EQ(First_window(nullptr), nullptr);
}

TEST_F(LumoTest, CanvasRecordAndUpdateFlag) {
  GtkWidget* area = gtk_drawing_area_new();
  DRAWABLE_INFO rgbi;
  EXPECT_EQ(Get_RGBI(area), nullptr);
  EXPECT_EQ(Set_Enable_Update(area, 1), nullptr);
  EXPECT_EQ(Get_Enable_Update(area), 0);
  g_object_set_data(G_OBJECT(area), kKeyDrawable, &rgbi);
  GtkWidget* wrapper = Add_Scrollbars(area, "hbar", "vbar", nullptr);
  EXPECT_EQ(Get_RGBI(area), &rgbi);
  // The wrapper leads to the canvas through "CHILD_IS".
  EXPECT_EQ(Set_Enable_Update(wrapper, 1), &rgbi);
  EXPECT_EQ(rgbi.update, 1);
  EXPECT_EQ(Get_Enable_Update(wrapper), 1);
  Set_Enable_Update(area, 0);
  EXPECT_EQ(Get_Enable_Update(wrapper), 0);
  g_object_ref_sink(wrapper);
  g_object_set_data(G_OBJECT(area), kKeyDrawable, nullptr);
  gtk_widget_destroy(wrapper);
  g_object_unref(wrapper);
}

TEST_F(LumoTest, DeselectAListByWindowTitle) {
  GtkWidget* main_win = Create_Window(nullptr, 300, 200, "Kelo", nullptr);
  GtkWidget* files = Create_Window(main_win, 300, 200, "Files", nullptr);
  GtkListStore* store = gtk_list_store_new(1, G_TYPE_STRING);
  GtkTreeIter it;
  gtk_list_store_append(store, &it);
  gtk_list_store_set(store, &it, 0, "a.hrp", -1);
  GtkWidget* view = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
  g_object_unref(store);
  g_object_set_data(G_OBJECT(view), kKeyId, const_cast<char*>("Dir list"));
  gtk_container_add(GTK_CONTAINER(files), view);
  GtkTreeSelection* sel = gtk_tree_view_get_selection(GTK_TREE_VIEW(view));
  gtk_tree_selection_select_iter(sel, &it);
  ASSERT_EQ(gtk_tree_selection_count_selected_rows(sel), 1);
  EXPECT_EQ(Deselect_Clist(main_win, "Nowhere", "Dir list"), 0);
  EXPECT_EQ(gtk_tree_selection_count_selected_rows(sel), 1);
  EXPECT_NE(Deselect_Clist(main_win, "Files", "Dir list"), 0);
  EXPECT_EQ(gtk_tree_selection_count_selected_rows(sel), 0);
}

TEST(LumoColours, ButtonColourComponents) {
  // 0x1F2: red 1, green F, blue 2; pressed is two steps darker, clamped at 0.
  LumoColor full = rgb12_color(0x1F2);
  LumoColor dark = rgb12_color(0x1F2, 2);
  EXPECT_EQ(full.red, 0x1111);
  EXPECT_EQ(full.green, 0xFFFF);
  EXPECT_EQ(full.blue, 0x2222);
  EXPECT_EQ(dark.red, 0);
  EXPECT_EQ(dark.green, 0xDDDD);
  EXPECT_EQ(dark.blue, 0);

  // Prelight is the second argument; unknown kinds store nothing.
  LumoColor red{0xFFFF, 0, 0};
  LumoStyle s = Create_RcStyle(kColorBg, nullptr, &red, nullptr, nullptr, nullptr);
  EXPECT_EQ(s.kind, kColorBg);
  EXPECT_FALSE(s.set[0]);
  EXPECT_TRUE(s.set[1]);
  EXPECT_EQ(lumo_style_css(s), "*:hover { background-color: rgb(255,0,0); background-image: none; }\n");
  LumoStyle none = Create_RcStyle(3, &red, &red, &red, &red, &red);
  EXPECT_EQ(none.kind, 0);
  EXPECT_EQ(lumo_style_css(none), "");
  LumoStyle fg = Create_RcStyle(kColorFg, nullptr, nullptr, nullptr, nullptr, &red);
  EXPECT_EQ(lumo_style_css(fg), "*:disabled { color: rgb(255,0,0); }\n");
}

TEST_F(LumoTest, ButtonColourReachesTheWidgetStates) {
  GtkWidget* win = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWidget* b = gtk_toggle_button_new_with_label("Sync");
  gtk_container_add(GTK_CONTAINER(win), b);
  Set_Buttoncolor(b, 0x1F2);
  GtkStyleContext* ctx = gtk_widget_get_style_context(b);
  GdkRGBA normal{}, pressed{};
  gtk_style_context_save(ctx);
  gtk_style_context_set_state(ctx, GTK_STATE_FLAG_NORMAL);
  GdkRGBA* c = nullptr;
  gtk_style_context_get(ctx, GTK_STATE_FLAG_NORMAL, "background-color", &c, nullptr);
  normal = *c;
  gdk_rgba_free(c);
  gtk_style_context_set_state(ctx, GTK_STATE_FLAG_CHECKED);
  gtk_style_context_get(ctx, GTK_STATE_FLAG_CHECKED, "background-color", &c, nullptr);
  pressed = *c;
  gdk_rgba_free(c);
  gtk_style_context_restore(ctx);
  EXPECT_NEAR(normal.red, 0x11 / 255.0, 1e-3);
  EXPECT_NEAR(normal.green, 1.0, 1e-3);
  EXPECT_NEAR(normal.blue, 0x22 / 255.0, 1e-3);
  EXPECT_NEAR(pressed.red, 0.0, 1e-3);
  EXPECT_NEAR(pressed.green, 0xDD / 255.0, 1e-3);
  EXPECT_NEAR(pressed.blue, 0.0, 1e-3);
  // A later colour of the same kind replaces the earlier one.
  Set_Widgetcolor(b, 'b', 0, 0, 255);
  gtk_style_context_get(ctx, GTK_STATE_FLAG_NORMAL, "background-color", &c, nullptr);
  EXPECT_NEAR(c->blue, 1.0, 1e-3);
  EXPECT_NEAR(c->green, 0.0, 1e-3);
  gdk_rgba_free(c);
  gtk_widget_destroy(win);
}

TEST_F(LumoTest, FontSizeZeroChangesNothing) {
  EXPECT_EQ(set_fontsize(0), 120);
  EXPECT_EQ(set_fontsize(-5), 120);
  EXPECT_EQ(set_fontsize(100), 100);
  GtkWidget* label = gtk_label_new("x");
  GtkWidget* win = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_container_add(GTK_CONTAINER(win), label);
  PangoFontDescription* font = nullptr;
  gtk_style_context_get(gtk_widget_get_style_context(label), GTK_STATE_FLAG_NORMAL, "font", &font, nullptr);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(pango_font_description_get_size(font), 10 * PANGO_SCALE);
  pango_font_description_free(font);
  // 0 keeps the 10-point font.
  EXPECT_EQ(set_fontsize(0), 120);
  gtk_style_context_get(gtk_widget_get_style_context(label), GTK_STATE_FLAG_NORMAL, "font", &font, nullptr);
  EXPECT_EQ(pango_font_description_get_size(font), 10 * PANGO_SCALE);
  pango_font_description_free(font);
  EXPECT_EQ(set_fontsize(120), 120);
  PangoFontDescription* f = get_font(95);
  EXPECT_EQ(pango_font_description_get_size(f), 95 * PANGO_SCALE / 10);
  pango_font_description_free(f);
  gtk_widget_destroy(win);
}

TEST_F(LumoTest, CursorNeedsARealisedWidget) {
  GtkWidget* win = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  EXPECT_EQ(Create_Cursor(nullptr, GDK_WATCH), nullptr);
  EXPECT_EQ(Create_Cursor(win, GDK_WATCH), nullptr);  // not realised yet
  gtk_widget_realize(win);
  GdkCursor* c = Create_Cursor(win, GDK_WATCH);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(gdk_cursor_get_cursor_type(c), GDK_WATCH);
  EXPECT_EQ(gdk_window_get_cursor(gtk_widget_get_window(win)), c);
  GdkCursor* d = Create_Cursor(win, GDK_PLUS);
  EXPECT_EQ(gdk_cursor_get_cursor_type(d), GDK_PLUS);
  gtk_widget_destroy(win);
}

GdkEvent* key_event(guint keyval) {
  GdkEvent* ev = gdk_event_new(GDK_KEY_PRESS);
  ev->key.keyval = keyval;
  return ev;
}

TEST_F(LumoTest, CheckKeyPressedTakesOnlyTheMatchingKey) {
  test::drain();
  EXPECT_EQ(CheckKeyPressed(GDK_KEY_Escape), 0);
  GdkEvent* esc = key_event(GDK_KEY_Escape);
  gdk_event_put(esc);
  gdk_event_free(esc);
  EXPECT_EQ(CheckKeyPressed(GDK_KEY_Escape), 1);
  EXPECT_EQ(gdk_event_peek(), nullptr);

  // Another key stays first in the queue, before a later Escape.
  GdkEvent* a = key_event(GDK_KEY_a);
  GdkEvent* e2 = key_event(GDK_KEY_Escape);
  gdk_event_put(a);
  gdk_event_put(e2);
  gdk_event_free(a);
  gdk_event_free(e2);
  EXPECT_EQ(CheckKeyPressed(GDK_KEY_Escape), 0);
  GdkEvent* first = gdk_event_get();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->key.keyval, static_cast<guint>(GDK_KEY_a));
  gdk_event_free(first);
  EXPECT_EQ(CheckKeyPressed(GDK_KEY_Escape), 1);
}

TEST(LumoPath, ProgramDirectoryFromNameOrPath) {
  TempDir dir;
  std::string bin = join_path(dir.path(), "bin");
  ASSERT_EQ(mkdir(bin.c_str(), 0755), 0);
  { std::ofstream(join_path(bin, "kelo")) << "#!/bin/sh\n"; }
  { std::ofstream(join_path(dir.path(), "kelo")) << "#!/bin/sh\n"; }

  EXPECT_EQ(get_path("/opt/kelo/bin/kelo"), "/opt/kelo/bin");
  EXPECT_EQ(get_path("./kelo"), ".");
  EXPECT_EQ(get_path(nullptr), "");
  {
    ScopedEnv path("PATH", "/nonexistent:" + bin);
    EXPECT_EQ(get_path("kelo"), bin);
    EXPECT_EQ(get_path("nothere"), "");
  }
  {
    // An empty element is the current directory (POSIX), searched in order.
    ScopedCwd cwd(dir.path());
    ScopedEnv path("PATH", "/nonexistent::" + bin);
    EXPECT_EQ(get_path("kelo"), ".");
  }
  {
    ScopedCwd cwd(dir.path());
    UnsetEnv path("PATH");
    EXPECT_EQ(get_path("kelo"), ".");
    EXPECT_EQ(get_path("nothere"), "");
  }
}

TEST(LumoFloat, LittleEndianFloatsOnThisHost) {
  // File bytes 00 00 80 3F are 1.0f in little-endian order.
  const unsigned char file_bytes[4] = {0x00, 0x00, 0x80, 0x3F};
  float raw;
  std::memcpy(&raw, file_bytes, sizeof raw);
  EXPECT_EQ(float32_from_le(raw), 1.0f);
  float out = float32_to_le(-2.5f);
  unsigned char bytes[4];
  std::memcpy(bytes, &out, sizeof bytes);
  const unsigned char expect[4] = {0x00, 0x00, 0x20, 0xC0};
  EXPECT_EQ(std::memcmp(bytes, expect, 4), 0);
}

}  // namespace
}  // namespace kelo

namespace kelo {
namespace {

using test::LumoTest;

TEST_F(LumoTest, NullIdentifiersListForDebugging) {
  GtkWidget* main_win = Create_Window(nullptr, 100, 100, "Kelo", nullptr);
  Create_Window(main_win, 100, 100, "Luminance", nullptr);
  GtkWidget* ok = Create_Button("OK", nullptr);
  gtk_container_add(GTK_CONTAINER(main_win), Pack("!row", 'h', ok, 0, nullptr));
  testing::internal::CaptureStdout();
  EXPECT_EQ(Find_Window(main_win, nullptr), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Kelo\nLuminance\n");
  testing::internal::CaptureStdout();
  EXPECT_EQ(Find_Widget1(main_win, nullptr, 0), nullptr);
  std::string listing = testing::internal::GetCapturedStdout();
  EXPECT_EQ(listing.rfind("ID=0! Debug-mode! name=!row (", 0), 0u) << listing;
  EXPECT_NE(listing.find("\nID=0! Debug-mode! name=OK ("), std::string::npos) << listing;
}

}  // namespace
}  // namespace kelo
