// Numeric controls: value formats, spins, scales, scroll bars and setters.
#include <gtest/gtest.h>

#include <array>
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

using test::adj_of;
using test::LumoTest;
using test::window_with;
using Adj = std::array<double, 6>;  // value, lower, upper, step, page increment, page size

TEST(LumoFormat, GetFrmtWidthPrecisionAndLetter) {
  // Width and precision carry over from the earlier format (the register
  // cases below); "%d" drops the decimals.
  int w = 5, p = 2;
  EXPECT_EQ(*get_frmt("%d", &w, &p), 'd');
  EXPECT_EQ(std::pair(w, p), std::pair(5, 0));
  const char* none = "abc";
  EXPECT_EQ(get_frmt(none, &w, &p), none + 3);
  // Absurd widths and precisions are limited, not overflowed.
  get_frmt("%99999999999999.99999999999f", &w, &p);
  EXPECT_EQ(std::pair(w, p), std::pair(99, 20));
}

TEST(LumoFormat, NumberRegisters) {
  const double any = NAN;  // not looked at in that case
  struct Case {
    const char* format;
    std::vector<double> numbers;
    bool spin;
    std::array<double, 6> want;  // value, lower, upper, step, page, precision
  };
  const Case cases[] = {
      {"%d%d%d", {300, 10, 2000}, true, {300, 10, 2000, 1, 10, 0}},
      // Four integers: the first shifts out into the step.
      {"%d%d%d%d", {100, 100, 100, 100000}, true, {100, 100, 100000, 100, any, any}},
      {"%9.4f%9.4f%9.4f", {0.5, 0, 1}, true, {any, any, any, 0.0001, 0.01, 4}},
      {"%f%f%f", {1, 0, 2}, true, {any, any, any, 0.01, any, 2}},
      {"%8.1f%f%f", {1.0, 0.2, 5.0}, true, {1.0, 0.2, 5.0, 0.1, 10.0, any}},
      // A scale's page is its step.
      {"%8.1f%f%f", {1.0, 0.2, 5.0}, false, {any, any, any, any, 0.1, any}},
      {"%d%d%d", {4, 0, 10}, false, {any, any, any, any, 1, any}},
      // "?" takes no number; precision 0 with "f" gives step 0.1.
      {"%?%.0f%f%f", {7, 1, 9}, true, {7, any, any, 0.1, any, any}},
      // Missing numbers are 0 (shifted in like the others).
      {"%d%d%d", {5}, true, {5, 0, 0, any, any, any}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    AdjustRange a = adjust_registers(c.format, c.numbers, c.spin);
    const double got[] = {a.value, a.lower, a.upper, a.step, a.page, static_cast<double>(a.precision)};
    for (int i = 0; i < 6; ++i) {
      if (!std::isnan(c.want[i])) {
        EXPECT_DOUBLE_EQ(got[i], c.want[i]) << "field " << i;
      }
    }
  }
  EXPECT_EQ(adjust_registers("%9.4f%9.4f%9.4f", {0.5, 0, 1}, true).width, 9);
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
  GtkWidget* win = window_with(box);
  GtkWidget* spin = Find_Widget(win, "^Lines/screen");
  ASSERT_TRUE(GTK_IS_SPIN_BUTTON(spin));
  GtkAdjustment* adj = gtk_spin_button_get_adjustment(GTK_SPIN_BUTTON(spin));
  EXPECT_EQ(Find_Parent_Window(adj), win);  // the adjustment leads back to its window
  EXPECT_EQ(adj_of(adj), (Adj{300, 10, 2000, 1, 10, 0}));
  EXPECT_EQ(test::label_texts(box), std::vector<std::string>{"Lines/screen"});

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

  // "!": no label box; the precision gives the digits.
  GtkWidget* s3 = Create_Spin("!Gamma", nullptr, "%9.4f%9.4f%9.4f", 0.5, 0.0, 1.0);
  ASSERT_TRUE(GTK_IS_SPIN_BUTTON(s3));
  EXPECT_EQ(gtk_spin_button_get_digits(GTK_SPIN_BUTTON(s3)), 4u);
  test::sink_destroy({s3});
}

void press(GtkWidget* w, GdkEventType type) {
  GdkEvent* ev = gdk_event_new(type);
  ev->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(w)));
  ev->button.button = 1;
  gboolean handled = FALSE;
  g_signal_emit_by_name(w, type == GDK_BUTTON_PRESS ? "button-press-event" : "button-release-event", ev,
                        &handled);
  gdk_event_free(ev);
}

