// Numeric controls: value formats, spins, scales, scroll bars and setters.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "lumo/adjust.h"
#include "lumo/buttons.h"
#include "lumo/lumo_misc.h"
#include "lumo/packing.h"
#include "lumo/windows.h"
#include "lumo_fixture.h"

namespace kelo {
namespace {

using test::LumoTest;

TEST(LumoFormat, GetFrmtWidthPrecisionAndLetter) {
  int w = kFrmtWidth, p = kFrmtPrecision;
  const char* f = "%8.1f%f%f";
  const char* r = get_frmt(f, &w, &p);
  EXPECT_EQ(*r, 'f');
  EXPECT_EQ(r - f, 4);
  EXPECT_EQ(w, 8);
  EXPECT_EQ(p, 1);
  r = get_frmt(r + 1, &w, &p);
  EXPECT_EQ(*r, 'f');
  EXPECT_EQ(w, 8);  // unchanged without digits
  EXPECT_EQ(p, 1);
  w = 5;
  p = 2;
  r = get_frmt("%d", &w, &p);
  EXPECT_EQ(*r, 'd');
  EXPECT_EQ(p, 0);
  EXPECT_EQ(w, 5);
  r = get_frmt("%?", &w, &p);
  EXPECT_EQ(*r, '?');
  const char* none = "abc";
  EXPECT_EQ(get_frmt(none, &w, &p), none + 3);
  r = get_frmt("%12d", &w, &p);
  EXPECT_EQ(w, 12);
  // Absurd widths and precisions are limited, not overflowed.
  get_frmt("%99999999999999.99999999999f", &w, &p);
  EXPECT_EQ(w, 99);
  EXPECT_EQ(p, 20);
}

TEST(LumoFormat, NumberRegisters) {
  AdjSpec a = adjust_registers("%d%d%d", {300, 10, 2000}, true);
  EXPECT_EQ(a.value, 300);
  EXPECT_EQ(a.lower, 10);
  EXPECT_EQ(a.upper, 2000);
  EXPECT_EQ(a.step, 1);
  EXPECT_EQ(a.page, 10);
  EXPECT_EQ(a.precision, 0);

  // Four integers: the first shifts out into the step.
  AdjSpec b = adjust_registers("%d%d%d%d", {100, 100, 100, 100000}, true);
  EXPECT_EQ(b.step, 100);
  EXPECT_EQ(b.value, 100);
  EXPECT_EQ(b.lower, 100);
  EXPECT_EQ(b.upper, 100000);

  AdjSpec c = adjust_registers("%9.4f%9.4f%9.4f", {0.5, 0, 1}, true);
  EXPECT_EQ(c.precision, 4);
  EXPECT_DOUBLE_EQ(c.step, 0.0001);
  EXPECT_DOUBLE_EQ(c.page, 0.01);
  EXPECT_EQ(c.width, 9);
  AdjSpec d = adjust_registers("%f%f%f", {1, 0, 2}, true);
  EXPECT_EQ(d.precision, 2);
  EXPECT_DOUBLE_EQ(d.step, 0.01);
  AdjSpec e = adjust_registers("%8.1f%f%f", {1.0, 0.2, 5.0}, true);
  EXPECT_DOUBLE_EQ(e.value, 1.0);
  EXPECT_DOUBLE_EQ(e.lower, 0.2);
  EXPECT_DOUBLE_EQ(e.upper, 5.0);
  EXPECT_DOUBLE_EQ(e.step, 0.1);
  EXPECT_DOUBLE_EQ(e.page, 10.0);
  // A scale's page is its step.
  AdjSpec s = adjust_registers("%8.1f%f%f", {1.0, 0.2, 5.0}, false);
  EXPECT_DOUBLE_EQ(s.page, 0.1);
  AdjSpec si = adjust_registers("%d%d%d", {4, 0, 10}, false);
  EXPECT_DOUBLE_EQ(si.page, 1);
  // "?" takes no number; precision 0 with "f" gives step 0.1.
  AdjSpec q = adjust_registers("%?%.0f%f%f", {7, 1, 9}, true);
  EXPECT_DOUBLE_EQ(q.value, 7);
  EXPECT_DOUBLE_EQ(q.step, 0.1);
  // Missing numbers are 0 (shifted in like the others).
  AdjSpec m = adjust_registers("%d%d%d", {5}, true);
  EXPECT_EQ(m.value, 5);
  EXPECT_EQ(m.lower, 0);
  EXPECT_EQ(m.upper, 0);
}

int g_adj_calls = 0;
std::string g_adj_id;
double g_adj_value = 0;
void on_adj(GtkAdjustment* adj, const char* id) {
  ++g_adj_calls;
  g_adj_id = id;
  g_adj_value = gtk_adjustment_get_value(adj);
}

TEST_F(LumoTest, SpinFromFormat) {
  GtkWidget* box = Create_Spin("^Lines/screen", on_adj, "%d%d%d", 300, 10, 2000);
  GtkWidget* win = Create_Window(nullptr, 300, 200, "Spins", nullptr);
  gtk_container_add(GTK_CONTAINER(win), box);
  GtkWidget* spin = Find_Widget(win, "^Lines/screen");
  ASSERT_NE(spin, nullptr);
  ASSERT_TRUE(GTK_IS_SPIN_BUTTON(spin));
  EXPECT_EQ(Find_Top_Widget(win, "^Lines/screen"), box);
  GtkAdjustment* adj = gtk_spin_button_get_adjustment(GTK_SPIN_BUTTON(spin));
  EXPECT_EQ(g_object_get_data(G_OBJECT(spin), kKeyAdj), adj);
  EXPECT_EQ(g_object_get_data(G_OBJECT(adj), kKeyAdj), spin);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_value(adj), 300);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_lower(adj), 10);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_upper(adj), 2000);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_step_increment(adj), 1);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_page_increment(adj), 10);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_page_size(adj), 0);
  EXPECT_EQ(gtk_spin_button_get_digits(GTK_SPIN_BUTTON(spin)), 0u);
  EXPECT_TRUE(gtk_spin_button_get_numeric(GTK_SPIN_BUTTON(spin)));
  EXPECT_FALSE(gtk_spin_button_get_wrap(GTK_SPIN_BUTTON(spin)));
  std::vector<GtkWidget*> labels;
  test::collect_type(box, GTK_TYPE_LABEL, &labels);
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(labels[0])), "Lines/screen");

  // Setting the value runs the callback with the adjustment and the label.
  g_adj_calls = 0;
  EXPECT_EQ(Set_Adjust(win, "^Lines/screen", "%d", 512.9), 1);
  EXPECT_EQ(g_adj_calls, 1);
  EXPECT_EQ(g_adj_id, "^Lines/screen");
  EXPECT_DOUBLE_EQ(g_adj_value, 512);  // "%d": an integer
  EXPECT_DOUBLE_EQ(Get_Adjust(win, "^Lines/screen"), 512);
  EXPECT_EQ(Set_Adjust(win, "^Lines/screen", "%d", 512), 1);
  EXPECT_EQ(g_adj_calls, 1);  // unchanged value: no callback
  EXPECT_EQ(Set_Adjust(win, "Missing", "%d", 5), 0);
  EXPECT_DOUBLE_EQ(Get_Adjust(win, "Missing"), 0);
  // The adjustment itself is accepted where a control is.
  EXPECT_DOUBLE_EQ(Get_Adjustc(adj), 512);

  GtkWidget* s2 = Create_Spin("!Step", nullptr, "%d%d%d%d", 100, 100, 100, 100000);
  ASSERT_TRUE(GTK_IS_SPIN_BUTTON(s2));  // "!": no label box
  GtkAdjustment* a2 = gtk_spin_button_get_adjustment(GTK_SPIN_BUTTON(s2));
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_step_increment(a2), 100);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_value(a2), 100);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_upper(a2), 100000);
  GtkWidget* s3 = Create_Spin("!Gamma", nullptr, "%9.4f%9.4f%9.4f", 0.5, 0.0, 1.0);
  EXPECT_EQ(gtk_spin_button_get_digits(GTK_SPIN_BUTTON(s3)), 4u);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_step_increment(gtk_spin_button_get_adjustment(GTK_SPIN_BUTTON(s3))),
                   0.0001);
  for (GtkWidget* w : {s2, s3}) {
    g_object_ref_sink(w);
    gtk_widget_destroy(w);
    g_object_unref(w);
  }
}

