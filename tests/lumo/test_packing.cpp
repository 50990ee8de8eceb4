// The packing language: box kinds, frames, identifiers and child packing.
#include <gtest/gtest.h>

#include <string>

#include "lumo/buttons.h"
#include "lumo/lumo_misc.h"
#include "lumo/packing.h"
#include "lumo/windows.h"
#include "lumo_fixture.h"

namespace kelo {
namespace {

using test::LumoTest;

struct Packing {
  bool expand;
  bool fill;
  guint padding;
  GtkPackType pack;
};

Packing packing_of(GtkWidget* box, GtkWidget* child) {
  gboolean e = FALSE, f = FALSE;
  guint p = 0;
  GtkPackType t = GTK_PACK_START;
  gtk_box_query_child_packing(GTK_BOX(box), child, &e, &f, &p, &t);
  return Packing{e != FALSE, f != FALSE, p, t};
}

GtkOrientation orientation(GtkWidget* box) { return gtk_orientable_get_orientation(GTK_ORIENTABLE(box)); }

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
  BoxCode v12 = parse_box_code("v12");
  EXPECT_FALSE(v12.horizontal);
  EXPECT_EQ(v12.spacing, 12);
  EXPECT_FALSE(v12.homogeneous);
  BoxCode hv = parse_box_code("vhH");
  EXPECT_TRUE(hv.horizontal);  // 'h' wins over 'v'
  EXPECT_TRUE(hv.homogeneous);
  BoxCode none = parse_box_code("Hs");
  EXPECT_TRUE(none.horizontal);  // neither letter: horizontal
  EXPECT_TRUE(none.scrolled);
  EXPECT_EQ(none.spacing, 0);
  // Only the first run of digits counts.
  EXPECT_EQ(parse_box_code("v3h45").spacing, 3);

