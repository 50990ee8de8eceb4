// The packing language: box kinds, frames, identifiers and child packing.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "lumo/buttons.h"
#include "lumo/lumo_misc.h"
#include "lumo/packing.h"
#include "lumo/windows.h"
#include "lumo_fixture.h"

namespace kelo {
namespace {

using test::LumoTest;

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

const char* id_of(GtkWidget* w, const char* key) {
  return static_cast<const char*>(g_object_get_data(G_OBJECT(w), key));
}

// Owns a floating result so a test can drop it.
struct Sunk {
  explicit Sunk(GtkWidget* widget) : w(widget) { g_object_ref_sink(w); }
  ~Sunk() {
    gtk_widget_destroy(w);
    g_object_unref(w);
  }
  GtkWidget* w;
};

TEST(LumoPackingCodes, BoxAndChildCodes) {
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
  struct ChildCase {
    const char* code;
    bool expand, fill, automatic, at_end;
    int padding;
  };
  const ChildCase children[] = {
      {"ef10", true, true, false, false, 10}, {"ef", true, true, false, false, 0},
      {"5ef", true, true, false, false, 5},   {"E1", false, false, false, true, 1},  // 'E' is not 'e'
      {"aef", true, true, true, false, 0},
  };
  for (const ChildCase& c : children) {
    ChildCode k = parse_child_code(c.code);
    EXPECT_EQ(std::tuple(k.expand, k.fill, k.automatic, k.at_end, k.padding),
              std::tuple(c.expand, c.fill, c.automatic, c.at_end, c.padding))
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
  EXPECT_EQ(id_of(box.w, kKeyTopId), nullptr);
  EXPECT_EQ(gtk_box_get_spacing(GTK_BOX(box.w)), 0);

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
  // Argument order is packing order.
  GList* kids = gtk_container_get_children(GTK_CONTAINER(col.w));
  ASSERT_EQ(g_list_length(kids), 4u);
  EXPECT_EQ(g_list_nth_data(kids, 0), area);
  EXPECT_EQ(g_list_nth_data(kids, 3), pos);
  g_list_free(kids);

  EXPECT_EQ(kind(Sunk(Pack(nullptr, 'V', gtk_button_new(), 0, nullptr)).w), std::pair(kV, true));
  EXPECT_EQ(kind(Sunk(Pack(nullptr, 'H', gtk_button_new(), 0, nullptr)).w), std::pair(kH, true));
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
  GtkWidget* viewport = gtk_bin_get_child(GTK_BIN(col.w));
  ASSERT_TRUE(GTK_IS_VIEWPORT(viewport));
  GtkWidget* frame = gtk_bin_get_child(GTK_BIN(viewport));
  ASSERT_TRUE(GTK_IS_FRAME(frame));
  GtkWidget* box = gtk_bin_get_child(GTK_BIN(frame));
  EXPECT_EQ(gtk_widget_get_parent(text_scroller), box);
  // The scrolled window of the text grows ('a' on a scrolled window).
  EXPECT_EQ(packing_of(box, text_scroller), Packing(true, true, 0, kStart));

  Sunk row(SPack(nullptr, "hs", gtk_button_new(), "1", nullptr));
  ASSERT_TRUE(GTK_IS_SCROLLED_WINDOW(row.w));
  EXPECT_EQ(policy(row.w), std::pair(GTK_POLICY_AUTOMATIC, GTK_POLICY_NEVER));
}

TEST_F(LumoTest, NestedPackBuildsAFindableWindow) {
  GtkWidget* win = Create_Window(nullptr, 300, 200, "Packed", nullptr);
  GtkWidget* start = Create_Toggle("Start/Stop", nullptr, 0);
  GtkWidget* adv = Pack("!advanced", 'v', Create_Button("Reset", nullptr), 0, nullptr);
  gtk_container_add(GTK_CONTAINER(win),
                    SPack(nullptr, "v", Pack("Status", 'h', start, 2, nullptr), "1", adv, "1", nullptr));
  EXPECT_EQ(Find_Widget(win, "Start/Stop"), start);
  EXPECT_EQ(Find_Widget(win, "!advanced"), adv);
  EXPECT_TRUE(GTK_IS_FRAME(Find_Top_Widget(win, "Status")));
  EXPECT_TRUE(GTK_IS_BOX(Find_Widget(win, "Status")));
  // The list ends at the first null widget.
  GtkWidget* none = nullptr;
  Sunk after(gtk_button_new());
  Sunk cut(Pack(nullptr, 'h', gtk_button_new(), 0, none, 0, after.w, 0, nullptr));
  GList* kids = gtk_container_get_children(GTK_CONTAINER(cut.w));
  EXPECT_EQ(g_list_length(kids), 1u);
  g_list_free(kids);
  EXPECT_EQ(gtk_widget_get_parent(after.w), nullptr);
}

}  // namespace
}  // namespace kelo