TEST_F(LumoTest, ScalesFromFormat) {
  EXPECT_EQ(Create_Scale("Nothing", 0, on_adj, "%d%d%d", 1, 0, 9), nullptr);
  GtkWidget* box = Create_Scale("Gamma", 'h', on_adj, "%8.1f%f%f", 1.0, 0.2, 5.0);
  ASSERT_TRUE(GTK_IS_BOX(box));
  EXPECT_EQ(gtk_orientable_get_orientation(GTK_ORIENTABLE(box)), GTK_ORIENTATION_HORIZONTAL);
  GtkWidget* vbox = Create_Scale("^Level", 'v', on_adj, "%d%d%d", 3, 0, 10);
  EXPECT_EQ(gtk_orientable_get_orientation(GTK_ORIENTABLE(vbox)), GTK_ORIENTATION_VERTICAL);
  GtkWidget* win = Create_Window(nullptr, 300, 200, "Scales", nullptr);
  gtk_container_add(GTK_CONTAINER(win), Pack(nullptr, 'v', box, 0, vbox, 0, nullptr));
  GtkWidget* scale = Find_Widget(win, "Gamma");
  ASSERT_TRUE(GTK_IS_SCALE(scale));
  EXPECT_EQ(Find_Top_Widget(win, "Gamma"), box);
  EXPECT_EQ(gtk_scale_get_digits(GTK_SCALE(scale)), 1);
  EXPECT_TRUE(gtk_scale_get_draw_value(GTK_SCALE(scale)));
  GtkAdjustment* adj = gtk_range_get_adjustment(GTK_RANGE(scale));
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_page_increment(adj), gtk_adjustment_get_step_increment(adj));
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_step_increment(adj), 0.1);
  // The label of a scale is shown whole (no prefix rule).
  std::vector<GtkWidget*> labels;
  test::collect_type(vbox, GTK_TYPE_LABEL, &labels);
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(labels[0])), "^Level");
  EXPECT_EQ(gtk_scale_get_digits(GTK_SCALE(Find_Widget(win, "^Level"))), 0);

  // A value set by the program reports at once.
  g_adj_calls = 0;
  Set_Adjust(win, "Gamma", "%f", 2.5);
  EXPECT_EQ(g_adj_calls, 1);
  EXPECT_DOUBLE_EQ(g_adj_value, 2.5);
  // While the operator drags, changes wait for the release.
  gtk_widget_show_all(win);
  test::drain();
  GdkEvent* press = gdk_event_new(GDK_BUTTON_PRESS);
  press->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(scale)));
  press->button.button = 1;
  gboolean handled = FALSE;
  g_signal_emit_by_name(scale, "button-press-event", press, &handled);
  gtk_adjustment_set_value(adj, 3.0);
  gtk_adjustment_set_value(adj, 3.5);
  EXPECT_EQ(g_adj_calls, 1);
  GdkEvent* release = gdk_event_new(GDK_BUTTON_RELEASE);
  release->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(scale)));
  release->button.button = 1;
  g_signal_emit_by_name(scale, "button-release-event", release, &handled);
  EXPECT_EQ(g_adj_calls, 2);
  EXPECT_DOUBLE_EQ(g_adj_value, 3.5);
  gdk_event_free(press);
  gdk_event_free(release);
}