  ChildCode ef10 = parse_child_code("ef10");
  EXPECT_TRUE(ef10.expand && ef10.fill);
  EXPECT_EQ(ef10.padding, 10);
  ChildCode ef = parse_child_code("ef");
  EXPECT_EQ(ef.padding, 0);
  ChildCode e2 = parse_child_code("5ef");
  EXPECT_EQ(e2.padding, 5);
  ChildCode end = parse_child_code("E1");
  EXPECT_TRUE(end.at_end);
  EXPECT_FALSE(end.expand);  // 'E' is not 'e'
  EXPECT_EQ(end.padding, 1);
  EXPECT_TRUE(parse_child_code("aef").automatic);
  EXPECT_EQ(first_number(nullptr), 0);
  EXPECT_EQ(first_number("abc"), 0);
}

TEST_F(LumoTest, PackDirectionsAndPadding) {
  GtkWidget* w = gtk_button_new();
  Sunk box(Pack(nullptr, 'x', w, 0, nullptr));
  EXPECT_TRUE(GTK_IS_BOX(box.w));
  EXPECT_EQ(orientation(box.w), GTK_ORIENTATION_HORIZONTAL);
  Packing p = packing_of(box.w, w);
  EXPECT_FALSE(p.expand);
  EXPECT_FALSE(p.fill);
  EXPECT_EQ(p.padding, 0u);
  EXPECT_EQ(id_of(box.w, kKeyId), nullptr);
  EXPECT_EQ(id_of(box.w, kKeyTopId), nullptr);
  EXPECT_EQ(gtk_box_get_spacing(GTK_BOX(box.w)), 0);

  // Drawing areas expand and fill whatever the sign of the padding.
  GtkWidget* area = gtk_drawing_area_new();
  GtkWidget* area2 = gtk_drawing_area_new();
  GtkWidget* neg = gtk_button_new();
  GtkWidget* pos = gtk_button_new();
  Sunk col(Pack(nullptr, 'v', area, 3, area2, -3, neg, -4, pos, 4, nullptr));
  EXPECT_EQ(orientation(col.w), GTK_ORIENTATION_VERTICAL);
  EXPECT_FALSE(gtk_box_get_homogeneous(GTK_BOX(col.w)));
  Packing a = packing_of(col.w, area);
  EXPECT_TRUE(a.expand && a.fill);
  EXPECT_EQ(a.padding, 3u);
  Packing a2 = packing_of(col.w, area2);
  EXPECT_TRUE(a2.expand && a2.fill);
  EXPECT_EQ(a2.padding, 3u);
  Packing n = packing_of(col.w, neg);
  EXPECT_TRUE(n.expand && n.fill);
  EXPECT_EQ(n.padding, 4u);
  Packing ps = packing_of(col.w, pos);
  EXPECT_FALSE(ps.expand || ps.fill);
  EXPECT_EQ(ps.padding, 4u);
  // Argument order is packing order.
  GList* kids = gtk_container_get_children(GTK_CONTAINER(col.w));
  ASSERT_EQ(g_list_length(kids), 4u);
  EXPECT_EQ(g_list_nth_data(kids, 0), area);
  EXPECT_EQ(g_list_nth_data(kids, 3), pos);
  g_list_free(kids);

  Sunk hom(Pack(nullptr, 'V', gtk_button_new(), 0, nullptr));
  EXPECT_EQ(orientation(hom.w), GTK_ORIENTATION_VERTICAL);
  EXPECT_TRUE(gtk_box_get_homogeneous(GTK_BOX(hom.w)));
  Sunk hom2(Pack(nullptr, 'H', gtk_button_new(), 0, nullptr));
  EXPECT_EQ(orientation(hom2.w), GTK_ORIENTATION_HORIZONTAL);
  EXPECT_TRUE(gtk_box_get_homogeneous(GTK_BOX(hom2.w)));
}

TEST_F(LumoTest, PackNamesFramesAndIdentifiers) {
  // "" gives an untitled frame; both identifiers are "".
  Sunk empty(Pack("", 'h', gtk_button_new(), 0, nullptr));
  ASSERT_TRUE(GTK_IS_FRAME(empty.w));
  EXPECT_EQ(gtk_frame_get_label(GTK_FRAME(empty.w)), nullptr);
  EXPECT_STREQ(id_of(empty.w, kKeyTopId), "");
  GtkWidget* inner = gtk_bin_get_child(GTK_BIN(empty.w));
  EXPECT_STREQ(id_of(inner, kKeyId), "");

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
  Packing p = packing_of(row.w, w);
  EXPECT_EQ(p.pack, GTK_PACK_END);
  EXPECT_EQ(p.padding, 1u);
  EXPECT_FALSE(p.expand);

  // Each child code on its own: "ef" after "ef10" has padding 0.
  GtkWidget* a = gtk_button_new();
  GtkWidget* b = gtk_button_new();
  GtkWidget* c = gtk_button_new();
  GtkWidget* area = gtk_drawing_area_new();
  Sunk col(SPack(nullptr, "v12", a, "ef10", b, "ef", c, "aef", area, "a", nullptr));
  EXPECT_EQ(orientation(col.w), GTK_ORIENTATION_VERTICAL);
  EXPECT_EQ(gtk_box_get_spacing(GTK_BOX(col.w)), 12);
  Packing pa = packing_of(col.w, a);
  EXPECT_TRUE(pa.expand && pa.fill);
  EXPECT_EQ(pa.padding, 10u);
  Packing pb = packing_of(col.w, b);
  EXPECT_TRUE(pb.expand && pb.fill);
  EXPECT_EQ(pb.padding, 0u);
  // "aef" on a button: automatic wins, no expand, no fill.
  Packing pc = packing_of(col.w, c);
  EXPECT_FALSE(pc.expand || pc.fill);
  Packing pd = packing_of(col.w, area);
  EXPECT_TRUE(pd.expand && pd.fill);
  EXPECT_EQ(pd.pack, GTK_PACK_START);

  Sunk hom(SPack(nullptr, "Hh", gtk_button_new(), "1", nullptr));
  EXPECT_TRUE(gtk_box_get_homogeneous(GTK_BOX(hom.w)));
  EXPECT_EQ(orientation(hom.w), GTK_ORIENTATION_HORIZONTAL);
}

TEST_F(LumoTest, SPackScrolledAndListParents) {
  GtkWidget* text_scroller = gtk_scrolled_window_new(nullptr, nullptr);
  GtkWidget* text = gtk_text_view_new();
  gtk_container_add(GTK_CONTAINER(text_scroller), text);
  // The text view is packed through its scrolled window.
  Sunk col(SPack("Log", "vs", text, "a", nullptr));
  ASSERT_TRUE(GTK_IS_SCROLLED_WINDOW(col.w));
  GtkPolicyType hp, vp;
  gtk_scrolled_window_get_policy(GTK_SCROLLED_WINDOW(col.w), &hp, &vp);
  EXPECT_EQ(hp, GTK_POLICY_NEVER);
  EXPECT_EQ(vp, GTK_POLICY_AUTOMATIC);
  EXPECT_STREQ(id_of(col.w, kKeyTopId), "Log");
  GtkWidget* viewport = gtk_bin_get_child(GTK_BIN(col.w));
  ASSERT_TRUE(GTK_IS_VIEWPORT(viewport));
  GtkWidget* frame = gtk_bin_get_child(GTK_BIN(viewport));
  ASSERT_TRUE(GTK_IS_FRAME(frame));
  GtkWidget* box = gtk_bin_get_child(GTK_BIN(frame));
  EXPECT_EQ(gtk_widget_get_parent(text_scroller), box);
  // The scrolled window of the text grows ('a' on a scrolled window).
  Packing p = packing_of(box, text_scroller);
  EXPECT_TRUE(p.expand && p.fill);

  Sunk row(SPack(nullptr, "hs", gtk_button_new(), "1", nullptr));
  ASSERT_TRUE(GTK_IS_SCROLLED_WINDOW(row.w));
  gtk_scrolled_window_get_policy(GTK_SCROLLED_WINDOW(row.w), &hp, &vp);
  EXPECT_EQ(hp, GTK_POLICY_AUTOMATIC);
  EXPECT_EQ(vp, GTK_POLICY_NEVER);
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
  GtkWidget* kept = gtk_button_new();
  GtkWidget* none = nullptr;
  GtkWidget* after = gtk_button_new();
  g_object_ref_sink(after);
  Sunk cut(Pack(nullptr, 'h', kept, 0, none, 0, after, 0, nullptr));
  GList* kids = gtk_container_get_children(GTK_CONTAINER(cut.w));
  EXPECT_EQ(g_list_length(kids), 1u);
  g_list_free(kids);
  EXPECT_EQ(gtk_widget_get_parent(after), nullptr);
  g_object_unref(after);
}

}  // namespace
}  // namespace kelo
