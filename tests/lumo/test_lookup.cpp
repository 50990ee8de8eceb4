// Identifier lookup, the packing language, the window list, records,
// colours, fonts, key peeking and the program-path search of the GUI layer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <tuple>

#include "core/base/paths.h"
#include "core/view/rgbdraw.h"
#include "lumo/adjust.h"
#include "lumo/buttons.h"
#include "lumo/lumo_misc.h"
#include "lumo/packing.h"
#include "lumo/windows.h"
#include "lumo_fixture.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

using test::id_of;
using test::LumoTest;

void nop(GtkWidget*, const char*) {}

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
  // An entry with its label box: the top identifier leads to the wrapper.
  GtkWidget* entry_box = Create_Entry("^Width", nop, "%d", 12);
  gtk_box_pack_start(GTK_BOX(right), entry_box, FALSE, FALSE, 0);

  const std::pair<const char*, GtkWidget*> cases[] = {
      {"Go", deep_go},  // depth first: inside the earlier child before a later sibling
      {"!right", right},
      {"!inner", gtk_widget_get_parent(deep_go)},
      // Pseudo identifiers find the one canvas and the first boxes by type.
      {"GTK_DRAWING_AREA", area},
      {"GTK_HBOX", top},
      {"GTK_VBOX", left},
      {"GTK_BOX", top},
      {"Missing", nullptr},
      {nullptr, nullptr},
      // Identifiers are exact and case-sensitive.
      {"go", nullptr},
      {"Go ", nullptr},
  };
  for (const auto& [id, want] : cases) EXPECT_EQ(Find_Widget(other, id), want) << (id ? id : "(null)");
  // A slash searches only below the given widget; the container itself is
  // never compared.
  EXPECT_EQ(Find_Widget(right, "/Go"), late_go);
  EXPECT_EQ(Find_Widget(right, "/!inner"), nullptr);
  EXPECT_EQ(Find_Local_Widget(right, "!right"), nullptr);
  GtkWidget* entry = Find_Widget(win, "^Width");
  EXPECT_TRUE(GTK_IS_ENTRY(entry));
  EXPECT_EQ(Find_Top_Widget(win, "^Width"), entry_box);
  // Remove_Widget destroys the assembly found by its top identifier.
  EXPECT_EQ(Remove_Widget(win, "!left"), 1);
  EXPECT_EQ(Find_Widget(other, "Go"), late_go);
  EXPECT_EQ(Remove_Widget(win, "!left"), 0);
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
  EXPECT_EQ((std::vector{First_window(b), Next_window(main_win), Next_window(a), Next_window(b)}),
            (std::vector<GtkWidget*>{main_win, a, b, nullptr}));
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

void expect_background(GtkWidget* w, GtkStateFlags state, double r, double g, double b) {
  GtkStyleContext* ctx = gtk_widget_get_style_context(w);
  gtk_style_context_save(ctx);
  gtk_style_context_set_state(ctx, state);
  GdkRGBA* c = nullptr;
  gtk_style_context_get(ctx, state, "background-color", &c, nullptr);
  gtk_style_context_restore(ctx);
  ASSERT_NE(c, nullptr);
  EXPECT_NEAR(c->red, r, 1e-3);
  EXPECT_NEAR(c->green, g, 1e-3);
  EXPECT_NEAR(c->blue, b, 1e-3);
  gdk_rgba_free(c);
}

// 0x1F2: red 1, green F, blue 2; pressed (checked) is two steps darker,
// clamped at 0.
TEST_F(LumoTest, ButtonColourReachesTheWidgetStates) {
  GtkWidget* win = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWidget* b = gtk_toggle_button_new_with_label("Sync");
  gtk_container_add(GTK_CONTAINER(win), b);
  Set_Buttoncolor(b, 0x1F2);
  expect_background(b, GTK_STATE_FLAG_NORMAL, 0x11 / 255.0, 1.0, 0x22 / 255.0);
  expect_background(b, GTK_STATE_FLAG_CHECKED, 0.0, 0xDD / 255.0, 0.0);
  // A later colour of the same kind replaces the earlier one.
  Set_Widgetcolor(b, 'b', 0, 0, 255);
  expect_background(b, GTK_STATE_FLAG_NORMAL, 0.0, 0.0, 1.0);
  gtk_widget_destroy(win);
}