TEST_F(LumoTest, BoundsAndScrollBars) {
  GtkWidget* area = gtk_drawing_area_new();
  GtkWidget* framed = Add_Scrollbars(area, "hbar", "vbar", on_adj);
  GtkWidget* win = Create_Window(nullptr, 300, 200, "Kelo", nullptr);
  gtk_container_add(GTK_CONTAINER(win), framed);
  EXPECT_EQ(g_object_get_data(G_OBJECT(framed), kKeyChildIs), area);
  GtkWidget* hbar = Find_Widget(win, "hbar");
  GtkWidget* vbar = Find_Widget(win, "vbar");
  ASSERT_TRUE(GTK_IS_SCROLLBAR(hbar));
  ASSERT_TRUE(GTK_IS_SCROLLBAR(vbar));
  EXPECT_EQ(g_object_get_data(G_OBJECT(area), "hbar"), hbar);
  EXPECT_EQ(g_object_get_data(G_OBJECT(area), "vbar"), vbar);
  EXPECT_EQ(gtk_orientable_get_orientation(GTK_ORIENTABLE(vbar)), GTK_ORIENTATION_VERTICAL);
  EXPECT_EQ(gtk_orientable_get_orientation(GTK_ORIENTABLE(hbar)), GTK_ORIENTATION_HORIZONTAL);
  // The vertical bar stands right of the canvas in one row.
  EXPECT_EQ(gtk_widget_get_parent(area), gtk_widget_get_parent(vbar));
  GtkAdjustment* h = gtk_range_get_adjustment(GTK_RANGE(hbar));
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_upper(h), 10);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_page_size(h), 10);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_step_increment(h), 1);

  // Only lower and upper change.
  EXPECT_EQ(Set_Adjustbnd(win, "hbar", "%d%d", 0, 50), 1);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_lower(h), 0);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_upper(h), 50);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_page_size(h), 10);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_step_increment(h), 1);
  // Five numbers: lower, upper, step, page size, page increment.
  EXPECT_EQ(Set_Adjustbnd(win, "hbar", "%d%d%d%d%d%d", 1, 200, 3, 40, 20, 99), 1);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_lower(h), 1);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_upper(h), 200);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_step_increment(h), 3);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_page_size(h), 40);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_page_increment(h), 20);
  EXPECT_EQ(Set_Adjustbnd(win, "nobar", "%d%d", 0, 50), 0);

  // Set_Scroll: zoom below 1 counts as 1; the span is never 0; x, y clamp.
  int x = 500, y = -4;
  float zx = 0.5f, zy = 2.0f;
  EXPECT_EQ(Set_Scroll(win, "hbar", 100, &x, &zx, "vbar", 400, &y, &zy), 1);
  EXPECT_FLOAT_EQ(zx, 1.0f);
  EXPECT_FLOAT_EQ(zy, 2.0f);
  EXPECT_EQ(x, 100 - 99);  // span 100 / 1 - 1 = 99
  EXPECT_EQ(y, 0);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_page_size(h), 99);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_step_increment(h), 9);
  GtkAdjustment* v = gtk_range_get_adjustment(GTK_RANGE(vbar));
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_upper(v), 400);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_page_size(v), 199);
  x = 150;
  zx = 200;
  Set_Scroll(win, "hbar", 100, &x, &zx, "vbar", 400, &y, &zy);
  EXPECT_EQ(x, 99);  // span 1: x runs 0 .. 99
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_page_size(h), 1);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_value(h), 99);
  EXPECT_EQ(Find_Parent_Window(h), win);
}