TEST_F(LumoTest, ScalesFromFormat) {
  EXPECT_EQ(Create_Scale("Nothing", 0, on_adj, "%d%d%d", 1, 0, 9), nullptr);
  GtkWidget* box = Create_Scale("Gamma", 'h', on_adj, "%8.1f%f%f", 1.0, 0.2, 5.0);
  GtkWidget* vbox = Create_Scale("^Level", 'v', on_adj, "%d%d%d", 3, 0, 10);
  EXPECT_EQ(gtk_orientable_get_orientation(GTK_ORIENTABLE(vbox)), GTK_ORIENTATION_VERTICAL);
  GtkWidget* win = window_with(Pack(nullptr, 'v', box, 0, vbox, 0, nullptr));
  GtkWidget* scale = Find_Widget(win, "Gamma");
  ASSERT_TRUE(GTK_IS_SCALE(scale));
  EXPECT_EQ(gtk_scale_get_digits(GTK_SCALE(scale)), 1);
  GtkAdjustment* adj = gtk_range_get_adjustment(GTK_RANGE(scale));
  // The label of a scale is shown whole (no prefix rule).
  EXPECT_EQ(test::label_texts(vbox), std::vector<std::string>{"^Level"});
  EXPECT_EQ(gtk_scale_get_digits(GTK_SCALE(Find_Widget(win, "^Level"))), 0);

  // A value set by the program reports at once.
  g_adj_calls = 0;
  Set_Adjust(win, "Gamma", "%f", 2.5);
  EXPECT_EQ(g_adj_calls, 1);
  EXPECT_DOUBLE_EQ(g_adj_value, 2.5);
  // While the operator drags, changes wait for the release.
  gtk_widget_show_all(win);
  test::drain();
  press(scale, GDK_BUTTON_PRESS);
  gtk_adjustment_set_value(adj, 3.0);
  gtk_adjustment_set_value(adj, 3.5);
  EXPECT_EQ(g_adj_calls, 1);
  press(scale, GDK_BUTTON_RELEASE);
  EXPECT_EQ(g_adj_calls, 2);
  EXPECT_DOUBLE_EQ(g_adj_value, 3.5);
}

TEST_F(LumoTest, BoundsAndScrollBars) {
  GtkWidget* area = gtk_drawing_area_new();
  GtkWidget* framed = Add_Scrollbars(area, "hbar", "vbar", on_adj);
  GtkWidget* win = window_with(framed);
  EXPECT_EQ(g_object_get_data(G_OBJECT(framed), kKeyChildIs), area);
  GtkWidget* hbar = Find_Widget(win, "hbar");
  GtkWidget* vbar = Find_Widget(win, "vbar");
  EXPECT_EQ(g_object_get_data(G_OBJECT(area), "hbar"), hbar);
  EXPECT_EQ(gtk_orientable_get_orientation(GTK_ORIENTABLE(vbar)), GTK_ORIENTATION_VERTICAL);
  // The vertical bar stands right of the canvas in one row.
  EXPECT_EQ(gtk_widget_get_parent(area), gtk_widget_get_parent(vbar));
  GtkAdjustment* h = gtk_range_get_adjustment(GTK_RANGE(hbar));
  Adj before = adj_of(h);

  // Only lower and upper change.
  EXPECT_EQ(Set_Adjustbnd(win, "hbar", "%d%d", 0, 50), 1);
  before[1] = 0;
  before[2] = 50;
  EXPECT_EQ(adj_of(h), before);
  // Five numbers: lower, upper, step, page size, page increment.
  EXPECT_EQ(Set_Adjustbnd(win, "hbar", "%d%d%d%d%d%d", 1, 200, 3, 40, 20, 99), 1);
  Adj bounds = adj_of(h);
  EXPECT_EQ((Adj{bounds[0], 1, 200, 3, 20, 40}), bounds);
  EXPECT_EQ(Set_Adjustbnd(win, "nobar", "%d%d", 0, 50), 0);

  // Set_Scroll: zoom below 1 counts as 1; the span is never 0; x, y clamp.
  int x = 500, y = -4;
  float zx = 0.5f, zy = 2.0f;
  EXPECT_EQ(Set_Scroll(win, "hbar", 100, &x, &zx, "vbar", 400, &y, &zy), 1);
  EXPECT_FLOAT_EQ(zx, 1.0f);
  EXPECT_FLOAT_EQ(zy, 2.0f);
  EXPECT_EQ(std::pair(x, y), std::pair(100 - 99, 0));  // span 100 / 1 - 1 = 99
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

  // No bars: a scrolled window that still leads to the area; a bare bar.
  GtkWidget* a2 = gtk_drawing_area_new();
  GtkWidget* neither = Add_Scrollbars(a2, nullptr, nullptr, nullptr);
  EXPECT_TRUE(GTK_IS_SCROLLED_WINDOW(neither));
  EXPECT_EQ(g_object_get_data(G_OBJECT(neither), kKeyChildIs), a2);
  GtkWidget* s = Create_Scrollbar("x", 'h', 5, 50, 20, nullptr);
  Adj sa = adj_of(gtk_range_get_adjustment(GTK_RANGE(s)));
  EXPECT_EQ((std::array{sa[0], sa[1], sa[3], sa[4]}), (std::array<double, 4>{5, 5, 2, 20}));
  test::sink_destroy({neither, s});
}

}  // namespace
}  // namespace kelo