TEST_F(LumoTest, CheckKeyPressedTakesOnlyTheMatchingKey) {
  test::drain();
  EXPECT_EQ(CheckKeyPressed(GDK_KEY_Escape), 0);
  test::put_key(GDK_KEY_Escape);
  EXPECT_EQ(CheckKeyPressed(GDK_KEY_Escape), 1);
  EXPECT_EQ(gdk_event_peek(), nullptr);

  // Another key stays first in the queue, before a later Escape.
  test::put_key(GDK_KEY_a);
  test::put_key(GDK_KEY_Escape);
  EXPECT_EQ(CheckKeyPressed(GDK_KEY_Escape), 0);
  GdkEvent* first = gdk_event_get();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->key.keyval, static_cast<guint>(GDK_KEY_a));
  gdk_event_free(first);
  EXPECT_EQ(CheckKeyPressed(GDK_KEY_Escape), 1);
}

TEST(LumoPath, ProgramDirectoryFromNameOrPath) {
  test::TempDir dir;
  const std::string bin = join_path(dir.path(), "bin");
  ASSERT_EQ(mkdir(bin.c_str(), 0755), 0);
  { std::ofstream(join_path(bin, "kelo")) << "#!/bin/sh\n"; }
  { std::ofstream(join_path(dir.path(), "kelo")) << "#!/bin/sh\n"; }
  EXPECT_EQ(get_path("/opt/kelo/bin/kelo"), "/opt/kelo/bin");
  EXPECT_EQ(get_path("./kelo"), ".");
  EXPECT_EQ(get_path(nullptr), "");

  struct Case {
    bool in_dir;
    std::optional<std::string> path;  // none: PATH unset
    const char* name;
    std::string want;
  };
  const Case cases[] = {
      {false, "/nonexistent:" + bin, "kelo", bin},
      {false, "/nonexistent:" + bin, "nothere", ""},
      // An empty element is the current directory (POSIX), searched in order.
      {true, "/nonexistent::" + bin, "kelo", "."},
      // Without PATH the current directory is searched.
      {true, std::nullopt, "kelo", "."},
      {true, std::nullopt, "nothere", ""},
  };
  for (const Case& c : cases) {
    std::optional<test::ScopedCwd> cwd;
    if (c.in_dir) cwd.emplace(dir.path());
    test::ScopedEnv path("PATH", c.path.value_or(""));
    if (!c.path) unsetenv("PATH");
    EXPECT_EQ(get_path(c.name), c.want) << c.path.value_or("(unset)") << " " << c.name;
  }
}

// ---------------------------------------------------------------- packing

// expand, fill, padding, pack type of a child.
using Packing = std::tuple<bool, bool, guint, GtkPackType>;
constexpr GtkPackType kStart = GTK_PACK_START;

Packing packing_of(GtkWidget* box, GtkWidget* child) {
  gboolean e = FALSE, f = FALSE;
  guint p = 0;
  GtkPackType t = GTK_PACK_START;
  gtk_box_query_child_packing(GTK_BOX(box), child, &e, &f, &p, &t);
  return Packing{e != FALSE, f != FALSE, p, t};
}

// Orientation and homogeneity of a box.
std::pair<GtkOrientation, bool> kind(GtkWidget* box) {
  return {gtk_orientable_get_orientation(GTK_ORIENTABLE(box)),
          gtk_box_get_homogeneous(GTK_BOX(box)) != FALSE};
}
constexpr GtkOrientation kH = GTK_ORIENTATION_HORIZONTAL, kV = GTK_ORIENTATION_VERTICAL;

// Owns a floating result so a test can drop it.
struct Sunk {
  explicit Sunk(GtkWidget* widget) : w(widget) { g_object_ref_sink(w); }
  ~Sunk() {
    gtk_widget_destroy(w);
    g_object_unref(w);
  }
  GtkWidget* w;
};