TEST_F(LumoTest, ScrollBarLayouts) {
  GtkWidget* a1 = gtk_drawing_area_new();
  GtkWidget* only_v = Add_Scrollbars(a1, nullptr, "vbar", nullptr);
  EXPECT_EQ(gtk_orientable_get_orientation(GTK_ORIENTABLE(only_v)), GTK_ORIENTATION_HORIZONTAL);
  EXPECT_EQ(g_object_get_data(G_OBJECT(a1), "hbar"), nullptr);
  GtkWidget* a2 = gtk_drawing_area_new();
  GtkWidget* neither = Add_Scrollbars(a2, nullptr, nullptr, nullptr);
  EXPECT_TRUE(GTK_IS_SCROLLED_WINDOW(neither));
  EXPECT_EQ(g_object_get_data(G_OBJECT(neither), kKeyChildIs), a2);
  GtkWidget* s = Create_Scrollbar("x", 'h', 5, 50, 20, nullptr);
  GtkAdjustment* adj = gtk_range_get_adjustment(GTK_RANGE(s));
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_value(adj), 5);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_lower(adj), 5);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_step_increment(adj), 2);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_page_increment(adj), 20);
  for (GtkWidget* w : {only_v, neither, s}) {
    g_object_ref_sink(w);
    gtk_widget_destroy(w);
    g_object_unref(w);
  }
}

}  // namespace
}  // namespace kelo