// Child codes are checked on packed widgets (SPackChildCodes).
TEST(LumoPackingCodes, BoxCodes) {
  struct BoxCase {
    const char* code;
    bool horizontal, homogeneous, scrolled;
    int spacing;
  };
  const BoxCase boxes[] = {
      {"v12", false, false, false, 12},
      {"vhH", true, true, false, 0},     // 'h' wins over 'v'
      {"Hs", true, true, true, 0},       // neither letter: horizontal
      {"v3h45", true, false, false, 3},  // only the first run of digits counts
  };
  for (const BoxCase& c : boxes) {
    BoxCode b = parse_box_code(c.code);
    EXPECT_EQ(std::tuple(b.horizontal, b.homogeneous, b.scrolled, b.spacing),
              std::tuple(c.horizontal, c.homogeneous, c.scrolled, c.spacing))
        << c.code;
  }
  EXPECT_EQ(first_number(nullptr), 0);
  EXPECT_EQ(first_number("abc"), 0);
}

TEST_F(LumoTest, PackDirectionsAndPadding) {
  GtkWidget* w = gtk_button_new();
  Sunk box(Pack(nullptr, 'x', w, 0, nullptr));
  ASSERT_TRUE(GTK_IS_BOX(box.w));
  EXPECT_EQ(kind(box.w), std::pair(kH, false));
  EXPECT_EQ(packing_of(box.w, w), Packing(false, false, 0, kStart));
  EXPECT_EQ(id_of(box.w, kKeyId), nullptr);

  // Drawing areas expand and fill whatever the sign of the padding; a
  // negative padding makes any child expand and fill.
  GtkWidget* area = gtk_drawing_area_new();
  GtkWidget* area2 = gtk_drawing_area_new();
  GtkWidget* neg = gtk_button_new();
  GtkWidget* pos = gtk_button_new();
  Sunk col(Pack(nullptr, 'v', area, 3, area2, -3, neg, -4, pos, 4, nullptr));
  EXPECT_EQ(kind(col.w), std::pair(kV, false));
  EXPECT_EQ(packing_of(col.w, area), Packing(true, true, 3, kStart));
  EXPECT_EQ(packing_of(col.w, area2), Packing(true, true, 3, kStart));
  EXPECT_EQ(packing_of(col.w, neg), Packing(true, true, 4, kStart));
  EXPECT_EQ(packing_of(col.w, pos), Packing(false, false, 4, kStart));

  EXPECT_EQ(kind(Sunk(Pack(nullptr, 'V', gtk_button_new(), 0, nullptr)).w), std::pair(kV, true));
  EXPECT_EQ(kind(Sunk(Pack(nullptr, 'H', gtk_button_new(), 0, nullptr)).w), std::pair(kH, true));

  // The list ends at the first null widget.
  Sunk after(gtk_button_new());
  GtkWidget* none = nullptr;
  Sunk cut(Pack(nullptr, 'h', gtk_button_new(), 0, none, 0, after.w, 0, nullptr));
  EXPECT_EQ(gtk_widget_get_parent(after.w), nullptr);
}

TEST_F(LumoTest, PackNamesFramesAndIdentifiers) {
  // "" gives an untitled frame; both identifiers are "".
  Sunk empty(Pack("", 'h', gtk_button_new(), 0, nullptr));
  ASSERT_TRUE(GTK_IS_FRAME(empty.w));
  EXPECT_EQ(gtk_frame_get_label(GTK_FRAME(empty.w)), nullptr);
  EXPECT_STREQ(id_of(empty.w, kKeyTopId), "");
  EXPECT_STREQ(id_of(gtk_bin_get_child(GTK_BIN(empty.w)), kKeyId), "");

  // "!advanced": no frame, both identifiers on the box.
  Sunk adv(Pack("!advanced", 'h', gtk_button_new(), 0, nullptr));
  EXPECT_TRUE(GTK_IS_BOX(adv.w));
  EXPECT_STREQ(id_of(adv.w, kKeyId), "!advanced");
  EXPECT_STREQ(id_of(adv.w, kKeyTopId), "!advanced");

  // A title: a frame titled with it around a box of that identifier.
  const char* status = "Status";
  Sunk framed(Pack(status, 'v', gtk_button_new(), 0, nullptr));
  ASSERT_TRUE(GTK_IS_FRAME(framed.w));
  EXPECT_STREQ(gtk_frame_get_label(GTK_FRAME(framed.w)), "Status");
  EXPECT_EQ(id_of(framed.w, kKeyTopId), status);  // the pointer itself
  EXPECT_EQ(id_of(gtk_bin_get_child(GTK_BIN(framed.w)), kKeyId), status);
  EXPECT_EQ(id_of(framed.w, kKeyId), nullptr);
}

TEST_F(LumoTest, SPackChildCodes) {
  GtkWidget* w = gtk_button_new();
  Sunk row(SPack(nullptr, "h", w, "E1", nullptr));
  EXPECT_EQ(packing_of(row.w, w), Packing(false, false, 1, GTK_PACK_END));

  // Each child code on its own: "ef" after "ef10" has padding 0; "aef" on a
  // button: automatic wins, no expand, no fill.
  GtkWidget* a = gtk_button_new();
  GtkWidget* b = gtk_button_new();
  GtkWidget* c = gtk_button_new();
  GtkWidget* area = gtk_drawing_area_new();
  Sunk col(SPack(nullptr, "v12", a, "ef10", b, "ef", c, "aef", area, "a", nullptr));
  EXPECT_EQ(kind(col.w), std::pair(kV, false));
  EXPECT_EQ(gtk_box_get_spacing(GTK_BOX(col.w)), 12);
  EXPECT_EQ(packing_of(col.w, a), Packing(true, true, 10, kStart));
  EXPECT_EQ(packing_of(col.w, b), Packing(true, true, 0, kStart));
  EXPECT_EQ(packing_of(col.w, c), Packing(false, false, 0, kStart));
  EXPECT_EQ(packing_of(col.w, area), Packing(true, true, 0, kStart));
  EXPECT_EQ(kind(Sunk(SPack(nullptr, "Hh", gtk_button_new(), "1", nullptr)).w), std::pair(kH, true));
}

std::pair<GtkPolicyType, GtkPolicyType> policy(GtkWidget* scroller) {
  std::pair<GtkPolicyType, GtkPolicyType> p;
  gtk_scrolled_window_get_policy(GTK_SCROLLED_WINDOW(scroller), &p.first, &p.second);
  return p;
}

TEST_F(LumoTest, SPackScrolledAndListParents) {
  GtkWidget* text_scroller = gtk_scrolled_window_new(nullptr, nullptr);
  GtkWidget* text = gtk_text_view_new();
  gtk_container_add(GTK_CONTAINER(text_scroller), text);
  // The text view is packed through its scrolled window.
  Sunk col(SPack("Log", "vs", text, "a", nullptr));
  ASSERT_TRUE(GTK_IS_SCROLLED_WINDOW(col.w));
  EXPECT_EQ(policy(col.w), std::pair(GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC));
  EXPECT_STREQ(id_of(col.w, kKeyTopId), "Log");
  // The titled box inside; the scrolled window of the text grows ('a' on a
  // scrolled window).
  GtkWidget* box = gtk_widget_get_parent(text_scroller);
  EXPECT_STREQ(id_of(box, kKeyId), "Log");
  EXPECT_EQ(packing_of(box, text_scroller), Packing(true, true, 0, kStart));

  Sunk row(SPack(nullptr, "hs", gtk_button_new(), "1", nullptr));
  ASSERT_TRUE(GTK_IS_SCROLLED_WINDOW(row.w));
  EXPECT_EQ(policy(row.w), std::pair(GTK_POLICY_AUTOMATIC, GTK_POLICY_NEVER));
}

}  // namespace
}  // namespace kelo
